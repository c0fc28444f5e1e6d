// The bytes of an iCalendar file made fit for the parser, and what was wrong
// with them: the text libical gets holds only the calendars, zones and events
// that wekset-ics reads, each closed, in lines of a bounded length.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wekset::ics {

struct CalendarText {
  /// Unfolded lines: each VCALENDAR with its VTIMEZONEs and VEVENTs, and of
  /// each only the properties that place or name an event.
  std::string text;
  /// The TZIDs of VTIMEZONEs that were left out for an impossible UTC offset.
  std::vector<std::string> brokenZones;
};

/// The text of an iCalendar file, read in one pass:
/// - UTF-16 is converted, a leading byte order mark dropped, folded lines
///   joined before their bytes are decoded, and bytes that are not UTF-8
///   become U+FFFD;
/// - a line longer than kMaxCalendarLine is cut there;
/// - an event left open is closed where the next one begins or its calendar
///   ends, an event inside another component is read as one of its calendar,
///   a calendar inside another as part of it, and a file cut short is read as
///   far as it goes;
/// each with a warning. Returns nothing, with the reason in error, for a file
/// that holds a NUL byte (and is not UTF-16) or no calendar at all.
std::optional<CalendarText> ReadCalendarText(std::string_view bytes,
                                             std::vector<std::string>& warnings,
                                             std::string& error);

}  // namespace wekset::ics
