// Expanding an event with libical's rule iterator. Where the iterator falls
// short of RFC 5545, this makes up for it: DTSTART is always an occurrence
// and the first of COUNT, broken rules are read as far as they can be, a
// sub-daily rule is started inside the range on a step of its own, a rule
// that no day can meet is not searched, and yearly rules of ISO weeks, which
// libical gets wrong at the turn of the year, are followed here.
#include "ics/recurrence.h"

#include <unicode/ucal.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <memory>
#include <sstream>
#include <utility>

#include "ics/libical.h"
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

// The rule without what libical refuses it for with all the rest: a COUNT
// below 0, which counts as none, and the parts that no rule has, such as a
// misspelt UNTL, which are named in dropped.
std::string Readable(const std::string& rule, std::vector<std::string>& dropped) {
  static constexpr std::string_view kParts[] = {
      "FREQ",       "UNTIL",     "COUNT",    "INTERVAL", "BYSECOND", "BYMINUTE", "BYHOUR", "BYDAY",
      "BYMONTHDAY", "BYYEARDAY", "BYWEEKNO", "BYMONTH",  "BYSETPOS", "WKST",     "RSCALE", "SKIP"};
  std::istringstream parts(rule);
  std::string part, kept;
  while (std::getline(parts, part, ';')) {
    std::string upper = part;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper.starts_with("COUNT=-")) continue;
    const std::string name = upper.substr(0, upper.find('='));
    if (std::find(std::begin(kParts), std::end(kParts), name) == std::end(kParts)) {
      dropped.push_back(part.substr(0, part.find('=')));
      continue;
    }
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

// Where libical's iterator starts a rule, and where a COUNT without BY parts
// ends it.
struct RuleStart {
  icaltimetype first;
  bool later = false;  // started at the range, past the steps before it
  std::optional<icaltimetype> last;
};

RuleStart StartOf(icalrecurrencetype& rule, Instant step, const EventTime& start,
                  const ExpansionLimits& limits) {
  RuleStart at{start.wall, false, std::nullopt};
  // The periods of a rule are its even steps from DTSTART; without BY parts,
  // so are its times, and the last of its COUNT is known at once.
  if (rule.count > 0 && step > 0 && !HasByParts(rule)) {
    at.last = WallAdded(start.wall, (rule.count - 1) * step);
    rule.count = 0;
  }
  // Steps from DTSTART up to the range could be more than there is time for.
  // libical can start a rule without COUNT later, but counts a sub-daily
  // rule's periods from the midnight before, not from DTSTART: such a rule is
  // started afresh at the first of its own periods within the range instead.
  if (rule.count == 0 && start.instant < limits.from) {
    if (IsSubDaily(rule.freq)) {
      at.first = FirstStepFrom(step, start, limits.from);
    } else {
      at.later = true;
    }
  }
  return at;
}

// libical steps a zoned rule in elapsed time, so that an hourly rule slips
// an hour at each change of the clocks; RFC 5545 steps in the zone's wall
// time. So the rule is followed in wall time without a zone, its UNTIL in
// that wall time too, and the zone is put back on each time it gives.
icalrecur_iterator* IteratorOf(icalrecurrencetype rule, const RuleStart& at, const EventTime& start,
                               const ExpansionLimits& limits) {
  const icaltimezone* zone = start.wall.zone;
  icaltimetype first = at.first;
  first.zone = nullptr;
  if (!icaltime_is_null_time(rule.until) && rule.until.is_date == 0 && zone != nullptr) {
    rule.until = icaltime_convert_to_zone(rule.until, Mutable(zone));
    rule.until.zone = nullptr;
  }
  icalrecur_iterator* iterator = icalrecur_iterator_new(rule, first);
  if (iterator != nullptr && at.later) {
    icaltimetype from =
        icaltime_from_timet_with_zone(static_cast<time_t>(limits.from), 0, Mutable(zone));
    from.is_date = start.wall.is_date;
    from.zone = nullptr;
    icalrecur_iterator_set_start(iterator, from);
  }
  return iterator;
}

// The occurrences of one rule as they come: those of the window, up to the
// limit, and before it, those nearest to it, for any that last into it.
class RuleOccurrences {
 public:
  RuleOccurrences(const ExpansionLimits& limits, Occurrences& found)
      : limits_(limits), found_(found) {}
  ~RuleOccurrences() {
    for (const Occurrence& occurrence : before_) Add(found_, occurrence, limits_);
  }

  /// False once the rule has given all that is kept.
  bool Take(const Occurrence& occurrence) {
    if (occurrence.start.instant < limits_.window) {
      before_.push_back(occurrence);
      if (before_.size() > limits_.keep) before_.pop_front();
      return true;
    }
    // A rule of minutes on a date gives each day many times over: only new
    // days count.
    return !Add(found_, occurrence, limits_) || ++kept_ <= limits_.keep;
  }

 private:
  const ExpansionLimits& limits_;
  Occurrences& found_;
  std::deque<Occurrence> before_;
  std::size_t kept_ = 0;
};

// Adds the rule's occurrences, as far as the steps allow, and takes the
// steps it used from stepsLeft. The steps that libical takes are counted
// from the times it gives.
Expanded ExpandRule(icalrecurrencetype rule, const EventTime& start, const EventLength& length,
                    const ExpansionLimits& limits, std::int64_t& stepsLeft, Occurrences& found) {
  const Instant step = StepOf(rule);
  if (IsSubDaily(rule.freq) && WidestGap(rule) / step > limits.ruleSteps) {
    return Expanded::kRefused;
  }
  const RuleStart at = StartOf(rule, step, start, limits);
  icalrecur_iterator* iterator = IteratorOf(rule, at, start, limits);
  if (iterator == nullptr) return Expanded::kWhole;
  RuleOccurrences kept(limits, found);
  Expanded result = Expanded::kWhole;
  std::int64_t steps = 0;
  Instant previous = at.later ? limits.from : InstantOf({at.first});
  bool firstStep = true, startIsInstance = false;
  int produced = 0;
  while (true) {
    if (stepsLeft <= 0 || steps > limits.ruleSteps) {
      result = Expanded::kCutShort;
      break;
    }
    icaltimetype next = icalrecur_iterator_next(iterator);
    if (icaltime_is_null_time(next)) break;
    next.zone = start.wall.zone;
    if (at.last && icaltime_compare(next, *at.last) > 0) break;
    const Instant instant = InstantOf(next);
    const std::int64_t taken = step > 0 ? std::max<Instant>((instant - previous) / step, 1) : 1;
    steps += taken;
    stepsLeft -= taken;
    previous = instant;
    if (std::exchange(firstStep, false)) startIsInstance = instant == start.instant;
    // DTSTART is the first of COUNT's occurrences, whether or not the rule
    // gives it.
    if (rule.count > 0 && !startIsInstance && ++produced >= rule.count) break;
    if (instant >= limits.to) break;
    if (instant < limits.from) continue;
    const EventTime time{next, instant};
    if (!kept.Take({time, length.At(time)})) break;
  }
  icalrecur_iterator_free(iterator);
  return result;
}

// The days that a rule followed here gives, as occurrences at DTSTART's
// time of day: counted from DTSTART, which is the first of COUNT whether or
// not the rule gives it, up to UNTIL and the range's end.
class RuleDays {
 public:
  RuleDays(const icalrecurrencetype& rule, const EventTime& start, const EventLength& length,
           const ExpansionLimits& limits, Occurrences& found)
      : count_(rule.count),
        until_(icaltime_is_null_time(rule.until)
                   ? kCalendarEnd
                   : InstantOf(rule.until) + (rule.until.is_date == 1 ? kDay - 1 : 0)),
        start_(start),
        length_(length),
        limits_(limits),
        kept_(limits, found) {}

  /// False once no later day can be kept.
  bool Take(std::chrono::sys_days day) {
    const std::chrono::year_month_day date{day};
    icaltimetype wall = start_.wall;
    wall.year = int(date.year());
    wall.month = int(unsigned(date.month()));
    wall.day = int(unsigned(date.day()));
    const EventTime time{wall, InstantOf(wall)};
    if (time.instant > until_ || time.instant >= limits_.to) return false;
    if (count_ > 0 && ++produced_ > count_) return false;
    return time.instant < limits_.from || kept_.Take({time, length_.At(time)});
  }

 private:
  int count_, produced_ = 1;
  Instant until_;
  const EventTime& start_;
  const EventLength& length_;
  const ExpansionLimits& limits_;
  RuleOccurrences kept_;
};

// A yearly rule of ISO weeks, Monday-first, whose only other part that picks
// days is BYDAY without ordinals, and which picks no times: libical gives
// BYWEEKNO=1 days of December and of the wrong weekday.
bool IsIsoWeekRule(const icalrecurrencetype& rule) {
  if (rule.freq != ICAL_YEARLY_RECURRENCE || !Has(rule.by_week_no) ||
      rule.week_start != ICAL_MONDAY_WEEKDAY) {
    return false;
  }
  for (const short* part : {rule.by_month, rule.by_month_day, rule.by_year_day, rule.by_set_pos,
                            rule.by_hour, rule.by_minute, rule.by_second}) {
    if (Has(part)) return false;
  }
  for (const short* day = rule.by_day; *day != ICAL_RECURRENCE_ARRAY_MAX; ++day) {
    if (icalrecurrencetype_day_position(*day) != 0) return false;
  }
  return true;
}

// The Monday of week 1 of an ISO year: the week of its 4 January.
std::chrono::sys_days FirstMonday(int isoYear) {
  using namespace std::chrono;
  const sys_days fourth{year{isoYear} / January / 4};
  return fourth - (weekday{fourth} - Monday);
}

// The days of the rule's weeks and weekdays in one ISO year, in order.
std::vector<std::chrono::sys_days> IsoWeekDays(const icalrecurrencetype& rule, int isoYear,
                                               std::chrono::weekday startDay) {
  using namespace std::chrono;
  const sys_days monday = FirstMonday(isoYear);
  const int weeks = int((FirstMonday(isoYear + 1) - monday).count() / 7);
  std::vector<sys_days> found;
  for (const short* week = rule.by_week_no; *week != ICAL_RECURRENCE_ARRAY_MAX; ++week) {
    const int number = *week > 0 ? *week : weeks + *week + 1;
    if (number < 1 || number > weeks) continue;
    const auto add = [&](weekday day) {
      found.push_back(monday + days{7 * (number - 1)} + (day - Monday));
    };
    if (!Has(rule.by_day)) add(startDay);
    for (const short* day = rule.by_day; *day != ICAL_RECURRENCE_ARRAY_MAX; ++day) {
      add(weekday{unsigned(icalrecurrencetype_day_day_of_week(*day)) - 1});
    }
  }
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end()), found.end());
  return found;
}

