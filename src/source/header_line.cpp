// The header line: fields by fixed position, as in "2007/12/13 60 12".
#include "source/header_line.h"

#include <cstdio>
#include <string_view>

#include "source/calendar_window.h"
#include "source/run_settings.h"

namespace wekset {

namespace {

bool Reject(const char* line, const char* reason) {
  std::printf("[%s]\n%s\n", line, reason);
  return false;
}

}  // namespace

bool ReadHeaderLine(SourceStream& source, char* line) {
  while (ReadLine(source, line, true) != LineEnd::EndOfStream &&
         (line[0] == ';' || line[0] == '\0')) {
  }
  TrimTrailingSpaces(line);
  std::printf("[%s]\n", line);

  const std::string_view header(line);
  RunSettingsData settings;  // the values at process start
  if (header.size() > 13) settings.WeeksPerPage = FieldValue(header, 14, 2);
  if (header.size() > 10) settings.WeekCount = FieldValue(header, 11, 2);
  if (header.size() > 7) settings.StartDay = FieldValue(header, 8, 2);
  const char* const kFormat = "The first line of sourcefile must be like '2008/05' for May";
  if (header.size() < 7 || header[4] != '/') return Reject(line, kFormat);
  settings.StartMonth = FieldValue(header, 5, 2);
  if (header.size() == 7) settings.TitleMonth = settings.StartMonth;
  settings.StartYear = FieldValue(header, 0, 4);

  // Malformed too: a month without a name, a negative day, no weeks a page.
  if (settings.StartMonth < 1 || settings.StartMonth > 12 || settings.StartDay < 0 ||
      settings.WeeksPerPage == 0) {
    return Reject(line, kFormat);
  }
  if (!WindowFitsCalendar(settings)) {
    return Reject(line, "Calendars can be made for 2000/03/05 to 2099/12/31 only.");
  }
  RunSettings = settings;
  return true;
}

}  // namespace wekset
