// The sample source file: its Korean texts and credit line, and the sample read
// back as a source file. Its other bytes are compared whole by the run cases.
#include "reading/sample_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "test_support.h"

namespace wekset {
namespace {

// Words of EUC-KR Hangul syllables, two bytes each, separated by single blanks.
std::vector<int> SyllablesPerWord(const std::string& text) {
  std::vector<int> words{0};
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead == ' ') {
      words.push_back(0);
      ++i;
      continue;
    }
    const auto trail = static_cast<unsigned char>(i + 1 < text.size() ? text[i + 1] : 0);
    if (lead < 0xB0 || lead > 0xC8 || trail < 0xA1 || trail > 0xFE) return {};
    ++words.back();
    i += 2;
  }
  return words;
}

TEST(SampleSource, KoreanTextsAndCreditLineHaveTheirShape) {
  const std::vector<std::string> lines = LinesOf(DocumentText(WriteSampleText));
  ASSERT_EQ(lines.size(), 77u);

  EXPECT_EQ(lines[1].front(), ';');
  EXPECT_NE(lines[1].back(), ' ');

  // Each text follows its prefix; the same name stands for the same bytes.
  struct Use {
    int line;
    std::string prefix;
  };
  struct Text {
    std::size_t bytes;
    std::vector<int> syllables;
    std::vector<Use> uses;
  };
  const Text texts[] = {
      {17, {2, 6}, {{39, "07 "}, {51, "17 "}, {72, "07 "}}},
      {20, {3, 3, 3}, {{40, ";  "}, {52, "   "}, {73, "   "}}},
      {10, {5}, {{41, "   "}, {53, "   "}, {74, "   "}}},
  };
  for (const Text& text : texts) {
    const std::string& first = lines[text.uses[0].line - 1];
    const std::string korean = first.substr(3);
    EXPECT_EQ(korean.size(), text.bytes) << first;
    EXPECT_EQ(SyllablesPerWord(korean), text.syllables) << first;
    for (const Use& use : text.uses) {
      EXPECT_EQ(lines[use.line - 1], use.prefix + korean) << "line " << use.line;
    }
  }
}

TEST(SampleSource, ReadBackItMakesSixtyWeeksInPagesOfTwelveWithoutErrors) {
  TemporaryDirectory directory;
  EXPECT_EQ(CreateSample(directory.fd()), SampleResult::kCreated);
  TestConsole console;
  EXPECT_EQ(RunWith(directory, {}, console.console), 0);
  EXPECT_EQ(console.Text(),
            "[2007/12/13 60 12]\n"
            "...so far so good.......................................\n"
            "[wek.tex] created successfully. Do \"pdflatex wek.tex\" now\n");
  // 60 weeks from Sunday 9 December 2007 to Saturday 31 January 2009.
  const std::vector<std::string> lines = LinesOf(ReadFile(directory / "wek.tex"));
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "%..............................  0  [2007.12. 9] [Sun]"),
            lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "%..............................419  [2009. 1.31] [Sat]"),
            lines.end());
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "\\vfill\\eject"), 4);
}

TEST(SampleSource, AnExistingFileIsNeverReplaced) {
  TemporaryDirectory directory;
  WriteFile(directory / "calendar.txt", "my own calendar\n");
  EXPECT_EQ(CreateSample(directory.fd()), SampleResult::kExists);
  EXPECT_EQ(ReadFile(directory / "calendar.txt"), "my own calendar\n");
}

}  // namespace
}  // namespace wekset
