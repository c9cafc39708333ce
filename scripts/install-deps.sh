#!/usr/bin/env bash
# Installs what building, testing and running need on Debian 12, and nothing that is already there.
# Idempotent: a second run finds every package present and does nothing. Runs apt-get update at most
# once per call. Needs root (or sudo) only when something is missing.
set -euo pipefail

packages=(
  # building and testing
  build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev locales libxml2-utils
  # JSON written by the command line (a library, so every document parses), and a parser to read
  # it back as any reader does; CSV read back by Python's csv module
  nlohmann-json3-dev jq python3
  # time zones with summer time and odd offsets, for the tests of local times
  tzdata
  # catalog and signatures; compressed TAR archives (gzip, xz, bzip2, zstd)
  zlib1g-dev liblzma-dev libbz2-dev libzstd-dev
  # drives: labels and UUIDs of file systems
  libblkid-dev
  # archives made by real tools for cross-checks, and digests to compare with
  zip unzip arj gcab jlha-utils rhash cksfv tar gzip xz-utils bzip2 zstd
  # picture codecs, and producers of real media files for cross-checks
  libturbojpeg0-dev libjpeg62-turbo-dev libpng-dev libtiff-dev libgif-dev imagemagick lame sox
  # metafiles written as drawing programs export them
  libuemf-dev
  # the window program: Qt 6 Widgets and its SVG icons; Xvfb (with xauth, only recommended by it)
  # for the screenshots; the desktop's launcher, session bus and a font for tests and pictures
  qt6-base-dev qt6-svg-dev xvfb xauth xdg-utils dbus fonts-dejavu-core
  # installing: icon pictures from SVG, the Debian package and the checks of the installed files
  # (desktop entry, AppStream data, file types, manual pages, package rules, shell completion)
  librsvg2-bin dpkg-dev fakeroot file desktop-file-utils appstream shared-mime-info man-db groff-base lintian
  bash-completion libfile-mimeinfo-perl fish
)

# Extra groups, selected by the caller: "bench" adds the peers that the benchmarks compare against.
for group in "$@"; do
  case "$group" in
    # The tools the benchmarks compare against.
    # (wmf2gd of libwmf-bin needs the URW fonts even for drawings without text.)
    bench) packages+=(time python3 hyperfine findutils ncdu fd-find libarchive-tools libvips-tools graphicsmagick mediainfo plocate
                      libwmf-bin fonts-urw-base35) ;;
    *) echo "install-deps: unknown group '$group'" >&2; exit 2 ;;
  esac
done

# A locale with a decimal comma, so that tests can prove number formats ignore the locale.
need_locale() { ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; }

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
if [[ ${#missing[@]} -eq 0 ]] && ! need_locale; then exit 0; fi

as_root=()
if [[ $(id -u) -ne 0 ]]; then
  if command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
  else
    echo "install-deps: needs root (or sudo) to install: ${missing[*]} (and the de_DE.UTF-8 locale)" >&2
    exit 1
  fi
fi
if [[ ${#missing[@]} -gt 0 ]]; then
  echo "install-deps: installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  "${as_root[@]}" apt-get update -qq
  "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
if need_locale; then
  echo "install-deps: generating the de_DE.UTF-8 locale" >&2
  "${as_root[@]}" sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | "${as_root[@]}" tee -a /etc/locale.gen >/dev/null
  "${as_root[@]}" locale-gen >/dev/null
fi
