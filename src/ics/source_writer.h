// The calendar source that wekset reads: the header line, month markers,
// one event line per event and day, in date order, within wekset's limits.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ics/day_layout.h"
#include "ics/import_options.h"

namespace wekset::ics {

/// The source text for the day events, at most wekset's table of them, which
/// it sorts: by day, all-day first, then by start time, then by summary. Adds
/// a warning for each text cut to fit. With a weekStart, the header line is
/// preceded by the comment that tells wekset the first day of the window's
/// weeks (0 for Sunday to 6).
std::string CalendarSourceText(const ImportOptions& options, std::chrono::year_month_day from,
                               DayEvents& days, std::vector<std::string>& warnings,
                               std::optional<int> weekStart = std::nullopt);

/// The text with LaTeX's special characters escaped to print as written, and
/// line breaks, tabs and other control characters as blanks; cut at a
/// character boundary so as to take at most limit bytes (cut is then set).
std::string TexText(std::string_view text, std::size_t limit, bool& cut);

}  // namespace wekset::ics
