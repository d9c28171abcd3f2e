# Shared by the benchmark scripts (sourced): timing of whole runs and their medians.
declare -A times
# timed SCENARIO TOOL COMMAND...: one run, its wall time in microseconds noted.
timed() {
  local key="$1 $2" start end
  shift 2
  sync
  start=$(date +%s%N)
  "$@" >/dev/null
  end=$(date +%s%N)
  times[$key]+="$(( (end - start) / 1000 )) "
  sync
}
# order ROUND "A B …": the tools in this order in even rounds, reversed in odd ones.
order() { if (( $1 % 2 == 0 )); then echo "$2"; else echo "$2" | tr ' ' '\n' | tac | tr '\n' ' '; fi; }
median() { tr ' ' '\n' | grep -v '^$' | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
# m SCENARIO TOOL: the median of its runs.
m() { echo "${times[$1]}" | median; }
