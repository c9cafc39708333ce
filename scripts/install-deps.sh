#!/usr/bin/env bash
# Installs what building, testing and running need on Debian 12, and nothing that is already there.
# Idempotent: a second run finds every package present and does nothing. Runs apt-get update at most
# once per call. Needs root (or sudo) only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  zlib1g-dev
)

# Extra groups, selected by the caller: "bench" adds the peers that the benchmarks compare against.
for group in "$@"; do
  case "$group" in
    bench) packages+=(hyperfine findutils) ;;
    *) echo "install-deps: unknown group '$group'" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "install-deps: installing ${missing[*]}" >&2
as_root=()
if [[ $(id -u) -ne 0 ]]; then
  if command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
  else
    echo "install-deps: these packages are missing and this is not root: ${missing[*]}" >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
