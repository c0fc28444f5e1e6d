#!/usr/bin/python3
"""wekset-ics on real-world iCalendar files, against an independent expander.

Every file must give exit status 0, with lines and warnings, or 1 with one
clear message; never a crash or a hang. Where Debian's recurring_ical_events
(on the icalendar library) can read a file, the occurrences that begin in the
window, each as its day, start time and summary, must be those that
wekset-ics writes: times in UTC, the window 99 weeks from the Sunday before
the file's first DTSTART (2000/03/05 at the earliest).

Usage: ics_corpus_test.py WEKSET_ICS CORPUS_DIR
"""
import collections
import datetime
import os
import re
import subprocess
import sys

import icalendar
import recurring_ical_events

# Files on which wekset-ics and the expander part ways by design, and why.
DIFFERENT = {
    "issue_313_globally_unique_tzid.ics":
        "its TZIDs put a vendor's prefix before an IANA name; wekset-ics uses that zone, the "
        "expander takes the times as floating",
    "issue_466_convert_tzid_with_slash.ics":
        "TZID=/Europe/Stockholm is Stockholm to wekset-ics, a floating time to the expander",
    "issue_526_calendar_with_different_events.ics":
        "TZID \"Western/Central Europe\" is no IANA or Windows name and has no VTIMEZONE: "
        "wekset-ics leaves the events out with a warning, the expander guesses a zone",
    "issue_526_calendar_with_event_subset.ics": "as issue_526_calendar_with_different_events.ics",
    "issue_526_calendar_with_events.ics": "as issue_526_calendar_with_different_events.ics",
    "issue_526_calendar_with_shuffeled_events.ics": "as issue_526_calendar_with_different_events.ics",
    "issue_722_missing_VTIMEZONE_custom.ics":
        "TZID=CUSTOM_tzid has no VTIMEZONE: wekset-ics leaves the event out with a warning, the "
        "expander takes the time as floating",
}

FIRST_DAY = datetime.date(2000, 3, 5)
LAST_START = datetime.date(2097, 12, 1)


def window_of(text):
    """The first day of the window for a file: the Sunday on or before its
    first DTSTART, within wekset's range."""
    dates = [datetime.date(int(m[0:4]), int(m[4:6]), int(m[6:8]))
             for m in re.findall(r"^DTSTART[^:\n]*:(\d{8})", text, re.M | re.I)
             if 1 <= int(m[4:6]) <= 12 and 1 <= int(m[6:8]) <= 31]
    first = min(dates) if dates else datetime.date(2027, 1, 1)
    first = min(max(first, FIRST_DAY), LAST_START)
    return first - datetime.timedelta(days=(first.weekday() + 1) % 7)


UNESCAPE = [("\\textbackslash{}", "\\"), ("\\texttt{\\char94}", "^"), ("\\texttt{\\char95}", "_"),
            ("\\texttt{\\char126}", "~"), ("\\{", "{"), ("\\}", "}"), ("\\$", "$"), ("\\&", "&"),
            ("\\#", "#"), ("\\%", "%")]


def summary_text(summary):
    """A summary as wekset-ics writes it, before TeX's escapes."""
    text = "".join(" " if ord(c) < 32 or ord(c) == 127 else c for c in summary).rstrip(" ")
    return text or "(no title)"


def written(output):
    """The first days of the occurrences in wekset-ics's source."""
    found, year, month = collections.Counter(), None, None
    for line in output.split("\n")[1:]:
        marker = re.fullmatch(r"-(\d{4})/(\d{2})", line)
        if marker:
            year, month = int(marker[1]), int(marker[2])
            continue
        event = re.fullmatch(r"(\d{2}) (\d{2}:\d{2} )?(.*)", line)
        # The later days of an event, which wekset-ics marks, are not its start.
        if not event or re.search(r" \(day \d+ of \d+\)$", event[3]):
            continue
        summary = event[3]
        for escaped, plain in UNESCAPE:
            summary = summary.replace(escaped, plain)
        found[(datetime.date(year, month, int(event[1])), (event[2] or "").strip(), summary)] += 1
    return found


def expanded(text, first, end):
    """The occurrences that the expander finds beginning in the window."""
    calendar = icalendar.Calendar.from_ical(text)
    found = collections.Counter()
    for event in recurring_ical_events.of(calendar).between(first, end):
        start = event.get("DTSTART").dt
        if isinstance(start, datetime.datetime):
            if start.tzinfo is not None:
                start = start.astimezone(datetime.timezone.utc)
            day, time = start.date(), start.strftime("%H:%M")
        else:
            day, time = start, ""
        if first <= day < end:
            found[(day, time, summary_text(str(event.get("SUMMARY", ""))))] += 1
    return found


def main():
    program, corpus = sys.argv[1], sys.argv[2]
    problems, compared, unreadable = [], 0, []
    for name in sorted(os.listdir(corpus)):
        if not name.endswith(".ics"):
            continue
        path = os.path.join(corpus, name)
        with open(path, "rb") as file:
            data = file.read()
        text = data.decode("utf-8", errors="replace")
        first = window_of(text)
        end = first + datetime.timedelta(weeks=99)
        try:
            run = subprocess.run([program, "--tz", "UTC", "--from", first.strftime("%Y/%m/%d"),
                                  "--weeks", "99", path], capture_output=True, timeout=20)
        except subprocess.TimeoutExpired:
            problems.append("%s: no end in 20 seconds" % name)
            continue
        errors = run.stderr.decode("utf-8", errors="replace")
        if run.returncode == 1:
            if len(errors.splitlines()) != 1 or not errors.startswith("wekset-ics: " + path + ": "):
                problems.append("%s: exit status 1 without one clear message: %r" % (name, errors))
            continue
        if run.returncode != 0:
            problems.append("%s: exit status %d: %s" % (name, run.returncode, errors))
            continue
        if any(not line.startswith("wekset-ics: ") for line in errors.splitlines()):
            problems.append("%s: standard error: %s" % (name, errors))
        try:
            expected = expanded(data, first, end)
        except Exception as error:  # the expander cannot read it: exit status and messages only
            unreadable.append("%s (%s)" % (name, type(error).__name__))
            continue
        actual = written(run.stdout.decode("utf-8"))
        if name in DIFFERENT:
            if actual == expected:
                problems.append("%s is listed as different but agrees; take it off the list" % name)
            continue
        compared += 1
        if actual != expected:
            missing, extra = expected - actual, actual - expected
            problems.append("%s, from %s: the expander has %s more, wekset-ics %s more"
                            % (name, first, sorted(missing.items())[:5], sorted(extra.items())[:5]))
    for problem in problems:
        print("FAIL " + problem)
    print("     the expander could not read: " + ", ".join(unreadable))
    if problems:
        return 1
    print("ok   %d files as the expander has them, %d apart by design" % (compared, len(DIFFERENT)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
