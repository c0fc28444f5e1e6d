// The document as a whole, and its preamble: the LaTeX set-up, fonts sized by
// the weeks per page, and the macros that the grid calls.
#include "tex/calendar_document.h"

#include "tex/month_names.h"
#include "tex/tex_output.h"
#include "tex/week_grid.h"

namespace wekset {

namespace {

constexpr VerbatimRow kSetUpRows[] = {
    {R"(\documentclass[10pt]{article})", 1},
    {R"(\IfFileExists{hangul.sty} {\usepackage{hangul}})", 1},
    {R"(  {\typeout{Package hangul.sty was not found.}})", 1},
    {R"(%%\usepackage{hangulfn})", 1},
    {R"(\usepackage{lscape})", 1},
    {R"(\setlength{\textwidth}{7.5in})", 1},
    {R"(\thispagestyle{empty})", 1},
    {R"(\pagestyle{empty})", 1},
    {R"(\begin{document})", 1},
    {R"(\begin{landscape})", 1},
    {R"(%%% The  following TeX input will produce a calendar.  Each  %%% )", 1},
    {R"(%%% date is in a box  with a (possibly nul) message. %%% )", 1},
    {R"( )", 1},
    {R"(%%%%%%%%%%%%% dimensions for the box containing the date %%%%%%%%%%%%% )", 1},
};

constexpr VerbatimRow kCounterRows[] = {
    {R"(\overfullrule0pt)", 1},
    {R"(\newcount\IsSunday \IsSunday=0)", 1},
    {R"(\newdimen\weekht    \weekht32pt%%%% )", 1},
};

constexpr VerbatimRow kMacroRows[] = {
    {R"(\newdimen\daywidth  \daywidth=100pt %%%% width of the box containing each date)", 1},
    {R"(\newdimen\rulewidth \rulewidth=1pt %%%% width of rules around date box )", 1},
    {R"(\newdimen\padwid    \padwid=0pt  %%%% width of shadow boxing )", 1},
    {R"(\newdimen\interrowspace \interrowspace=1pt  %%%% space between weeks )", 1},
    {R"( )", 1},
    {R"(\newdimen\longwid   \longwid=\daywidth    \advance\longwid by 2\padwid)", 1},
    {R"(\advance \longwid by 3\rulewidth )", 1},
    {R"( )", 1},
    {R"(\def\dayline{\rule{\daywidth}{0.1pt}})", 1},
    {R"( )", 1},
    {R"(%%%%%%%%%%%% set counters for numbering days %%%%%%%%%%%%%%%%%%%% )", 1},
    {R"(\def\firstday{})", 1},
    {R"(\newcount\daynumber   \daynumber=0)", 1},
    {R"(\newcommand\setdaynumber[1]{\multiply\daynumber by 0 \advance\daynumber by #1})", 2},
    {R"(\newcount\vsnumber   \vsnumber=0)", 2},
    {R"(%% In case there are too many items, use negative vskip)", 2},
    {R"(\newcommand\setvskip[1]{\multiply\vsnumber by 0 \advance\vsnumber by #1})", 2},
    {R"(%%%% macro that prints a box containing \the\daynumber and \message %%%%)", 1},
    {R"(\def\daybox{%)", 1},
    {R"(   \offinterlineskip%)", 1},
    {R"(   \hbox{%)", 1},
    {R"(      \vbox{%)", 1},
    {R"(         \hbox{%)", 1},
    {R"(            \ifnum \IsSunday=1 \vrule height\dayht width\rulewidth\fi%)", 1},
    {R"(            \vbox to \dayht{%)", 1},
    {R"(               \hrule width\daywidth height\rulewidth)", 1},
    {R"(               \vskip2pt)", 1},
    {R"(               \hbox to \daywidth{%)", 1},
};

// The top line of a day box: its month label, then its day number; mirrored
// in a grid that runs right to left.
constexpr VerbatimRow kDayTopRow = {
    R"( \hfil{\hskip2pt\hbox{\firstday}\hfill\dayft \the\daynumber\hskip1pt}}%)", 1};
constexpr VerbatimRow kDayTopRowMirrored = {
    R"( \hfil{\hskip1pt{\dayft \the\daynumber}\hfill\hbox{\firstday}\hskip2pt}}%)", 1};

constexpr VerbatimRow kDayBoxEndRows[] = {
    {R"(               \vfil)", 1},
    {R"(               \vskip-\vsnumber pt)", 1},
    {R"(               \hbox to \daywidth{\hfil {\msgft \message} \hfil})", 1},
    {R"(               \vfil)", 1},
    {R"(               \hrule width\daywidth height\rulewidth}%)", 1},
    {R"(            \vrule height\dayht width\rulewidth}%)", 1},
    {R"(         \vbox{\hrule height\padwid width\daywidth}}}%)", 1},
    {R"(       \def\message{}%)", 1},
    {R"(       \IsSunday=0%)", 1},
    {R"(   })", 2},
    {R"(%%%% macro that prints a box containing DayOfTheWeek names %%%%)", 1},
    {R"(\newcount\weeknumber  \weeknumber=0)", 1},
    {R"(\def\weekbox{%)", 1},
    {R"(   \global\advance\weeknumber by 1)", 1},
    {R"(   \ifnum \weeknumber < 8)", 1},
    {R"(   \hbox{%)", 1},
    {R"(      \vrule height\weekht width 0pt)", 1},
    {R"(      \vbox{%)", 1},
    {R"(         \hbox{%)", 1},
    {R"(            \ifnum \the\weeknumber=1\vrule height\weekht width\rulewidth\fi)", 1},
    {R"(            \vbox to \weekht{%)", 1},
    {R"(               \hrule width\daywidth height\rulewidth)", 1},
    {R"(               \vskip2pt)", 1},
    {R"(               \hbox to \daywidth{%)", 1},
};

constexpr VerbatimRow kEnglishDayNameRows[] = {
    {R"(                   \ifnum \the\weeknumber=1 \def\dayname{Sun}\fi)", 1},
    {R"(                   \ifnum \the\weeknumber=2 \def\dayname{Mon}\fi)", 1},
    {R"(                   \ifnum \the\weeknumber=3 \def\dayname{Tue}\fi)", 1},
    {R"(                   \ifnum \the\weeknumber=4 \def\dayname{Wed}\fi)", 1},
    {R"(                   \ifnum \the\weeknumber=5 \def\dayname{Thu}\fi)", 1},
    {R"(                   \ifnum \the\weeknumber=6 \def\dayname{Fri}\fi)", 1},
    {R"(                   \ifnum \the\weeknumber=7 \def\dayname{Sat}\fi)", 1},
};

constexpr VerbatimRow kWeekBoxEndRows[] = {
    {R"(                  \hfil{\weekft \dayname}\hfil})", 1},
    {R"(               \vfil)", 1},
    {R"(               \hrule width\daywidth height\rulewidth}%)", 1},
    {R"(            \vrule height\weekht width\rulewidth}%)", 1},
    {R"(           \vbox{\hrule height\padwid width\daywidth}}}%)", 1},
    {R"(    \fi)", 1},
    {R"(   })", 3},
    {R"(\parindent=0pt)", 1},
    {R"(\voffset=-1.15in)", 1},
    {R"(\hoffset=-1.25in)", 1},
    {R"()", 1},
    {R"(\newcommand\boxt[1]{\fbox{\rm #1}})", 2},
};

// \weeklabel hangs a row's week number beside its first box, outside the
// grid, so that the grid stays where it is.
constexpr VerbatimRow kWeekLabelRows[] = {
    {R"(%%%% macro that prints a week's number beside its row %%%%)", 1},
    {R"(\def\weeklabel#1{\llap{\vbox to \dayht{\vskip3pt\hbox{\smsgft #1\hskip4pt}\vfil}}})", 2},
};
constexpr VerbatimRow kWeekLabelRowsMirrored[] = {
    {R"(%%%% macro that prints a week's number beside its row %%%%)", 1},
    {R"(\def\weeklabel#1{\rlap{\vbox to \dayht{\vskip3pt\hbox{\hskip4pt\smsgft #1}\vfil}}})", 2},
};

// Names of a language written from right to left are set so by LuaTeX.
constexpr VerbatimRow kRightToLeftNameRows[] = {
    {R"(%%%% names of a language written from right to left %%%%)", 1},
    {R"(\def\rtlname#1{\ifdefined\textdir{\textdir TRT #1}\else #1\fi})", 2},
};

constexpr VerbatimRow kBannerRows[] = {
    {R"( )", 1},
    {R"(%%%%% ready to go -- print a title banner %%%%)", 1},
};

constexpr VerbatimRow kMessageRows[] = {
    {R"(%%%% macro that prints a box containing \the\daynumber and \message %%%%)", 1},
    {R"(\def\message{}%)", 1},
};

// Shown in the sizing comment only; the boxes' height is the \dayht value.
constexpr int kDayHeight = 50;
constexpr int kWeekdayFontSize = 36;
// Names of other languages may reach below the line or fill the whole em,
// which 36 points would carry out of the 32-point weekday boxes.
constexpr int kLocaleWeekdayFontSize = 24;

struct GridSizing {
  int dayHeight;  // points
  int dayFontSize;
  int messageFontSize;
};

GridSizing ChooseGridSizing(const RunSettings& settings) {
  // Rows for 6 (and any count outside 7 to 12), then 7 to 12 weeks a page.
  static constexpr GridSizing kSizings[] = {
      {80, 36, 10}, {70, 36, 10}, {60, 30, 9}, {54, 24, 9}, {48, 24, 9}, {43, 16, 8}, {38, 16, 8},
  };
  const int weeks = settings.WeeksPerPage;
  GridSizing sizing = kSizings[weeks >= 7 && weeks <= 12 ? weeks - 6 : 0];
  // A title banner takes room: fewer, taller weeks with large day numbers.
  if (settings.TitleMonth > 0) {
    sizing.dayFontSize = 36;
    sizing.dayHeight = 70;
  }
  return sizing;
}

// The weekday names of the header boxes, from the left. The document as it
// always was keeps its own rows.
void WriteDayNameRows(std::FILE* out, const RunSettings& settings, const DocumentStyle& style) {
  if (settings.WeekStart == 0 && !style.rightToLeft && !style.names) {
    WriteVerbatim(out, kEnglishDayNameRows);
    return;
  }
  for (int box = 1; box <= 7; ++box) {
    const int fromFirst = style.rightToLeft ? 7 - box : box - 1;
    const Weekday weekday = (settings.WeekStart + fromFirst) % 7;
    WriteFormatted(out, 1, R"(                   \ifnum \the\weeknumber=%d \def\dayname{%s}\fi)",
                   box, WeekdayAbbreviation(style, weekday).c_str());
  }
}

}  // namespace

void WriteCalendarDocument(std::FILE* out, const RunSettings& settings,
                           const CalendarWindow& window, const EventTable& events,
                           const DocumentStyle& style) {
  const GridSizing sizing = ChooseGridSizing(settings);
  const int message = sizing.messageFontSize;

  WriteVerbatim(out, kSetUpRows);
  WriteFormatted(out, 1, "%% LinesInPages=%d....DayHeight=%d", settings.WeeksPerPage, kDayHeight);
  WriteFormatted(out, 1, R"(\font\ftwo=cmssbx36)");
  WriteFormatted(out, 1, R"(\font\weekft=cmr%d)",
                 style.names ? kLocaleWeekdayFontSize : kWeekdayFontSize);
  WriteFormatted(out, 1, R"(\font\dayft=cmr%d)", sizing.dayFontSize);
  WriteFormatted(out, 1, R"(\font\msgft=cmr%d)", message);
  WriteFormatted(out, 1, R"(\font\smsgft=cmr%d)", message - 1);
  WriteFormatted(out, 1, R"(\font\ssmsgft=cmr%d)", message - 2);
  WriteFormatted(out, 1, R"(\font\sssmsgft=cmr%d)", message - 4);
  WriteVerbatim(out, kCounterRows);
  WriteFormatted(out, 1, R"(\newdimen\dayht \dayht=%dpt %% height of the box containing each date)",
                 sizing.dayHeight);
  WriteVerbatim(out, kMacroRows);
  WriteVerbatim(out, style.rightToLeft ? kDayTopRowMirrored : kDayTopRow);
  WriteVerbatim(out, kDayBoxEndRows);
  WriteDayNameRows(out, settings, style);
  WriteVerbatim(out, kWeekBoxEndRows);
  if (style.weekNumbers) {
    WriteVerbatim(out, style.rightToLeft ? kWeekLabelRowsMirrored : kWeekLabelRows);
  }
  if (style.names && style.names->rightToLeft) WriteVerbatim(out, kRightToLeftNameRows);
  WriteVerbatim(out, kBannerRows);
  if (settings.TitleMonth > 0) {
    WriteFormatted(out, 1, R"(\centerline{\ftwo \hskip2.25in \ {%s}})",
                   MonthName(style, settings.TitleMonth));
    WriteVerbatim(out, {R"(\vskip .3in)", 1});
  }
  WriteVerbatim(out, kMessageRows);
  WriteWeekGrid(out, settings, window, events, style);
}

}  // namespace wekset
