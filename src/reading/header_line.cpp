// The header line: fields of digits at fixed positions, as in "2007/12/13 60 12".
#include "reading/header_line.h"

#include <string_view>

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

HeaderLine ReadHeaderLine(SourceStream& source, Console& console) {
  char* const line = source.line;
  // A byte 0xFF ends a line here, but only the end of the stream ends the search.
  LineEnd end = ReadSourceLine(source);
  while ((end == LineEnd::kLineFeed || end == LineEnd::kByteFF) && IsSkippedBeforeHeader(line)) {
    end = ReadSourceLine(source);
  }
  if (end == LineEnd::kReadError) return {HeaderStatus::kReadFailed, {}};
  TrimTrailingSpaces(line);
  EchoLine(console, line);

  const std::string_view header(line);
  const char* const kFormat = "The first line of sourcefile must be like '2008/05' for May";
  if (!HasHeaderForm(header)) return Reject(console, line, kFormat);
  RunSettings settings;
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