// Follows a yearly rule of ISO weeks from DTSTART, every INTERVAL ISO years.
void ExpandIsoWeeks(const icalrecurrencetype& rule, const EventTime& start,
                    const EventLength& length, const ExpansionLimits& limits, Occurrences& found) {
  using namespace std::chrono;
  const sys_days first = DayOf(start.wall);
  int isoYear = int(year_month_day{first}.year()) + 1;
  while (FirstMonday(isoYear) > first) --isoYear;
  RuleDays days(rule, start, length, limits, found);
  for (; isoYear < 2101; isoYear += std::max<int>(rule.interval, 1)) {
    for (const sys_days day : IsoWeekDays(rule, isoYear, weekday{first})) {
      if (day > first && !days.Take(day)) return;
    }
  }
}

constexpr const char* kOtherCalendar =
    " counts in a calendar other than the Gregorian one in a way that wekset-ics does not "
    "follow, so only its first occurrence is shown";

// Follows a yearly rule of another calendar (RFC 7529's RSCALE, as CHINESE
// or HEBREW) on the date of DTSTART in that calendar, through ICU's
// calendars, every INTERVAL years of it; a year without that date (a leap
// month, a 30th) has no occurrence, as SKIP=OMIT says. False where ICU has
// no such calendar.
bool ExpandOtherCalendar(const icalrecurrencetype& rule, const EventTime& start,
                         const EventLength& length, const ExpansionLimits& limits,
                         Occurrences& found) {
  std::string locale = "@calendar=";
  for (const char* c = rule.rscale; *c != '\0'; ++c) {
    locale += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
  }
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UCalendar, void (*)(UCalendar*)> calendar(
      ucal_open(u"UTC", -1, locale.c_str(), UCAL_DEFAULT, &status), ucal_close);
  const char* type = U_SUCCESS(status) ? ucal_getType(calendar.get(), &status) : nullptr;
  if (type == nullptr || locale.substr(10) != type) return false;
  const auto day = DayOf(start.wall);
  ucal_setMillis(calendar.get(), 86400000.0 * double(day.time_since_epoch().count()), &status);
  const int32_t year = ucal_get(calendar.get(), UCAL_EXTENDED_YEAR, &status);
  const int32_t month = ucal_get(calendar.get(), UCAL_MONTH, &status);
  const int32_t leap = ucal_get(calendar.get(), UCAL_IS_LEAP_MONTH, &status);
  const int32_t date = ucal_get(calendar.get(), UCAL_DATE, &status);
  RuleDays days(rule, start, length, limits, found);
  for (int k = 1; U_SUCCESS(status); ++k) {
    ucal_clear(calendar.get());
    ucal_set(calendar.get(), UCAL_EXTENDED_YEAR, year + k * std::max<int>(rule.interval, 1));
    ucal_set(calendar.get(), UCAL_MONTH, month);
    ucal_set(calendar.get(), UCAL_IS_LEAP_MONTH, leap);
    ucal_set(calendar.get(), UCAL_DATE, date);
    const UDate millis = ucal_getMillis(calendar.get(), &status);
    if (ucal_get(calendar.get(), UCAL_DATE, &status) != date ||
        ucal_get(calendar.get(), UCAL_IS_LEAP_MONTH, &status) != leap) {
      continue;  // no such day that year
    }
    if (!days.Take(
            std::chrono::sys_days{std::chrono::days{static_cast<int>(millis / 86400000.0)}})) {
      break;
    }
  }
  return true;
}

