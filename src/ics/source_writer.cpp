// wekset copies event text into TeX as it stands and keeps at most 511 bytes
// of text a day entry and 3659 entries, so the text is escaped and measured
// here, where the whole of it is known.
#include "ics/source_writer.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

#include "calendar/week_of_year.h"
#include "ics/message_text.h"
#include "model/limits.h"

namespace wekset::ics {

namespace {

std::string Escaped(char c) {
  switch (c) {
    case '\\':
      return "\\textbackslash{}";
    case '{':
    case '}':
    case '$':
    case '&':
    case '#':
    case '%':
      return std::string("\\") + c;
    // The text font has no glyphs of its own for these; the typewriter font
    // has the ASCII ones, which is what the calendar app showed.
    case '^':
      return "\\texttt{\\char94}";
    case '_':
      return "\\texttt{\\char95}";
    case '~':
      return "\\texttt{\\char126}";
    default: {
      const auto byte = static_cast<unsigned char>(c);
      return std::string(1, byte < 32 || byte == 127 ? ' ' : c);
    }
  }
}

std::string TrimmedRight(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// "14:30 ", and "23:30-00:30 " for an event that ends in the night after.
std::string TimeOfDay(const DayEvent& event) {
  if (!event.timed) return "";
  char text[32];
  if (event.endMinutes) {
    std::snprintf(text, sizeof text, "%02d:%02d-%02d:%02d ", event.minutes / 60, event.minutes % 60,
                  *event.endMinutes / 60, *event.endMinutes % 60);
  } else {
    std::snprintf(text, sizeof text, "%02d:%02d ", event.minutes / 60, event.minutes % 60);
  }
  return text;
}

// ", until the 26th" on the first day of a timed event of several, and
// " (day 2 of 3)" on its later days.
std::string DaysOfEvent(const DayEvent& event) {
  if (event.dayNumber > 1) {
    return " (day " + std::to_string(event.dayNumber) + " of " + std::to_string(event.dayCount) +
           ")";
  }
  if (!event.until) return "";
  const std::chrono::year_month_day first{event.day}, last{*event.until};
  if (first.year() / first.month() != last.year() / last.month()) {
    char text[32];
    std::snprintf(text, sizeof text, ", until %04d/%02u/%02u", int(last.year()),
                  unsigned(last.month()), unsigned(last.day()));
    return text;
  }
  const unsigned day = unsigned(last.day());
  const char* ordinal = day % 10 == 1 && day != 11   ? "st"
                        : day % 10 == 2 && day != 12 ? "nd"
                        : day % 10 == 3 && day != 13 ? "rd"
                                                     : "th";
  return ", until the " + std::to_string(day) + ordinal;
}

}  // namespace

std::string TexText(std::string_view text, std::size_t limit, bool& cut) {
  std::string out;
  cut = false;
  for (std::size_t i = 0; i < text.size();) {
    // One character: a byte, or a UTF-8 lead byte with its continuation bytes.
    std::size_t next = i + 1;
    while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) ++next;
    std::string piece;
    for (std::size_t j = i; j < next; ++j) piece += Escaped(text[j]);
    if (out.size() + piece.size() > limit) {
      cut = true;
      break;
    }
    out += piece;
    i = next;
  }
  return out;
}

std::string CalendarSourceText(const ImportOptions& options, std::chrono::year_month_day from,
                               DayEvents& days, std::vector<std::string>& warnings,
                               std::optional<int> weekStart) {
  std::vector<DayEvent>& events = days.events;
  std::stable_sort(events.begin(), events.end(), [](const DayEvent& a, const DayEvent& b) {
    return std::tuple(a.day, a.timed, a.minutes, a.summary) <
           std::tuple(b.day, b.timed, b.minutes, b.summary);
  });
  std::string source;
  char line[64];
  if (!options.body) {
    // wekset reads the comment before the header line: without it, it would
    // lay the weeks out from Sunday and leave out the window's last days.
    if (weekStart) source += std::string(kWeekStartDeclaration) + WeekdayName(*weekStart) + "\n";
    std::snprintf(line, sizeof line, "%04d/%02u/%02u %02d %02d\n", int(from.year()),
                  unsigned(from.month()), unsigned(from.day()), options.weeks, options.perPage);
    source += line;
  }
  std::chrono::year_month month{};
  for (const DayEvent& event : events) {
    const std::chrono::year_month_day date{event.day};
    if (date.year() / date.month() != month) {
      month = date.year() / date.month();
      std::snprintf(line, sizeof line, "-%04d/%02u\n", int(date.year()), unsigned(date.month()));
      source += line;
    }
    const std::string prefix = TimeOfDay(event);
    const std::string suffix = DaysOfEvent(event);
    bool cut = false;
    std::string summary = TrimmedRight(
        TexText(event.summary, kMaxDayTextLength - prefix.size() - suffix.size(), cut));
    if (cut) {
      warnings.push_back(std::string(event.file) + ": cut the summary of " + Quoted(event.summary) +
                         " to fit wekset's " + std::to_string(kMaxDayTextLength) + " bytes");
    }
    // wekset takes "DD" and nothing else for a broken line.
    if (summary.empty()) {
      summary = "(no title)";
    }
    const std::string text = prefix + summary + suffix;
    std::snprintf(line, sizeof line, "%02u ", unsigned(date.day()));
    source += line + text + "\n";

    if (!options.details || event.location.empty()) continue;
    const std::size_t room = kMaxDayTextLength - text.size();
    if (room < kLineMark.size() + 4) {
      warnings.push_back(std::string(event.file) + ": left out the location of " +
                         Quoted(event.summary) + ": no room in wekset's " +
                         std::to_string(kMaxDayTextLength) + " bytes");
      continue;
    }
    const std::string location =
        TrimmedRight(TexText(event.location, room - kLineMark.size() - 3, cut));
    if (cut) {
      warnings.push_back(std::string(event.file) + ": cut the location of " +
                         Quoted(event.summary) + " to fit wekset's " +
                         std::to_string(kMaxDayTextLength) + " bytes");
    }
    if (!location.empty()) source += "   " + location + "\n";
  }
  return source;
}

}  // namespace wekset::ics
