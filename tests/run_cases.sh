#!/usr/bin/env bash
# Runs the built program once for each case folder, in a fresh working
# directory, and compares its console output, exit status and files with the
# case's expectations. A case folder holds:
#   args      the arguments, one per line (no file: no arguments)
#   before/   the working directory's files before the run
#   setup     shell lines sourced in the working directory before the run; they
#             may set WRAP to a command that runs the program (optional)
#   terminal  present when standard output is to be a terminal (optional)
#   console   the expected standard output, byte for byte
#   stderr    the expected standard error (no file: nothing)
#   status    the expected exit status (no file: 0)
#   after/    the working directory's files expected after the run
#   check     shell lines sourced in the working directory after the run;
#             whatever they print is a failure (optional)
# Usage: run_cases.sh PROGRAM CASES_DIR [CASE...]
set -u
program=$1
cases=$(cd "$2" && pwd) || exit 1
shift 2

# A copy that any user can run, for the cases that run as another user.
bin=$(mktemp -d)
trap 'chmod -R u+w "$bin"; rm -rf "$bin"' EXIT
chmod 755 "$bin"
cp "$program" "$bin/wekset"

if [ $# -gt 0 ]; then names=("$@"); else mapfile -t names < <(cd "$cases" && ls); fi
failed=0
for name in "${names[@]}"; do
  case=$cases/$name
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
  mkdir -p "$work.expected"
  [ -d "$case/after" ] && cp -a "$case/after/." "$work.expected/"
  if ! files_diff=$(diff -r --no-dereference "$work.expected" "$work"); then
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
