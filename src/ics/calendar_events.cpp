// libical parses the files and resolves a calendar's own VTIMEZONEs; the
// versions, occurrences and days of each event are found by the steps that
// this runs in turn.
#include "ics/calendar_events.h"

#include "ics/libical.h"

namespace wekset::ics {

namespace {

// The calendars of a parsed file: itself, or those inside the root that
// libical makes for several calendars in a row.
std::vector<icalcomponent*> CalendarsOf(icalcomponent* root) {
  if (icalcomponent_isa(root) == ICAL_VCALENDAR_COMPONENT) return {root};
  std::vector<icalcomponent*> calendars;
  if (icalcomponent_isa(root) != ICAL_XROOT_COMPONENT) return calendars;
  for (icalcomponent* calendar : Components(root, ICAL_VCALENDAR_COMPONENT)) {
    calendars.push_back(calendar);
  }
  return calendars;
}

// The occurrences of a series in the window with its overrides applied;
// the steps it took are taken from stepsLeft.
std::vector<Shown> OccurrencesOf(const Series& series, const DayWindow& window, icaltimezone* local,
                                 const LayOutLimits& limits, std::int64_t& stepsLeft,
                                 std::vector<std::string>& warnings) {
  const Placed& master = series.master;
  // The window as instants: in the local zone, or as written for dates and
  // floating times; the starts of earlier occurrences that last into it too.
  const bool asWritten = master.start.IsDate() || master.start.IsFloating();
  icaltimezone* zone = asWritten ? nullptr : local;
  const Instant first = InstantOfDay(window.first, zone);
  const Instant longest = master.length.seconds + master.length.days * (kDay + 3600);
  const ExpansionLimits expansion{
      first - longest, InstantOfDay(window.end, zone), first, limits.keep, limits.ruleSteps,
      stepsLeft};
  Expansion made = ExpandEvent(master.event->component, master.start, master.length,
                               master.event->zones, expansion);
  stepsLeft -= made.steps;
  for (const std::string& flaw : made.flaws) warnings.push_back(Prefix(*master.event) + flaw);
  std::vector<Shown> shown;
  for (const auto& [instant, occurrence] : made.occurrences) {
    shown.push_back({occurrence, master.event, occurrence.start});
  }
  return ApplyOverrides(series, std::move(shown));
}

}  // namespace

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
    for (icalcomponent* event : Components(calendar, ICAL_VEVENT_COMPONENT)) {
      events_.push_back({event, name, zones, events_.size()});
    }
  }
  roots_.push_back(std::move(root));
  return true;
}

DayEvents CalendarEvents::LayOut(const DayWindow& window, icaltimezone* local,
                                 const LayOutLimits& limits,
                                 std::vector<std::string>& warnings) const {
  const Versions versions = SortVersions(events_, warnings);
  std::vector<EventLines> lines;
  std::int64_t stepsLeft = limits.runSteps;
  const auto layOut = [&](const std::vector<Shown>& shown, const Event& event) {
    EventLines& made = lines.emplace_back(EventLines{&event, DaysOf(shown, window, local)});
    if (made.days.size() > limits.keep) made.days.resize(limits.keep);
  };
  for (const Series& series : versions.series) {
    if (Cancelled(*series.master.event)) continue;
    layOut(OccurrencesOf(series, window, local, limits, stepsLeft, warnings), *series.master.event);
  }
  for (const Placed& single : versions.alone) {
    if (Cancelled(*single.event)) continue;
    layOut({{{single.start, single.length.At(single.start)}, single.event, single.start}},
           *single.event);
  }
  return ShareOut(std::move(lines), limits.keep, warnings);
}

}  // namespace wekset::ics
