// The corpus test's second reference: the occurrences of calendar files that
// begin in a window, as ical.js expands them, as one JSON line a file:
// {"lines": [["YYYY-MM-DD", "HH:MM" in UTC or "" all day, summary], ...]},
// or {"error": why} where ical.js cannot read it. Floating times are as
// written. ical.js reads the file, its zones and rules; this script only
// sorts the events into series as wekset-ics does: one a UID (each event
// without one is its own), the version with the highest SEQUENCE, then the
// last modified, and each override's newest version.
//
// Usage: node ics_expand.mjs ICALJS_DIR ZONE_TEXT [FILE FIRST_DAY END_DAY]...
// ICALJS_DIR holds node_modules/ical.js; ZONE_TEXT writes the system's
// VTIMEZONEs for the IANA names that a file uses without defining them. The
// window runs from FIRST_DAY to before END_DAY, as YYYY-MM-DD.
import {execFileSync} from 'node:child_process';
import {readFileSync} from 'node:fs';
import {join} from 'node:path';
import {pathToFileURL} from 'node:url';

const [icalDir, zoneText, ...files] = process.argv.slice(2);
const ICAL = (await import(
  pathToFileURL(join(icalDir, 'node_modules', 'ical.js', 'dist', 'ical.js')))).default;

// A rule is followed no further than this many steps, as wekset-ics bounds
// its own work.
const STEPS = 200000;

function zoneNames() {
  // Zones are "Z NAME ...", links "L TARGET NAME".
  const names = new Set();
  for (const line of readFileSync('/usr/share/zoneinfo/tzdata.zi', 'utf8').split('\n')) {
    const fields = line.split(' ');
    if (fields[0] === 'Z' && fields.length > 1) names.add(fields[1]);
    if (fields[0] === 'L' && fields.length > 2) names.add(fields[2]);
  }
  return names;
}

// The IANA zones that events name and the calendars do not define, from the
// system's zone database, as ical.js would find them in its zone service.
function registerZones(calendars) {
  const defined = new Set();
  const used = new Set();
  for (const calendar of calendars) {
    for (const zone of calendar.getAllSubcomponents('vtimezone')) {
      defined.add(zone.getFirstPropertyValue('tzid'));
    }
    for (const event of calendar.getAllSubcomponents('vevent')) {
      for (const property of event.getAllProperties()) {
        const tzid = property.getParameter('tzid');
        if (typeof tzid === 'string') used.add(tzid);
      }
    }
  }
  const listed = zoneNames();
  const wanted = [...used].filter(name => !defined.has(name) && listed.has(name) &&
                                          !ICAL.TimezoneService.has(name));
  if (wanted.length === 0) return;
  const text = execFileSync(zoneText, wanted, {encoding: 'utf8'});
  const zones = text.split(/(?=BEGIN:VTIMEZONE)/).filter(part => part.trim() !== '');
  for (const part of zones) {
    const component = new ICAL.Component(ICAL.parse(part));
    const location = component.getFirstPropertyValue('x-lic-location');
    ICAL.TimezoneService.register(new ICAL.Timezone({component, tzid: location}), location);
  }
}

function isCancelled(component) {
  return String(component.getFirstPropertyValue('status') || '').toUpperCase() === 'CANCELLED';
}

// Of two versions of one event or override, the one that counts: the higher
// SEQUENCE, then the later LAST-MODIFIED, then the later DTSTAMP, where both
// have one, then the one read last.
function newer(a, b) {
  const sequence = c => Number(c.getFirstPropertyValue('sequence')) || 0;
  if (sequence(a) !== sequence(b)) return sequence(a) > sequence(b) ? a : b;
  for (const name of ['last-modified', 'dtstamp']) {
    const [ta, tb] = [a.getFirstPropertyValue(name), b.getFirstPropertyValue(name)];
    if (!ta || !tb || ta.compare(tb) === 0) continue;
    return ta.compare(tb) > 0 ? a : b;
  }
  return b;
}

