// wekset-ics's own steps: the options, TeX's escapes, and the source text
// written from the days of the events.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ics/calendar_text.h"
#include "ics/import_options.h"
#include "ics/occurrences.h"
#include "ics/source_writer.h"
#include "ics/time_zones.h"

namespace wekset::ics {
namespace {

using std::chrono::day;
using std::chrono::month;
using std::chrono::year;
using std::chrono::year_month_day;

TEST(ImportOptions, ReadsEveryOptionAndRefusesMistakes) {
  struct Case {
    std::vector<std::string> arguments;
    std::string error;  // empty: accepted
    int weeks = 6, perPage = 6;
  };
  const Case cases[] = {
      {{"a.ics"}, ""},
      {{"--weeks", "12", "--per-page=4", "a.ics", "-"}, "", 12, 4},
      {{"--from", "2027/01/06", "--tz", "Europe/Berlin", "--body", "--details", "a.ics"}, ""},
      {{"--", "--weeks"}, ""},
      {{}, "no iCalendar file given"},
      {{"--weeks", "0", "a.ics"}, "--weeks takes a number from 1 to 99, not 0"},
      {{"--weeks", "100", "a.ics"}, "--weeks takes a number from 1 to 99, not 100"},
      {{"--per-page", "x", "a.ics"}, "--per-page takes a number from 1 to 99, not x"},
      {{"--from", "2027-01-06", "a.ics"}, "--from takes a date like 2026/12/06, not 2027-01-06"},
      {{"--from", "2027/02/30", "a.ics"}, "--from takes a date like 2026/12/06, not 2027/02/30"},
      {{"a.ics", "--weeks"}, "option --weeks needs a value"},
      {{"--body=yes", "a.ics"}, "option --body takes no value"},
      {{"--verbose", "a.ics"}, "unknown option --verbose"},
      {{"--tz=", "a.ics"}, "--tz takes a time zone name like Europe/Berlin"},
  };
  for (const Case& c : cases) {
    std::string error;
    const std::optional<ImportOptions> options = ParseImportOptions(c.arguments, error);
    EXPECT_EQ(error, c.error) << c.arguments.size();
    if (!c.error.empty()) continue;
    ASSERT_TRUE(options);
    EXPECT_EQ(options->weeks, c.weeks);
    EXPECT_EQ(options->perPage, c.perPage);
  }
}

TEST(KnownZone, LoadsOnlyNamesThatTheZoneDatabaseLists) {
  struct Case {
    std::string name;
    bool withPrefix;
    const char* zone;  // the location of the zone found; null: none
  };
  const Case cases[] = {
      {"Europe/Berlin", false, "Europe/Berlin"},
      {"US/Eastern", false, "US/Eastern"},  // a link
      {"W. Europe Standard Time", false, "Europe/Berlin"},
      {"Foo/Europe/Berlin", false, nullptr},
      {"Foo/Europe/Berlin", true, "Europe/Berlin"},
      {"/mozilla.org/20050126_1/America/New_York", true, "America/New_York"},
      {"../../../etc/passwd", true, nullptr},
      {"/proc/self/environ", true, nullptr},
      {"../../../dev/tty", true, nullptr},
      {"Europe/../../../etc/passwd", true, nullptr},
      {"", true, nullptr},
  };
  const ZoneNames names = ZoneNames::Read();
  for (const Case& c : cases) {
    icaltimezone* zone = KnownZone(names, c.name, c.withPrefix);
    if (c.zone == nullptr) {
      EXPECT_EQ(zone, nullptr) << c.name;
    } else {
      ASSERT_NE(zone, nullptr) << c.name;
      EXPECT_STREQ(icaltimezone_get_location(zone), c.zone) << c.name;
    }
  }
}

TEST(TexText, EscapesTeXsCharactersAndCutsAtWholeCharacters) {
  struct Case {
    std::string text;
    std::size_t limit;
    std::string escaped;
    bool cut;
  };
  const Case cases[] = {
      {"50% & $5 #1 {c}", 100, "50\\% \\& \\$5 \\#1 \\{c\\}", false},
      {"a_b x^2 ~ \\", 100,
       "a\\texttt{\\char95}b x\\texttt{\\char94}2 \\texttt{\\char126} \\textbackslash{}", false},
      {"tab\there\nline\x7f", 100, "tab here line ", false},
      {"Café Zoë 가족", 100, "Café Zoë 가족", false},
      {"abc%", 4, "abc", true},         // the escape takes two bytes
      {"Caf\xC3\xA9", 4, "Caf", true},  // é takes two bytes
      {"가족", 5, "가", true},          // a Hangul syllable takes three
      {"", 0, "", false},
  };
  for (const Case& c : cases) {
    bool cut = false;
    EXPECT_EQ(TexText(c.text, c.limit, cut), c.escaped) << c.text;
    EXPECT_EQ(cut, c.cut) << c.text;
  }
}

DayEvent Day(int d, bool timed, int minutes, std::string_view summary, int number = 1,
             int count = 1, std::string_view location = "") {
  DayEvent event;
  // Days of January, and of February from 32 on.
  event.day = std::chrono::sys_days{year{2027} / month{1} / day{1}} + std::chrono::days{d - 1};
  event.timed = timed;
  event.minutes = minutes;
  event.summary = summary;
  event.location = location;
  event.dayNumber = number;
  event.dayCount = count;
  event.file = "a.ics";
  return event;
}

TEST(CalendarSourceText, WritesTheHeaderMonthsAndSortedEventLines) {
  struct Case {
    const char* name;
    ImportOptions options;
    DayEvents days;
    std::string source;
    std::vector<std::string> warnings;
  };
  ImportOptions body;
  body.body = true;
  ImportOptions details;
  details.details = true;
  details.weeks = 2;
  const std::string longSummary(520, 'x');
  const Case cases[] = {
      {"sorted by day, all-day first, then time, then summary",
       {},
       {{Day(5, true, 600, "B"), Day(4, true, 540, "Late"), Day(4, false, 0, "All day"),
         Day(4, true, 540, "Early"), Day(31, false, 0, "Trip", 2, 3)}},
       "2027/01/06 06 06\n-2027/01\n04 All day\n04 09:00 Early\n04 09:00 Late\n05 10:00 B\n"
       "31 Trip (day 2 of 3)\n",
       {}},
      {"a month marker for each month, none before a body",
       body,
       {{Day(4, false, 0, ""), Day(32, false, 0, "")}},
       "-2027/01\n04 (no title)\n-2027/02\n01 (no title)\n",
       {}},
      {"the location on a line of its own",
       details,
       {{Day(4, true, 0, "Dentist", 1, 1, "Room 2 & 3")}},
       "2027/01/06 02 06\n-2027/01\n04 00:00 Dentist\n   Room 2 \\& 3\n",
       {}},
      {"a summary cut to wekset's 511 bytes",
       {},
       {{Day(4, true, 0, longSummary)}},
       "2027/01/06 06 06\n-2027/01\n04 00:00 " + std::string(505, 'x') + "\n",
       {"a.ics: cut the summary of \"" + std::string(80, 'x') + "…\" to fit wekset's 511 bytes"}},
  };
  for (const Case& c : cases) {
    DayEvents days = c.days;
    std::vector<std::string> warnings;
    EXPECT_EQ(CalendarSourceText(c.options, year{2027} / month{1} / day{6}, days, warnings),
              c.source)
        << c.name;
    EXPECT_EQ(warnings, c.warnings) << c.name;
  }
}

// Calendar text in memory, read and laid out on the five weeks from Sunday
// 3 January 2027 in UTC: each event's lines, in the order laid out, and the
// warnings.
struct LaidOut {
  std::vector<std::string> lines;  // "DAY SUMMARY", the day of January
  std::vector<std::string> warnings;
};

LaidOut LayOutText(const std::string& body, std::size_t keep = 3659) {
  LaidOut out;
  std::string error;
  const std::optional<CalendarText> text = ReadCalendarText(
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:test\r\n" + body + "END:VCALENDAR\r\n",
      out.warnings, error);
  if (!text) return {{"error: " + error}, out.warnings};
  static const ZoneNames names = ZoneNames::Read();
  CalendarEvents events;
  if (!events.Add(*text, "a.ics", names, error)) return {{"error: " + error}, out.warnings};
  const std::chrono::sys_days first{year{2027} / month{1} / day{3}};
  const DayEvents days = events.LayOut({first, first + std::chrono::weeks{5}},
                                       icaltimezone_get_utc_timezone(), keep, out.warnings);
  for (const DayEvent& event : days.events) {
    out.lines.push_back(std::to_string(unsigned(year_month_day{event.day}.day())) + " " +
                        std::string(event.summary));
  }
  return out;
}

std::string Event(const std::string& uid, const std::string& start, const std::string& more = "") {
  return "BEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTART:" + start + "\r\nSUMMARY:" + uid + "\r\n" +
         more + "END:VEVENT\r\n";
}

TEST(LayOut, SharesTheTableOutAmongTheEvents) {
  struct Case {
    const char* name;
    std::string body;
    std::size_t keep;
    std::vector<std::string> lines;
    std::vector<std::string> warnings;
  };
  const std::string daily = "RRULE:FREQ=DAILY\r\n";
  const Case cases[] = {
      {"room for all",
       Event("A", "20270104T100000Z") + Event("B", "20270105T100000Z"),
       3,
       {"4 A", "5 B"},
       {}},
      {"a daily event takes what the others leave",
       Event("Daily", "20270104T100000Z", daily) + Event("B", "20270105T100000Z"),
       4,
       {"4 Daily", "5 Daily", "6 Daily", "5 B"},
       {"a.ics: the event \"Daily\": only its first 3 lines in the window are kept, its "
        "share of wekset's 4"}},
      {"two daily events share alike",
       Event("D1", "20270104T100000Z", daily) + Event("D2", "20270104T110000Z", daily),
       5,
       {"4 D1", "5 D1", "6 D1", "4 D2", "5 D2"},
       {"a.ics: the event \"D1\": only its first 3 lines in the window are kept, its share of "
        "wekset's 5",
        "a.ics: the event \"D2\": only its first 2 lines in the window are kept, its share of "
        "wekset's 5"}},
      {"more events than room: the earliest",
       Event("C", "20270106T100000Z") + Event("A", "20270104T100000Z") +
           Event("B", "20270105T100000Z"),
       2,
       {"4 A", "5 B"},
       {"1 event with 1 line in the window were left out, past wekset's 2"}},
  };
  for (const Case& c : cases) {
    const LaidOut out = LayOutText(c.body, c.keep);
    EXPECT_EQ(out.lines, c.lines) << c.name;
    EXPECT_EQ(out.warnings, c.warnings) << c.name;
  }
}

}  // namespace
}  // namespace wekset::ics
