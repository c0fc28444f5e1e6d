#!/usr/bin/env bash
# Lines far longer than the line buffer: a 200 MB source that is one line
# without a line feed, and a 200 MB event line. Only the first 25599 bytes of a
# line are kept; the program must neither fail nor take the rest for more lines.
# Usage: large_input_test.sh PROGRAM
set -u
program=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

size=$((200 * 1024 * 1024))
kept=$(head -c 25599 /dev/zero | tr '\0' x)
printf 'my own calendar\n' > calendar.txt

head -c "$size" /dev/zero | tr '\0' x > one-line.txt
"$program" one-line.txt > console.txt || fail "one line: status $?"
printf "[%s]\n[%s]\nThe first line of sourcefile must be like '2008/05' for May\n%s\n" "$kept" "$kept" \
  "[calendar.txt] already exists. It was left unchanged." > expected.txt
cmp -s console.txt expected.txt || fail "one line: the console differs: $(head -c 300 console.txt)"

{ printf '2008/06/01 01\n-2008/06\n'; head -c "$size" /dev/zero | tr '\0' x; printf '\n02 next\n'; } > long-event.txt
"$program" long-event.txt > console.txt || fail "long event line: status $?"
{
  printf '[2008/06/01 01]\n...so far so good.......................................\n'
  printf '~~~~~~~~~~~~~"calendar.txt" format error. The following line is not processed.\n[%s]\n' "$kept"
  printf '[wek.tex] created successfully. Do "pdflatex wek.tex" now\n'
} > expected.txt
cmp -s console.txt expected.txt || fail "long event line: the console differs: $(head -c 300 console.txt)"
echo "ok   200 MB lines"
