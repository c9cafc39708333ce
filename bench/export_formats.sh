#!/usr/bin/env bash
# The lists of a large volume: the generated volume of 1,000,000 files in 20,000 folders, every file
# with CRC32, eDonkey hash and MD5, exported ROUNDS times (interleaved) by volumist-cli as CSV (all
# nine columns and the three signatures), as an md5 manifest, and as XML with the default choices
# for reference, each into a file in the work folder (written, synced and renamed into place as every
# export is). Prints the median wall time of each, the output size, and the rate in MB/s (millions of
# bytes of output per second of wall time).
#
#   bench/export_formats.sh BUILD_DIR [ROUNDS]
set -euo pipefail

build=$(realpath "${1:?usage: export_formats.sh BUILD_DIR [ROUNDS]}")
rounds=${2:-7}
cli=$build/volumist-cli
for tool in "$cli" "$build/generated_volume_tool"; do
  [[ -x "$tool" ]] || { echo "export_formats.sh: no $tool (build with -DVOLUMIST_BENCH=ON)" >&2; exit 2; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/volumist-export-XXXXXX")
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data TZ=UTC

"$build/generated_volume_tool" "$work/v.vkt" --digests

now() { date +%s%N; }
declare -A times
run() {  # NAME OUTPUT ARGS...
  local name=$1 output=$2
  shift 2
  local start
  start=$(now)
  "$cli" export "$@" -o "$output" "$work/v.vkt"
  times[$name]+="$(( $(now) - start )) "
}
for ((round = 0; round < rounds; round++)); do
  run csv "$work/list.csv" --format csv --columns type,size,time,attributes,description,path,label,filesystem,serial \
    --signatures
  run md5 "$work/list.md5" --format md5
  run xml "$work/list.xml" --format xml
done
[[ $(wc -l < "$work/list.md5") -eq 1000000 ]] || { echo "export_formats.sh: the md5 list is not complete" >&2; exit 1; }

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
printf '%-5s %12s %14s %10s\n' format "median ms" "output MB" "MB/s"
for name in csv md5 xml; do
  # shellcheck disable=SC2086
  m=$(median ${times[$name]})
  case $name in csv) file=list.csv ;; md5) file=list.md5 ;; xml) file=list.xml ;; esac
  bytes=$(stat -c %s "$work/$file")
  awk -v n="$name" -v m="$m" -v b="$bytes" 'BEGIN {printf "%-5s %12.0f %14.1f %10.0f\n", n, m / 1e6, b / 1e6, b / 1e6 / (m / 1e9)}'
done
