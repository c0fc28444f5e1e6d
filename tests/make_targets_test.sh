#!/usr/bin/env bash
# `make clean` keeps the user's run/calendar.txt and removes what `make run`
# made; `make bench` leaves nothing in the temporary directory, also when it
# is stopped halfway.
# Usage: make_targets_test.sh SOURCE_DIR PROGRAM
set -u
source_dir=$(realpath "$1")
program=$(realpath "$2")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# What `make run` leaves, with the calendar edited by the user.
mkdir -p "$scratch/tree/run" "$scratch/tree/build" "$scratch/tree/build-sanitize" "$scratch/tree/build-fuzz"
cp "$source_dir/Makefile" "$scratch/tree/"
printf '2008/02\n-2008/02\n18 my own event\n' > "$scratch/tree/run/calendar.txt"
cp "$scratch/tree/run/calendar.txt" "$scratch/edited.txt"
for made in wek.tex wek.aux wek.log wek.pdf; do echo made > "$scratch/tree/run/$made"; done
make -s -C "$scratch/tree" clean > /dev/null || fail "make clean failed"
cmp -s "$scratch/tree/run/calendar.txt" "$scratch/edited.txt" || fail "make clean changed run/calendar.txt"
left=$(cd "$scratch/tree" && ls -A . run | tr '\n' ' ')
[ "$left" = ".: Makefile run  run: calendar.txt " ] || fail "make clean left: $left"

# The benchmark, on 1 MB inputs, then stopped while it makes 40 MB ones.
mkdir "$scratch/tmp"
TMPDIR=$scratch/tmp "$source_dir/bench/run.sh" "$program" 1 > /dev/null || fail "the benchmark failed"
[ -z "$(ls -A "$scratch/tmp")" ] || fail "the benchmark left $(ls -A "$scratch/tmp")"
TMPDIR=$scratch/tmp "$source_dir/bench/run.sh" "$program" 40 > /dev/null &
bench=$!
sleep 1
kill -TERM "$bench"
wait "$bench"
[ -z "$(ls -A "$scratch/tmp")" ] || fail "the stopped benchmark left $(ls -A "$scratch/tmp")"
echo "ok   make clean keeps run/calendar.txt; make bench cleans up"
