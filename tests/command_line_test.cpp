// wekset's command line: options in both spellings and anywhere, "--", the
// source file among them, and every mistake.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace wekset {
namespace {

using Action = CommandLine::Action;

CommandLine Parse(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "wekset");
  // "-x" is the one file named like an option here.
  return ParseCommandLine(static_cast<int>(arguments.size()), arguments.data(),
                          [](const char* name) { return std::string(name) == "-x"; });
}

CommandLine Runs(std::optional<std::string> source = std::nullopt) {
  CommandLine line;
  line.sourceName = std::move(source);
  return line;
}

CommandLine Mistake(const std::string& message) {
  CommandLine line;
  line.action = Action::kMistake;
  line.mistake = message;
  return line;
}

TEST(CommandLine, ReadsEachOptionAndTheSource) {
  struct Case {
    std::vector<const char*> arguments;
    CommandLine expected;
  };
  const auto with = [](CommandLine line, auto change) {
    change(line);
    return line;
  };
  const Case cases[] = {
      {{}, Runs()},
      {{"mine.txt"}, Runs("mine.txt")},
      {{"mine.txt", "other.txt"}, Runs("mine.txt")},
      {{""}, Runs("")},
      {{"-x"}, Runs("-x")},
      {{"--", "--help"}, Runs("--help")},
      {{"a.txt", "--", "-y"}, Runs("a.txt")},
      {{"--week-start", "monday"}, with(Runs(), [](CommandLine& l) { l.weekStart = 1; })},
      {{"--week-start=SAT"}, with(Runs(), [](CommandLine& l) { l.weekStart = 6; })},
      {{"--week-start", "Sunday", "cal.txt"},
       with(Runs("cal.txt"), [](CommandLine& l) { l.weekStart = 0; })},
      {{"cal.txt", "--week-start", "thu"},
       with(Runs("cal.txt"), [](CommandLine& l) { l.weekStart = 4; })},
      {{"--week-start", "tuesday", "--week-start", "wed"},
       with(Runs(), [](CommandLine& l) { l.weekStart = 3; })},
      {{"--week-numbers"}, with(Runs(), [](CommandLine& l) { l.weekNumbers = true; })},
      {{"--lang", "de_DE"}, with(Runs(), [](CommandLine& l) { l.language = "de_DE"; })},
      {{"--lang=sr_RS@latin"}, with(Runs(), [](CommandLine& l) { l.language = "sr_RS@latin"; })},
      {{"--direction", "rtl"}, with(Runs(), [](CommandLine& l) { l.rightToLeft = true; })},
      {{"--direction=ltr"}, with(Runs(), [](CommandLine& l) { l.rightToLeft = false; })},
      {{"--help", "--bogus"}, with(Runs(), [](CommandLine& l) { l.action = Action::kHelp; })},
      {{"cal.txt", "-h"},
       with(Runs(),
            [](CommandLine& l) {
              l.action = Action::kHelp;
              l.sourceName = "cal.txt";
            })},
      {{"--version"}, with(Runs(), [](CommandLine& l) { l.action = Action::kVersion; })},
      {{"--verbose"}, Mistake("unknown option --verbose")},
      {{"cal.txt", "-y"}, Mistake("unknown option -y")},
      {{"-"}, Mistake("unknown option -")},
      {{"--week-start"}, Mistake("option --week-start needs a value")},
      {{"--week-start", "mo"},
       Mistake("--week-start takes a day of the week, as monday or mon, not \"mo\"")},
      {{"--week-start="},
       Mistake("--week-start takes a day of the week, as monday or mon, not \"\"")},
      {{"--week-start", "mondays"},
       Mistake("--week-start takes a day of the week, as monday or mon, not \"mondays\"")},
      {{"--week-numbers=1"}, Mistake("option --week-numbers takes no value")},
      {{"--help=me"}, Mistake("option --help takes no value")},
      {{"--lang", "../x"}, Mistake("--lang takes a locale name, as de_DE or fr, not \"../x\"")},
      {{"--lang", "de/DE"}, Mistake("--lang takes a locale name, as de_DE or fr, not \"de/DE\"")},
      {{"--lang="}, Mistake("--lang takes a locale name, as de_DE or fr, not \"\"")},
      {{"--direction", "up"}, Mistake("--direction takes rtl or ltr, not \"up\"")},
      {{"--direction"}, Mistake("option --direction needs a value")},
  };
  for (const Case& test : cases) {
    std::string shown;
    for (const char* argument : test.arguments) shown += std::string(" [") + argument + "]";
    EXPECT_EQ(Parse(test.arguments), test.expected) << shown;
  }
}

}  // namespace
}  // namespace wekset
