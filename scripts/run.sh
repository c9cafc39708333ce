#!/usr/bin/env bash
# Starts the program from a build folder. Until the window exists this shows the command-line tool
# at work on a small sample volume.
set -euo pipefail
build_dir=${1:-build}
cli="$build_dir/volumist-cli"

sample=$(mktemp -d)
trap 'rm -rf "$sample"' EXIT
"$build_dir/make_seeds" "$sample"
volume="$sample/two-sources.vkt"

echo "== volumist-cli info $volume"
"$cli" info "$volume"
echo
echo "== volumist-cli ls -R $volume"
"$cli" ls "$volume" -R
echo
echo "See 'volumist-cli --help' for every command."
