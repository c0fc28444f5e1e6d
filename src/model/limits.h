// The fixed sizes and the range of dates that the calendar source format
// allows. wekset enforces them; wekset-ics writes sources that stay within
// them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "calendar/calendar_arithmetic.h"

namespace wekset {

/// The event table's entries.
inline constexpr std::int32_t kMaxEvents = 3659;
/// The bytes of a DayText buffer, and the characters of text it holds.
inline constexpr std::size_t kDayTextSize = 512;
inline constexpr std::size_t kMaxDayTextLength = kDayTextSize - 1;
/// The line buffer: a source line keeps at most kLineBufferSize - 1 bytes.
inline constexpr std::size_t kLineBufferSize = 25600;

/// What stands in a DayText before each further line: a continuation line,
/// or another entry of the same day when the grid joins them.
inline constexpr std::string_view kLineMark = "\\vskip1pt ";
/// The line mark's word, without its backslash and space, that the grid
/// counts to make room for a day's lines. The build writes kLineMark into the
/// Lua that reads the grid back, so this is its one definition.
inline constexpr std::string_view kLineMarkWord = kLineMark.substr(1, kLineMark.size() - 2);

/// A comment line before the header line that begins so names, after it,
/// the first day of the weeks that the source's window was made for, as
/// "; wekset: --week-start monday".
inline constexpr const char* kWeekStartDeclaration = "; wekset: --week-start ";

/// The days a calendar may show: from the first Sunday after the serials and
/// WeekdayOf begin to agree day by day, on 1 March 2000, to the end of 2099.
inline constexpr CalendarDate kFirstCalendarDay{2000, 3, 5};
inline constexpr CalendarDate kLastCalendarDay{2099, 12, 31};
inline constexpr const char* kDateRangeMessage =
    "Calendars can be made for 2000/03/05 to 2099/12/31 only.";

/// What wekset-ics reads of a stranger's file: a line (a property with its
/// folded continuations) is cut at this many bytes, far beyond any text that
/// a day box can show, so that no line costs more than a bounded share of the
/// run.
inline constexpr std::size_t kMaxCalendarLine = std::size_t{1} << 20;
/// The characters of calendar text that a message quotes, at most.
inline constexpr std::size_t kMaxQuotedCharacters = 80;

/// A calendar fetched by its address: the seconds to connect, and for the
/// whole transfer (which only a test may lower), the redirects followed, and
/// the bytes taken, the body as it arrives after any compression is undone.
inline constexpr long kFetchConnectSeconds = 10;
inline constexpr long kFetchTransferSeconds = 60;
inline constexpr long kMaxRedirects = 5;
inline constexpr std::size_t kMaxFetchBytes = 50'000'000;
inline constexpr const char* kMaxFetchSize = "50 MB";
/// The longest ETag or Last-Modified that is kept to be sent back.
inline constexpr std::size_t kMaxValidatorLength = 1024;

}  // namespace wekset