// The rules of an event, those that libical could not read made readable
// where they can be, and a flaw for each that cannot.
std::vector<icalrecurrencetype> RulesOf(icalcomponent* event, std::vector<std::string>& flaws) {
  std::vector<icalrecurrencetype> rules;
  for (icalproperty* property : Properties(event, ICAL_RRULE_PROPERTY)) {
    rules.push_back(icalproperty_get_rrule(property));
  }
  for (icalproperty* flaw : Properties(event, ICAL_XLICERROR_PROPERTY)) {
    const std::optional<std::string> text = BrokenRuleText(flaw);
    if (!text || text->empty()) continue;  // an empty RRULE says nothing
    std::vector<std::string> dropped;
    icalrecurrencetype rule = icalrecurrencetype_from_string(Readable(*text, dropped).c_str());
    icalerror_clear_errno();
    // The rules read here own their RSCALE, which libical copies for them.
    const bool gregorian = rule.rscale == nullptr || std::string_view(rule.rscale) == "GREGORIAN";
    std::free(std::exchange(rule.rscale, nullptr));
    if (!gregorian) {
      flaws.push_back("its rule " + Quoted(*text) + kOtherCalendar);
      continue;
    }
    if (rule.freq == ICAL_NO_RECURRENCE) {
      flaws.push_back("its rule " + Quoted(*text) +
                      " cannot be read, so only its first occurrence is shown");
      continue;
    }
    for (const std::string& part : dropped) {
      flaws.push_back("its rule " + Quoted(*text) + " has a part " + Quoted(part) +
                      " that rules have not, so it is read without it");
    }
    // libical refused it, but read as far as it can be, it makes sense.
    if (dropped.empty()) {
      flaws.push_back("its rule " + Quoted(*text) + " is not written as RFC 5545 has it, so it " +
                      "is read as " + Quoted(icalrecurrencetype_as_string(&rule)));
    }
    rules.push_back(rule);
  }
  return rules;
}

