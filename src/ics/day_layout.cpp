// Days and the share of the table.
#include "ics/day_layout.h"

#include <algorithm>
#include <iterator>
#include <tuple>

#include "ics/libical.h"

namespace wekset::ics {

namespace {

// A night that an event runs into ends here: an event that ends by then is
// not repeated on that day.
constexpr Instant kMorning = 6 * 3600;

// The early morning of a day, in a zone's wall time or as written.
Instant MorningOf(std::chrono::sys_days day, icaltimezone* zone) {
  icaltimetype morning = WallClock(InstantOfDay(day, nullptr) + kMorning, nullptr);
  morning.zone = zone;
  return zone == nullptr ? InstantOfDay(day, nullptr) + kMorning : InstantOf(morning);
}

// The last day that an occurrence is on, from its first.
std::chrono::sys_days LastDay(const Occurrence& occurrence, std::chrono::sys_days first,
                              icaltimezone* zone) {
  const Instant start = occurrence.start.instant, end = start + occurrence.length;
  if (occurrence.start.IsDate()) {
    return DayOf(WallClock(start + std::max<Instant>(occurrence.length - 1, 0), zone));
  }
  std::chrono::sys_days last = first;
  for (std::chrono::sys_days day = first + std::chrono::days{1}; MorningOf(day, zone) < end;
       day += std::chrono::days{1}) {
    last = day;
  }
  return last;
}

void AddDays(const Shown& shown, const DayWindow& window, icaltimezone* local,
             std::vector<DayEvent>& days) {
  const Occurrence& occurrence = shown.occurrence;
  const EventTime& start = occurrence.start;
  const bool asWritten = start.IsDate() || start.IsFloating();
  icaltimezone* zone = asWritten ? nullptr : local;
  const icaltimetype first = asWritten ? start.wall : WallClock(start.instant, zone);
  const std::chrono::sys_days firstDay = DayOf(first);
  const std::chrono::sys_days lastDay = LastDay(occurrence, firstDay, zone);
  // The last moment of the event, DTEND not included.
  const icaltimetype end =
      WallClock(start.instant + std::max<Instant>(occurrence.length - 1, 0), zone);
  const icaltimetype endTime = WallClock(start.instant + occurrence.length, zone);
  const int count = static_cast<int>((lastDay - firstDay).count()) + 1;
  for (std::chrono::sys_days day = std::max(firstDay, window.first);
       day <= lastDay && day < window.end; day += std::chrono::days{1}) {
    DayEvent& out = days.emplace_back();
    out.day = day;
    out.dayNumber = static_cast<int>((day - firstDay).count()) + 1;
    out.dayCount = count;
    out.timed = !start.IsDate() && day == firstDay;
    out.minutes = first.hour * 60 + first.minute;
    if (out.timed && count == 1 && DayOf(end) > firstDay) {
      out.endMinutes = endTime.hour * 60 + endTime.minute;
    }
    if (out.timed && count > 1) out.until = lastDay;
    out.summary = TextOr(icalcomponent_get_summary(shown.event->component), "");
    out.location = TextOr(icalcomponent_get_location(shown.event->component), "");
    out.file = shown.event->file;
  }
}

}  // namespace

std::vector<DayEvent> DaysOf(const std::vector<Shown>& shown, const DayWindow& window,
                             icaltimezone* local) {
  std::vector<DayEvent> days;
  for (const Shown& entry : shown) AddDays(entry, window, local, days);
  std::sort(days.begin(), days.end(),
            [](const DayEvent& a, const DayEvent& b) { return a.day < b.day; });
  return days;
}

DayEvents ShareOut(std::vector<EventLines> lines, std::size_t keep,
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
  DayEvents result;
  for (EventLines& event : lines) {
    std::move(event.days.begin(), event.days.end(), std::back_inserter(result.events));
  }
  return result;
}

}  // namespace wekset::ics
