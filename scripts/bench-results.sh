# Sourced by the benchmarks: record_result NAME VALUE UNIT puts "NAME VALUE UNIT" into
# build/bench/results.txt, replacing an older line of the same name, and prints it.
# The file is $SNAPFERRY_BENCH_RESULTS, else build/bench/results.txt of this checkout.
bench_results=${SNAPFERRY_BENCH_RESULTS:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/bench/results.txt}

record_result() {
  mkdir -p "$(dirname "$bench_results")"
  touch "$bench_results"
  local kept
  kept=$(awk -v n="$1" '$1 != n' "$bench_results")
  { [ -z "$kept" ] || printf '%s\n' "$kept"; printf '%s %s %s\n' "$1" "$2" "$3"; } >"$bench_results"
  printf '  %-28s %12s %s\n' "$1" "$2" "$3"
}
