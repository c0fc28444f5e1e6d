#!/usr/bin/env bash
# Measures the program on generated inputs: wall time, throughput, the time of
# `wc -l` on the same file for comparison, and peak memory (GNU time's maximum
# resident set size). Console output goes to /dev/null. The inputs are made in
# a temporary directory, which is removed at the end, also on Ctrl-C.
# Usage: bench/run.sh PROGRAM [MEGABYTES]
set -eu
program=$(realpath "$1")
megabytes=${2:-200}
bytes=$((megabytes * 1024 * 1024))

missing=()
[ -x /usr/bin/time ] || missing+=("time (for /usr/bin/time)")
for tool in awk wc tr head; do command -v "$tool" > /dev/null || missing+=("$tool"); done
if [ ${#missing[@]} -gt 0 ]; then
  echo "bench/run.sh needs: ${missing[*]}; on Debian: apt-get install time" >&2
  exit 1
fi

# shellcheck source=bench/measure.sh
. "$(dirname "$0")/measure.sh"
enter_work_directory

# The sample calendar that the program writes for itself.
rm -f calendar.txt && "$program" > /dev/null && mv calendar.txt sample.txt

# A body of every kind of line: comments, month markers, events (most of them
# refused once the table is full), continuation lines, and rejected lines.
[ -f body.txt ] || awk -v bytes="$bytes" 'BEGIN {
  srand(1); print "2007/12/13 60 12"; total = 17
  while (total < bytes) {
    r = rand(); month = int(rand() * 12) + 1; day = int(rand() * 31) + 1
    if (r < 0.10) line = "; a comment line about the week ahead"
    else if (r < 0.15) line = sprintf("-2008/%02d", month)
    else if (r < 0.60) line = sprintf("%02d 10:00PM Dentist appointment", day)
    else if (r < 0.80) line = "   continuation text here"
    else if (r < 0.90) line = sprintf("%d Dentist", day % 10)
    else line = ""
    print line; total += length(line) + 1
  }
}' > body.txt

# The same size in lines that are read and checked but need no message, to
# show the reading apart from the console output that the body above causes.
[ -f quiet-body.txt ] || awk -v bytes="$bytes" 'BEGIN {
  srand(1); print "2007/12/13 60 12"; total = 17
  while (total < bytes) {
    r = rand()
    if (r < 0.30) line = "; a comment line about the week ahead"
    else if (r < 0.50) line = sprintf("-2008/%02d", int(rand() * 12) + 1)
    else if (r < 0.70) line = "-------------------------"
    else if (r < 0.90) line = "      "
    else line = ""
    print line; total += length(line) + 1
  }
}' > quiet-body.txt

# One line without a line feed.
[ -f one-line.txt ] || head -c "$bytes" /dev/zero | tr '\0' x > one-line.txt

# A full table: 3659 events, each with a continuation line, in 99 weeks.
awk 'BEGIN {
  print "2008/01/06 99 12"; count = 0
  for (month = 1; count < 3659; month++) {
    printf "-%04d/%02d\n", 2008 + int((month - 1) / 12), (month - 1) % 12 + 1
    for (day = 1; day <= 28 && count < 3659; day++)
      for (k = 0; k < 6 && count < 3659; k++) { printf "%02d Event %d\n   at noon\n", day, count; count++ }
  }
}' > full-table.txt

now() { date +%s.%N; }
best_of_three() {  # seconds of the fastest of three runs of the command
  local best="" start end
  for _ in 1 2 3; do
    start=$(now); "$@" > /dev/null 2>&1 || true; end=$(now)
    best=$(awk -v took="$(awk -v s="$start" -v e="$end" 'BEGIN { print e - s }')" -v best="$best" \
      'BEGIN { print (best == "" || took < best) ? took : best }')
  done
  echo "$best"
}

printf '%-15s %9s %9s %9s %9s %8s %10s\n' input MB seconds MB/s "wc -l s" ratio "peak MB"
for input in sample.txt body.txt quiet-body.txt one-line.txt full-table.txt; do
  rm -f wek.tex
  size=$(stat -c %s "$input")
  seconds=$(best_of_three "$program" "$input")
  wc_seconds=$(best_of_three wc -l "$input")
  peak_kb=$(/usr/bin/time -f %M "$program" "$input" 2>&1 > /dev/null | tail -n 1)
  awk -v input="$input" -v size="$size" -v s="$seconds" -v wc="$wc_seconds" -v peak="$peak_kb" \
    'BEGIN { printf "%-15s %9.1f %9.3f %9.0f %9.3f %8.1f %10.1f\n", input, size / 1048576, s,
             size / 1048576 / (s > 0 ? s : 1e-6), wc, s / (wc > 0 ? wc : 1e-6), peak / 1024 }'
done
