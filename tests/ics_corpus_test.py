#!/usr/bin/python3
"""wekset-ics on real-world iCalendar files, against two independent
expanders.

Every file must give exit status 0, with lines and warnings, or 1 with one
clear message; never a crash or a hang. The references are Debian's
recurring_ical_events (on the icalendar library) and ical.js (through
ics_expand.mjs). Where one of them can read a file, the occurrences that
begin in the window, each as its day, start time and summary, must be those
that wekset-ics writes, as often: times in UTC, the window 99 weeks from the
Sunday before the file's first DTSTART (2000/03/05 at the earliest). Where
the sides that read a file do not all agree, DIFFERENT says which agree, and
why.

Usage: ics_corpus_test.py WEKSET_ICS CORPUS_DIR ICALJS_DIR ZONE_TEXT
ICALJS_DIR holds node_modules/ical.js; ZONE_TEXT is ics_zone_text.
"""
import collections
import datetime
import json
import os
import re
import subprocess
import sys

import icalendar
import recurring_ical_events

SIDES = ("wekset-ics", "recurring-ical-events", "ical.js")

# Files on which the sides that read them part ways, as relation() writes it,
# and why: what RFC 5545 says and what each side does.
TZID_526 = (
    "wekset-ics ≠ recurring-ical-events ≠ ical.js",
    "RFC 5545 3.2.19 wants a VTIMEZONE for every TZID, and TZID \"Western/Central Europe\" has "
    "none and is no IANA or Windows name: wekset-ics leaves the events out with a warning, "
    "recurring-ical-events guesses a zone an hour ahead of UTC, ical.js takes the times as floating")
DIFFERENT = {
    "issue_165_missing_event.ics": (
        "wekset-ics ≠ recurring-ical-events",
        "RFC 5545 3.3.10: a BYDAY list has no blanks, and Exchange wrote BYDAY=MO, TU, WE, TH, FR: "
        "wekset-ics reads the days past the blanks, as libical does, and shows the weekdays; "
        "recurring-ical-events drops the rule and keeps DTSTART alone; ical.js cannot read it"),
    "issue_178_custom_component_contains_other.ics": (
        "wekset-ics ≠ recurring-ical-events",
        "RFC 5545 3.4: an iCalendar stream is made of VCALENDAR objects, and this file has only an "
        "X- component MYCOMPTOO around a VEVENT: wekset-ics says it is not an iCalendar file, "
        "recurring-ical-events reads the VEVENT; ical.js cannot read its DTSTART:20150122, a "
        "date where DTSTART's default type is DATE-TIME (3.8.2.4)"),
    "issue_313_globally_unique_tzid.ics": (
        "wekset-ics ≠ recurring-ical-events = ical.js",
        "RFC 5545 3.2.19: a TZID that begins with a solidus names a zone of a global registry; "
        "these put a vendor's prefix before an IANA name and have no VTIMEZONE: wekset-ics uses "
        "the IANA zone, recurring-ical-events and ical.js take the times as floating"),
    "issue_466_convert_tzid_with_slash.ics": (
        "wekset-ics ≠ recurring-ical-events = ical.js",
        "RFC 5545 3.2.19: TZID=/Europe/Stockholm, with no VTIMEZONE, names a zone of a global "
        "registry: Stockholm's to wekset-ics, floating times to recurring-ical-events and ical.js"),
    "issue_526_calendar_with_different_events.ics": TZID_526,
    "issue_526_calendar_with_event_subset.ics": TZID_526,
    "issue_526_calendar_with_events.ics": TZID_526,
    "issue_526_calendar_with_shuffeled_events.ics": TZID_526,
    "issue_722_missing_VTIMEZONE_custom.ics": (
        "wekset-ics ≠ recurring-ical-events = ical.js",
        "RFC 5545 3.2.19 wants a VTIMEZONE for every TZID, and TZID=CUSTOM_tzid has none: "
        "wekset-ics leaves the event out with a warning, recurring-ical-events and ical.js take "
        "the time as floating"),
    "issue_722_missing_timezones.ics": (
        "wekset-ics ≠ ical.js",
        "RFC 5545 3.8.5.3: the recurrence set is made of DTSTART with RRULE, RDATE and EXDATE: "
        "wekset-ics has the event at its DTSTART, in the window; ical.js, where there are RDATEs "
        "and no RRULE, gives the RDATEs alone, here one in 2024; recurring-ical-events cannot "
        "read the file"),
}

