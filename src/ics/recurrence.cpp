// Expanding an event with libical's rule iterator. Where the iterator falls
// short of RFC 5545, this makes up for it: DTSTART is always an occurrence
// and the first of COUNT, broken rules are read as far as they can be, and a
// sub-daily rule is started inside the range on a step of its own.
#include "ics/recurrence.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <deque>
#include <memory>
#include <sstream>

namespace wekset::ics {

namespace {

// The text of the rule that libical could not read, from its X-LIC-ERROR.
std::optional<std::string> BrokenRuleText(icalproperty* flaw) {
  const char* message = icalproperty_get_xlicerror(flaw);
  if (message == nullptr) return std::nullopt;
  const std::string text = message;
  if (text.find("RRULE property") == std::string::npos) return std::nullopt;
  const std::string kMarker = "Removing entire property:";
  const std::size_t at = text.find(kMarker);
  std::string rule = at == std::string::npos ? "" : text.substr(at + kMarker.size());
  std::string unescaped;
  for (std::size_t i = 0; i < rule.size(); ++i) {
    if (rule[i] == '\\' && i + 1 < rule.size()) ++i;
    unescaped += rule[i];
  }
  const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  unescaped.erase(unescaped.begin(), std::find_if_not(unescaped.begin(), unescaped.end(), blank));
  unescaped.erase(std::find_if_not(unescaped.rbegin(), unescaped.rend(), blank).base(),
                  unescaped.end());
  return unescaped;
}

// The rule without a COUNT below 0, which libical refuses with all the rest.
std::string WithoutNegativeCount(const std::string& rule) {
  std::istringstream parts(rule);
  std::string part, kept;
  while (std::getline(parts, part, ';')) {
    std::string upper = part;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper.starts_with("COUNT=-")) continue;
    kept += (kept.empty() ? "" : ";") + part;
  }
  return kept;
}

bool IsSubDaily(icalrecurrencetype_frequency frequency) {
  return frequency == ICAL_SECONDLY_RECURRENCE || frequency == ICAL_MINUTELY_RECURRENCE ||
         frequency == ICAL_HOURLY_RECURRENCE;
}

// The seconds of wall time from one step of a rule to the next, where every
// step is as long: 0 for months and years.
Instant StepOf(const icalrecurrencetype& rule) {
  Instant unit = 0;
  switch (rule.freq) {
    case ICAL_SECONDLY_RECURRENCE:
      unit = 1;
      break;
    case ICAL_MINUTELY_RECURRENCE:
      unit = 60;
      break;
    case ICAL_HOURLY_RECURRENCE:
      unit = 3600;
      break;
    case ICAL_DAILY_RECURRENCE:
      unit = kDay;
      break;
    case ICAL_WEEKLY_RECURRENCE:
      unit = 7 * kDay;
      break;
    default:
      return 0;
  }
  return unit * std::max<Instant>(rule.interval, 1);
}

// How far apart, at most, the times of a sub-daily rule lie as its BY parts
// thin its steps out: libical walks every step between them within one call.
Instant WidestGap(const icalrecurrencetype& rule) {
  const auto has = [](const short* part) { return part[0] != ICAL_RECURRENCE_ARRAY_MAX; };
  if (has(rule.by_month) || has(rule.by_year_day) || has(rule.by_week_no)) return 366 * kDay;
  if (has(rule.by_month_day)) return 62 * kDay;
  if (has(rule.by_day)) return 7 * kDay;
  if (has(rule.by_hour)) return kDay;
  if (has(rule.by_minute)) return 3600;
  return 60;
}

bool HasByParts(const icalrecurrencetype& rule) {
  for (const short* part :
       {rule.by_second, rule.by_minute, rule.by_hour, rule.by_day, rule.by_month_day,
        rule.by_year_day, rule.by_week_no, rule.by_month, rule.by_set_pos}) {
    if (part[0] != ICAL_RECURRENCE_ARRAY_MAX) return true;
  }
  return false;
}

// The first of a rule's even steps from start that is not before from,
// counted in the wall time of start's zone, as libical counts.
icaltimetype FirstStepFrom(Instant step, const EventTime& start, Instant from) {
  const icaltimetype wall =
      icaltime_from_timet_with_zone(static_cast<time_t>(from), 0, start.wall.zone);
  const Instant ahead = static_cast<Instant>(icaltime_as_timet(wall)) -
                        static_cast<Instant>(icaltime_as_timet(start.wall));
  return WallAdded(start.wall, (ahead + step - 1) / step * step);
}

void Add(Occurrences& found, const Occurrence& occurrence, const ExpansionLimits& limits) {
  const Instant at = occurrence.start.instant;
  if (at >= limits.to && limits.beyond != nullptr) *limits.beyond = true;
  if (at >= limits.from && at < limits.to) found.emplace(at, occurrence);
}

enum class Expanded { kWhole, kCutShort, kRefused };

// Adds the rule's occurrences, as far as the budgets allow. The steps that
// libical takes are counted from the times it gives.
Expanded ExpandRule(icalrecurrencetype rule, const EventTime& start, Instant length,
                    const ExpansionLimits& limits, Occurrences& found) {
  // The periods of a rule are its even steps from DTSTART; without BY parts,
  // so are its times, and the last of its COUNT is known at once.
  const Instant step = StepOf(rule);
  if (IsSubDaily(rule.freq) && WidestGap(rule) / step > limits.eventBudget)
    return Expanded::kRefused;
  std::optional<icaltimetype> last;
  if (rule.count > 0 && step > 0 && !HasByParts(rule)) {
    last = WallAdded(start.wall, (rule.count - 1) * step);
    rule.count = 0;
  }
  // Steps from DTSTART up to the range could be more than there is time for.
  // libical can start a rule without COUNT later, but counts a sub-daily
  // rule's periods from the midnight before, not from DTSTART: such a rule is
  // started afresh at the first of its own periods within the range instead.
  icaltimetype first = start.wall;
  bool startLater = false;
  if (rule.count == 0 && start.instant < limits.from) {
    if (IsSubDaily(rule.freq)) {
      first = FirstStepFrom(step, start, limits.from);
    } else {
      startLater = true;
    }
  }
  // libical steps a zoned rule in elapsed time, so that an hourly rule slips
  // an hour at each change of the clocks; RFC 5545 steps in the zone's wall
  // time. So the rule is followed in wall time without a zone, its UNTIL in
  // that wall time too, and the zone is put back on each time it gives.
  const icaltimezone* zone = start.wall.zone;
  first.zone = nullptr;
  if (!icaltime_is_null_time(rule.until) && rule.until.is_date == 0 && zone != nullptr) {
    rule.until = icaltime_convert_to_zone(rule.until, const_cast<icaltimezone*>(zone));
    rule.until.zone = nullptr;
  }
  icalrecur_iterator* iterator = icalrecur_iterator_new(rule, first);
  if (iterator == nullptr) return Expanded::kWhole;
  if (startLater) {
    icaltimetype from = icaltime_from_timet_with_zone(static_cast<time_t>(limits.from), 0,
                                                      const_cast<icaltimezone*>(zone));
    from.is_date = start.wall.is_date;
    from.zone = nullptr;
    icalrecur_iterator_set_start(iterator, from);
  }

  // The occurrences kept: those of the window, up to the limit, and before it,
  // those nearest to it, for any that last into it.
  std::deque<Occurrence> before;
  std::size_t kept = 0;
  bool firstStep = true, startIsInstance = false;
  Expanded result = Expanded::kWhole;
  std::int64_t steps = 0;
  Instant previous = startLater ? limits.from : InstantOf(first);
  int produced = 0;
  while (true) {
    if (*limits.budget <= 0 || steps > limits.eventBudget) {
      result = Expanded::kCutShort;
      break;
    }
    icaltimetype next = icalrecur_iterator_next(iterator);
    if (icaltime_is_null_time(next)) break;
    next.zone = zone;
    if (last && icaltime_compare(next, *last) > 0) break;
    const Instant instant = InstantOf(next);
    const std::int64_t taken = step > 0 ? std::max<Instant>((instant - previous) / step, 1) : 1;
    steps += taken;
    *limits.budget -= taken;
    previous = instant;
    if (firstStep) startIsInstance = instant == start.instant;
    firstStep = false;
    // DTSTART is the first of COUNT's occurrences, whether or not the rule
    // gives it.
    if (rule.count > 0 && !startIsInstance && ++produced >= rule.count) break;
    if (instant >= limits.to) {
      if (limits.beyond != nullptr) *limits.beyond = true;
      break;
    }
    if (instant < limits.from) continue;
    const Occurrence occurrence{{next, instant}, length};
    if (instant < limits.window) {
      before.push_back(occurrence);
      if (before.size() > limits.keep) before.pop_front();
    } else {
      Add(found, occurrence, limits);
      if (++kept > limits.keep) break;
    }
  }
  icalrecur_iterator_free(iterator);
  for (const Occurrence& occurrence : before) Add(found, occurrence, limits);
  return result;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

// A wall time in a zone whose clocks change: RFC 5545 takes a time that the
// change skips with the offset from before it, and a time that occurs twice
// as the first of them. The offsets a day either way of it are those from
// before and after any change that touches it.
Instant InstantOf(const icaltimetype& time) {
  const Instant asWritten = icaltime_as_timet(time);
  if (time.is_date == 1 || time.zone == nullptr) return asWritten;
  auto* zone = const_cast<icaltimezone*>(time.zone);
  const auto offsetAt = [&](Instant instant) {
    return static_cast<Instant>(icaltime_as_timet(
               icaltime_from_timet_with_zone(static_cast<time_t>(instant), 0, zone))) -
           instant;
  };
  const auto fits = [&](Instant instant) {
    return static_cast<Instant>(icaltime_as_timet(
               icaltime_from_timet_with_zone(static_cast<time_t>(instant), 0, zone))) == asWritten;
  };
  const Instant before = asWritten - offsetAt(asWritten - kDay);
  const Instant after = asWritten - offsetAt(asWritten + kDay);
  if (before == after) return before;  // no change of the clocks near it
  if (fits(before) && fits(after)) return std::min(before, after);
  if (fits(after)) return after;
  return before;
}

icaltimetype WallAdded(icaltimetype wall, Instant seconds) {
  icaltime_adjust(&wall, static_cast<int>(seconds / kDay), 0, 0, static_cast<int>(seconds % kDay));
  return wall;
}

EventTime InZoneOf(EventTime time, const EventTime& start) {
  if (time.IsFloating() && !start.IsFloating() && !start.IsDate()) {
    time.wall.zone = start.wall.zone;
    time.instant = InstantOf(time.wall);
  }
  return time;
}

std::optional<EventTime> TimeOf(icalproperty* property, icaltimetype value,
                                const ZoneResolver& zones, std::string& flaw) {
  EventTime time{value};
  if (value.is_date == 0 && !icaltime_is_utc(value)) {
    time.wall.zone = nullptr;
    if (const char* tzid = icalproperty_get_parameter_as_string(property, "TZID")) {
      time.wall.zone = zones.Find(tzid);
      if (time.wall.zone == nullptr) {
        flaw = std::string("its time zone ") + tzid + " is unknown";
        return std::nullopt;
      }
    }
  }
  time.instant = InstantOf(time.wall);
  return time;
}

Occurrences ExpandEvent(icalcomponent* event, const EventTime& start, Instant length,
                        const ZoneResolver& zones, const ExpansionLimits& limits,
                        std::vector<std::string>& warnings) {
  Occurrences found;
  Add(found, {start, length}, limits);

  const auto timeOf = [&](icalproperty* property, icaltimetype value) -> std::optional<EventTime> {
    std::string flaw;
    const std::optional<EventTime> time = TimeOf(property, value, zones, flaw);
    if (!time) {
      warnings.push_back(std::string(icalproperty_get_property_name(property)) + " " +
                         icaltime_as_ical_string(value) + ": " + flaw);
      return std::nullopt;
    }
    return InZoneOf(*time, start);
  };

  std::vector<icalrecurrencetype> rules;
  for (icalproperty* property = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
       property != nullptr;
       property = icalcomponent_get_next_property(event, ICAL_RRULE_PROPERTY)) {
    rules.push_back(icalproperty_get_rrule(property));
  }
  // The rules read here own their RSCALE, which libical copies for them.
  std::vector<std::unique_ptr<char, decltype(&std::free)>> scales;
  for (icalproperty* flaw = icalcomponent_get_first_property(event, ICAL_XLICERROR_PROPERTY);
       flaw != nullptr; flaw = icalcomponent_get_next_property(event, ICAL_XLICERROR_PROPERTY)) {
    const std::optional<std::string> text = BrokenRuleText(flaw);
    if (!text || text->empty()) continue;  // an empty RRULE says nothing
    const icalrecurrencetype rule =
        icalrecurrencetype_from_string(WithoutNegativeCount(*text).c_str());
    scales.emplace_back(rule.rscale, &std::free);
    icalerror_clear_errno();
    if (rule.freq == ICAL_NO_RECURRENCE) {
      warnings.push_back("its rule " + Quoted(*text) +
                         " cannot be read, so only its first occurrence is shown");
      continue;
    }
    rules.push_back(rule);
  }
  for (icalrecurrencetype rule : rules) {
    switch (ExpandRule(rule, start, length, limits, found)) {
      case Expanded::kWhole:
        break;
      case Expanded::kCutShort:
        warnings.push_back("its rule " + Quoted(icalrecurrencetype_as_string(&rule)) +
                           " takes more steps than there is time for, so it is cut short");
        break;
      case Expanded::kRefused:
        warnings.push_back("its rule " + Quoted(icalrecurrencetype_as_string(&rule)) +
                           " lies too thinly over its steps to be followed, so only its first "
                           "occurrence is shown");
        break;
    }
  }

  for (icalproperty* property = icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY);
       property != nullptr;
       property = icalcomponent_get_next_property(event, ICAL_RDATE_PROPERTY)) {
    const icaldatetimeperiodtype date = icalproperty_get_rdate(property);
    if (icaltime_is_null_time(date.period.start)) {
      if (std::optional<EventTime> time = timeOf(property, date.time)) {
        Add(found, {*time, length}, limits);
      }
    } else if (std::optional<EventTime> time = timeOf(property, date.period.start)) {
      // A period ends at its end, or lasts its duration.
      Instant lasts = icaldurationtype_as_int(date.period.duration);
      if (!icaltime_is_null_time(date.period.end)) {
        if (std::optional<EventTime> end = timeOf(property, date.period.end)) {
          lasts = end->instant - time->instant;
        }
      }
      Add(found, {*time, std::max<Instant>(lasts, 0)}, limits);
    }
  }

  for (icalproperty* property = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY);
       property != nullptr;
       property = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY)) {
    const std::optional<EventTime> excluded = timeOf(property, icalproperty_get_exdate(property));
    if (!excluded) continue;
    if (!excluded->IsDate() && !start.IsDate()) {
      found.erase(excluded->instant);
      continue;
    }
    // A date excludes the occurrences on that day, as written.
    std::erase_if(found, [&](const auto& entry) {
      const icaltimetype& wall = entry.second.start.wall;
      return wall.year == excluded->wall.year && wall.month == excluded->wall.month &&
             wall.day == excluded->wall.day;
    });
  }
  return found;
}

}  // namespace wekset::ics
