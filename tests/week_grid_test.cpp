// The week grid: where rows, pages and banners fall, and how a day's text is
// written into its box.
#include "tex/week_grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "test_support.h"

namespace wekset {
namespace {

const std::string kWeekdayHeader =
    "\n"
    "\\weeknumber=0\n"
    "\\hbox{%\n"
    "\\weekbox \\weekbox \\weekbox \\weekbox \\weekbox \\weekbox \\weekbox\n"
    "}\n"
    "\\vskip -12pt\n"
    "\n";

std::string Grid(const RunSettings& settings, const EventTable& events = EventTable()) {
  return DocumentText([&](std::FILE* out) {
    WriteWeekGrid(out, settings, ComputeCalendarWindow(settings), events);
  });
}

void AddEvent(EventTable& events, std::int32_t offset, const std::string& text) {
  EventEntry& entry = events.entries.emplace_back();
  entry.DayOffset = offset;
  std::strcpy(entry.DayText, text.c_str());
}

// The week numbers that follow a page break, and the number of header rows.
struct Pages {
  std::vector<int> breaksBefore;
  int headers = 0;
  int rows = 0;
  bool operator==(const Pages&) const = default;
};

void PrintTo(const Pages& pages, std::ostream* out) {
  *out << "breaks before weeks";
  for (int week : pages.breaksBefore) *out << " " << week;
  *out << ", " << pages.headers << " headers, " << pages.rows << " rows";
}

Pages PagesOf(const std::string& grid) {
  Pages pages;
  const std::vector<std::string> lines = LinesOf(grid);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == "\\weeknumber=0") ++pages.headers;
    if (lines[i].starts_with("%% week ")) ++pages.rows;
    if (lines[i] == "\\vfill\\eject") {
      EXPECT_EQ(lines.at(i + 1), "");
      EXPECT_EQ(lines.at(i + 2), "");
      EXPECT_EQ(lines.at(i + 3), "\\weeknumber=0");
      const std::string& week = lines.at(i + 9);
      pages.breaksBefore.push_back(std::stoi(week.substr(std::strlen("%% week "))));
    }
  }
  return pages;
}

TEST(WeekGrid, PagesBreakBeforeEveryWeeksPerPageThWeekRow) {
  struct Case {
    RunSettings settings;
    Pages pages;
  };
  const Case cases[] = {
      {{2007, 12, 13, 60, 12, 0}, {{13, 25, 37, 49}, 5, 60}},
      {{2007, 12, 13, 60, -12, 0}, {{13, 25, 37, 49}, 5, 60}},
      {{2007, 12, 13, 13, 6, 0}, {{7, 13}, 3, 13}},
      {{2007, 12, 13, 99, 12, 0}, {{13, 25, 37, 49, 61, 73, 85, 97}, 9, 99}},
      {{2007, 12, 13, 5, 2, 0}, {{3, 5}, 3, 5}},
      {{2007, 12, 13, 5, 1, 0}, {{2, 3, 4, 5}, 5, 5}},
      {{2007, 12, 13, 5, -1, 0}, {{2, 3, 4, 5}, 5, 5}},
      {{2007, 12, 13, 0, 6, 0}, {{}, 0, 0}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PagesOf(Grid(c.settings)), c.pages)
        << c.settings.WeekCount << " weeks, " << c.settings.WeeksPerPage << " a page";
  }
}

TEST(WeekGrid, AnEmptyWindowWritesOnlyTheClosingLines) {
  EXPECT_EQ(Grid({2007, 12, 13, 0, 6, 0}), "\\end{landscape}\n\\end{document}\n");
  EXPECT_EQ(Grid({2007, 12, 13, -9, 6, 0}), "\\end{landscape}\n\\end{document}\n");
}

