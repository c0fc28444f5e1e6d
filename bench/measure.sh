#!/usr/bin/env bash
# What the benchmarks share, sourced by each: a temporary directory to work
# in, removed at the end, also on Ctrl-C, and the measure of one run.

# Makes the directory $work and enters it.
enter_work_directory() {
  work=$(mktemp -d)
  # The traps run when the benchmark ends, long after this function.
  # shellcheck disable=SC2064
  trap "rm -rf '$work'" EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  cd "$work" || exit 1
}

# Prints the seconds and the peak megabytes of one run, whose output is
# thrown away.
measure() {
  /usr/bin/time -f '%e %M' "$@" 2>&1 > /dev/null | tail -n 1
}
