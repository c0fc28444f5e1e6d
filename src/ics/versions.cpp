// Versions, starts and lengths, and overrides. libical's messages about the
// properties that place an event are sorted here: a broken DTSTART leaves
// nothing to place; a broken RRULE is read by recurrence.cpp; any other is a
// warning, and the rest of the event is shown.
#include "ics/versions.h"

#include <algorithm>
#include <map>
#include <set>
#include <string_view>
#include <tuple>

#include "ics/libical.h"
#include "ics/message_text.h"
#include "model/limits.h"

namespace wekset::ics {

namespace {

std::string NameOf(const Event& event) {
  if (const char* summary = icalcomponent_get_summary(event.component); summary && *summary) {
    return Quoted(summary);
  }
  const char* uid = icalcomponent_get_uid(event.component);
  return uid != nullptr && *uid != '\0' ? "with UID " + Quoted(uid) : "without a UID";
}

// A view of the UID in the event's own text, which lives as long as it does.
std::string_view UidOf(const Event& event) {
  return TextOr(icalcomponent_get_uid(event.component), "");
}

struct Flaws {
  std::string start;
  std::vector<std::string> others;
  bool recurrenceId = false;
};

Flaws FlawsOf(const Event& event) {
  Flaws flaws;
  for (icalproperty* flaw : Properties(event.component, ICAL_XLICERROR_PROPERTY)) {
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

bool IsNewer(const Event& a, const Event& b) {
  const int sequenceA = icalcomponent_get_sequence(a.component);
  const int sequenceB = icalcomponent_get_sequence(b.component);
  if (sequenceA != sequenceB) return sequenceA > sequenceB;
  for (icalproperty_kind kind : {ICAL_LASTMODIFIED_PROPERTY, ICAL_DTSTAMP_PROPERTY}) {
    icalproperty* pa = FirstProperty(a.component, kind);
    icalproperty* pb = FirstProperty(b.component, kind);
    if (pa == nullptr || pb == nullptr) continue;
    const int order = icaltime_compare(icalvalue_get_datetime(icalproperty_get_value(pa)),
                                       icalvalue_get_datetime(icalproperty_get_value(pb)));
    if (order != 0) return order > 0;
  }
  return a.position > b.position;
}

// A DURATION as it lasts: its days and weeks nominal, the rest exact; none,
// with a flaw, where it is negative or longer than a calendar can show.
std::optional<EventLength> LengthOf(icalproperty* property, std::string& flaw) {
  const icaldurationtype duration = icalproperty_get_duration(property);
  const long long days = 7LL * duration.weeks + duration.days;
  const long long seconds = 3600LL * duration.hours + 60LL * duration.minutes + duration.seconds;
  if (duration.is_neg == 1 || days < 0 || seconds < 0 || days > 36525 || seconds > 36525LL * kDay ||
      icaldurationtype_is_bad_duration(duration) == 1) {
    // libical keeps a number too large for it as what is left of it, which
    // would be no help to quote.
    flaw =
        "its DURATION is negative or longer than a calendar can show, so the event is shown "
        "without its end";
    return std::nullopt;
  }
  return EventLength{seconds, static_cast<int>(days)};
}

// The length of an event: to its DTEND, or for its DURATION; a day for a
// date, and a moment for a time, without either.
EventLength LengthOf(const Event& event, const EventTime& start,
                     std::vector<std::string>& warnings) {
  EventLength length;
  if (icalproperty* end = FirstProperty(event.component, ICAL_DTEND_PROPERTY)) {
    const ReadTime time = TimeOf(end, icalproperty_get_dtend(end), event.zones);
    if (!time.flaw.empty()) {
      warnings.push_back(Prefix(event) + time.flaw +
                         (time.time ? "" : ", so the event is shown without its end"));
    }
    if (time.time) length.seconds = InZoneOf(*time.time, start).instant - start.instant;
  } else if (icalproperty* duration = FirstProperty(event.component, ICAL_DURATION_PROPERTY)) {
    std::string flaw;
    length = LengthOf(duration, flaw).value_or(EventLength{});
    if (!flaw.empty()) warnings.push_back(Prefix(event) + flaw);
  }
  if (start.IsDate() && length.At(start) < kDay) return {kDay, 0};
  if (length.At(start) < 0) return {};
  return length;
}

// The start and length of an event, or nothing, with a warning, when it
// cannot be placed.
std::optional<Placed> PlaceOf(const Event& event, const Flaws& flaws,
                              std::vector<std::string>& warnings) {
  const auto leaveOut = [&](const std::string& why) {
    warnings.push_back(event.file + ": left out the event " + NameOf(event) + ": " + why);
    return std::nullopt;
  };
  if (!flaws.start.empty()) return leaveOut(flaws.start);
  icalproperty* startProperty = FirstProperty(event.component, ICAL_DTSTART_PROPERTY);
  if (startProperty == nullptr || icaltime_is_null_time(icalproperty_get_dtstart(startProperty))) {
    return leaveOut("it has no start");
  }
  const ReadTime start =
      TimeOf(startProperty, icalproperty_get_dtstart(startProperty), event.zones);
  if (!start.time) return leaveOut(start.flaw);
  if (!start.flaw.empty()) warnings.push_back(Prefix(event) + start.flaw);
  Placed placed{&event, *start.time, LengthOf(event, *start.time, warnings), std::nullopt, false};
  if (icalproperty* id = FirstProperty(event.component, ICAL_RECURRENCEID_PROPERTY)) {
    const ReadTime read = TimeOf(id, icalproperty_get_recurrenceid(id), event.zones);
    placed.recurrenceId = read.time;
    if (!read.flaw.empty()) {
      warnings.push_back(Prefix(event) + "its RECURRENCE-ID: " + read.flaw +
                         (read.time ? "" : ", so it is shown as it stands"));
    }
    const char* range = Parameter(id, "RANGE");
    placed.future = range != nullptr && std::string_view(range) == "THISANDFUTURE";
  }
  for (const std::string& other : flaws.others) {
    warnings.push_back(Prefix(event) + other + "; the rest of the event is shown");
  }
  return placed;
}

// Whether an occurrence of the master comes after what a RECURRENCE-ID names:
// by the moment, or by the date as written where either side is all-day.
bool IsLater(const EventTime& occurrence, const EventTime& id, const EventTime& master) {
  if (id.IsDate() || master.IsDate()) {
    const icaltimetype& a = occurrence.wall;
    const icaltimetype& b = id.wall;
    return std::tuple(a.year, a.month, a.day) > std::tuple(b.year, b.month, b.day);
  }
  return occurrence.instant > id.instant;
}

}  // namespace

std::string Prefix(const Event& event) {
  return event.file + ": the event " + NameOf(event) + ": ";
}

bool Cancelled(const Event& event) {
  return icalcomponent_get_status(event.component) == ICAL_STATUS_CANCELLED;
}

Versions SortVersions(const std::vector<Event>& events, std::vector<std::string>& warnings) {
  std::vector<Placed> placed;
  placed.reserve(events.size());
  std::map<std::string_view, std::size_t> masters;  // the newest of each UID, in placed
  std::map<std::pair<std::string_view, Instant>, Placed> overrides;
  Versions versions;
  for (const Event& event : events) {
    const Flaws flaws = FlawsOf(event);
    std::optional<Placed> place = PlaceOf(event, flaws, warnings);
    if (!place) continue;
    const std::string_view uid = UidOf(event);
    const bool isOverride = FirstProperty(event.component, ICAL_RECURRENCEID_PROPERTY) != nullptr;
    if (flaws.recurrenceId || (isOverride && (uid.empty() || !place->recurrenceId))) {
      versions.alone.push_back(*place);
    } else if (isOverride) {
      auto [entry, added] = overrides.try_emplace({uid, place->recurrenceId->instant}, *place);
      if (!added && IsNewer(event, *entry->second.event)) entry->second = *place;
    } else {
      placed.push_back(*place);
      if (uid.empty()) continue;  // a series of its own
      auto [entry, added] = masters.try_emplace(uid, placed.size() - 1);
      if (!added && IsNewer(event, *placed[entry->second].event)) entry->second = placed.size() - 1;
    }
  }
  std::map<std::string_view, std::size_t> seriesOf;
  for (std::size_t i = 0; i < placed.size(); ++i) {
    const std::string_view uid = UidOf(*placed[i].event);
    if (!uid.empty() && masters.at(uid) != i) continue;  // an older version
    if (!uid.empty()) seriesOf.emplace(uid, versions.series.size());
    versions.series.push_back({placed[i], {}});
  }
  for (const auto& [key, change] : overrides) {
    if (const auto series = seriesOf.find(key.first); series != seriesOf.end()) {
      versions.series[series->second].overrides.push_back(change);
    } else {
      versions.alone.push_back(change);  // no master in any file: shown as it stands
    }
  }
  return versions;
}

std::vector<Shown> ApplyOverrides(const Series& series, std::vector<Shown> shown) {
  const Placed& master = series.master;
  // The overrides that count, in the order of their RECURRENCE-IDs, each
  // with its own occurrence; the ranges among them with, for each, whether
  // it or one before it cancels.
  std::vector<const Placed*> changes;
  for (const Placed& change : series.overrides) {
    if (icalcomponent_get_sequence(change.event->component) <
            icalcomponent_get_sequence(master.event->component) &&
        IsExcluded(master.event->component, *change.recurrenceId, master.start,
                   master.event->zones)) {
      continue;
    }
    changes.push_back(&change);
  }
  std::sort(changes.begin(), changes.end(), [](const Placed* a, const Placed* b) {
    return a->recurrenceId->instant < b->recurrenceId->instant;
  });
  // What the overrides name: moments, or days where either side is all-day.
  std::set<Instant> namedMoments;
  std::set<std::chrono::sys_days> namedDays;
  for (const Placed* change : changes) {
    const EventTime& id = *change->recurrenceId;
    if (id.IsDate() || master.start.IsDate()) {
      namedDays.insert(DayOf(id.wall));
    } else {
      namedMoments.insert(id.instant);
    }
  }
  std::vector<const Placed*> ranges;
  std::vector<bool> cancelledSince;
  for (const Placed* change : changes) {
    if (!change->future) continue;
    cancelledSince.push_back(Cancelled(*change->event) ||
                             (!cancelledSince.empty() && cancelledSince.back()));
    ranges.push_back(change);
  }
  // Each occurrence of the master: gone where an override names it, else
  // moved as the last range before it moves its own, or gone with it.
  std::erase_if(shown, [&](Shown& entry) {
    if (namedMoments.contains(entry.original.instant) ||
        namedDays.contains(DayOf(entry.original.wall))) {
      return true;
    }
    const auto after = std::partition_point(ranges.begin(), ranges.end(), [&](const Placed* range) {
      return IsLater(entry.original, *range->recurrenceId, master.start);
    });
    if (after == ranges.begin()) return false;
    const std::size_t last = static_cast<std::size_t>(after - ranges.begin()) - 1;
    if (cancelledSince[last]) return true;
    const Placed& range = *ranges[last];
    entry.occurrence.start =
        Moved(entry.original, range.start.instant - range.recurrenceId->instant);
    entry.occurrence.length = range.length.At(entry.occurrence.start);
    entry.event = range.event;
    return false;
  });
  for (const Placed* change : changes) {
    if (Cancelled(*change->event)) continue;
    shown.push_back(
        {{change->start, change->length.At(change->start)}, change->event, *change->recurrenceId});
  }
  return shown;
}

}  // namespace wekset::ics
