# Shared by the benchmark scripts (sourced): runs commands in interleaved rounds and reports the
# median wall time, CPU time (user + system, all threads) and peak resident memory of each.
#
#   declare -A commands=([name]="command line" ...); order=(name ...)
#   run_rounds ROUNDS        runs every command once per round, in `order`
#   median NAME [cpu|peak]   prints the median wall time of NAME in seconds (or CPU seconds, or peak
#                            resident memory in KiB)
#   reset_rounds             forgets what was measured (after warming the cache)

declare -A times=()
declare -A cpu_times=()
declare -A peaks=()

# Floating-point arithmetic: calc "1.5 / 3".
calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }

reset_rounds() {
  times=()
  cpu_times=()
  peaks=()
}

run_rounds() {
  local rounds=$1 round name real user sys peak measured
  measured=$(mktemp)
  for ((round = 1; round <= rounds; round++)); do
    for name in "${order[@]}"; do
      if ! /usr/bin/time -f '%e %U %S %M' -o "$measured" bash -c "${commands[$name]}" >/dev/null 2>&1; then
        echo "bench: '$name' failed: ${commands[$name]}" >&2
        rm -f "$measured"
        return 1
      fi
      read -r real user sys peak <"$measured"
      times[$name]+="$real "
      cpu_times[$name]+="$(calc "$user + $sys") "
      peaks[$name]+="$peak "
    done
  done
  rm -f "$measured"
}

median() {
  local values=${times[$1]}
  [[ "${2:-}" == cpu ]] && values=${cpu_times[$1]}
  [[ "${2:-}" == peak ]] && values=${peaks[$1]}
  tr ' ' '\n' <<<"$values" | grep -v '^$' | sort -g | awk '{ v[NR] = $1 } END { printf "%.3f", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
