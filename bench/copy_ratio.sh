#!/bin/bash
# The all-Ezones splitting request on bench/split22.dat against the time of
# copying its report, side by side: for each run, the wall and CPU times of
#   korvelin split22.dat -o s.out --split all -q [--jobs N]
# then of `cp s.out copy.out`, and the ratio of the two wall times.
#
# usage: bench/copy_ratio.sh [KORVELIN] [REPEATS] [JOBS...]
#   KORVELIN  the program (default: build/korvelin)
#   REPEATS   runs per number of jobs (default 3); the median ratio is shown
#   JOBS      the --jobs values to try (default: the program's default)
set -euo pipefail
bench=$(cd "$(dirname "$0")" && pwd)
prog=$(realpath "${1:-build/korvelin}")
repeats=${2:-3}
shift $(( $# < 2 ? $# : 2 ))
jobs=("$@")
[ ${#jobs[@]} -eq 0 ] && jobs=(default)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$bench/split22.dat" "$work/"
cd "$work"

# Wall seconds, then user + system seconds, of a command.
timed() {
  local start end cpu
  start=$(date +%s.%N)
  cpu=$( { /usr/bin/time -f '%U %S' "$@" > /dev/null; } 2>&1 | tail -1)
  end=$(date +%s.%N)
  echo "$(echo "$end - $start" | bc -l) $(echo "$cpu" | awk '{print $1 + $2}')"
}

echo "load: $(uptime)"
for j in "${jobs[@]}"; do
  opt=()
  [ "$j" != default ] && opt=(--jobs "$j")
  ratios=()
  # One run of each, not timed: the first file of this size written on a
  # machine takes its memory from the system at a cost (a third of a second
  # of system time here) that later runs and the copy do not pay.
  rm -f s.out copy.out
  "$prog" split22.dat -o s.out --split all -q "${opt[@]}" > /dev/null 2>&1
  cp s.out copy.out
  for ((r = 1; r <= repeats; r++)); do
    rm -f s.out copy.out
    read -r run runcpu < <(timed "$prog" split22.dat -o s.out --split all -q "${opt[@]}")
    read -r copy copycpu < <(timed cp s.out copy.out)
    ratio=$(echo "$run / $copy" | bc -l)
    ratios+=("$ratio")
    printf 'jobs %-7s run %6.2f s (cpu %5.2f s)  copy %5.3f s (cpu %5.3f s)  %d bytes  ratio %5.1f\n' \
      "$j" "$run" "$runcpu" "$copy" "$copycpu" "$(stat -c %s s.out)" "$ratio"
  done
  median=$(printf '%s\n' "${ratios[@]}" | sort -g | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}')
  printf 'jobs %-7s median ratio %5.1f (goal: at most 5)\n' "$j" "$median"
done
