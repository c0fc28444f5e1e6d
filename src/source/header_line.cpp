// The header line: fields by fixed position, as in "2007/12/13 60 12".
#include "source/header_line.h"

#include <string_view>

#include "source/calendar_window.h"

namespace wekset {

namespace {

std::nullopt_t Reject(Console& console, const char* line, const char* reason) {
  EchoLine(console, line);
  Print(console, reason);
  return std::nullopt;
}

}  // namespace

std::optional<RunSettings> ReadHeaderLine(SourceStream& source, Console& console) {
  char* const line = source.line;
  // A byte 0xFF ends a line here, but only the end of the stream ends the search.
  while ((ReadSourceLine(source) == 1 || !source.ended) && (line[0] == ';' || line[0] == '\0')) {
  }
  if (source.failed) return std::nullopt;
  TrimTrailingSpaces(line);
  EchoLine(console, line);

  const std::string_view header(line);
  RunSettings settings;
  if (header.size() > 13) settings.WeeksPerPage = FieldValue(header, 14, 2);
  if (header.size() > 10) settings.WeekCount = FieldValue(header, 11, 2);
  if (header.size() > 7) settings.StartDay = FieldValue(header, 8, 2);
  const char* const kFormat = "The first line of sourcefile must be like '2008/05' for May\n";
  if (header.size() < 7 || header[4] != '/') return Reject(console, line, kFormat);
  settings.StartMonth = FieldValue(header, 5, 2);
  if (header.size() == 7) settings.TitleMonth = settings.StartMonth;
  settings.StartYear = FieldValue(header, 0, 4);

  // Malformed too: a month without a name, a negative day, no weeks a page.
  if (settings.StartMonth < 1 || settings.StartMonth > 12 || settings.StartDay < 0 ||
      settings.WeeksPerPage == 0) {
    return Reject(console, line, kFormat);
  }
  if (!WindowFitsCalendar(ComputeCalendarWindow(settings))) {
    return Reject(console, line, "Calendars can be made for 2000/03/05 to 2099/12/31 only.\n");
  }
  return settings;
}

}  // namespace wekset
