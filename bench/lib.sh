# Shared by the benchmark scripts: interleaved timing of several commands and their medians.
#
#   declare -A COMMANDS=([name]="command line" ...)   ORDER=(name ...)
#   interleave RUNS      runs every command RUNS times, round-robin, one run of each per round
#   median NAME          the median wall time of NAME in seconds
#   peak NAME            the median peak resident memory of NAME in KiB

BENCH_TIMES=$(mktemp -d)
trap 'rm -rf "$BENCH_TIMES"' EXIT

interleave() {
  local runs=$1 round name
  for ((round = 1; round <= runs; round++)); do
    for name in "${ORDER[@]}"; do
      /usr/bin/time -f "%e %M" -o "$BENCH_TIMES/$name.last" bash -c "${COMMANDS[$name]}" >/dev/null 2>&1 || {
        echo "bench: '$name' failed: ${COMMANDS[$name]}" >&2
        return 1
      }
      cat "$BENCH_TIMES/$name.last" >>"$BENCH_TIMES/$name.all"
    done
  done
}

column_median() {
  sort -g -k"$2" "$BENCH_TIMES/$1.all" | awk -v col="$2" '{ v[NR] = $col } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
median() { column_median "$1" 1; }
peak() { column_median "$1" 2; }
