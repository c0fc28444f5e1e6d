// The bytes of an iCalendar file made fit for the parser, and what was
// wrong with them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wekset::ics {

/// The text of an iCalendar file: a leading byte order mark is dropped, and
/// bytes that are not UTF-8 become U+FFFD, with a warning. A file cut short,
/// without its END:VCALENDAR, is read as far as it goes, with a warning.
/// Returns nothing, with the reason in error, for a file that holds a NUL
/// byte or no calendar at all.
std::optional<std::string> CalendarText(std::string_view bytes, std::vector<std::string>& warnings,
                                        std::string& error);

}  // namespace wekset::ics
