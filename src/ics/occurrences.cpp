// libical parses the files, resolves the time zones (a file's VTIMEZONE, or
// the system's zone database) and expands RRULE, RDATE and EXDATE. What is
// left here: overrides by RECURRENCE-ID, cancellations, and days.
#include "ics/occurrences.h"

#include <libical/ical.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <set>

namespace wekset::ics {

namespace {

struct ComponentFree {
  void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using ComponentHandle = std::unique_ptr<icalcomponent, ComponentFree>;

bool ReadWhole(const std::string& name, std::string& text, std::string& error) {
  std::FILE* file = name == "-" ? stdin : std::fopen(name.c_str(), "rb");
  if (file == nullptr) {
    error = name + ": " + std::strerror(errno);
    return false;
  }
  char block[65536];
  std::size_t count;
  while ((count = std::fread(block, 1, sizeof block, file)) > 0) text.append(block, count);
  const bool failed = std::ferror(file) != 0;
  const int readError = errno;
  if (file != stdin) std::fclose(file);
  if (failed) error = name + ": " + std::strerror(readError);
  return !failed;
}

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

struct Event {
  icalcomponent* component;
  std::string file;
};

const char* TextOr(const char* text, const char* otherwise) {
  return text != nullptr && *text != '\0' ? text : otherwise;
}

std::string NameOf(icalcomponent* event) {
  if (const char* summary = icalcomponent_get_summary(event); summary && *summary) {
    return std::string("\"") + summary + "\"";
  }
  return std::string("with UID ") + TextOr(icalcomponent_get_uid(event), "(none)");
}

// Occurrence starts as libical's spans give them: true UTC seconds for zoned
// and UTC times, the written time read as UTC for floating times and dates.
std::time_t SpanTime(const icaltimetype& time) {
  return icaltime_as_timet_with_zone(
      time, time.zone != nullptr ? time.zone : icaltimezone_get_utc_timezone());
}

// Why the event cannot be placed, or nothing when it can. libical drops a
// property it cannot parse and says so in an X-LIC-ERROR; without its dates
// and rules the event would land on the wrong days, while a broken LOCATION,
// say, costs nothing worse than the location.
std::string Flaw(icalcomponent* event) {
  for (icalproperty* flaw = icalcomponent_get_first_property(event, ICAL_XLICERROR_PROPERTY);
       flaw != nullptr; flaw = icalcomponent_get_next_property(event, ICAL_XLICERROR_PROPERTY)) {
    const std::string text = TextOr(icalproperty_get_xlicerror(flaw), "");
    for (const char* name :
         {"DTSTART", "DTEND", "DURATION", "RRULE", "RDATE", "EXDATE", "RECURRENCE-ID"}) {
      if (text.find(std::string(name) + " property") != std::string::npos) return text;
    }
  }
  icalproperty* start = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
  if (start == nullptr || icaltime_is_null_time(icalcomponent_get_dtstart(event))) {
    return "it has no start";
  }
  if (icalproperty_get_first_parameter(start, ICAL_TZID_PARAMETER) != nullptr &&
      icalcomponent_get_dtstart(event).zone == nullptr) {
    return std::string("its time zone ") + icalproperty_get_parameter_as_string(start, "TZID") +
           " is unknown";
  }
  return "";
}

bool Cancelled(icalcomponent* event) {
  return icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED;
}

struct Layout {
  const DayWindow& window;
  std::vector<DayEvent>& events;
  const Event* event = nullptr;
  bool date = false;       // an all-day event
  bool floating = false;   // times as written, in no zone
  std::time_t length = 0;  // from the start to DTEND, which is not part of the event
  const std::set<std::time_t>* replaced = nullptr;
};

std::tm WallClock(std::time_t time, bool asWritten) {
  std::tm wall{};
  if (asWritten) {
    gmtime_r(&time, &wall);
  } else {
    localtime_r(&time, &wall);
  }
  return wall;
}

std::chrono::sys_days DayOf(const std::tm& wall) {
  return std::chrono::sys_days{std::chrono::year{wall.tm_year + 1900} /
                               std::chrono::month{unsigned(wall.tm_mon + 1)} /
                               std::chrono::day{unsigned(wall.tm_mday)}};
}

// One occurrence: every day it covers, DTEND exclusive, that the window holds.
void AddOccurrenceDays(icalcomponent* component, icaltime_span* span, void* data) {
  // The span's end is not used: libical ends an all-day span at the end of
  // its DTEND day, while DTEND is not part of the event.
  Layout& layout = *static_cast<Layout*>(data);
  if (layout.replaced != nullptr && layout.replaced->contains(span->start)) return;
  const bool asWritten = layout.date || layout.floating;
  const std::tm start = WallClock(span->start, asWritten);
  const std::time_t lastMoment = span->start + std::max<std::time_t>(layout.length - 1, 0);
  const std::chrono::sys_days first = DayOf(start);
  const std::chrono::sys_days last = DayOf(WallClock(lastMoment, asWritten));
  const int count = static_cast<int>((last - first).count()) + 1;
  for (std::chrono::sys_days day = std::max(first, layout.window.first);
       day <= last && day < layout.window.end; day += std::chrono::days{1}) {
    DayEvent& out = layout.events.emplace_back();
    out.day = day;
    out.dayNumber = static_cast<int>((day - first).count()) + 1;
    out.dayCount = count;
    out.timed = !layout.date && day == first;
    out.minutes = start.tm_hour * 60 + start.tm_min;
    out.summary = TextOr(icalcomponent_get_summary(component), "");
    out.location = TextOr(icalcomponent_get_location(component), "");
    out.file = layout.event->file;
  }
}

}  // namespace

bool ReadOccurrences(const std::vector<std::string>& files, const DayWindow& window,
                     std::vector<DayEvent>& events, std::vector<std::string>& warnings,
                     std::string& error) {
  std::vector<ComponentHandle> roots;
  std::vector<Event> all;
  for (const std::string& file : files) {
    std::string text;
    if (!ReadWhole(file, text, error)) return false;
    ComponentHandle root(icalparser_parse_string(text.c_str()));
    const std::vector<icalcomponent*> calendars =
        root ? CalendarsOf(root.get()) : std::vector<icalcomponent*>{};
    if (calendars.empty()) {
      error = file + ": not an iCalendar file";
      return false;
    }
    for (icalcomponent* calendar : calendars) {
      for (icalcomponent* c = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
           c != nullptr; c = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
        all.push_back({c, file});
      }
    }
    roots.push_back(std::move(root));
  }

  // The occurrences that an overriding event moves or cancels, by UID.
  std::map<std::string, std::set<std::time_t>> replaced;
  for (const Event& event : all) {
    icalproperty* id =
        icalcomponent_get_first_property(event.component, ICAL_RECURRENCEID_PROPERTY);
    if (id == nullptr) continue;
    replaced[TextOr(icalcomponent_get_uid(event.component), "")].insert(
        SpanTime(icalcomponent_get_recurrenceid(event.component)));
  }

  // A margin of two days on each side takes in every zone's offset; the days
  // are picked exactly when the occurrences are laid out.
  const auto limit = [](std::chrono::sys_days day) {
    const std::chrono::year_month_day date{day};
    icaltimetype time = icaltime_null_time();
    time.year = int(date.year());
    time.month = int(unsigned(date.month()));
    time.day = int(unsigned(date.day()));
    time.zone = icaltimezone_get_utc_timezone();
    return time;
  };
  const icaltimetype from = limit(window.first - std::chrono::days{2});
  const icaltimetype to = limit(window.end + std::chrono::days{2});

  for (const Event& event : all) {
    if (const std::string flaw = Flaw(event.component); !flaw.empty()) {
      warnings.push_back(event.file + ": left out the event " + NameOf(event.component) + ": " +
                         flaw);
      continue;
    }
    if (Cancelled(event.component)) continue;
    const icaltimetype start = icalcomponent_get_dtstart(event.component);
    Layout layout{window, events, &event, start.is_date == 1,
                  start.is_date == 0 && start.zone == nullptr && !icaltime_is_utc(start)};
    // DTEND, or DTSTART and DURATION; without either, a day or a moment.
    const icaltimetype end = icalcomponent_get_dtend(event.component);
    constexpr std::time_t kDay = 24 * 60 * 60;
    if (!icaltime_is_null_time(end)) layout.length = SpanTime(end) - SpanTime(start);
    if (layout.date) layout.length = std::max(layout.length, kDay);
    const bool isOverride =
        icalcomponent_get_first_property(event.component, ICAL_RECURRENCEID_PROPERTY) != nullptr;
    if (!isOverride) {
      const auto found = replaced.find(TextOr(icalcomponent_get_uid(event.component), ""));
      if (found != replaced.end()) layout.replaced = &found->second;
    }
    icalcomponent_foreach_recurrence(event.component, from, to, AddOccurrenceDays, &layout);
  }
  return true;
}

}  // namespace wekset::ics
