#!/usr/bin/env bash
# Scan speed against the tools people use to walk a tree, in the same run, interleaved, warm cache:
# a scan with every analyser off, ncdu, find and fd, and the bare reference walks. Then the peak
# memory of a scan of the tree and of a generated tree ten times larger.
#
#   bench/scan.sh [BUILD_DIR] [ROOT] [RUNS]
set -euo pipefail
build=$(realpath "${1:-build}")
root=${2:-/usr}
runs=${3:-15}
here=$(dirname "$0")
source "$here/lib.sh"

work=$(mktemp -d)
trap 'rm -rf "$work" "$BENCH_TIMES"' EXIT
cli="$build/volumist-cli"
scan="XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data $cli scan --yes --no-archives --file $work/v.vkt $root"
fd=$(command -v fdfind || command -v fd)

declare -A COMMANDS=(
  [volumist]="$scan"
  [ncdu]="ncdu -0 -x -o /dev/null $root"
  [find]="find $root -printf '%s %T@ %p\n'"
  [fd]="$fd -H -I -u . $root"
  [walk1]="$build/bare_walk_tool getdents $root"
  [walk2]="$build/bare_walk_tool getdents2 $root"
)
ORDER=(volumist ncdu find fd walk1 walk2)

entries=$("$build/bare_walk_tool" getdents "$root")
echo "scan of $root ($entries entries), median of $runs interleaved runs, warm cache"
interleave 2 >/dev/null  # warm the cache
rm -f "$BENCH_TIMES"/*.all
interleave "$runs"
for name in "${ORDER[@]}"; do printf '%-10s %6.3f s  peak %6d KiB\n' "$name" "$(median "$name")" "$(peak "$name")"; done
ours=$(median volumist)
for name in ncdu find fd walk2; do
  awk -v a="$(median "$name")" -v b="$ours" -v n="$name" 'BEGIN { printf "%s / volumist = %.2f\n", n, a / b }'
done

if [[ "${BIG:-1}" == 1 ]]; then
  big="$work/big"
  folders=$(( entries * 10 / 101 ))
  "$build/make_tree_tool" "$big" "$folders" 100
  bigEntries=$("$build/bare_walk_tool" getdents "$big")
  /usr/bin/time -f "%e %M" -o "$work/big.time" bash -c "XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data $cli scan --yes --no-archives --file $work/big.vkt $big" >/dev/null
  read -r seconds kib <"$work/big.time"
  echo "generated tree: $bigEntries entries, scan $seconds s, peak $kib KiB"
fi
