#!/usr/bin/env bash
# Signatures of a ~1 GiB corpus (three files of 256 MiB and 5,000 small ones in 50 folders): our
# CRC-32 + eDonkey hash + MD5 in one read, against rhash computing CRC-32 + MD4 + MD5 in one read,
# rhash's eDonkey hash alone, and cat (the read itself), in interleaved rounds on a warm cache.
#
#   bench/signatures.sh [BUILD_DIR]      (ROUNDS=7, CORPUS=folder to use instead of a generated one)
set -euo pipefail
# Folders made by this run, removed at its end.
cleanup=()
trap 'rm -rf "${cleanup[@]}"' EXIT
build_dir=$(realpath "${1:-build}")
rounds=${ROUNDS:-7}
source "$(dirname "$0")/timing.sh"
command -v rhash >/dev/null || { echo "signatures.sh: rhash is missing (scripts/install-deps.sh)" >&2; exit 1; }

corpus=${CORPUS:-}
if [[ -z "$corpus" ]]; then
  corpus=$(mktemp -d)
  cleanup+=("$corpus")
  python3 - "$corpus" <<'PY'
import os, random, sys
root = sys.argv[1]
random.seed(1)
for i in range(3):
    with open(os.path.join(root, f"large{i}.bin"), "wb") as f:
        for _ in range(16):
            f.write(os.urandom(16 << 20))
for d in range(50):
    folder = os.path.join(root, f"small{d:02}")
    os.mkdir(folder)
    for n in range(100):
        with open(os.path.join(folder, f"f{n:03}.dat"), "wb") as f:
            f.write(os.urandom(random.randint(0, 100 << 10)))
PY
fi
bytes=$(find "$corpus" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
files=$(find "$corpus" -type f | wc -l)
find "$corpus" -type f -exec cat {} + >/dev/null  # warm the cache

scanned=$(mktemp -d)
cleanup+=("$scanned")
declare -A commands=(
  [volumist]="'$build_dir/signature_bench' '$corpus'"
  [volumist-scan]="XDG_CONFIG_HOME='$scanned' XDG_DATA_HOME='$scanned' '$build_dir/volumist-cli' scan --yes --no-archives --signatures --file '$scanned/v.vkt' '$corpus'"
  [rhash-crc32-md4-md5]="rhash --crc32 --md4 --md5 -r '$corpus'"
  [rhash-ed2k]="rhash --ed2k -r '$corpus'"
  [cat]="find '$corpus' -type f -exec cat {} +"
)
order=(volumist volumist-scan rhash-crc32-md4-md5 rhash-ed2k cat)
run_rounds "$rounds"

echo "corpus: $files files, $bytes bytes; median of $rounds interleaved rounds; load average $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-22s %9s %9s %9s\n' "" "wall" "MB/s" "CPU"
for name in "${order[@]}"; do
  m=$(median "$name")
  printf '%-22s %7.3f s %9.0f %7.3f s\n' "$name" "$m" "$(calc "$bytes / $m / 1000000")" "$(median "$name" cpu)"
done
printf 'volumist / rhash (CRC32+MD4+MD5 throughput): %.2fx\n' \
  "$(calc "$(median rhash-crc32-md4-md5) / $(median volumist)")"
printf 'a whole scan with signatures / rhash: %.2fx\n' \
  "$(calc "$(median rhash-crc32-md4-md5) / $(median volumist-scan)")"
