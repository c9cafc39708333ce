#!/usr/bin/env bash
# Runs every fuzzer built in FUZZ_DIR for SECONDS each, starting from seeds that the normal build's
# make_seeds writes. Fails when a fuzzer finds a crash, a leak or a timeout.
set -euo pipefail
fuzz_dir=${1:?usage: run-fuzzers.sh FUZZ_DIR SECONDS}
seconds=${2:-20}
build_dir=${BUILD_DIR:-build}

corpus_root=$(mktemp -d)
trap 'rm -rf "$corpus_root"' EXIT
seeds="$corpus_root/seeds"
mkdir -p "$seeds"
if [[ -x "$build_dir/make_seeds" ]]; then
  "$build_dir/make_seeds" "$seeds"
fi

status=0
for fuzzer in "$fuzz_dir"/*_fuzzer; do
  [[ -x "$fuzzer" ]] || continue
  name=$(basename "$fuzzer")
  corpus="$corpus_root/$name"
  mkdir -p "$corpus"
  echo "fuzz: $name for ${seconds}s"
  if ! "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
       -artifact_prefix="$corpus_root/" -print_final_stats=0 "$corpus" "$seeds" 2>"$corpus_root/$name.log"; then
    tail -n 40 "$corpus_root/$name.log"
    mkdir -p fuzz/crashes
    cp "$corpus_root"/crash-* "$corpus_root"/leak-* "$corpus_root"/timeout-* fuzz/crashes/ 2>/dev/null || true
    status=1
  else
    grep -E '^(#[0-9]+ +DONE|Done)' "$corpus_root/$name.log" | tail -n 1 || true
  fi
done
exit $status