// The rule as it can be followed, or nothing with the flaw why not; a COUNT
// that reaches past what a calendar can show, and a rule of hours or less
// on all-day events, are followed as far as they can be, with a flaw.
std::optional<icalrecurrencetype> Followed(icalrecurrencetype rule, const EventTime& start,
                                           std::vector<std::string>& flaws) {
  const std::string said = "its rule " + Quoted(icalrecurrencetype_as_string(&rule));
  if (rule.rscale != nullptr && std::string_view(rule.rscale) != "GREGORIAN" &&
      (rule.freq != ICAL_YEARLY_RECURRENCE || HasByParts(rule))) {
    flaws.push_back(said + kOtherCalendar);
    return std::nullopt;
  }
  // An all-day event occurs on days: a rule of hours or less gives it each
  // day it steps on, as often as it steps there.
  if (start.IsDate() && IsSubDaily(rule.freq)) {
    const Instant days = StepOf(rule) / kDay;
    rule.interval = static_cast<short>(StepOf(rule) % kDay == 0 ? days : 1);
    rule.freq = ICAL_DAILY_RECURRENCE;
    for (short* part : {rule.by_hour, rule.by_minute, rule.by_second}) {
      part[0] = ICAL_RECURRENCE_ARRAY_MAX;
    }
    flaws.push_back(said + " steps by hours or less through all-day events, so it is taken as " +
                    Quoted(icalrecurrencetype_as_string(&rule)));
  }
  const Instant step = StepOf(rule), reach = kCalendarEnd - start.instant;
  // RFC 5545 gives BYDAY an ordinal only in monthly and yearly rules, and
  // not beside BYWEEKNO; elsewhere libical searches for one to the year 2582.
  bool ordinal = false;
  for (const short* day = rule.by_day; *day != ICAL_RECURRENCE_ARRAY_MAX; ++day) {
    ordinal = ordinal || icalrecurrencetype_day_position(*day) != 0;
  }
  const bool monthsOrYears = rule.freq == ICAL_MONTHLY_RECURRENCE ||
                             (rule.freq == ICAL_YEARLY_RECURRENCE && !Has(rule.by_week_no));
  if (ordinal && !monthsOrYears) {
    flaws.push_back(said + " numbers the days of BYDAY where only monthly and yearly rules " +
                    "may, so only its first occurrence is shown");
    return std::nullopt;
  }
  if (!CanOccur(rule)) {
    flaws.push_back(said + " can never occur, so only its first occurrence is shown");
    return std::nullopt;
  }
  if (step > 0 && reach > 0 && step > reach) {
    flaws.push_back(said + " has an INTERVAL that reaches past 2099, so only its first " +
                    "occurrence is shown");
    return std::nullopt;
  }
  if (rule.count > 0 && step > 0 && !HasByParts(rule) && reach > 0 &&
      rule.count - 1 > reach / step) {
    flaws.push_back(said + " has a COUNT that reaches past 2099, so it is followed as far as a " +
                    "calendar goes");
    rule.count = 0;
  }
  return rule;
}

