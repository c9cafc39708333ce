# Shared by the benchmark scripts (sourced): runs commands in interleaved rounds and reports the
# median wall time of each.
#
#   declare -A commands=([name]="command line" ...); order=(name ...)
#   run_rounds ROUNDS        fills times[name] with the sorted times in seconds
#   median NAME              prints the median of times[NAME]

declare -A times=()

now() { date +%s.%N; }
# Floating-point arithmetic: calc "1.5 / 3".
calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }

run_rounds() {
  local rounds=$1 round name start end
  for ((round = 1; round <= rounds; round++)); do
    for name in "${order[@]}"; do
      start=$(now)
      bash -c "${commands[$name]}" >/dev/null
      end=$(now)
      times[$name]+="$(calc "$end - $start") "
    done
  done
}

median() {
  tr ' ' '\n' <<<"${times[$1]}" | grep -v '^$' | sort -g | awk '{ v[NR] = $1 } END { printf "%.3f", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
