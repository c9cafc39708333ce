#!/usr/bin/env bash
# Pictures of the windows for docs/screenshots: makes a sample volume directory with volumist-cli
# (the project's own folders as volumes), then runs volumist-screenshots under Xvfb at 1366 x 768,
# which builds the main window over it, loads a volume, starts a scan and saves PNG files.
set -euo pipefail
build_dir=${1:-build}
here=$(cd "$(dirname "$0")/.." && pwd)
cli="$build_dir/volumist-cli"
out="$here/docs/screenshots"
mkdir -p "$out"

sample=$(mktemp -d)
trap 'rm -rf "$sample"' EXIT
export XDG_CONFIG_HOME="$sample/config" XDG_DATA_HOME="$sample/data" XDG_RUNTIME_DIR="$sample/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
"$cli" scan --name "Project sources" --file sources.vkt --signatures "Sources=$here/src" >/dev/null
"$cli" scan --name "Documents" --file documents.vkt "Docs=$here/docs" >/dev/null
"$cli" scan --name "Tests and fixtures" --file tests.vkt "Tests=$here/tests" >/dev/null
"$cli" scan --name "Shared data" --file shared.vkt "Share=/usr/share/doc" >/dev/null
"$cli" describe sources.vkt "" "The program's own source folders, scanned for the screenshots." >/dev/null || true

unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1366x768x24" "$build_dir/volumist-screenshots" "$out" /usr/share
