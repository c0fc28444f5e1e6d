#!/usr/bin/env bash
# Runs the built program once for each case folder, in a fresh working
# directory, and compares its console output, exit status and files with the
# case's expectations. A case folder holds:
#   args      the arguments, one per line (no file: no arguments)
#   before/   the working directory's files before the run
#   setup     shell lines sourced in the working directory before the run; they
#             may make more files there, and may set WRAP to a command that
#             runs the program (optional)
#   terminal  present when standard output is to be a terminal (optional)
#   console   the expected standard output, byte for byte
#   stderr    the expected standard error (no file: nothing)
#   status    the expected exit status (no file: 0)
#   after/    the working directory's files expected after the run (no
#             folder: the files that before/ and setup made, unchanged)
#   check     shell lines sourced in the working directory after the run;
#             whatever they print is a failure (optional)
# Without case names it runs the cases that need no terminal, or with
# --terminal those that do; where no pseudo-terminal can be made, these are
# skipped, and the exit status is 77 if nothing failed.
# Usage: run_cases.sh PROGRAM CASES_DIR [--terminal | CASE...]
set -u
program=$1
cases=$(cd "$2" && pwd) || exit 1
shift 2

# A copy that any user can run, for the cases that run as another user.
bin=$(mktemp -d)
trap 'chmod -R u+w "$bin"; rm -rf "$bin"' EXIT
chmod 755 "$bin"
cp "$program" "$bin/wekset"

if [ $# -gt 0 ] && [ "$1" != --terminal ]; then
  names=("$@")
else
  names=()
  for case in "$cases"/*/; do
    case=${case%/}
    { [ -f "$case/terminal" ] && [ "${1:-}" = --terminal ]; } ||
      { [ ! -f "$case/terminal" ] && [ "${1:-}" != --terminal ]; } || continue
    names+=("${case##*/}")
  done
fi
# The terminal is made by script(1), which needs /dev/pts or the like.
terminal=true
script -qec true /dev/null < /dev/null > /dev/null 2>&1 || terminal=false

failed=0 skipped=0
for name in "${names[@]}"; do
  case=$cases/$name
  if [ -f "$case/terminal" ] && ! $terminal; then
    echo "skip $name: no pseudo-terminal can be made here"
    skipped=$((skipped + 1))
    continue
  fi
  work=$bin/$name
  mkdir "$work"
  [ -d "$case/before" ] && cp -a "$case/before/." "$work/"
  args=()
  [ -f "$case/args" ] && mapfile -t args < "$case/args"
  # The braces take bash's own note on a case that ends by a signal.
  {
    (
      cd "$work" || exit 99
      WRAP=()
      [ -f "$case/setup" ] && . "$case/setup"
      command=("${WRAP[@]}" "$bin/wekset" "${args[@]}")
      if [ -f "$case/terminal" ]; then
        # A pseudo-terminal that passes line feeds through as they are.
        exec script -qec "stty -onlcr; exec $(printf '%q ' "${command[@]}")" /dev/null < /dev/null
      fi
      exec "${command[@]}"
    ) > "$work.console" 2> "$work.stderr"
  } 2> /dev/null
  status=$?

  problems=()
  expected_status=0
  [ -f "$case/status" ] && expected_status=$(cat "$case/status")
  [ "$status" = "$expected_status" ] || problems+=("exit status $status, expected $expected_status")
  touch "$work.expected-stderr"
  [ -f "$case/stderr" ] && cp "$case/stderr" "$work.expected-stderr"
  if ! stderr_diff=$(diff -u --label expected --label actual "$work.expected-stderr" "$work.stderr"); then
    problems+=("standard error:"$'\n'"$stderr_diff")
  fi
  if [ -f "$case/check" ]; then
    check_output=$(cd "$work" && . "$case/check" 2>&1)
    [ -z "$check_output" ] || problems+=("check: $check_output")
  fi
  if ! console_diff=$(diff -u --label expected --label actual "$case/console" "$work.console"); then
    problems+=("console:"$'\n'"$console_diff")
  fi
  chmod -R u+w "$work" 2> /dev/null
  expected=$work.expected
  mkdir -p "$expected"
  if [ -d "$case/after" ]; then
    cp -a "$case/after/." "$expected/"
  else
    # Unchanged: what before/ and the setup make, the setup made once more.
    [ -d "$case/before" ] && cp -a "$case/before/." "$expected/"
    [ -f "$case/setup" ] && (cd "$expected" && WRAP=() && . "$case/setup") > /dev/null 2>&1
    chmod -R u+w "$expected" 2> /dev/null
  fi
  if ! files_diff=$(diff -r --no-dereference "$expected" "$work"); then
    problems+=("files:"$'\n'"$files_diff")
  fi

  if [ ${#problems[@]} -eq 0 ]; then
    echo "ok   $name"
  else
    echo "FAIL $name"
    printf '  %s\n' "${problems[@]}"
    failed=$((failed + 1))
  fi
done
[ "$failed" -eq 0 ] || { echo "$failed case(s) failed"; exit 1; }
[ "$skipped" -eq 0 ] || exit 77
