#!/usr/bin/env bash
# Searching a catalog of 200 volumes holding 10,000,000 files (folders and names of a real tree,
# made once by make_volumes_tool) with `volumist-cli search --all`, for a substring mask and for a
# size criterion, in the same run as grep -c over a text list of the same 10,000,000 paths and
# plocate over an index of them. (Counts go through a pipe: GNU grep stops at the first match when its
# output is /dev/null.)
#
#   bench/search.sh [BUILD_DIR]     (ROUNDS=7; SEARCH_CORPUS=folder to keep the catalog in between
#                                    runs; VOLUMES=200 FILES=50000; ROOT=/usr, where names come from)
set -euo pipefail
build=$(realpath "${1:-build}")
rounds=${ROUNDS:-7}
volumes=${VOLUMES:-200}
files=${FILES:-50000}
source "$(dirname "$0")/timing.sh"
command -v plocate-build >/dev/null || { echo "search.sh: plocate is missing (scripts/install-deps.sh bench)" >&2; exit 1; }

corpus=${SEARCH_CORPUS:-}
cleanup=()
trap 'rm -rf "${cleanup[@]}"' EXIT
if [[ -z "$corpus" ]]; then
  corpus=$(mktemp -d)
  cleanup+=("$corpus")
fi
if [[ ! -f "$corpus/done" ]]; then
  echo "search.sh: making $volumes volumes of $files files (once)" >&2
  "$build/make_volumes_tool" "${ROOT:-/usr}" "$corpus" "$volumes" "$files"
  plocate-build -l no -p "$corpus/names.txt" "$corpus/plocate.db"
  touch "$corpus/done"
fi
home=$(mktemp -d)
cleanup+=("$home")
cli="XDG_CONFIG_HOME=$home XDG_DATA_HOME=$home $build/volumist-cli --dir $corpus search --all --max 100000"
word=${WORD:-config}

declare -A commands=(
  [volumist-substring]="$cli '*$word*'"
  [volumist-size]="$cli --size '>=50M' '*'"
  [grep-substring]="grep -c -F '$word' '$corpus/paths.txt' | cat"
  [awk-size]="awk '\$1 >= 52428800 { n++ } END { print n }' '$corpus/paths.txt' | cat"
  [plocate]="plocate -d '$corpus/plocate.db' -c '$word' | cat"
)
order=(volumist-substring volumist-size grep-substring awk-size plocate)
cat "$corpus"/*.vkt "$corpus/paths.txt" >/dev/null  # warm the cache
run_rounds "$rounds"

records=$(( volumes * files ))
echo "$volumes volumes, $records files; list of paths $(stat -c %s "$corpus/paths.txt") bytes; median of $rounds interleaved rounds; load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "results: substring $(bash -c "$cli '*$word*'" | wc -l), size $(bash -c "$cli --size '>=50M' '*'" | wc -l); grep lines $(grep -c -F "$word" "$corpus/paths.txt")"
printf '%-20s %9s %9s %14s\n' "" "wall" "CPU" "records/s"
for name in "${order[@]}"; do
  m=$(median "$name")
  printf '%-20s %7.3f s %7.3f s %14.0f\n' "$name" "$m" "$(median "$name" cpu)" "$(calc "$records / $m")"
done
printf 'grep / volumist (substring): %.2fx\n' "$(calc "$(median grep-substring) / $(median volumist-substring)")"
