// The sample's text, line by line. The Korean texts are EUC-KR, written as
// byte escapes so that no editor can re-encode them.
#include "reading/sample_source.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "io/line_ends.h"
#include "io/output_file.h"

namespace wekset {

namespace {

// "가족 생일축하모임", a family birthday party.
constexpr const char* kBirthdayParty =
    "\xB0\xA1\xC1\xB7 \xBB\xFD\xC0\xCF\xC3\xE0\xC7\xCF\xB8\xF0\xC0\xD3";
// "서울역 대합실 세시에", at the Seoul Station waiting room at three.
constexpr const char* kMeetingPlace =
    "\xBC\xAD\xBF\xEF\xBF\xAA \xB4\xEB\xC7\xD5\xBD\xC7 \xBC\xBC\xBD\xC3\xBF\xA1";
// "케이크주문", order the cake.
constexpr const char* kCakeOrder = "\xC4\xC9\xC0\xCC\xC5\xA9\xC1\xD6\xB9\xAE";

struct SampleLine {
  const char* text;
  const char* korean;  // follows text
  int lineEnds;        // 2 leaves an empty line after it
};

constexpr SampleLine kSampleLines[] = {
    {"; Usage: wekset <SourceFile>", "", 1},
    {"; Written by the wekset authors, December 2026.", "", 1},
    {"; In case <SourceFile> is [calendar.txt],", "", 1},
    {"; it is not necessary to specify it.", "", 2},
    {"; SourceFile:", "", 1},
    {"; The first line must have year and month.", "", 1},
    {"; (If you want to create a calendar for 2008/03,", "", 1},
    {"; enter 2008/03 in the very first line).", "", 2},
    {"; Each month starts with a MINUS sign,  like \"-2008/02\"", "", 1},
    {"; (There is a long format as [2007/12/13 60 12]. See below.", "", 1},
    {"; The next are optional events.", "", 1},
    {"; Date(2digits)[space] Events", "", 1},
    {"; There may be 9 events in one day.", "", 1},
    {"; TeX macros:: \\dayline", "", 2},
    {"; Line starting win \";\" is a comment.", "", 1},
    {"; This file can contain even hangul (if you can compile TeX.", "", 2},
    {"; .... About the first line .....", "", 1},
    {"; (usual monthly format)", "", 1},
    {"; 2008/02", "", 1},
    {"; Make a calendar for the month of Feb of 2008", "", 2},
    {"; (long format) specify starting date, weeks per page etc.", "", 1},
    {"; 2007/12/13 60 12", "", 1},
    {";         Day to start...13", "", 1},
    {";            Number of weeks...60  (must be 06 to 99)", "", 1},
    {";               How many weeks per page...12  (must be 06 to 12)", "", 1},
    {"; ---------Example begins here---------------------------", "", 1},
    {"2007/12/13 60 12", "", 2},
    {"-2008/01", "", 1},
    {"01 7:00PM QX exams 1", "", 1},
    {"   PHSC 100", "", 1},
    {"04 1:30PM Dr Varnick", "", 1},
    {"   Lorin Vesk (interview)", "", 1},
    {"07 ", kBirthdayParty, 1},
    {";  ", kMeetingPlace, 1},
    {"   ", kCakeOrder, 1},
    {"08 10:00PM Dentist", "", 1},
    {"31 CalculusExam 2", "", 1},
    {";", "", 2},
    {"-2008/02", "", 1},
    {"11 7:00PM QX exams 1", "", 1},
    {"   PHSC 100", "", 1},
    {"14 1:30PM Dr Varnick", "", 1},
    {"   Lorin Vesk (interview)", "", 1},
    {"17 ", kBirthdayParty, 1},
    {"   ", kMeetingPlace, 1},
    {"   ", kCakeOrder, 1},
    {"18 10:00PM Dentist", "", 1},
    {"21 Analysis Exam 1", "", 1},
    {";   Ema Tovrin (interview)", "", 1},
    {"28 Calculus Exam 2", "", 1},
    {";", "", 2},
    {"-2008/03", "", 1},
    {"26 12:30 Dr Pellam", "", 1},
    {"10 3:30 Dr Holbrath", "", 1},
    {"   555-0147", "", 1},
    {"17 2:30 Dr Holbrath", "", 1},
    {"   555-0147", "", 2},
    {"-2008/12", "", 1},
    {"01 7:00PM QX exams 1", "", 1},
    {"   PHSC 100", "", 1},
    {"04 1:30PM Dr Varnick", "", 1},
    {"   Lorin Vesk (interview)", "", 1},
    {"07 ", kBirthdayParty, 1},
    {"   ", kMeetingPlace, 1},
    {"   ", kCakeOrder, 1},
    {"08 10:00PM Dentist", "", 1},
    {"31 Calculus Exam 2", "", 1},
    {";", "", 1},
};

}  // namespace

void WriteSampleText(std::FILE* out) {
  for (const SampleLine& line : kSampleLines) {
    std::fputs(line.text, out);
    std::fputs(line.korean, out);
    WriteLineEnds(out, line.lineEnds);
  }
}

SampleResult CreateSample(int directory) {
  const char* const name = kDefaultSourceName;
  struct stat existing {};
  if (fstatat(directory, name, &existing, AT_SYMLINK_NOFOLLOW) == 0) return SampleResult::kExists;
  // Written whole under another name, then linked to its own, which fails
  // rather than replace a file that appeared meanwhile.
  const HeldSignals held;
  PendingFile sample;
  if (!sample.Create(directory, name, 0666, true)) return SampleResult::kNotCreated;
  WriteSampleText(sample.stream());
  const bool written = sample.Finish();
  if (held.Pending()) return SampleResult::kInterrupted;
  if (!written) return SampleResult::kNotCreated;
  if (sample.LinkNew()) return SampleResult::kCreated;
  return errno == EEXIST ? SampleResult::kExists : SampleResult::kNotCreated;
}

}  // namespace wekset
