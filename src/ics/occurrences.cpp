// libical parses the files and resolves a calendar's own VTIMEZONEs; the
// occurrences of each event are expanded in recurrence.cpp. Here: which
// version of an event counts, how its overrides move and cancel its
// occurrences, and on which days of the local zone each falls.
#include "ics/occurrences.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <optional>
#include <tuple>

#include "ics/message_text.h"
#include "ics/recurrence.h"
#include "ics/time_zones.h"
#include "model/limits.h"

namespace wekset::ics {

struct CalendarEvents::Event {
  icalcomponent* component;
  const std::string& file;
  const ZoneResolver& zones;
  std::size_t position;  // in the order of the files, for the last word on versions
};

namespace {

// Steps of the rules' iterators, about a second's work for libical each half
// million: for one rule, and for a whole run. A rule that needs more to reach
// the window, such as SECONDLY with BYMINUTE and a COUNT from long ago, is
// cut short with a warning.
constexpr std::int64_t kRuleSteps = 500'000;
constexpr std::int64_t kRunSteps = 1'500'000;

using Event = CalendarEvents::Event;

// The calendars of a parsed file: itself, or those inside the root that
// libical makes for several calendars in a row.
std::vector<icalcomponent*> CalendarsOf(icalcomponent* root) {
  if (icalcomponent_isa(root) == ICAL_VCALENDAR_COMPONENT) return {root};
  std::vector<icalcomponent*> calendars;
  if (icalcomponent_isa(root) != ICAL_XROOT_COMPONENT) return calendars;
  for (icalcomponent* c = icalcomponent_get_first_component(root, ICAL_VCALENDAR_COMPONENT);
       c != nullptr; c = icalcomponent_get_next_component(root, ICAL_VCALENDAR_COMPONENT)) {
    calendars.push_back(c);
  }
  return calendars;
}

const char* TextOr(const char* text, const char* otherwise) {
  return text != nullptr && *text != '\0' ? text : otherwise;
}

// A view of the UID in the event's own text, which lives as long as it does.
std::string_view UidOf(const Event& event) {
  return TextOr(icalcomponent_get_uid(event.component), "");
}

std::string NameOf(const Event& event) {
  if (const char* summary = icalcomponent_get_summary(event.component); summary && *summary) {
    return Quoted(summary);
  }
  const char* uid = icalcomponent_get_uid(event.component);
  return uid != nullptr && *uid != '\0' ? "with UID " + Quoted(uid) : "without a UID";
}

std::string Prefix(const Event& event) {
  return event.file + ": the event " + NameOf(event) + ": ";
}

bool Cancelled(const Event& event) {
  return icalcomponent_get_status(event.component) == ICAL_STATUS_CANCELLED;
}

// The libical messages about the properties that place an event, by kind: a
// broken DTSTART leaves nothing to place; a broken RRULE is read by
// recurrence.cpp; any other is a warning, and the rest of the event is shown.
struct Flaws {
  std::string start;
  std::vector<std::string> others;
  bool recurrenceId = false;
};

Flaws FlawsOf(const Event& event) {
  Flaws flaws;
  for (icalproperty* flaw =
           icalcomponent_get_first_property(event.component, ICAL_XLICERROR_PROPERTY);
       flaw != nullptr;
       flaw = icalcomponent_get_next_property(event.component, ICAL_XLICERROR_PROPERTY)) {
    // libical's own words, which quote the value it could not read.
    const std::string text =
        Printable(TextOr(icalproperty_get_xlicerror(flaw), ""), 2 * kMaxQuotedCharacters);
    const auto about = [&](const char* name) {
      return text.find(std::string(name) + " property") != std::string::npos;
    };
    if (about("DTSTART")) {
      flaws.start = text;
    } else if (about("RECURRENCE-ID")) {
      flaws.recurrenceId = true;
      flaws.others.push_back(text);
    } else if (about("DTEND") || about("DURATION") || about("RDATE") || about("EXDATE")) {
      flaws.others.push_back(text);
    }
  }
  return flaws;
}

// The newer of two versions of an event: the higher SEQUENCE, then the later
// LAST-MODIFIED, then the later DTSTAMP, then the one read last.
bool IsNewer(const Event& a, const Event& b) {
  const int sequenceA = icalcomponent_get_sequence(a.component);
  const int sequenceB = icalcomponent_get_sequence(b.component);
  if (sequenceA != sequenceB) return sequenceA > sequenceB;
  for (icalproperty_kind kind : {ICAL_LASTMODIFIED_PROPERTY, ICAL_DTSTAMP_PROPERTY}) {
    icalproperty* pa = icalcomponent_get_first_property(a.component, kind);
    icalproperty* pb = icalcomponent_get_first_property(b.component, kind);
    if (pa == nullptr || pb == nullptr) continue;
    const int order = icaltime_compare(icalvalue_get_datetime(icalproperty_get_value(pa)),
                                       icalvalue_get_datetime(icalproperty_get_value(pb)));
    if (order != 0) return order > 0;
  }
  return a.position > b.position;
}

// An event ready to be placed: its start, its length, and where it came from.
struct Placed {
  const Event* event;
  EventTime start;
  Instant length = 0;
  std::optional<EventTime> recurrenceId;
  bool future = false;  // RANGE=THISANDFUTURE
};

// The start and length of an event, or nothing, with a warning, when it
// cannot be placed.
std::optional<Placed> PlaceOf(const Event& event, const Flaws& flaws,
                              std::vector<std::string>& warnings) {
  const auto leaveOut = [&](const std::string& why) {
    warnings.push_back(event.file + ": left out the event " + NameOf(event) + ": " + why);
    return std::nullopt;
  };
  if (!flaws.start.empty()) return leaveOut(flaws.start);
  icalproperty* startProperty =
      icalcomponent_get_first_property(event.component, ICAL_DTSTART_PROPERTY);
  if (startProperty == nullptr || icaltime_is_null_time(icalproperty_get_dtstart(startProperty))) {
    return leaveOut("it has no start");
  }
  const ReadTime start =
      TimeOf(startProperty, icalproperty_get_dtstart(startProperty), event.zones);
  if (!start.time) return leaveOut(start.flaw);
  const auto note = [&](const ReadTime& read, const char* shown) {
    if (!read.flaw.empty()) warnings.push_back(Prefix(event) + read.flaw + shown);
  };
  note(start, "");
  Placed placed{&event, *start.time, 0, std::nullopt, false};

  // DTEND, or DURATION; without either, a day or a moment.
  if (icalproperty* end = icalcomponent_get_first_property(event.component, ICAL_DTEND_PROPERTY)) {
    const ReadTime time = TimeOf(end, icalproperty_get_dtend(end), event.zones);
    note(time, time.time ? "" : ", so the event is shown without its end");
    if (time.time) placed.length = InZoneOf(*time.time, *start.time).instant - start.time->instant;
  } else if (icalproperty* duration =
                 icalcomponent_get_first_property(event.component, ICAL_DURATION_PROPERTY)) {
    placed.length = icaldurationtype_as_int(icalproperty_get_duration(duration));
  }
  placed.length = std::max<Instant>(placed.length, start.time->IsDate() ? kDay : 0);

  if (icalproperty* id =
          icalcomponent_get_first_property(event.component, ICAL_RECURRENCEID_PROPERTY)) {
    const ReadTime read = TimeOf(id, icalproperty_get_recurrenceid(id), event.zones);
    placed.recurrenceId = read.time;
    if (!read.flaw.empty()) {
      warnings.push_back(Prefix(event) + "its RECURRENCE-ID: " + read.flaw +
                         (read.time ? "" : ", so it is shown as it stands"));
    }
    const char* range = icalproperty_get_parameter_as_string(id, "RANGE");
    placed.future = range != nullptr && std::string(range) == "THISANDFUTURE";
  }
  for (const std::string& other : flaws.others) {
    warnings.push_back(Prefix(event) + other + "; the rest of the event is shown");
  }
  return placed;
}

bool SameDate(const icaltimetype& a, const icaltimetype& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day;
}

// Whether an override's RECURRENCE-ID names this occurrence of its master:
// by the moment, or by the date as written where either side is all-day.
bool Names(const EventTime& id, const EventTime& master, const EventTime& occurrence) {
  if (id.IsDate() || master.IsDate()) return SameDate(id.wall, occurrence.wall);
  return id.instant == occurrence.instant;
}

bool IsLater(const EventTime& occurrence, const EventTime& id, const EventTime& master) {
  if (id.IsDate() || master.IsDate()) {
    const icaltimetype& a = occurrence.wall;
    const icaltimetype& b = id.wall;
    return std::tuple(a.year, a.month, a.day) > std::tuple(b.year, b.month, b.day);
  }
  return occurrence.instant > id.instant;
}

// An occurrence, and the version of the event whose summary it shows.
struct Shown {
  Occurrence occurrence;
  const Event* event;
};

// Moves the occurrence by the given seconds, in its own wall time.
EventTime Moved(const EventTime& time, Instant seconds) {
  const icaltimetype wall = WallAdded(time.wall, seconds);
  return {wall, InstantOf(wall)};
}

// Applies a master's overrides to its occurrences: each takes the place of
// the occurrence that it names, or of that and every later one.
void ApplyOverrides(const Placed& master, std::vector<Placed>& overrides,
                    std::vector<Shown>& shown) {
  std::sort(overrides.begin(), overrides.end(), [](const Placed& a, const Placed& b) {
    return a.recurrenceId->instant < b.recurrenceId->instant;
  });
  for (const Placed& change : overrides) {
    const EventTime& id = *change.recurrenceId;
    const Instant shift = change.start.instant - id.instant;
    std::vector<Shown> kept;
    for (Shown& entry : shown) {
      const EventTime& at = entry.occurrence.start;
      if (Names(id, master.start, at)) continue;
      if (change.future && IsLater(at, id, master.start)) {
        if (Cancelled(*change.event)) continue;
        entry.occurrence.start = Moved(at, shift);
        entry.occurrence.length = change.length;
        entry.event = change.event;
      }
      kept.push_back(entry);
    }
    shown = std::move(kept);
    if (!Cancelled(*change.event)) shown.push_back({{change.start, change.length}, change.event});
  }
}

std::chrono::sys_days DayOf(const icaltimetype& wall) {
  return std::chrono::sys_days{std::chrono::year{wall.year} /
                               std::chrono::month{unsigned(wall.month)} /
                               std::chrono::day{unsigned(wall.day)}};
}

icaltimetype WallClock(Instant instant, icaltimezone* zone) {
  return icaltime_from_timet_with_zone(static_cast<time_t>(instant), 0,
                                       zone != nullptr ? zone : icaltimezone_get_utc_timezone());
}

// Adds the days of the window that an occurrence covers, DTEND exclusive.
// Dates and floating times are shown as written; zoned ones in the local zone.
void AddDays(const Shown& shown, const DayWindow& window, icaltimezone* local,
             std::vector<DayEvent>& days) {
  const Occurrence& occurrence = shown.occurrence;
  const EventTime& start = occurrence.start;
  const bool asWritten = start.IsDate() || start.IsFloating();
  icaltimezone* zone = asWritten ? nullptr : local;
  const icaltimetype first = asWritten ? start.wall : WallClock(start.instant, zone);
  const icaltimetype last =
      WallClock(start.instant + std::max<Instant>(occurrence.length - 1, 0), zone);
  const std::chrono::sys_days firstDay = DayOf(first), lastDay = DayOf(last);
  const int count = static_cast<int>((lastDay - firstDay).count()) + 1;
  for (std::chrono::sys_days day = std::max(firstDay, window.first);
       day <= lastDay && day < window.end; day += std::chrono::days{1}) {
    DayEvent& out = days.emplace_back();
    out.day = day;
    out.dayNumber = static_cast<int>((day - firstDay).count()) + 1;
    out.dayCount = count;
    out.timed = !start.IsDate() && day == firstDay;
    out.minutes = first.hour * 60 + first.minute;
    out.summary = TextOr(icalcomponent_get_summary(shown.event->component), "");
    out.location = TextOr(icalcomponent_get_location(shown.event->component), "");
    out.file = shown.event->file;
  }
}

// The instant of a day's midnight in a zone, or as written without one.
Instant InstantOfDay(std::chrono::sys_days day, icaltimezone* zone) {
  const Instant asWritten = static_cast<Instant>(day.time_since_epoch().count()) * kDay;
  if (zone == nullptr) return asWritten;
  icaltimetype midnight = icaltime_from_timet_with_zone(static_cast<time_t>(asWritten), 0, nullptr);
  midnight.zone = zone;
  return InstantOf(midnight);
}

// The lines in the window of one event, earliest first.
struct EventLines {
  const Event* event;
  std::vector<DayEvent> days;
};

// Shares the table's keep lines out among the events, so that no event can
// push out the rest: each event takes what it has, up to a fair share of
// what is left, the left divided among the events that still want lines;
// the smaller events first, and of events as large, the earlier first.
std::vector<EventLines> ShareOut(std::vector<EventLines> lines, std::size_t keep,
                                 std::vector<std::string>& warnings) {
  std::erase_if(lines, [](const EventLines& event) { return event.days.empty(); });
  std::vector<EventLines*> order;
  for (EventLines& event : lines) order.push_back(&event);
  std::stable_sort(order.begin(), order.end(), [](const EventLines* a, const EventLines* b) {
    return std::tuple(a->days.size(), a->days.front().day) <
           std::tuple(b->days.size(), b->days.front().day);
  });
  std::size_t left = keep, wanting = order.size(), events = 0, past = 0;
  for (EventLines* event : order) {
    const std::size_t share = (left + wanting - 1) / wanting;
    --wanting;
    if (event->days.size() > share) {
      if (share > 0) {
        warnings.push_back(Prefix(*event->event) + "only its first " + std::to_string(share) +
                           " lines in the window are kept, its share of wekset's " +
                           std::to_string(keep));
      } else {
        ++events;
        past += event->days.size();
      }
      event->days.resize(share);
    }
    left -= event->days.size();
  }
  if (events > 0) {
    warnings.push_back(std::to_string(events) + (events == 1 ? " event" : " events") + " with " +
                       std::to_string(past) + (past == 1 ? " line" : " lines") +
                       " in the window were left out, past wekset's " + std::to_string(keep));
  }
  return lines;
}

}  // namespace

CalendarEvents::CalendarEvents() = default;
CalendarEvents::~CalendarEvents() = default;

bool CalendarEvents::Add(const CalendarText& text, const std::string& file, const ZoneNames& names,
                         std::string& error) {
  std::unique_ptr<icalcomponent, void (*)(icalcomponent*)> root(
      icalparser_parse_string(text.text.c_str()), icalcomponent_free);
  const std::vector<icalcomponent*> calendars =
      root ? CalendarsOf(root.get()) : std::vector<icalcomponent*>{};
  if (calendars.empty()) {
    error = "not an iCalendar file";
    return false;
  }
  const std::string& name = *files_.emplace_back(std::make_unique<std::string>(file));
  const auto& broken =
      *brokenZones_.emplace_back(std::make_unique<std::vector<std::string>>(text.brokenZones));
  for (icalcomponent* calendar : calendars) {
    const ZoneResolver& zones =
        *zones_.emplace_back(std::make_unique<ZoneResolver>(names, calendar, broken));
    for (icalcomponent* c = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
         c != nullptr; c = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
      events_.push_back({c, name, zones, events_.size()});
    }
  }
  roots_.push_back(std::move(root));
  return true;
}

DayEvents CalendarEvents::LayOut(const DayWindow& window, icaltimezone* local, std::size_t keep,
                                 std::vector<std::string>& warnings) const {
  // The latest version of each event, and of each of its overrides.
  std::map<std::string_view, const Event*> masters;
  std::map<std::pair<std::string_view, Instant>, Placed> overrides;
  std::vector<Placed> alone;  // events without a UID, and overrides that cannot be matched
  std::vector<Placed> placed;
  placed.reserve(events_.size());
  for (const Event& event : events_) {
    const Flaws flaws = FlawsOf(event);
    std::optional<Placed> place = PlaceOf(event, flaws, warnings);
    if (!place) continue;
    const std::string_view uid = UidOf(event);
    const bool isOverride =
        icalcomponent_get_first_property(event.component, ICAL_RECURRENCEID_PROPERTY) != nullptr;
    if (uid.empty() || flaws.recurrenceId || (isOverride && !place->recurrenceId)) {
      alone.push_back(*place);
    } else if (isOverride) {
      auto [entry, added] = overrides.try_emplace({uid, place->recurrenceId->instant}, *place);
      if (!added && IsNewer(event, *entry->second.event)) entry->second = *place;
    } else {
      auto [entry, added] = masters.try_emplace(uid, &event);
      if (!added && IsNewer(event, *entry->second)) entry->second = &event;
    }
    placed.push_back(*place);
  }
  std::map<std::string_view, std::vector<Placed>> overridesOf;
  for (const auto& [key, change] : overrides) {
    if (masters.contains(key.first)) {
      overridesOf[key.first].push_back(change);
    } else {
      alone.push_back(change);  // no master in any file: shown as it stands
    }
  }

  std::vector<EventLines> lines;
  std::int64_t budget = kRunSteps;
  const auto layOut = [&](const std::vector<Shown>& shown, const Event& event) {
    EventLines& made = lines.emplace_back(EventLines{&event, {}});
    for (const Shown& entry : shown) AddDays(entry, window, local, made.days);
    std::sort(made.days.begin(), made.days.end(),
              [](const DayEvent& a, const DayEvent& b) { return a.day < b.day; });
    if (made.days.size() > keep) made.days.resize(keep);
  };

  for (const Placed& master : placed) {
    if (master.recurrenceId || UidOf(*master.event).empty()) continue;
    const auto found = masters.find(UidOf(*master.event));
    if (found == masters.end() || found->second != master.event) continue;  // an older version
    if (Cancelled(*master.event)) continue;
    // The window as instants: in the local zone, or as written for dates and
    // floating times; the starts of earlier occurrences that last into it too.
    const bool asWritten = master.start.IsDate() || master.start.IsFloating();
    icaltimezone* zone = asWritten ? nullptr : local;
    const Instant first = InstantOfDay(window.first, zone);
    const Instant end = InstantOfDay(window.end, zone);
    const ExpansionLimits limits{first - master.length, end, first, keep, kRuleSteps, &budget};
    std::vector<std::string> flaws;
    const Occurrences occurrences = ExpandEvent(master.event->component, master.start,
                                                master.length, master.event->zones, limits, flaws);
    for (const std::string& flaw : flaws) warnings.push_back(Prefix(*master.event) + flaw);
    std::vector<Shown> shown;
    for (const auto& [instant, occurrence] : occurrences)
      shown.push_back({occurrence, master.event});
    if (auto changes = overridesOf.find(UidOf(*master.event)); changes != overridesOf.end()) {
      ApplyOverrides(master, changes->second, shown);
    }
    layOut(shown, *master.event);
  }
  for (const Placed& single : alone) {
    if (!Cancelled(*single.event))
      layOut({{{single.start, single.length}, single.event}}, *single.event);
  }
  DayEvents result;
  for (EventLines& made : ShareOut(std::move(lines), keep, warnings)) {
    std::move(made.days.begin(), made.days.end(), std::back_inserter(result.events));
  }
  return result;
}

}  // namespace wekset::ics