function series(calendars) {
  const masters = new Map();
  const overrides = new Map();
  let lone = 0;
  for (const calendar of calendars) {
    for (const event of calendar.getAllSubcomponents('vevent')) {
      const uid = event.getFirstPropertyValue('uid');
      const key = uid === null || uid === undefined ? `\0${lone++}` : String(uid);
      if (event.hasProperty('recurrence-id') && !key.startsWith('\0')) {
        const byId = overrides.get(key) || new Map();
        const id = event.getFirstPropertyValue('recurrence-id').toString();
        byId.set(id, byId.has(id) ? newer(byId.get(id), event) : event);
        overrides.set(key, byId);
      } else {
        masters.set(key, masters.has(key) ? newer(masters.get(key), event) : event);
      }
    }
  }
  const found = [];
  for (const [key, master] of masters) {
    found.push({master, overrides: [...(overrides.get(key) || new Map()).values()]});
    overrides.delete(key);
  }
  // An override whose series is not in the file stands alone.
  for (const byId of overrides.values()) {
    for (const override of byId.values()) found.push({master: override, overrides: []});
  }
  return found;
}

function line(start, summary) {
  let time = start;
  if (!start.isDate && start.zone !== ICAL.Timezone.localTimezone) {
    time = start.convertToZone(ICAL.Timezone.utcTimezone);
  }
  const two = n => String(n).padStart(2, '0');
  const day = `${String(time.year).padStart(4, '0')}-${two(time.month)}-${two(time.day)}`;
  return [day, start.isDate ? '' : `${two(time.hour)}:${two(time.minute)}`,
          summary === null || summary === undefined ? '' : String(summary)];
}

function expand(calendars, first, end) {
  const lines = [];
  for (const {master, overrides} of series(calendars)) {
    if (isCancelled(master)) continue;
    const alone = master.hasProperty('recurrence-id');
    const event = new ICAL.Event(master, {exceptions: alone ? [] : overrides});
    // An override may move an occurrence from after the window into it.
    let reach = 0;
    for (const override of overrides) {
      const moved = new ICAL.Event(override);
      if (!moved.startDate) continue;
      reach = Math.max(reach, moved.recurrenceId.toUnixTime() - moved.startDate.toUnixTime());
    }
    if (alone || !event.isRecurring()) {
      if (event.startDate) lines.push(line(event.startDate, event.summary));
      continue;
    }
    const iterator = event.iterator();
    const last = end.toUnixTime() + reach;
    for (let steps = 0, next; (next = iterator.next()); ++steps) {
      // An RDATE period comes as it is; it begins at its start.
      if (next instanceof ICAL.Period) next = next.start;
      if (steps === STEPS) throw new Error(`${event.summary}: more than ${STEPS} steps`);
      if (next.toUnixTime() >= last) break;
      const details = event.getOccurrenceDetails(next);
      if (isCancelled(details.item.component)) continue;
      const start = details.startDate;
      if (start.toUnixTime() + 14 * 3600 < first.toUnixTime()) continue;
      lines.push(line(start, details.item.summary));
    }
  }
  return lines;
}

function occurrences(file, firstDay, endDay) {
  try {
    // As a calendar app reads a file: UTF-8 without its byte order mark,
    // bytes that are not UTF-8 as U+FFFD.
    const text = new TextDecoder('utf-8').decode(readFileSync(file));
    const parsed = ICAL.parse(text);
    const calendars = (typeof parsed[0] === 'string' ? [parsed] : parsed)
        .map(c => new ICAL.Component(c));
    registerZones(calendars);
    return {lines: expand(calendars, ICAL.Time.fromDateString(firstDay),
                          ICAL.Time.fromDateString(endDay))};
  } catch (error) {
    return {error: String(error.message)};
  }
}

// One process for all files, as starting Node takes longer than most files.
for (let i = 0; i + 2 < files.length; i += 3) {
  process.stdout.write(JSON.stringify(occurrences(files[i], files[i + 1], files[i + 2])) + '\n');
}