// The time of an RDATE or EXDATE, in the zone of the event's start where it
// is floating; a flaw where it is not as written.
std::optional<EventTime> DateOf(icalproperty* property, icaltimetype value, const EventTime& start,
                                const ZoneResolver& zones, std::vector<std::string>* flaws) {
  const ReadTime read = TimeOf(property, value, zones);
  if (!read.flaw.empty() && flaws != nullptr) {
    flaws->push_back(std::string(icalproperty_get_property_name(property)) + " " +
                     Quoted(icaltime_as_ical_string(value)) + ": " + read.flaw);
  }
  if (!read.time) return std::nullopt;
  return InZoneOf(*read.time, start);
}

void AddDates(icalcomponent* event, const EventTime& start, const EventLength& length,
              const ZoneResolver& zones, const ExpansionLimits& limits, Expansion& made) {
  for (icalproperty* property : Properties(event, ICAL_RDATE_PROPERTY)) {
    const icaldatetimeperiodtype date = icalproperty_get_rdate(property);
    const bool period = !icaltime_is_null_time(date.period.start);
    const std::optional<EventTime> time =
        DateOf(property, period ? date.period.start : date.time, start, zones, &made.flaws);
    if (!time) continue;
    // A period ends at its end, or lasts its duration.
    Instant lasts = period ? icaldurationtype_as_int(date.period.duration) : length.At(*time);
    if (period && !icaltime_is_null_time(date.period.end)) {
      if (const auto end = DateOf(property, date.period.end, start, zones, &made.flaws)) {
        lasts = end->instant - time->instant;
      }
    }
    Add(made.occurrences, {*time, std::max<Instant>(lasts, 0)}, limits);
  }
  for (icalproperty* property : Properties(event, ICAL_EXDATE_PROPERTY)) {
    const std::optional<EventTime> excluded =
        DateOf(property, icalproperty_get_exdate(property), start, zones, &made.flaws);
    if (!excluded) continue;
    std::erase_if(made.occurrences, [&](const auto& entry) {
      return excluded->IsDate() || start.IsDate()
                 ? SameDate(entry.second.start.wall, excluded->wall)
                 : entry.first == excluded->instant;
    });
  }
}

}  // namespace

