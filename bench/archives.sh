#!/usr/bin/env bash
# Archive listing: one ZIP and one TAR of the same tree of 100,000 files in 1,000 folders (made by
# zip and tar), and the TAR compressed by gzip, zstd and xz, listed by us (directory read and
# written into a volume) and by bsdtar -tvf, unzip -l and GNU tar -tvf (with -z, --zstd, -J), in
# interleaved rounds on a warm cache. `gzip -dc` and `zstd -dc` to /dev/null show what inflating
# alone costs.
#
#   bench/archives.sh [BUILD_DIR]        (ROUNDS=7, ARCHIVES=folder holding big.zip and big.tar from an
#                                         earlier run, instead of making them again; the compressed
#                                         TARs are made there when missing)
set -euo pipefail
# Folders made by this run, removed at its end.
cleanup=()
trap 'rm -rf "${cleanup[@]}"' EXIT
build_dir=$(realpath "${1:-build}")
rounds=${ROUNDS:-7}
source "$(dirname "$0")/timing.sh"
for tool in zip unzip tar bsdtar gzip zstd xz; do
  command -v $tool >/dev/null || { echo "archives.sh: $tool is missing (scripts/install-deps.sh bench)" >&2; exit 1; }
done

work=${ARCHIVES:-}
if [[ -z "$work" ]]; then
work=$(mktemp -d)
cleanup+=("$work")
python3 - "$work/tree" <<'PY'
import os, random, sys
root = sys.argv[1]
random.seed(2)
for d in range(1000):
    folder = os.path.join(root, f"folder{d // 100:02}", f"sub{d:03}")
    os.makedirs(folder)
    for n in range(100):
        with open(os.path.join(folder, f"file{n:03}.txt"), "wb") as f:
            f.write(b"x" * random.randint(0, 200))
PY
(cd "$work" && zip -q -r -0 big.zip tree && tar cf big.tar tree)
fi
[[ -f "$work/big.tar.gz" ]] || gzip -c "$work/big.tar" >"$work/big.tar.gz"
[[ -f "$work/big.tar.zst" ]] || zstd -q -c "$work/big.tar" >"$work/big.tar.zst"
[[ -f "$work/big.tar.xz" ]] || xz -c -T1 "$work/big.tar" >"$work/big.tar.xz"
entries=$(unzip -Z1 "$work/big.zip" | wc -l)
# A folder holding only the ZIP, and one holding only the TAR, for scans that list them.
scanned=$(mktemp -d)
cleanup+=("$scanned")
mkdir -p "$scanned/zip" "$scanned/tar"
ln -f "$work/big.zip" "$scanned/zip/big.zip" 2>/dev/null || cp "$work/big.zip" "$scanned/zip/big.zip"
ln -f "$work/big.tar" "$scanned/tar/big.tar" 2>/dev/null || cp "$work/big.tar" "$scanned/tar/big.tar"
scan="XDG_CONFIG_HOME='$scanned' XDG_DATA_HOME='$scanned' '$build_dir/volumist-cli' scan --yes --archives --file '$scanned/v.vkt'"

declare -A commands=(
  [volumist-zip]="'$build_dir/archive_listing_bench' '$work/big.zip'"
  [scan-zip]="$scan '$scanned/zip'"
  [scan-tar]="$scan '$scanned/tar'"
  [bsdtar-zip]="bsdtar -tvf '$work/big.zip'"
  [unzip-l]="unzip -l '$work/big.zip'"
  [volumist-tar]="'$build_dir/archive_listing_bench' '$work/big.tar'"
  [bsdtar-tar]="bsdtar -tvf '$work/big.tar'"
  [volumist-tgz]="'$build_dir/archive_listing_bench' '$work/big.tar.gz'"
  [tar-tzvf]="tar tzvf '$work/big.tar.gz'"
  [gzip-dc]="gzip -dc '$work/big.tar.gz'"
  [volumist-tzst]="'$build_dir/archive_listing_bench' '$work/big.tar.zst'"
  [tar-zstd-tvf]="tar --zstd -tvf '$work/big.tar.zst'"
  [zstd-dc]="zstd -dc '$work/big.tar.zst'"
  [volumist-txz]="'$build_dir/archive_listing_bench' '$work/big.tar.xz'"
  [tar-tJvf]="tar tJvf '$work/big.tar.xz'"
)
order=(volumist-zip scan-zip bsdtar-zip unzip-l volumist-tar scan-tar bsdtar-tar
       volumist-tgz tar-tzvf gzip-dc volumist-tzst tar-zstd-tvf zstd-dc volumist-txz tar-tJvf)
run_rounds "$rounds"

echo "$entries entries in each archive; median of $rounds interleaved rounds; load average $(cut -d' ' -f1-3 /proc/loadavg)"
ls -l "$work"/big.tar* | awk '{ print $5, $9 }'
printf '%-14s %9s %9s\n' "" "wall" "CPU"
for name in "${order[@]}"; do printf '%-14s %7.3f s %7.3f s\n' "$name" "$(median "$name")" "$(median "$name" cpu)"; done
printf 'ZIP: bsdtar / volumist %.1fx, unzip -l / volumist %.1fx\n' \
  "$(calc "$(median bsdtar-zip) / $(median volumist-zip)")" \
  "$(calc "$(median unzip-l) / $(median volumist-zip)")"
printf 'TAR: bsdtar / volumist %.1fx\n' "$(calc "$(median bsdtar-tar) / $(median volumist-tar)")"
printf 'compressed TAR: tar tzvf / volumist %.2fx (gzip -dc alone: %.3f s), tar --zstd / volumist %.2fx, tar tJvf / volumist %.2fx\n' \
  "$(calc "$(median tar-tzvf) / $(median volumist-tgz)")" "$(median gzip-dc)" \
  "$(calc "$(median tar-zstd-tvf) / $(median volumist-tzst)")" "$(calc "$(median tar-tJvf) / $(median volumist-txz)")"
printf 'whole scans: ZIP bsdtar / scan %.1fx, TAR bsdtar / scan %.1fx\n' \
  "$(calc "$(median bsdtar-zip) / $(median scan-zip)")" "$(calc "$(median bsdtar-tar) / $(median scan-tar)")"
