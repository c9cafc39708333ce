#!/usr/bin/env bash
# Scan speed against the tools people use to walk a tree, in the same run, interleaved, warm cache:
# a scan with every analyser off, ncdu, find and fd (names only, and with each entry's status as a
# changed-time filter makes it read), and the bare reference walks. Then the peak memory of scans of
# the tree and of a generated tree ten times larger.
#
#   bench/scan.sh [BUILD_DIR] [ROOT] [ROUNDS]      (BIG=0 leaves out the generated tree)
set -euo pipefail
build=$(realpath "${1:-build}")
root=${2:-/usr}
rounds=${3:-15}
source "$(dirname "$0")/timing.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cli="$build/volumist-cli"
scan="XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data $cli scan --yes --no-archives --file $work/v.vkt"
fd=$(command -v fdfind || command -v fd)

declare -A commands=(
  [volumist]="$scan $root"
  [ncdu]="ncdu -0 -x -o /dev/null $root"
  [find]="find $root -printf '%s %T@ %p\n'"
  [fd]="$fd -H -I -u . $root"
  [fd-stat]="$fd -H -I -u --changed-before 2100-01-01 . $root"
  [walk1]="$build/bare_walk_tool getdents $root"
  [walk2]="$build/bare_walk_tool getdents2 $root"
)
order=(volumist ncdu find fd fd-stat walk1 walk2)

entries=$("$build/bare_walk_tool" getdents "$root")
run_rounds 2  # warm the cache
reset_rounds
run_rounds "$rounds"
echo "scan of $root ($entries entries), median of $rounds interleaved rounds, warm cache, load average $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-10s %9s %9s %10s\n' "" "wall" "CPU" "peak RSS"
for name in "${order[@]}"; do
  printf '%-10s %7.3f s %7.3f s %7d KiB\n' "$name" "$(median "$name")" "$(median "$name" cpu)" "$(median "$name" peak | cut -d. -f1)"
done
for name in ncdu find fd fd-stat walk1 walk2; do
  printf '%s / volumist = %.2f\n' "$name" "$(calc "$(median "$name") / $(median volumist)")"
done

if [[ "${BIG:-1}" == 1 ]]; then
  big="$work/big"
  "$build/make_tree_tool" "$big" $(( entries / 10 )) 100
  bigEntries=$("$build/bare_walk_tool" getdents "$big")
  declare -A commands=([volumist-big]="$scan $big")
  order=(volumist-big)
  reset_rounds
  run_rounds 3
  echo "generated tree of $bigEntries entries: scan $(median volumist-big) s, peak RSS $(median volumist-big peak | cut -d. -f1) KiB"
fi
