// The events of a calendar as versions and series: which version of an event
// counts, its start and length, and how the overrides of a series move and
// cancel its occurrences.
#pragma once

#include <libical/ical.h>

#include <optional>
#include <string>
#include <vector>

#include "ics/event_time.h"
#include "ics/recurrence.h"
#include "ics/time_zones.h"

namespace wekset::ics {

/// An event as it was read, and from where.
struct Event {
  icalcomponent* component;
  const std::string& file;
  const ZoneResolver& zones;
  std::size_t position;  // in the order of the files, for the last word on versions
};

/// "FILE: the event "SUMMARY": ", for a warning about the event.
std::string Prefix(const Event& event);

bool Cancelled(const Event& event);

/// An event ready to be placed: its start, its length, and what it overrides.
struct Placed {
  const Event* event;
  EventTime start;
  EventLength length;
  std::optional<EventTime> recurrenceId;
  bool future = false;  // RANGE=THISANDFUTURE
};

/// A master event, in its newest version, and the newest version of each of
/// its overrides.
struct Series {
  Placed master;
  std::vector<Placed> overrides;
};

/// The events sorted into series, and those that stand alone: overrides that
/// name no master, and events whose RECURRENCE-ID cannot be read.
struct Versions {
  std::vector<Series> series;
  std::vector<Placed> alone;
};

/// Sorts the events into series by UID: of several versions, the one with
/// the highest SEQUENCE counts, then the later LAST-MODIFIED, then DTSTAMP,
/// then the one read last. An event without a UID is a series of its own.
/// Adds a warning, "FILE: ...", for each event left out or shown otherwise
/// than written.
Versions SortVersions(const std::vector<Event>& events, std::vector<std::string>& warnings);

/// An occurrence, the version of the event whose summary it shows, and the
/// time of the master's occurrence that it is: what a RECURRENCE-ID names.
struct Shown {
  Occurrence occurrence;
  const Event* event;
  EventTime original;
};

/// The occurrences of a series with its overrides applied: each takes the
/// place of the occurrence that it names, or with RANGE=THISANDFUTURE of
/// that and of every later one that no override of its own names, moved as
/// it was moved. An override older than its master that the master's
/// EXDATEs exclude was given up with that occurrence.
std::vector<Shown> ApplyOverrides(const Series& series, std::vector<Shown> shown);

}  // namespace wekset::ics