FIRST_DAY = datetime.date(2000, 3, 5)
LAST_START = datetime.date(2097, 12, 1)


def window_of(text):
    """The first day of the window for a file: the Sunday on or before its
    first DTSTART, within wekset's range. A zone's DTSTARTs, often in 1601 or
    1970, are not the events'."""
    text = re.sub(r"^BEGIN:VTIMEZONE.*?^END:VTIMEZONE", "", text, flags=re.M | re.S | re.I)
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
        event = re.fullmatch(r"(\d{2}) (?:(\d{2}:\d{2})(?:-\d{2}:\d{2})? )?(.*)", line)
        # The later days of an event, which wekset-ics marks, are not its start.
        if not event or re.search(r" \(day \d+ of \d+\)$", event[3]):
            continue
        summary = event[3]
        # A timed event's end, which the references do not show.
        if event[2]:
            summary = re.sub(r", until (the \d+(st|nd|rd|th)|\d{4}/\d{2}/\d{2})$", "", summary)
        for escaped, plain in UNESCAPE:
            summary = summary.replace(escaped, plain)
        found[(datetime.date(year, month, int(event[1])), event[2] or "", summary)] += 1
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


def ical_js(reference, jobs):
    """For each (path, first, end), the occurrences that ical.js finds
    beginning in the window, or the reason why it cannot read the file."""
    icaljs, zones = reference
    script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "ics_expand.mjs")
    arguments = [part for path, first, end in jobs
                 for part in (path, first.isoformat(), end.isoformat())]
    try:
        run = subprocess.run(["node", script, icaljs, zones] + arguments, capture_output=True,
                             timeout=40)
    except subprocess.TimeoutExpired:
        raise RuntimeError("ics_expand.mjs did not end in 40 seconds") from None
    if run.returncode != 0:
        raise RuntimeError("ics_expand.mjs failed: " + run.stderr.decode("utf-8", errors="replace"))
    results = []
    for (path, first, end), line in zip(jobs, run.stdout.decode("utf-8").splitlines()):
        answer = json.loads(line)
        if "error" in answer:
            results.append((None, answer["error"]))
            continue
        found = collections.Counter()
        for day, time, summary in answer["lines"]:
            day = datetime.date.fromisoformat(day)
            if first <= day < end:
                found[(day, time, summary_text(summary))] += 1
        results.append((found, None))
    if len(results) != len(jobs):
        raise RuntimeError("ics_expand.mjs answered %d of %d files" % (len(results), len(jobs)))
    return results


def relation(found):
    """Which of the sides that read a file agree, as DIFFERENT writes it:
    groups of equal results joined by " = ", the groups by " ≠ "."""
    groups = []
    for side, result in found.items():
        if result is None:
            continue
        for group in groups:
            if found[group[0]] == result:
                group.append(side)
                break
        else:
            groups.append([side])
    return " ≠ ".join(" = ".join(group) for group in groups)


def run_wekset_ics(program, name, path, first, problems):
    """The occurrences that wekset-ics writes, none where it exits 1 with a
    clear message, or None where it fails otherwise, a problem."""
    try:
        run = subprocess.run([program, "--tz", "UTC", "--from", first.strftime("%Y/%m/%d"),
                              "--weeks", "99", path], capture_output=True, timeout=20)
    except subprocess.TimeoutExpired:
        problems.append("%s: no end in 20 seconds" % name)
        return None
    errors = run.stderr.decode("utf-8", errors="replace")
    if run.returncode == 1:
        if len(errors.splitlines()) != 1 or not errors.startswith("wekset-ics: " + path + ": "):
            problems.append("%s: exit status 1 without one clear message: %r" % (name, errors))
            return None
        return collections.Counter()
    if run.returncode != 0:
        problems.append("%s: exit status %d: %s" % (name, run.returncode, errors))
        return None
    if any(not line.startswith("wekset-ics: ") for line in errors.splitlines()):
        problems.append("%s: standard error: %s" % (name, errors))
    return written(run.stdout.decode("utf-8"))


