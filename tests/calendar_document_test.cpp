// The document's preamble: the sizing rows for every kind of weeks-per-page
// value, and the title banner. The whole document of a typical run is compared
// by the run cases.
#include "tex/calendar_document.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace wekset {
namespace {

// The document of an empty window, which is all preamble.
std::string Document(std::int32_t weeksPerPage, std::int32_t titleMonth) {
  const RunSettings settings{0, 0, 0, 6, weeksPerPage, titleMonth};
  return DocumentText([&](std::FILE* out) {
    WriteCalendarDocument(out, settings, CalendarWindow(), EventTable());
  });
}

TEST(CalendarDocument, FontsAndBoxHeightFollowTheWeeksPerPageAndTheTitle) {
  struct Case {
    int weeksPerPage, titleMonth;
    int dayHeight, dayFont, messageFont;
  };
  const Case cases[] = {
      {6, 0, 80, 36, 10}, {7, 0, 70, 36, 10}, {8, 0, 60, 30, 9},   {9, 0, 54, 24, 9},
      {10, 0, 48, 24, 9}, {11, 0, 43, 16, 8}, {12, 0, 38, 16, 8},  {13, 0, 80, 36, 10},
      {5, 0, 80, 36, 10}, {0, 0, 80, 36, 10}, {-3, 0, 80, 36, 10}, {-12, 0, 80, 36, 10},
      {6, 2, 70, 36, 10}, {12, 2, 70, 36, 8}, {8, 12, 70, 36, 9},  {12, -1, 38, 16, 8},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> lines = LinesOf(Document(c.weeksPerPage, c.titleMonth));
    const int m = c.messageFont;
    const std::vector<std::string> sizing = {
        "% LinesInPages=" + std::to_string(c.weeksPerPage) + "....DayHeight=50",
        R"(\font\ftwo=cmssbx36)",
        R"(\font\weekft=cmr36)",
        R"(\font\dayft=cmr)" + std::to_string(c.dayFont),
        R"(\font\msgft=cmr)" + std::to_string(m),
        R"(\font\smsgft=cmr)" + std::to_string(m - 1),
        R"(\font\ssmsgft=cmr)" + std::to_string(m - 2),
        R"(\font\sssmsgft=cmr)" + std::to_string(m - 4),
    };
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 14, lines.begin() + 22), sizing)
        << c.weeksPerPage << " " << c.titleMonth;
    EXPECT_EQ(lines[25], R"(\newdimen\dayht \dayht=)" + std::to_string(c.dayHeight) +
                             "pt % height of the box containing each date")
        << c.weeksPerPage << " " << c.titleMonth;
  }
}

TEST(CalendarDocument, TitleBannerOnlyForATitleMonth) {
  const std::string banner = "%%%%% ready to go -- print a title banner %%%%\n";
  const std::string last =
      "%%%% macro that prints a box containing \\the\\daynumber and \\message %%%%\n"
      "\\def\\message{}%\n"
      "\\end{landscape}\n"
      "\\end{document}\n";
  struct Case {
    int titleMonth;
    std::string rows;
  };
  const auto titled = [&](const char* month) {
    return banner + "\\centerline{\\ftwo \\hskip2.25in \\ {" + month + "}}\n\\vskip .3in\n" + last;
  };
  const Case cases[] = {
      {1, titled("January")},  {2, titled("February")},  {3, titled("March")},
      {4, titled("April")},    {5, titled("May")},       {6, titled("June")},
      {7, titled("July")},     {8, titled("August")},    {9, titled("September")},
      {10, titled("October")}, {11, titled("November")}, {12, titled("December")},
      {0, banner + last},      {-1, banner + last},
  };
  for (const Case& c : cases) {
    const std::string document = Document(6, c.titleMonth);
    ASSERT_GE(document.size(), c.rows.size());
    // An empty window: the banner rows end the preamble, the closing rows follow.
    EXPECT_EQ(document.substr(document.size() - c.rows.size()), c.rows) << c.titleMonth;
  }
}

}  // namespace
}  // namespace wekset
