#!/usr/bin/env bash
# Verifying a disk against its volume: a 1 GiB tree of 300 files of mixed sizes (20 of 32 MiB, 80 of
# 4 MiB, 200 of 0 to 256 KiB, random bytes, in 10 folders), scanned once with MD5 signatures and
# once with all three (CRC-32, eDonkey, MD5). `volumist-cli verify` reads every file again and
# checks every signature its volume holds; the peer is `md5sum -c` of an MD5 list written from the
# same tree, run in the tree's root. Interleaved rounds on a warm page cache, then (as root, when
# /proc/sys/vm/drop_caches can be written) rounds with the page cache dropped before each command.
#
#   bench/verify.sh [BUILD_DIR]      (ROUNDS=5, COLD_ROUNDS=3, TREE=folder to use instead of a generated one)
set -euo pipefail
# Folders made by this run, removed at its end.
cleanup=()
trap 'rm -rf "${cleanup[@]}"' EXIT
build_dir=$(realpath "${1:-build}")
rounds=${ROUNDS:-5}
cold_rounds=${COLD_ROUNDS:-3}
source "$(dirname "$0")/timing.sh"
command -v md5sum >/dev/null || { echo "verify.sh: md5sum is missing" >&2; exit 1; }

tree=${TREE:-}
if [[ -z "$tree" ]]; then
  tree=$(mktemp -d)
  cleanup+=("$tree")
  python3 - "$tree" <<'PY'
import os, random, sys
root = sys.argv[1]
random.seed(3)
sizes = [32 << 20] * 20 + [4 << 20] * 80 + [random.randint(0, 256 << 10) for _ in range(200)]
random.shuffle(sizes)
for i, size in enumerate(sizes):
    folder = os.path.join(root, f"folder{i % 10}")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, f"file{i:03}.bin"), "wb") as f:
        f.write(os.urandom(size))
PY
fi
tree=$(realpath "$tree")
bytes=$(find "$tree" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
files=$(find "$tree" -type f | wc -l)

work=$(mktemp -d)
cleanup+=("$work")
cli="XDG_CONFIG_HOME='$work' XDG_DATA_HOME='$work' '$build_dir/volumist-cli'"
bash -c "$cli scan --yes --quiet --no-archives --signatures=md5 --file '$work/md5.vkt' '$tree'" >/dev/null
bash -c "$cli scan --yes --quiet --no-archives --signatures --file '$work/all.vkt' '$tree'" >/dev/null
(cd "$tree" && find . -type f -print0 | sort -z | xargs -0 md5sum) >"$work/list.md5"
# Both must find everything in order before anything is timed.
bash -c "$cli verify --quiet '$work/md5.vkt'" >/dev/null
bash -c "$cli verify --quiet '$work/all.vkt'" >/dev/null
(cd "$tree" && md5sum -c --quiet "$work/list.md5")

declare -A commands=(
  [verify-md5]="$cli verify --quiet '$work/md5.vkt'"
  [verify-all]="$cli verify --quiet '$work/all.vkt'"
  [md5sum-c]="cd '$tree' && md5sum -c --quiet '$work/list.md5'"
)
order=(verify-md5 verify-all md5sum-c)

report() {
  local label=$1 count=$2
  echo "$label: $files files, $bytes bytes; median of $count interleaved rounds; load average $(cut -d' ' -f1-3 /proc/loadavg)"
  printf '%-12s %9s %9s %9s\n' "" "wall" "MB/s" "CPU"
  for name in "${order[@]}"; do
    m=$(median "$name")
    printf '%-12s %7.3f s %9.0f %7.3f s\n' "$name" "$m" "$(calc "$bytes / $m / 1000000")" "$(median "$name" cpu)"
  done
  printf 'md5sum -c / verify (MD5 volume): %.2fx\n' "$(calc "$(median md5sum-c) / $(median verify-md5)")"
  printf 'md5sum -c / verify (all three signatures): %.2fx\n' "$(calc "$(median md5sum-c) / $(median verify-all)")"
}

find "$tree" -type f -exec cat {} + >/dev/null  # warm the cache
run_rounds "$rounds"
report "warm cache" "$rounds"

if [[ -w /proc/sys/vm/drop_caches ]] && ((cold_rounds > 0)); then
  reset_rounds
  saved=("${order[@]}")
  for ((round = 1; round <= cold_rounds; round++)); do
    for name in "${saved[@]}"; do
      sync
      echo 3 >/proc/sys/vm/drop_caches
      order=("$name")
      run_rounds 1
    done
  done
  order=("${saved[@]}")
  report "cold cache (dropped before each command)" "$cold_rounds"
fi
