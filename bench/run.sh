#!/usr/bin/env bash
# Runs the benchmarks that a build folder holds. Each prints the command that reproduces it; the
# figures and commands are recorded in docs/benchmarks.md.
set -euo pipefail
build_dir=${1:-build}
repetitions=${REPETITIONS:-7}

echo "== $build_dir/volume_io_bench --benchmark_repetitions=$repetitions"
"$build_dir/volume_io_bench" --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true

echo "== $build_dir/file_replacement_bench --benchmark_repetitions=$repetitions"
"$build_dir/file_replacement_bench" --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true

echo "== $build_dir/xml_export_bench --benchmark_repetitions=$repetitions"
"$build_dir/xml_export_bench" --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true

echo "== bench/signatures.sh $build_dir"
bash "$(dirname "$0")/signatures.sh" "$build_dir"
echo "== bench/archives.sh $build_dir"
bash "$(dirname "$0")/archives.sh" "$build_dir"
echo "== bench/presence.sh $build_dir"
bash "$(dirname "$0")/presence.sh" "$build_dir"
# The media analysis against vipsthumbnail, GraphicsMagick and mediainfo takes minutes (and makes
# its corpora once): only on request.
if [[ ${MEDIA_BENCH:-0} == 1 ]]; then
  echo "== REPETITIONS=$repetitions bash bench/media_bench.sh $build_dir"
  REPETITIONS=$repetitions bash bench/media_bench.sh "$build_dir"
fi

# What following the scan's reading costs, against another build of volumist-cli: only when
# BASE_CLI names one.
if [[ -n ${BASE_CLI:-} ]]; then
  echo "== BASE_CLI=$BASE_CLI bench/scan_reading.sh $build_dir"
  bash "$(dirname "$0")/scan_reading.sh" "$build_dir"
fi

if [[ -x "$build_dir/window_start_timing" ]]; then
  echo "== QT_QPA_PLATFORM=offscreen $build_dir/window_start_timing $repetitions"
  QT_QPA_PLATFORM=offscreen "$build_dir/window_start_timing" "$repetitions"
fi
if [[ -x "$build_dir/browse_timing" ]]; then
  echo "== QT_QPA_PLATFORM=offscreen $build_dir/browse_timing $repetitions"
  QT_QPA_PLATFORM=offscreen "$build_dir/browse_timing" "$repetitions"
fi
if [[ -x "$build_dir/window_scan_timing" ]]; then
  echo "== QT_QPA_PLATFORM=offscreen $build_dir/window_scan_timing /usr $repetitions"
  QT_QPA_PLATFORM=offscreen "$build_dir/window_scan_timing" /usr "$repetitions"
fi