def main():
    program, corpus, reference = sys.argv[1], sys.argv[2], sys.argv[3:5]
    if not os.path.isfile(os.path.join(reference[0], "node_modules", "ical.js", "package.json")):
        print("FAIL ical.js is not in %s: make test installs it" % reference[0])
        return 1
    if not os.access(reference[1], os.X_OK):
        print("FAIL %s, which gives ical.js the system's zones, cannot be run" % reference[1])
        return 1
    names = sorted(name for name in os.listdir(corpus) if name.endswith(".ics"))
    jobs = []
    for name in names:
        path = os.path.join(corpus, name)
        with open(path, "rb") as file:
            data = file.read()
        first = window_of(data.decode("utf-8", errors="replace"))
        jobs.append((path, first, first + datetime.timedelta(weeks=99), data))
    try:
        by_ical_js = ical_js(reference, [job[:3] for job in jobs])
    except (OSError, RuntimeError) as error:
        print("FAIL %s" % error)
        return 1
    problems, unreadable, neither = [], {SIDES[1]: [], SIDES[2]: []}, []
    agree = {SIDES[1]: 0, SIDES[2]: 0}
    for name, (path, first, end, data), (by_ical, why) in zip(names, jobs, by_ical_js):
        found = {SIDES[0]: run_wekset_ics(program, name, path, first, problems)}
        if found[SIDES[0]] is None:
            continue
        try:
            found[SIDES[1]] = expanded(data, first, end)
        except Exception as error:  # it cannot read the file
            found[SIDES[1]] = None
            unreadable[SIDES[1]].append("%s (%s)" % (name, type(error).__name__))
        found[SIDES[2]] = by_ical
        if why is not None:
            unreadable[SIDES[2]].append("%s (%s)" % (name, why[:60]))
        for side in SIDES[1:]:
            agree[side] += found[side] is not None and found[side] == found[SIDES[0]]
        if found[SIDES[1]] is None and found[SIDES[2]] is None:
            neither.append(name)
            if name in DIFFERENT:
                problems.append("%s is listed as %r, but neither reference reads it"
                                % (name, DIFFERENT[name][0]))
            continue
        actual = relation(found)
        if name in DIFFERENT:
            if actual != DIFFERENT[name][0]:
                problems.append("%s is listed as %r, but is %r" % (name, DIFFERENT[name][0], actual))
            continue
        if "≠" not in actual:
            continue
        problems.append("%s, from %s: %s" % (name, first, actual))
        for side in SIDES[1:]:
            if found[side] is not None and found[side] != found[SIDES[0]]:
                missing, extra = found[side] - found[SIDES[0]], found[SIDES[0]] - found[side]
                problems.append("     %s has %s more, wekset-ics %s more"
                                % (side, sorted(missing.items())[:5], sorted(extra.items())[:5]))
    for side in SIDES[1:]:
        print("     %s could not read: %s" % (side, ", ".join(unreadable[side])))
    for name, (listed, reason) in sorted(DIFFERENT.items()):
        print("     apart: %s: %s: %s" % (name, listed, reason))
    for side in SIDES[1:]:
        print("     %d of the %d files agree with %s, which reads %d"
              % (agree[side], len(names), side, len(names) - len(unreadable[side])))
    print("     %d are read by neither: %s" % (len(neither), ", ".join(neither)))
    for problem in problems:
        print("FAIL " + problem)
    if problems:
        return 1
    print("ok   %d files, %d of them listed apart" % (len(names), len(DIFFERENT)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
