#!/usr/bin/env bash
# Finding copies by content over a catalog of 200 volumes holding 10,000,000 files (folders and
# names of a real tree, each file with an MD5, 10 % of the files of every second volume copies of
# the first's; made once by make_volumes_tool) with `volumist-cli duplicates --all --by content`,
# in the same run as `sort | uniq -w32 -D` over an md5sum-style list of the same records (LC_ALL=C,
# the fastest sort). Both print every member of every group; zero-byte files count (--min-size 0),
# as they do for uniq. Wall time, CPU time and peak resident memory, medians of ROUNDS interleaved
# rounds.
#
#   bench/duplicates.sh [BUILD_DIR]   (ROUNDS=5; DUPLICATES_CORPUS=folder to keep the catalog in
#                                      between runs; VOLUMES=200 FILES=50000 COPIES=10; ROOT=/usr)
set -euo pipefail
build=$(realpath "${1:-build}")
rounds=${ROUNDS:-5}
volumes=${VOLUMES:-200}
files=${FILES:-50000}
copies=${COPIES:-10}
source "$(dirname "$0")/timing.sh"

corpus=${DUPLICATES_CORPUS:-}
cleanup=()
trap 'rm -rf "${cleanup[@]}"' EXIT
if [[ -z "$corpus" ]]; then
  corpus=$(mktemp -d)
  cleanup+=("$corpus")
fi
if [[ ! -f "$corpus/done" ]]; then
  echo "duplicates.sh: making $volumes volumes of $files files with MD5s, $copies % copies (once)" >&2
  "$build/make_volumes_tool" "${ROOT:-/usr}" "$corpus" "$volumes" "$files" "$copies" >&2
  touch "$corpus/done"
fi
home=$(mktemp -d)
cleanup+=("$home")
cli="XDG_CONFIG_HOME=$home XDG_DATA_HOME=$home $build/volumist-cli --dir $corpus duplicates --all --by content --min-size 0"

declare -A commands=(
  [volumist]="$cli > /dev/null"
  [volumist-json]="$cli --json > /dev/null"
  [sort-uniq]="LC_ALL=C sort '$corpus/md5.txt' | uniq -w32 -D > /dev/null"
)
order=(volumist volumist-json sort-uniq)
cat "$corpus"/*.vkt "$corpus/md5.txt" >/dev/null  # warm the cache
run_rounds "$rounds"

records=$(( volumes * files ))
members=$(bash -c "$cli --json" | wc -l)
lines=$(LC_ALL=C sort "$corpus/md5.txt" | uniq -w32 -D | wc -l)
echo "$volumes volumes, $records files; md5 list $(stat -c %s "$corpus/md5.txt") bytes; median of $rounds interleaved rounds; load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "groups found: volumist $members, lines of uniq -D $lines (two per group)"
printf '%-16s %9s %9s %12s %14s\n' "" "wall" "CPU" "peak RSS" "records/s"
for name in "${order[@]}"; do
  m=$(median "$name")
  printf '%-16s %7.3f s %7.3f s %8.0f MiB %14.0f\n' "$name" "$m" "$(median "$name" cpu)" \
    "$(calc "$(median "$name" peak) / 1024")" "$(calc "$records / $m")"
done
printf 'sort-uniq / volumist: %.2fx\n' "$(calc "$(median sort-uniq) / $(median volumist)")"
