#!/usr/bin/env bash
# Rescan against a plain scan of the same tree: a generated tree of FOLDERS x FILES empty files
# (1,000,000 by default) is scanned into a volume, every 100th file of it described (10,000
# descriptions), then, ROUNDS times and interleaved, a new plain scan of the tree into a second
# volume file and a rescan of the described volume (which walks the tree again, compares it with
# the old one and carries every description over). Prints the median wall time of each and their
# ratio.
#
#   bench/rescan.sh BUILD_DIR [ROUNDS] [FOLDERS] [FILES]
set -euo pipefail

build=$(realpath "${1:?usage: rescan.sh BUILD_DIR [ROUNDS] [FOLDERS] [FILES]}")
rounds=${2:-5}
folders=${3:-1000}
files=${4:-1000}
cli=$build/volumist-cli
for tool in "$cli" "$build/make_tree_tool" "$build/describe_every_tool"; do
  [[ -x "$tool" ]] || { echo "rescan.sh: no $tool (build with -DVOLUMIST_BENCH=ON)" >&2; exit 2; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/volumist-rescan-XXXXXX")
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data

"$build/make_tree_tool" "$work/tree" "$folders" "$files"
"$cli" scan --yes --quiet --no-archives --name Described --file "$work/described.vkt" "$work/tree" >/dev/null
"$build/describe_every_tool" "$work/described.vkt" 100

now() { date +%s%N; }
plain=()
rescan=()
for ((round = 0; round < rounds; round++)); do
  start=$(now)
  "$cli" scan --yes --quiet --no-archives --name Plain --file "$work/plain.vkt" "$work/tree" >/dev/null
  plain+=($(( $(now) - start )))
  start=$(now)
  "$cli" rescan --quiet "$work/described.vkt" > "$work/report.txt"
  rescan+=($(( $(now) - start )))
done
grep -q '^descriptions carried: ' "$work/report.txt" && grep '^descriptions' "$work/report.txt"
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
p=$(median "${plain[@]}")
r=$(median "${rescan[@]}")
awk -v p="$p" -v r="$r" -v n=$((folders * files)) 'BEGIN {
  printf "entries: %d files\nplain scan: %.3f s\nrescan: %.3f s\nrescan / plain: %.2f\n", n, p / 1e9, r / 1e9, r / p }'
