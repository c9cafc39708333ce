# Shared by the benchmark scripts (sourced): runs commands in interleaved rounds and reports the
# median wall time and the median CPU time (user + system, all threads) of each.
#
#   declare -A commands=([name]="command line" ...); order=(name ...)
#   run_rounds ROUNDS        fills times[name] and cpu_times[name] with the times in seconds
#   median NAME [cpu]        prints the median wall (or CPU) time of NAME

declare -A times=()
declare -A cpu_times=()

# Floating-point arithmetic: calc "1.5 / 3".
calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }

run_rounds() {
  local rounds=$1 round name measured real user sys
  local TIMEFORMAT='%R %U %S'
  for ((round = 1; round <= rounds; round++)); do
    for name in "${order[@]}"; do
      measured=$( { time bash -c "${commands[$name]}" >/dev/null 2>&1; } 2>&1 )
      read -r real user sys <<<"$measured"
      times[$name]+="$real "
      cpu_times[$name]+="$(calc "$user + $sys") "
    done
  done
}

median() {
  local values=${times[$1]}
  [[ "${2:-}" == cpu ]] && values=${cpu_times[$1]}
  tr ' ' '\n' <<<"$values" | grep -v '^$' | sort -g | awk '{ v[NR] = $1 } END { printf "%.3f", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
