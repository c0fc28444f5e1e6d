#!/usr/bin/env bash
# Measures wekset-ics over a 99-week window: rules that a careless expander
# follows second by second from 1970, and a calendar of 10,000 events in
# several time zones, Windows names among them, with EXDATEs; wall time and
# peak memory of each. Works in a temporary directory, removed at the end.
# Usage: bench/ics.sh WEKSET_ICS
set -eu
wekset_ics=$(realpath "$1")
if [ ! -x /usr/bin/time ]; then
  echo "bench/ics.sh needs GNU time; on Debian: apt-get install time" >&2
  exit 1
fi

# shellcheck source=bench/measure.sh
. "$(dirname "$0")/measure.sh"
enter_work_directory

# One event with the rule given, from midnight UTC on 1 January 1970.
hostile() {
  printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:bench\r\nBEGIN:VEVENT\r\nUID:h\r\n'
  printf 'DTSTAMP:20260101T000000Z\r\nDTSTART:19700101T000000Z\r\nRRULE:%s\r\n' "$1"
  printf 'SUMMARY:Tick\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n'
}
hostile 'FREQ=SECONDLY' > no-end.ics
hostile 'FREQ=SECONDLY;COUNT=100000000' > count.ics
hostile 'FREQ=SECONDLY;BYMINUTE=0;COUNT=100000000' > by-minute.ics
hostile 'FREQ=MINUTELY;BYMONTH=2;COUNT=50000000' > by-month.ics

# A rule that no day can meet, which a careless expander searches up to the
# year 2582; summaries of 8 and 48 MB on one line; and a file of 100 MB of
# events with descriptions, alarms and X- properties.
hostile 'FREQ=HOURLY;BYMONTH=2;BYMONTHDAY=30' > never.ics
for megabytes in 8 48; do
  {
    printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:bench\r\nBEGIN:VEVENT\r\nUID:l\r\n'
    printf 'DTSTART:20260105T100000Z\r\nSUMMARY:'
    head -c $((megabytes * 1048576)) /dev/zero | tr '\0' x
    printf '\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n'
  } > "summary-$megabytes-mb.ics"
done
awk 'BEGIN {
  printf "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:bench\r\n"
  d = sprintf("%300s", ""); gsub(/ /, "d", d); x = sprintf("%100s", ""); gsub(/ /, "x", x)
  for (i = 0; size < 100 * 1048576; i++) {
    e = sprintf("BEGIN:VEVENT\r\nUID:e%d\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:2026%02d%02dT100000Z\r\n" \
      "SUMMARY:Event %d\r\nDESCRIPTION:%s\r\nX-FOO:%s\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\n" \
      "TRIGGER:-PT15M\r\nEND:VALARM\r\nEND:VEVENT\r\n", i, 1 + i % 12, 1 + i % 28, i, d, x)
    printf "%s", e; size += length(e)
  }
  printf "END:VCALENDAR\r\n"
}' > file-100-mb.ics

# A series of every minute with 100,000 overrides, each of this and future.
awk 'BEGIN {
  printf "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:bench\r\nBEGIN:VEVENT\r\nUID:d\r\n"
  printf "DTSTART:20260101T000000Z\r\nRRULE:FREQ=MINUTELY\r\nSUMMARY:D\r\nEND:VEVENT\r\n"
  for (k = 0; k < 100000; k++) {
    t = 1767225600 + 60 * k
    printf "BEGIN:VEVENT\r\nUID:d\r\nRECURRENCE-ID;RANGE=THISANDFUTURE:%s\r\n", strftime("%Y%m%dT%H%M%SZ", t, 1)
    printf "DTSTART:%s\r\nSUMMARY:O%d\r\nEND:VEVENT\r\n", strftime("%Y%m%dT%H%M%SZ", t + 30, 1), k
  }
  printf "END:VCALENDAR\r\n"
}' > overrides.ics

# Half the events weekly from 2020 with five EXDATEs each, half single ones
# over the window, their zones taken in turn.
awk 'BEGIN {
  split("Europe/Berlin|America/New_York|W. Europe Standard Time|Pacific Standard Time|Asia/Tokyo", zone, "|")
  printf "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:bench\r\n"
  for (i = 0; i < 10000; i++) {
    z = zone[i % 5 + 1]
    printf "BEGIN:VEVENT\r\nUID:e%d\r\nDTSTAMP:20260101T000000Z\r\nSUMMARY:Event %d\r\n", i, i
    hour = 8 + i % 10
    if (i % 2 == 0) {
      day = 6 + i % 7
      printf "DTSTART;TZID=%s:202001%02dT%02d0000\r\nRRULE:FREQ=WEEKLY\r\n", z, day, hour
      for (k = 1; k <= 5; k++)
        printf "EXDATE;TZID=%s:2026%02d%02dT%02d0000\r\n", z, k * 2, day, hour
    } else {
      printf "DTSTART;TZID=%s:2026%02d%02dT%02d3000\r\n", z, 1 + i % 12, 1 + i % 28, hour
    }
    printf "END:VEVENT\r\n"
  }
  printf "END:VCALENDAR\r\n"
}' > events.ics

printf '%-34s %9s %9s\n' "wekset-ics, 99 weeks from 2026/01/04" seconds "peak MB"
for file in no-end count by-minute by-month never summary-8-mb summary-48-mb file-100-mb overrides events; do
  read -r seconds peak < <(measure "$wekset_ics" --tz UTC --from 2026/01/04 --weeks 99 "$file.ics")
  awk -v n="$file.ics" -v s="$seconds" -v p="$peak" 'BEGIN { printf "%-34s %9.2f %9.1f\n", n, s, p / 1024 }'
done
