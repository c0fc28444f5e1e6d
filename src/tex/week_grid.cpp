// The rows of the grid. Rows open on every day that WeekdayOf gives as the
// settings' WeekStart and close on the day before it, so the window must start
// on that day. A day's box holds every entry of that day.
#include "tex/week_grid.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "calendar/week_of_year.h"
#include "model/limits.h"
#include "tex/month_names.h"
#include "tex/tex_output.h"

namespace wekset {

namespace {

// The entries of each day of the window, in table order: one pass over the
// table, so that the grid costs days plus entries.
class DayEntries {
 public:
  DayEntries(const EventTable& events, std::int32_t days)
      : events_(events),
        first_(std::max(days, 0), -1),
        last_(first_),
        next_(events.entries.size(), -1) {
    for (std::int32_t i = 0; i < events.EventCount(); ++i) {
      const std::int32_t day = events.entries[i].DayOffset;
      if (day < 0 || day >= days) continue;
      if (first_[day] < 0) {
        first_[day] = i;
      } else {
        next_[last_[day]] = i;
      }
      last_[day] = i;
    }
  }

  /// The texts of the day's entries joined into one; null for a day without.
  const char* TextOf(std::int32_t day) {
    if (first_[day] < 0) return nullptr;
    text_.clear();
    for (std::int32_t i = first_[day]; i >= 0; i = next_[i]) {
      if (i != first_[day]) text_ += kLineMark;
      text_ += events_.entries[i].DayText;
    }
    return text_.c_str();
  }

 private:
  const EventTable& events_;
  std::vector<std::int32_t> first_, last_, next_;
  std::string text_;
};

}  // namespace

namespace {

// A row that runs right to left is written from its last day to its first,
// so that TeX, which sets boxes from the left, puts its first day rightmost.
// Each day is written to memory first, and the row once it is complete.
class RowDays {
 public:
  explicit RowDays(std::FILE* out) : out_(out) {}
  RowDays(const RowDays&) = delete;
  RowDays& operator=(const RowDays&) = delete;
  ~RowDays() { Flush(); }

  /// Where the next day goes; the document itself, in order, when no memory
  /// can be had for it.
  std::FILE* Begin() {
    stream_ = open_memstream(&buffer_, &size_);
    return stream_ != nullptr ? stream_ : out_;
  }
  void End() {
    if (stream_ == nullptr) return;
    std::fclose(stream_);
    stream_ = nullptr;
    days_.emplace_back(buffer_, size_);
    std::free(buffer_);
    buffer_ = nullptr;
  }
  /// Writes the days of the row in reverse order.
  void Flush() {
    for (auto day = days_.rbegin(); day != days_.rend(); ++day) {
      std::fwrite(day->data(), 1, day->size(), out_);
    }
    days_.clear();
  }

