// Expanding an event with libical's rule iterator. Where the iterator falls
// short of RFC 5545, this makes up for it: DTSTART is always an occurrence
// and the first of COUNT, broken rules are read as far as they can be, and a
// sub-daily rule is started inside the range on a step of its own.
#include "ics/recurrence.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <memory>
#include <sstream>

#include "ics/message_text.h"
#include "model/limits.h"

namespace wekset::ics {

namespace {

// Midnight after the last day a calendar can show, in seconds since 1970.
const Instant kCalendarEnd =
    std::chrono::sys_seconds{std::chrono::sys_days{std::chrono::year{kLastCalendarDay.year} /
                                                   kLastCalendarDay.month / kLastCalendarDay.day} +
                             std::chrono::days{1}}
        .time_since_epoch()
        .count();

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

bool Has(const short* part) { return part[0] != ICAL_RECURRENCE_ARRAY_MAX; }

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
  if (Has(rule.by_month) || Has(rule.by_year_day) || Has(rule.by_week_no)) return 366 * kDay;
  if (Has(rule.by_month_day)) return 62 * kDay;
  if (Has(rule.by_day)) return 7 * kDay;
  if (Has(rule.by_hour)) return kDay;
  if (Has(rule.by_minute)) return 3600;
  return 60;
}

bool HasByParts(const icalrecurrencetype& rule) {
  for (const short* part :
       {rule.by_second, rule.by_minute, rule.by_hour, rule.by_day, rule.by_month_day,
        rule.by_year_day, rule.by_week_no, rule.by_month, rule.by_set_pos}) {
    if (Has(part)) return true;
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

// Whether the occurrence is new to found and within the range.
bool Add(Occurrences& found, const Occurrence& occurrence, const ExpansionLimits& limits) {
  const Instant at = occurrence.start.instant;
  return at >= limits.from && at < limits.to && found.emplace(at, occurrence).second;
}

// A date of the calendar, and a time of the day; a second of 60 is a leap
// second, as RFC 5545 allows.
bool IsRealTime(const icaltimetype& time) {
  if (time.year < 1 || time.year > 9999 || time.month < 1 || time.month > 12 || time.day < 1 ||
      time.day > icaltime_days_in_month(time.month, time.year)) {
    return false;
  }
  return time.is_date == 1 || (time.hour >= 0 && time.hour < 24 && time.minute >= 0 &&
                               time.minute < 60 && time.second >= 0 && time.second <= 60);
}

bool AnyIs(const short* part, int value, int negative) {
  for (; *part != ICAL_RECURRENCE_ARRAY_MAX; ++part) {
    if (*part == value || *part == negative) return true;
  }
  return false;
}

// Whether any day passes the rule's BY parts that pick days, each part taken
// as a set of days: BYMONTH=2;BYMONTHDAY=30 passes none, and libical would
// search for it up to the year 2582. Ordinals of BYDAY count as their
// weekday, and BYWEEKNO as any week, so that no rule that can occur is taken
// for one that cannot. The 28 years from 2001 hold every kind of year that
// there is from 1901 to 2099.
bool CanOccur(const icalrecurrencetype& rule) {
  const int parts =
      Has(rule.by_month) + Has(rule.by_month_day) + Has(rule.by_year_day) + Has(rule.by_day);
  if (parts < 2) return true;
  using namespace std::chrono;
  for (sys_days day = sys_days{2001y / 1 / 1}; day < sys_days{2029y / 1 / 1}; day += days{1}) {
    const year_month_day date{day};
    const int month = int(unsigned(date.month())), dayOfMonth = int(unsigned(date.day()));
    const int inMonth = int(unsigned((date.year() / date.month() / last).day()));
    const int dayOfYear = int((day - sys_days{date.year() / 1 / 1}).count()) + 1;
    const int inYear = date.year().is_leap() ? 366 : 365;
    if (Has(rule.by_month) && !AnyIs(rule.by_month, month, month)) continue;
    if (Has(rule.by_month_day) && !AnyIs(rule.by_month_day, dayOfMonth, dayOfMonth - inMonth - 1)) {
      continue;
    }
    if (Has(rule.by_year_day) && !AnyIs(rule.by_year_day, dayOfYear, dayOfYear - inYear - 1)) {
      continue;
    }
    if (Has(rule.by_day)) {
      const int dayOfWeek = int(weekday{day}.c_encoding()) + 1;  // libical's: 1 for Sunday
      bool any = false;
      for (const short* value = rule.by_day; *value != ICAL_RECURRENCE_ARRAY_MAX; ++value) {
        any = any || int(icalrecurrencetype_day_day_of_week(*value)) == dayOfWeek;
      }
      if (!any) continue;
    }
    return true;
  }
  return false;
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
    if (instant >= limits.to) break;
    if (instant < limits.from) continue;
    const Occurrence occurrence{{next, instant}, length};
    if (instant < limits.window) {
      before.push_back(occurrence);
      if (before.size() > limits.keep) before.pop_front();
    } else {
      // A rule of minutes on a date gives each day many times over: only
      // new days count.
      if (Add(found, occurrence, limits) && ++kept > limits.keep) break;
    }
  }
  icalrecur_iterator_free(iterator);
  for (const Occurrence& occurrence : before) Add(found, occurrence, limits);
  return result;
}

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

ReadTime TimeOf(icalproperty* property, icaltimetype value, const ZoneResolver& zones) {
  ReadTime read;
  EventTime time{value};
  if (!IsRealTime(value)) {
    time.wall = icaltime_normalize(value);
    const std::string kind = value.is_date == 1 ? "date" : "time";
    read.flaw = "its " + kind + " " + Quoted(icaltime_as_ical_string(value)) + " is no real " +
                kind + ", so it is taken as " + Quoted(icaltime_as_ical_string(time.wall));
  }
  if (value.is_date == 0 && !icaltime_is_utc(value)) {
    time.wall.zone = nullptr;
    if (const char* tzid = icalproperty_get_parameter_as_string(property, "TZID")) {
      const FoundZone found = zones.Find(tzid);
      if (found.broken) {
        read.flaw += std::string(read.flaw.empty() ? "" : "; ") + "its time zone " + Quoted(tzid) +
                     " has an impossible UTC offset, so its time is shown as written";
      } else if (found.zone == nullptr) {
        read.flaw = "its time zone " + Quoted(tzid) + " is unknown";
        return read;
      }
      time.wall.zone = found.zone;
    }
  }
  time.instant = InstantOf(time.wall);
  read.time = time;
  return read;
}

Occurrences ExpandEvent(icalcomponent* event, const EventTime& start, Instant length,
                        const ZoneResolver& zones, const ExpansionLimits& limits,
                        std::vector<std::string>& warnings) {
  Occurrences found;
  Add(found, {start, length}, limits);

  const auto timeOf = [&](icalproperty* property, icaltimetype value) -> std::optional<EventTime> {
    const ReadTime read = TimeOf(property, value, zones);
    if (!read.flaw.empty()) {
      warnings.push_back(std::string(icalproperty_get_property_name(property)) + " " +
                         Quoted(icaltime_as_ical_string(value)) + ": " + read.flaw);
    }
    if (!read.time) return std::nullopt;
    return InZoneOf(*read.time, start);
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
  // How far a rule's steps may reach: to the last day a calendar can show.
  const Instant reach = kCalendarEnd - start.instant;
  for (icalrecurrencetype rule : rules) {
    const std::string said = "its rule " + Quoted(icalrecurrencetype_as_string(&rule));
    // An all-day event occurs on days: a rule of hours or less gives it each
    // day it steps on, as often as it steps there.
    if (start.IsDate() && IsSubDaily(rule.freq)) {
      const Instant days = StepOf(rule) / kDay;
      rule.interval = static_cast<short>(StepOf(rule) % kDay == 0 ? days : 1);
      rule.freq = ICAL_DAILY_RECURRENCE;
      for (short* part : {rule.by_hour, rule.by_minute, rule.by_second}) {
        part[0] = ICAL_RECURRENCE_ARRAY_MAX;
      }
      warnings.push_back(said + " steps by hours or less through all-day events, so it is " +
                         "taken as " + Quoted(icalrecurrencetype_as_string(&rule)));
    }
    const Instant step = StepOf(rule);
    if (!CanOccur(rule)) {
      warnings.push_back(said + " can never occur, so only its first occurrence is shown");
      continue;
    }
    if (step > 0 && reach > 0 && step > reach) {
      warnings.push_back(said + " has an INTERVAL that reaches past 2099, so only its first " +
                         "occurrence is shown");
      continue;
    }
    // COUNT steps that reach past the calendar end where the calendar does.
    if (rule.count > 0 && step > 0 && !HasByParts(rule) && reach > 0 &&
        rule.count - 1 > reach / step) {
      warnings.push_back(said + " has a COUNT that reaches past 2099, so it is followed as far " +
                         "as a calendar goes");
      rule.count = 0;
    }
    switch (ExpandRule(rule, start, length, limits, found)) {
      case Expanded::kWhole:
        break;
      case Expanded::kCutShort:
        warnings.push_back(said + " takes more steps than there is time for, so it is cut short");
        break;
      case Expanded::kRefused:
        warnings.push_back(said +
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
