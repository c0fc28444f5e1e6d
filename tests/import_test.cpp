// wekset-ics's own steps: the options, TeX's escapes, and the source text
// written from the days of the events.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ics/import_options.h"
#include "ics/source_writer.h"

namespace wekset::ics {
namespace {

using std::chrono::day;
using std::chrono::month;
using std::chrono::year;

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

DayEvent Day(int d, bool timed, int minutes, std::string summary, int number = 1, int count = 1,
             std::string location = "") {
  DayEvent event;
  // Days of January, and of February from 32 on.
  event.day = std::chrono::sys_days{year{2027} / month{1} / day{1}} + std::chrono::days{d - 1};
  event.timed = timed;
  event.minutes = minutes;
  event.summary = std::move(summary);
  event.location = std::move(location);
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
       {"a.ics: cut the summary of \"" + longSummary + "\" to fit wekset's 511 bytes"}},
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

TEST(CalendarSourceText, KeepsWeksetsNumberOfEventsAndSaysHowManyMore) {
  struct Case {
    std::size_t events;
    bool cut;
    std::vector<std::string> warnings;
  };
  const Case cases[] = {
      {3659, false, {}},
      {3661, false, {"2 events past the first 3659 were left out"}},
      {3659, true, {"1 or more events past the first 3659 were left out"}},
      {3700, true, {"41 or more events past the first 3659 were left out"}},
  };
  for (const Case& c : cases) {
    DayEvents days{std::vector<DayEvent>(c.events, Day(4, false, 0, "E")), c.cut};
    std::vector<std::string> warnings;
    const std::string source =
        CalendarSourceText(ImportOptions(), year{2027} / month{1} / day{6}, days, warnings);
    EXPECT_EQ(warnings, c.warnings) << c.events;
    EXPECT_EQ(std::count(source.begin(), source.end(), '\n'), 3659 + 2) << c.events;
  }
}

}  // namespace
}  // namespace wekset::ics