 private:
  std::FILE* out_;
  std::FILE* stream_ = nullptr;
  char* buffer_ = nullptr;
  std::size_t size_ = 0;
  std::vector<std::string> days_;
};

std::int32_t WeekNumberOfRow(DaySerial first, Weekday weekStart) {
  return IsoWeekOf(SerialToDate(first + ThursdayOffset(weekStart))).week;
}

}  // namespace

void WriteWeekGrid(std::FILE* out, const RunSettings& settings, const CalendarWindow& window,
                   const EventTable& events, const DocumentStyle& style) {
  DayEntries entries(events, window.WindowEnd - window.WindowStart);
  RowDays reversed(out);
  const Weekday lastOfRow = (settings.WeekStart + 6) % 7;
  std::int32_t weekCounter = 0;
  std::int32_t weekNumber = 0;
  for (DaySerial serial = window.WindowStart; serial < window.WindowEnd; ++serial) {
    const CalendarDate date = SerialToDate(serial);
    const Weekday weekday = WeekdayOf(date.month, date.day, date.year);
    if (weekday == settings.WeekStart) {
      ++weekCounter;
      if ((weekCounter - 1) % settings.WeeksPerPage == 0) {
        if (weekCounter > 1) WriteFormatted(out, 2, R"(\vfill\eject)");
        WriteWeekdayHeader(out);
      }
      WriteFormatted(out, 1, "%%%% week %d %%%% ", weekCounter);
      WriteVerbatim(out, {{R"(\vskip-2pt)", 1}, {R"(\hbox{% )", 1}, {R"(\IsSunday=1)", 1}});
      weekNumber = WeekNumberOfRow(serial, settings.WeekStart);
      if (style.weekNumbers && !style.rightToLeft) {
        WriteFormatted(out, 1, R"(\weeklabel{%d}%%)", weekNumber);
      }
    }

    std::FILE* const dayOut = style.rightToLeft ? reversed.Begin() : out;
    const std::int32_t offset = serial - window.WindowStart;
    WriteFormatted(dayOut, 1, "%%..............................%3d  [%d.%2d.%2d] [%.3s]", offset,
                   date.year, date.month, date.day, kWeekdayAbbreviations + 3 * weekday);
    // The first day of each month, and of the window, names its month.
    const bool banner = date.day == 1 || offset < 1;
    if (banner) {
      // Names of the reader's language come in the message font, which the
      // PDF tools give every script.
      WriteFormatted(dayOut, 1, R"(\def\firstday{\fbox{%s%s}}%%)", style.names ? R"(\msgft )" : "",
                     MonthName(style, date.month));
    }
    WriteDayBox(dayOut, date, entries.TextOf(offset));
    if (banner) WriteFormatted(dayOut, 1, R"(\def\firstday{}%%)");
    if (style.rightToLeft) reversed.End();

    if (weekday == lastOfRow) {
      reversed.Flush();
      if (style.weekNumbers && style.rightToLeft) {
        WriteFormatted(out, 1, R"(\weeklabel{%d}%%)", weekNumber);
      }
      WriteVerbatim(out, {"}", 1});
    }
  }
  reversed.Flush();
  WriteVerbatim(out, {{R"(\end{landscape})", 1}, {R"(\end{document})", 1}});
}

void WriteWeekdayHeader(std::FILE* out) {
  WriteVerbatim(out, {"", 1});
  WriteFormatted(out, 1, R"(\weeknumber=0)");
  WriteFormatted(out, 1, R"(\hbox{%%)");
  WriteFormatted(out, 0, R"(\weekbox \weekbox \weekbox \weekbox)");
  WriteFormatted(out, 1, R"( \weekbox \weekbox \weekbox)");
  WriteFormatted(out, 1, "}");
  WriteFormatted(out, 2, R"(\vskip -12pt)");
}

void WriteDayBox(std::FILE* out, const CalendarDate& date, const char* text) {
  WriteFormatted(out, 1, R"(\setdaynumber{%d})", date.day);
  if (text != nullptr) {
    WriteVerbatim(out, {R"(\def\message{\vbox{)", 0});
    WriteFormatted(out, 1, "{%s %s }}}%%", MessageSizing(CountOccurrences(kLineMarkWord, text)),
                   text);
  }
  WriteVerbatim(out, {R"(\daybox)", 1});
}

std::int32_t CountOccurrences(std::string_view needle, const char* text) {
  const auto needleLength = static_cast<std::int64_t>(needle.size());
  const auto textLength = static_cast<std::int64_t>(std::strlen(text));
  std::int32_t count = 0;
  for (std::int64_t i = 0; i < textLength - needleLength + 1; ++i) {
    if (std::memcmp(text + i, needle.data(), needle.size()) == 0) ++count;
  }
  return count;
}

const char* MessageSizing(std::int32_t count) {
  // A crowded day keeps the smallest size rather than spill out of its box.
  switch (std::min(count, 9)) {
    case 5:
      return R"(\vskip-14pt )";
    case 6:
      return R"(\vskip-28pt )";
    case 7:
      return R"(\vskip-26pt \smsgft )";
    case 8:
      return R"(\vskip-26pt \ssmsgft )";
    case 9:
      return R"(\vskip-26pt \sssmsgft )";
    default:
      return "";
  }
}

}  // namespace wekset
