// The header line: the search, the echo, the fields, the checks, and the
// window it gives.
#include "reading/header_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/calendar_window.h"
#include "test_support.h"

namespace wekset {
namespace {

constexpr const char* kFormatMessage =
    "The first line of sourcefile must be like '2008/05' for May";
constexpr const char* kRangeMessage = "Calendars can be made for 2000/03/05 to 2099/12/31 only.";

std::string Rejection(const std::string& echo, const char* message) {
  return "[" + echo + "]\n[" + echo + "]\n" + message + "\n";
}

struct Accepted {
  const char* name;
  std::string source;
  std::string echo;
  RunSettings settings;  // with the window's aligned start date
  DaySerial windowStart;
  int days;
};

TEST(HeaderLine, AcceptedHeaderLinesGiveTheirSettingsAndWindow) {
  // Settings: StartYear, StartMonth, StartDay (aligned), WeekCount, WeeksPerPage, TitleMonth.
  const Accepted cases[] = {
      {"short form", "2008/02\n", "2008/02", {2008, 1, 27, 6, 6, 2}, 2949, 42},
      {"long form", "2007/12/13 60 12\n", "2007/12/13 60 12", {2007, 12, 9, 60, 12, 0}, 2900, 420},
      {"a Sunday stays", "2008/06/01\n", "2008/06/01", {2008, 6, 1, 6, 6, 0}, 3075, 42},
      {"February on a Sunday", "2009/02\n", "2009/02", {2009, 1, 25, 6, 6, 2}, 3313, 42},
      {"trailing blanks", "2008/02   \n", "2008/02", {2008, 1, 27, 6, 6, 2}, 2949, 42},
      {"comments and empty lines first",
       ";a\n\n;b c\n\n2008/02\n;x\n",
       "2008/02",
       {2008, 1, 27, 6, 6, 2},
       2949,
       42},
      {"10 characters", "2007/12/13\n", "2007/12/13", {2007, 12, 9, 6, 6, 0}, 2900, 42},
      {"a day of one digit", "2008/02/1\n", "2008/02/1", {2008, 1, 27, 6, 6, 0}, 2949, 42},
      {"weeks of one digit", "2007/12/13 6\n", "2007/12/13 6", {2007, 12, 9, 6, 6, 0}, 2900, 42},
      {"a day after a blank",
       "2007/12/ 3 60 12\n",
       "2007/12/ 3 60 12",
       {2007, 12, 2, 60, 12, 0},
       2893,
       420},
      {"one week a page",
       "2007/12/13 60 1\n",
       "2007/12/13 60 1",
       {2007, 12, 9, 60, 1, 0},
       2900,
       420},
      {"last line without a line feed", ";c\n2008/02", "2008/02", {2008, 1, 27, 6, 6, 2}, 2949, 42},
      {"0xFF splits a comment line",
       ";comment\xFF"
       "2008/02\n",
       "2008/02",
       {2008, 1, 27, 6, 6, 2},
       2949,
       42},
      {"CRLF line ends", ";c\r\n2008/02\r\n", "2008/02", {2008, 1, 27, 6, 6, 2}, 2949, 42},
      {"day past the month's end", "2008/02/31\n", "2008/02/31", {2008, 3, 2, 6, 6, 0}, 2984, 42},
      {"first Sunday of the range",
       "2000/03/05 01\n",
       "2000/03/05 01",
       {2000, 3, 5, 1, 6, 0},
       65,
       7},
      {"last week of the range",
       "2099/12/20 01\n",
       "2099/12/20 01",
       {2099, 12, 20, 1, 6, 0},
       36514,
       7},
      // A day field that runs past February 2000 is aligned in the serials' calendar.
      {"day 35 of February 2000", "2000/02/35 01\n", "2000/02/35 01", {2000, 3, 5, 1, 6, 0}, 65, 7},
      {"day 99 of December 1999", "1999/12/99 01\n", "1999/12/99 01", {2000, 3, 5, 1, 6, 0}, 65, 7},
  };
  for (const Accepted& c : cases) {
    TestSource source(c.source);
    TestConsole console;
    const HeaderLine header = ReadHeaderLine(source.stream(), console.console);
    ASSERT_EQ(header.status, HeaderStatus::kAccepted) << c.name;
    EXPECT_EQ(console.Text(), "[" + c.echo + "]\n") << c.name;
    const CalendarWindow window = ComputeCalendarWindow(header.settings);
    RunSettings aligned = header.settings;
    aligned.StartYear = window.AlignedStart.year;
    aligned.StartMonth = window.AlignedStart.month;
    aligned.StartDay = window.AlignedStart.day;
    EXPECT_EQ(aligned, c.settings) << c.name;
    EXPECT_EQ(window.WindowStart, c.windowStart) << c.name;
    EXPECT_EQ(window.WindowEnd - window.WindowStart, c.days) << c.name;
    EXPECT_EQ(WeekdayOfSerial(window.WindowStart), 0) << c.name;
  }
}

TEST(HeaderLine, TheSourceContinuesAfterTheHeaderLine) {
  TestSource source("2008/02\nnext line\n");
  TestConsole console;
  ReadHeaderLine(source.stream(), console.console);
  EXPECT_EQ(ReadSourceLine(source.stream()), LineEnd::kLineFeed);
  EXPECT_STREQ(source.stream().line, "next line");
}

TEST(HeaderLine, RejectedHeaderLinesAreEchoedTwiceWithTheReason) {
  struct Rejected {
    std::string source;
    std::string console;
  };
  const Rejected cases[] = {
      {"", Rejection("", kFormatMessage)},
      {";only\n\n;comments\n", Rejection("", kFormatMessage)},
      {";last comment without a line feed",
       Rejection(";last comment without a line feed", kFormatMessage)},
      {"   \n2008/02\n", Rejection("", kFormatMessage)},
      {" ;indented comment\n2008/02\n", Rejection(" ;indented comment", kFormatMessage)},
      {"2008/2\n", Rejection("2008/2", kFormatMessage)},
      {"2008-02\n", Rejection("2008-02", kFormatMessage)},
      {"08/02/2008\n", Rejection("08/02/2008", kFormatMessage)},
      // A month without a name, a negative day, no weeks per page.
      {"2008/13\n", Rejection("2008/13", kFormatMessage)},
      {"2008/00\n", Rejection("2008/00", kFormatMessage)},
      {"2008/02/-5\n", Rejection("2008/02/-5", kFormatMessage)},
      {"2007/12/13 60 00\n", Rejection("2007/12/13 60 00", kFormatMessage)},
      {"2007/12/13 60x\n", Rejection("2007/12/13 60x", kFormatMessage)},
      // Fields hold digits, after white space, at their places, and nothing follows.
      {"2008/02 extra\n", Rejection("2008/02 extra", kFormatMessage)},
      {"2011/10/9 30 12\n", Rejection("2011/10/9 30 12", kFormatMessage)},
      {"2008/02 60 12\n", Rejection("2008/02 60 12", kFormatMessage)},
      {"2007/12/13 6 12\n", Rejection("2007/12/13 6 12", kFormatMessage)},
      {"2007/12/13 00 06\n", Rejection("2007/12/13 00 06", kFormatMessage)},
      {"abcd/02\n", Rejection("abcd/02", kFormatMessage)},
      {"2008/02\t\n", Rejection("2008/02\t", kFormatMessage)},
      {"2008/02/\n", Rejection("2008/02/", kFormatMessage)},
      {"2007/12/13x\n", Rejection("2007/12/13x", kFormatMessage)},
      {"2007/12/13 60 -6\n", Rejection("2007/12/13 60 -6", kFormatMessage)},
      {"2007/12/13 60 12 x\n", Rejection("2007/12/13 60 12 x", kFormatMessage)},
      {"2099/12/31 00\n", Rejection("2099/12/31 00", kFormatMessage)},
      // Outside the dates on which serials and weekdays agree.
      {"2000/03\n", Rejection("2000/03", kRangeMessage)},
      {"2000/03/04\n", Rejection("2000/03/04", kRangeMessage)},
      {"2000/01\n", Rejection("2000/01", kRangeMessage)},
      {"1999/12/31\n", Rejection("1999/12/31", kRangeMessage)},
      {"1921/05/01\n", Rejection("1921/05/01", kRangeMessage)},
      {"2099/12/20 02\n", Rejection("2099/12/20 02", kRangeMessage)},
      {"2099/12/31\n", Rejection("2099/12/31", kRangeMessage)},
      {"2100/03/01 01\n", Rejection("2100/03/01 01", kRangeMessage)},
  };
  for (const Rejected& c : cases) {
    TestSource source(c.source);
    TestConsole console;
    EXPECT_EQ(ReadHeaderLine(source.stream(), console.console).status, HeaderStatus::kRejected)
        << c.source;
    EXPECT_EQ(console.Text(), c.console) << c.source;
  }
}

}  // namespace
}  // namespace wekset
