#!/usr/bin/env bash
# Starts the window program from a build folder. Without a display (neither DISPLAY nor
# WAYLAND_DISPLAY set) it says so in one line and shows the command-line tool at work instead: it
# scans the project's own sources into a sample volume folder and lists the result.
set -euo pipefail
build_dir=${1:-build}
cli="$build_dir/volumist-cli"
here=$(cd "$(dirname "$0")/.." && pwd)

if [[ -n ${DISPLAY:-} || -n ${WAYLAND_DISPLAY:-} ]]; then
  exec "$build_dir/volumist"
fi
echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): showing volumist-cli on a sample instead."

sample=$(mktemp -d)
trap 'rm -rf "$sample"' EXIT
export XDG_CONFIG_HOME="$sample/config" XDG_DATA_HOME="$sample/data"

echo "== volumist-cli scan --name Sample Docs=docs Sources=src"
"$cli" scan --name Sample --signatures --audio --video --images "Docs=$here/docs" "Sources=$here/src"
echo
echo "== volumist-cli volumes"
"$cli" volumes
echo
echo "== volumist-cli info Sample.vkt"
"$cli" info Sample.vkt
echo
echo "== volumist-cli ls Sample.vkt Docs"
"$cli" ls Sample.vkt Docs
echo
echo "See 'volumist-cli --help' for every command."