TEST(WeekGrid, AWindowStartingOnTheFirstNamesItsMonthOnce) {
  const std::string grid = Grid({2008, 6, 1, 1, 6, 0});
  EXPECT_TRUE(grid.starts_with(kWeekdayHeader));
  EXPECT_NE(grid.find("%..............................  0  [2008. 6. 1] [Sun]\n"
                      "\\def\\firstday{\\fbox{June}}%\n"
                      "\\setdaynumber{1}\n"
                      "\\daybox\n"
                      "\\def\\firstday{}%\n"
                      "%..............................  1  [2008. 6. 2] [Mon]\n"),
            std::string::npos);
  EXPECT_EQ(std::count(grid.begin(), grid.end(), '{'), std::count(grid.begin(), grid.end(), '}'));
  // Header, row opening, three lines a day, the banner's two, row closing, document closing.
  EXPECT_EQ(LinesOf(grid).size(), 7u + 4 + 7 * 3 + 2 + 1 + 2);
}

TEST(WeekGrid, DayBoxesCarryEveryEntryForTheirDaySizedByAllTheirLines) {
  auto lines = [](int count) {
    std::string text = "event";
    for (int i = 0; i < count; ++i) text += "\\vskip1pt    line";
    return text;
  };
  EventTable events;
  AddEvent(events, 1, "10:00PM Dentist");
  AddEvent(events, 6, "first in the table");
  AddEvent(events, 1, "second entry");
  AddEvent(events, 1, lines(3));
  AddEvent(events, 2, lines(4));
  AddEvent(events, 3, lines(5));
  AddEvent(events, 4, lines(9));
  AddEvent(events, 5, lines(10));
  AddEvent(events, 6, "50% {\\bf off} #1 ~");
  AddEvent(events, -1, "before the window");
  AddEvent(events, 7, "after the window");
  const std::string grid = Grid({2008, 6, 1, 1, 6, 0}, events);
  const std::string box = "\\def\\message{\\vbox{";
  for (const std::string& expected : {
           "\\setdaynumber{2}\n" + box +
               "{\\vskip-14pt  10:00PM Dentist\\vskip1pt second entry\\vskip1pt " + lines(3) +
               " }}}%\n\\daybox\n",
           "\\setdaynumber{3}\n" + box + "{ " + lines(4) + " }}}%\n\\daybox\n",
           "\\setdaynumber{4}\n" + box + "{\\vskip-14pt  " + lines(5) + " }}}%\n\\daybox\n",
           "\\setdaynumber{5}\n" + box + "{\\vskip-26pt \\sssmsgft  " + lines(9) +
               " }}}%\n\\daybox\n",
           "\\setdaynumber{6}\n" + box + "{\\vskip-26pt \\sssmsgft  " + lines(10) +
               " }}}%\n\\daybox\n",
           "\\setdaynumber{7}\n" + box +
               "{ first in the table\\vskip1pt 50% {\\bf off} #1 ~ }}}%\n\\daybox\n",
       }) {
    EXPECT_NE(grid.find(expected), std::string::npos) << expected;
  }
  EXPECT_NE(grid.find("\\setdaynumber{1}\n\\daybox\n"), std::string::npos);
  for (const char* hidden : {"before the window", "after the window"}) {
    EXPECT_EQ(grid.find(hidden), std::string::npos) << hidden;
  }
}

TEST(MessageSizing, PrefixesFromFiveLinesOn) {
  const char* expected[] = {"",
                            "",
                            "",
                            "",
                            "",
                            "\\vskip-14pt ",
                            "\\vskip-28pt ",
                            "\\vskip-26pt \\smsgft ",
                            "\\vskip-26pt \\ssmsgft ",
                            "\\vskip-26pt \\sssmsgft ",
                            "\\vskip-26pt \\sssmsgft ",
                            "\\vskip-26pt \\sssmsgft "};
  for (int count = 0; count < 12; ++count) EXPECT_STREQ(MessageSizing(count), expected[count]);
}

TEST(CountOccurrences, CountsOverlappingMatches) {
  struct Case {
    const char* needle;
    const char* text;
    int count;
  };
  const Case cases[] = {
      {"aa", "aaaa", 3},
      {"aaaaa", "aaaa", 0},
      {"vskip1pt", "no mark", 0},
      {"vskip1pt", "\\vskip1pt ", 1},
      {"", "abc", 4},
      {"", "", 1},
      {"vskip1pt", "a\\vskip1pt b\\vskip1pt c", 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CountOccurrences(c.needle, c.text), c.count) << c.needle << " in " << c.text;
  }
}

}  // namespace
}  // namespace wekset
