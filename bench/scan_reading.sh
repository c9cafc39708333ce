#!/usr/bin/env bash
# What following a scan's reading costs the scan: the byte count and the mark of the file being read,
# which the progress line shows. 50,000 empty files with every signature on, so the cost per file is
# all there is to see; the same scan by another build of volumist-cli (BASE_CLI, one without them),
# and rhash with CRC-32, MD4 and MD5 over the same files as the peer. Interleaved rounds, warm cache.
#
#   BASE_CLI=/path/to/other/volumist-cli bench/scan_reading.sh [BUILD_DIR] [ROUNDS]
set -euo pipefail
build=$(realpath "${1:-build}")
rounds=${2:-9}
base=${BASE_CLI:?BASE_CLI names the volumist-cli to compare with}
source "$(dirname "$0")/timing.sh"
command -v rhash >/dev/null || { echo "scan_reading.sh: rhash is missing (scripts/install-deps.sh)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/make_tree_tool" "$work/tree" 500 100
scan() { echo "XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data $1 scan --yes --signatures --no-archives --file $work/v.vkt $work/tree"; }

declare -A commands=(
  [volumist]="$(scan "$build/volumist-cli")"
  [base]="$(scan "$base")"
  [rhash]="rhash --crc32 --md4 --md5 -r $work/tree"
)
order=(volumist base rhash)
run_rounds 2  # warm the cache
reset_rounds
run_rounds "$rounds"
echo "50,000 empty files, every signature; median of $rounds interleaved rounds, load average $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-10s %9s %9s\n' "" "wall" "CPU"
for name in "${order[@]}"; do
  printf '%-10s %7.3f s %7.3f s\n' "$name" "$(median "$name")" "$(median "$name" cpu)"
done
printf 'volumist / base = %.3f (wall), %.3f (CPU)\n' "$(calc "$(median volumist) / $(median base)")" \
  "$(calc "$(median volumist cpu) / $(median base cpu)")"
printf 'rhash / volumist = %.2f\n' "$(calc "$(median rhash) / $(median volumist)")"
