# Sourced by the benchmarks. `record NAME VALUE UNIT` appends one figure to
# build/bench/results.txt (or $BENCH_RESULTS), replacing an older line of the same name,
# and prints it.
results_file=${BENCH_RESULTS:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)/build/bench/results.txt}

record() {
  mkdir -p "$(dirname "$results_file")"
  touch "$results_file"
  local tmp
  tmp=$(mktemp "$results_file.XXXXXX")
  awk -v name="$1" '$1 != name' "$results_file" >"$tmp"
  echo "$1 $2 $3" >>"$tmp"
  mv "$tmp" "$results_file"
  echo "  $1 $2 $3"
}
