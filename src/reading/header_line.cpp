// The header line: fields of digits at fixed positions, as in "2007/12/13 60 12".
#include "reading/header_line.h"

#include <cstring>
#include <string_view>

#include "calendar/week_of_year.h"
#include "model/calendar_window.h"
#include "model/limits.h"

namespace wekset {

namespace {

HeaderLine Reject(Console& console, const char* line, const char* reason) {
  EchoLine(console, line);
  PrintFormatted(console, "%s\n", reason);
  return {HeaderStatus::kRejected, {}};
}

bool IsSkippedBeforeHeader(const char* line) { return line[0] == ';' || line[0] == '\0'; }

// The day a "; wekset: --week-start DAY" comment names; nothing for any other
// comment, which stays a comment.
std::optional<Weekday> DeclaredWeekStart(const char* line) {
  const std::size_t length = std::strlen(kWeekStartDeclaration);
  if (std::strncmp(line, kWeekStartDeclaration, length) != 0) return std::nullopt;
  std::string_view day(line + length);
  while (!day.empty() && day.back() == ' ') day.remove_suffix(1);
  return ParseWeekdayName(day);
}

// A field is white space, then one or more digits, and nothing else.
bool IsNumberField(std::string_view field) {
  std::size_t i = 0;
  while (i < field.size() && IsFieldSpace(field[i])) ++i;
  if (i == field.size()) return false;
  for (; i < field.size(); ++i) {
    if (field[i] < '0' || field[i] > '9') return false;
  }
  return true;
}

// "YYYY/MM", "YYYY/MM/DD", "YYYY/MM/DD NN" or "YYYY/MM/DD NN PP", where the
// line may end after the first byte of DD, NN or PP. The fields are read by
// position, so any other line would be read as some other calendar.
bool HasHeaderForm(std::string_view header) {
  struct Field {
    std::size_t first, width;
    char separator;  // the byte before the field
  };
  static constexpr Field kFields[] = {
      {0, 4, '\0'}, {5, 2, '/'}, {8, 2, '/'}, {11, 2, ' '}, {14, 2, ' '}};
  if (header.size() < 7 || header.size() > 16) return false;
  for (const Field& field : kFields) {
    if (field.first > 0) {
      if (header.size() < field.first) break;  // the line ends before this field
      if (header[field.first - 1] != field.separator || header.size() == field.first) return false;
    }
    if (!IsNumberField(header.substr(field.first, field.width))) return false;
  }
  return true;
}

}  // namespace

HeaderLine ReadHeaderLine(SourceStream& source, Console& console, std::optional<Weekday> weekStart,
                          Weekday fallback) {
  char* const line = source.line;
  std::optional<Weekday> declared;
  // A byte 0xFF ends a line here, but only the end of the stream ends the search.
  LineEnd end = ReadSourceLine(source);
  while ((end == LineEnd::kLineFeed || end == LineEnd::kByteFF) && IsSkippedBeforeHeader(line)) {
    if (const std::optional<Weekday> day = DeclaredWeekStart(line)) declared = day;
    end = ReadSourceLine(source);
  }
  if (end == LineEnd::kReadError) return {HeaderStatus::kReadFailed, {}};
  TrimTrailingSpaces(line);
  EchoLine(console, line);

  const std::string_view header(line);
  const char* const kFormat = "The first line of sourcefile must be like '2008/05' for May";
  if (!HasHeaderForm(header)) return Reject(console, line, kFormat);
  RunSettings settings;
  settings.WeekStart = weekStart.value_or(declared.value_or(fallback));
  if (header.size() > 13) settings.WeeksPerPage = FieldValue(header, 14, 2);
  if (header.size() > 10) settings.WeekCount = FieldValue(header, 11, 2);
  if (header.size() > 7) settings.StartDay = FieldValue(header, 8, 2);
  settings.StartMonth = FieldValue(header, 5, 2);
  if (header.size() == 7) settings.TitleMonth = settings.StartMonth;
  settings.StartYear = FieldValue(header, 0, 4);

  // Malformed too: a month without a name, no weeks, no weeks a page.
  if (settings.StartMonth < 1 || settings.StartMonth > 12 || settings.WeekCount == 0 ||
      settings.WeeksPerPage == 0) {
    return Reject(console, line, kFormat);
  }
  if (!WindowFitsCalendar(ComputeCalendarWindow(settings))) {
    return Reject(console, line, kDateRangeMessage);
  }
  return {HeaderStatus::kAccepted, settings};
}

}  // namespace wekset