Expansion ExpandEvent(icalcomponent* event, const EventTime& start, const EventLength& length,
                      const ZoneResolver& zones, const ExpansionLimits& limits) {
  Expansion made;
  Add(made.occurrences, {start, length.At(start)}, limits);
  std::int64_t stepsLeft = limits.steps;
  for (const icalrecurrencetype& read : RulesOf(event, made.flaws)) {
    std::optional<icalrecurrencetype> rule = Followed(read, start, made.flaws);
    if (!rule) continue;
    if (IsIsoWeekRule(*rule)) {
      ExpandIsoWeeks(*rule, start, length, limits, made.occurrences);
      continue;
    }
    if (rule->rscale != nullptr && std::string_view(rule->rscale) != "GREGORIAN") {
      // ICU reckons the lunar calendars by astronomy, to the minute: where a
      // new moon falls near midnight its day can differ from the official
      // calendar's, as the Chinese new year of 2027 does (7 February, not 6).
      const std::string said = "its rule " + Quoted(icalrecurrencetype_as_string(&*rule));
      made.flaws.push_back(
          ExpandOtherCalendar(*rule, start, length, limits, made.occurrences)
              ? said +
                    " counts in another calendar, whose dates are ICU's, which may differ "
                    "from the official calendar's by a day"
              : said + kOtherCalendar);
      continue;
    }
    const std::string said = "its rule " + Quoted(icalrecurrencetype_as_string(&*rule));
    switch (ExpandRule(*rule, start, length, limits, stepsLeft, made.occurrences)) {
      case Expanded::kWhole:
        break;
      case Expanded::kCutShort:
        made.flaws.push_back(said + " takes more steps than there is time for, so it is cut short");
        break;
      case Expanded::kRefused:
        made.flaws.push_back(said +
                             " lies too thinly over its steps to be followed, so only its first "
                             "occurrence is shown");
        break;
    }
  }
  AddDates(event, start, length, zones, limits, made);
  made.steps = limits.steps - stepsLeft;
  return made;
}

bool IsExcluded(icalcomponent* event, const EventTime& time, const EventTime& start,
                const ZoneResolver& zones) {
  for (icalproperty* property : Properties(event, ICAL_EXDATE_PROPERTY)) {
    const std::optional<EventTime> excluded =
        DateOf(property, icalproperty_get_exdate(property), start, zones, nullptr);
    if (excluded && (excluded->IsDate() || start.IsDate() ? SameDate(time.wall, excluded->wall)
                                                          : time.instant == excluded->instant)) {
      return true;
    }
  }
  return false;
}

}  // namespace wekset::ics
