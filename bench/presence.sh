#!/usr/bin/env bash
# Which volumes are present: `volumist-cli volumes` over a volume directory of 1,000 volume files
# (each header and source list read, the mount table read once, every source checked), in the same
# run as `findmnt --json` (one read of the mount table, printed) and `ls -l` of the same directory
# (one status read per file), with hyperfine. One volume's folder exists, the others do not.
#
#   bench/presence.sh [BUILD_DIR]     (RUNS=21; VOLUMES=1000 FILES=10; ROOT=/usr/share/doc)
set -euo pipefail
build=$(realpath "${1:-build}")
runs=${RUNS:-21}
volumes=${VOLUMES:-1000}
files=${FILES:-10}
command -v hyperfine >/dev/null || { echo "presence.sh: hyperfine is missing (scripts/install-deps.sh bench)" >&2; exit 1; }
command -v jq >/dev/null || { echo "presence.sh: jq is missing" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
corpus="$work/volumes"
mkdir -p "$corpus" "$work/here" "$work/home"
"$build/make_volumes_tool" "${ROOT:-/usr/share/doc}" "$corpus" "$volumes" "$files"
echo "a file" >"$work/here/a.txt"
cli="env XDG_CONFIG_HOME=$work/home XDG_DATA_HOME=$work/home $build/volumist-cli --dir $corpus"
$cli scan --quiet --name Here --file here.vkt "$work/here" >/dev/null

count=$($cli volumes | wc -l)
present=$($cli volumes --json | jq -r 'select(.presence == "present") | .file' | wc -l)
hyperfine -N --style basic --warmup 3 --runs "$runs" --export-json "$work/times.json" \
  -n volumes "$cli volumes" \
  -n volumes-json "$cli volumes --json" \
  -n findmnt "findmnt --json" \
  -n ls-l "ls -l $corpus" >/dev/null

echo "$count volume files ($present present); median of $runs runs after 3 warm-ups; load average $(cut -d' ' -f1-3 /proc/loadavg)"
jq -r '.results[] | [.command, (.median * 1000), (.min * 1000), (.max * 1000)] | @tsv' "$work/times.json" |
  awk -F'\t' '{ printf "%-14s median %7.2f ms   min %7.2f ms   max %7.2f ms\n", $1, $2, $3, $4 }'
jq -r '[.results[] | {(.command): .median}] | add | "volumes / findmnt: \(.volumes / .findmnt * 100 | round / 100)x, volumes / ls -l: \(.volumes / ."ls-l" * 100 | round / 100)x"' "$work/times.json"
