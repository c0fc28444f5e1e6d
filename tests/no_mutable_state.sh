#!/usr/bin/env bash
# Fails when the program keeps mutable state at namespace scope or in a static
# inside a function: every value of a run must be passed to the step that
# uses it. Checks the objects that the libraries place in writable sections,
# and the sources for extern declarations of non-const objects.
# Usage: no_mutable_state.sh LIBRARY...
set -u
cd "$(dirname "$0")/.." || exit 1
status=0
# DW.ref.* are the compiler's own pointers for exception handling.
writable=$(objdump -t "$@" | awk '/ O / && $4 ~ /^\.(bss|data|tbss|tdata)/ && $4 !~ /^\.data\.rel\.ro/ {print $NF}' |
  grep -v '^DW\.ref\.' | c++filt)
if [ -n "$writable" ]; then
  echo "FAIL: mutable objects in the libraries:"
  echo "$writable"
  status=1
fi
if grep -rnE '^\s*extern\s' src | grep -vE 'extern\s+("C"|const|constexpr)\b'; then
  echo "FAIL: extern declarations of non-const objects"
  status=1
fi
[ "$status" -eq 0 ] && echo "ok   no mutable state in src/"
exit "$status"
