#!/usr/bin/env bash
# Checks the installed layout and the Debian package, as a distribution's checks would.
#
#   scripts/install-check.sh BUILD_DIR
#
# Installs the build into a temporary DESTDIR under /usr and there: runs the installed volumist-cli
# on a sample folder (scan, volumes, ls) and the installed window program's --help; checks that the
# help page lies where the installed program looks for it; validates the desktop entry
# (desktop-file-validate), the AppStream data (appstreamcli validate --no-net), the type of volume
# files (xmllint, then update-mime-database on a tree of its own, which must give a volume file that
# type by its name and by its first bytes, as xdg-mime tells); renders each manual page (man -l) and fails on any
# warning; sources the bash completion and completes a command. Then it checks the package made by
# `make package` with lintian (no errors) and dpkg-deb (the same files as the DESTDIR install).
set -euo pipefail

build=$(realpath "${1:?usage: install-check.sh BUILD_DIR}")
source_dir=$(cd "$(dirname "$0")/.." && pwd)
for tool in desktop-file-validate appstreamcli xmllint update-mime-database xdg-mime mimetype man lintian dpkg-deb; do
  command -v "$tool" >/dev/null || { echo "install-check: needs $tool (scripts/install-deps.sh)" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/volumist-install-XXXXXX")
trap 'rm -rf "$work"' EXIT
root=$work/root
failures=0
fail() { echo "install-check: FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "install-check: ok: $*"; }

DESTDIR=$root cmake --install "$build" --prefix /usr >"$work/install.log"
usr=$root/usr
for path in bin/volumist bin/volumist-cli share/zarn-volumist/help.htm \
            share/applications/org.zarnvolumist.volumist.desktop share/metainfo/org.zarnvolumist.volumist.metainfo.xml \
            share/mime/packages/zarn-volumist.xml share/man/man1/volumist.1.gz share/man/man1/volumist-cli.1.gz \
            share/bash-completion/completions/volumist-cli share/zsh/vendor-completions/_volumist-cli \
            share/fish/vendor_completions.d/volumist-cli.fish share/icons/hicolor/scalable/apps/org.zarnvolumist.volumist.svg \
            share/icons/hicolor/48x48/apps/org.zarnvolumist.volumist.png share/icons/hicolor/256x256/apps/org.zarnvolumist.volumist.png \
            share/icons/hicolor/48x48/mimetypes/application-x-zarn-volumist-volume.png \
            share/doc/zarn-volumist/copyright share/doc/zarn-volumist/changelog.gz; do
  [[ -f $usr/$path ]] || fail "not installed: /usr/$path"
done
pass "installed files in place"

# The installed programs, with a home of their own.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share TZ=UTC
mkdir -p "$HOME" "$work/sample/docs" "$work/volumes"
printf 'first\n' >"$work/sample/a.txt"
printf 'second\n' >"$work/sample/docs/b.txt"
cli=$usr/bin/volumist-cli
if "$cli" --dir "$work/volumes" scan --quiet --name Sample --file sample.vkt "$work/sample" >"$work/scan.out" 2>&1 &&
   "$cli" --dir "$work/volumes" volumes | grep -q 'Sample' &&
   "$cli" ls "$work/volumes/sample.vkt" -R | grep -q 'docs/b.txt'; then
  pass "installed volumist-cli scans and lists a sample"
else
  fail "installed volumist-cli on a sample"; cat "$work/scan.out" >&2
fi
"$cli" --version | grep -q '^volumist-cli (Zarn Volumist) ' || fail "volumist-cli --version"
"$usr/bin/volumist" --help | grep -q '^Usage: volumist ' || fail "volumist --help"
"$usr/bin/volumist" --version | grep -q '^volumist (Zarn Volumist) ' || fail "volumist --version"
# The program looks for its data folder at ../share/zarn-volumist from its own folder.
[[ -f $usr/bin/../share/zarn-volumist/help.htm ]] || fail "help.htm not at ../share/zarn-volumist from bin/"

desktop-file-validate "$usr/share/applications/org.zarnvolumist.volumist.desktop" && pass "desktop entry" || fail "desktop entry"
appstreamcli validate --no-net --explain "$usr/share/metainfo/org.zarnvolumist.volumist.metainfo.xml" &&
  pass "AppStream data" || fail "AppStream data"

# The type of volume files, on a MIME tree of its own.
mime=$work/mime
mkdir -p "$mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$mime/packages/" 2>/dev/null || true
cp "$usr/share/mime/packages/zarn-volumist.xml" "$mime/packages/"
if xmllint --noout "$mime/packages/zarn-volumist.xml" && XDG_DATA_DIRS=$work update-mime-database "$mime" 2>"$work/mime.err" &&
   [[ ! -s $work/mime.err ]] && grep -q '^[0-9]*:application/x-zarn-volumist-volume:\*\.vkt$' "$mime/globs2" &&
   grep -qa 'QVCT-VF17A' "$mime/magic"; then
  pass "volume file type (glob and magic)"
else
  fail "volume file type"; cat "$work/mime.err" >&2 || true
fi

# What the desktop says of a volume file, by its name and, renamed, by its first bytes (xdg-mime
# asks the shared MIME database through File::MimeInfo when no desktop session runs).
if [[ -f $work/volumes/sample.vkt ]]; then
  cp "$work/volumes/sample.vkt" "$work/renamed.bin"
  for file in "$work/volumes/sample.vkt" "$work/renamed.bin"; do
    type=$(XDG_CURRENT_DESKTOP= XDG_DATA_DIRS=$work xdg-mime query filetype "$file" 2>&1 || true)
    [[ $type == application/x-zarn-volumist-volume ]] && pass "xdg-mime: $(basename "$file") is a volume" ||
      fail "xdg-mime gave '$type' for $(basename "$file")"
  done
fi

# Manual pages: rendered without a warning of groff or man.
for page in "$usr"/share/man/man1/*.1.gz; do
  if MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings=w -l "$page" >"$work/man.out" 2>"$work/man.err" &&
     [[ ! -s $work/man.err ]] && [[ -s $work/man.out ]]; then
    pass "manual page $(basename "$page")"
  else
    fail "manual page $(basename "$page")"; cat "$work/man.err" >&2
  fi
done

# Bash completion of the installed program.
completed=$(PATH=$usr/bin:$PATH bash -c '
  source "$1"
  complete -p volumist-cli >/dev/null || exit 1
  COMP_WORDS=(volumist-cli sc); COMP_CWORD=1
  _volumist_cli
  printf "%s\n" "${COMPREPLY[@]}"' bash "$usr/share/bash-completion/completions/volumist-cli")
[[ $completed == scan ]] && pass "bash completion" || fail "bash completion gave '$completed'"

# The package: lintian finds no error, and it holds what the DESTDIR install holds.
deb=$(ls -t "$build"/zarn-volumist_*.deb 2>/dev/null | head -n 1 || true)
if [[ -z $deb ]]; then
  fail "no package in $build (make package)"
else
  if lintian --fail-on error "$deb" >"$work/lintian.out" 2>&1; then
    pass "lintian $(basename "$deb")"
  else
    fail "lintian $(basename "$deb")"
  fi
  cat "$work/lintian.out"
  (cd "$root" && find . -type f | sed 's|^\./|/|' | sort) >"$work/installed.list"
  dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|' | grep -v '/$' | sort >"$work/package.list"
  if diff -u "$work/installed.list" "$work/package.list" >"$work/lists.diff"; then
    pass "the package holds the installed files"
  else
    fail "the package's files differ from the installed ones"; cat "$work/lists.diff" >&2
  fi
fi

if ((failures > 0)); then
  echo "install-check: $failures check(s) failed" >&2
  exit 1
fi
echo "install-check: all checks passed"
