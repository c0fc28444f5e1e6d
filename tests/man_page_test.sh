#!/usr/bin/env bash
# A manual page renders without a warning and lists its program's messages
# and options.
# Usage: man_page_test.sh MAN_PAGE
set -u
page=$1
if ! command -v man > /dev/null; then
  [ "${CI:-}" = true ] && { echo "FAIL: man is not installed, and CI must check"; exit 1; }
  echo "SKIPPED: man is not installed"
  exit 77
fi
warnings=$(mktemp)
trap 'rm -f "$warnings"' EXIT
text=$(LC_ALL=C MANWIDTH=200 man --warnings -l "$page" 2> "$warnings") || { echo "FAIL: man failed"; exit 1; }
[ ! -s "$warnings" ] || { echo "FAIL: warnings:"; cat "$warnings"; exit 1; }
expected() {
  case $(basename "$page") in
    wekset.1) cat << 'LIST'
NAME
SYNOPSIS
DESCRIPTION
OPTIONS
SOURCE FILE
MESSAGES
EXIT STATUS
FILES
MAKING THE PDF
wekset [SourceFile]
Need a source file, like calendar.txt
[calendar.txt] created. Edit it for your needs.
[calendar.txt] already exists. It was left unchanged.
[calendar.txt] cannot be created.
The first line of sourcefile must be like '2008/05' for May
Calendars can be made for 2000/03/05 to 2099/12/31 only.
...so far so good.......................................
Error in [year/month/day]:  [2008/2/30] became [2008/3/1].
~~~~~~~~~~~~~"calendar.txt" format error. The following line is not processed.
Too much text for one day: at most 511 characters.
Too many events: at most 3659 are kept.
[wek.tex] cannot be created.
[wek.tex] is the source file. It was left unchanged.
[wek.tex] could not be written completely.
[calendar.txt] could not be read completely. [wek.tex] was left unchanged.
wekset: write error on standard output:
wekset: unknown option
[wek.tex] created successfully. Do "pdflatex wek.tex" now
--week-start DAY
--week-numbers
--lang LOCALE
--direction rtl|ltr
; wekset: --week-start DAY
is not installed; install the Debian package locales-all
wekset-pdf --lang de_DE --week-numbers
pdflatex -jobname=wek '\UseRawInputEncoding\input{wek.tex}'
LIST
      ;;
    wekset-pdf.1) cat << 'LIST'
NAME
SYNOPSIS
DESCRIPTION
OPTIONS
DIAGNOSTICS
EXIT STATUS
SECURITY
wekset-pdf [--paper letter|a4] [SourceFile]
[wek.pdf] 5 pages
indexing the fonts, first run only
December 2007 - February 2008
[YYYY/MM/DD] N of M events do not fit: "first words", ...
weeks a page would set the text smaller than 6pt;
[YYYY/MM/DD] cannot print U+XXXX (on Debian: apt-get install PACKAGE)
wek.tex is neither UTF-8 nor EUC-KR; it is read as Windows-1252
[YYYY/MM/DD] TeX stopped on "text": error
[wek.pdf] was left unchanged.
lualatex is not installed
apt-get install texlive-luatex texlive-latex-recommended fonts-noto-core fonts-noto-cjk
unknown option -x
no iCalendar file given
one source file only, not also FILE
wek.pdf is a directory
wek.log could not be written
cannot find FILE in FOLDER; reinstall wekset
[--tz Area/City] [--details] FILE.ics...
--week-start DAY, --week-numbers, --lang LOCALE, --direction rtl|ltr
wekset-pdf --lang de_DE --week-numbers
LIST
      ;;
    wekset-ics.1) cat << 'LIST'
NAME
SYNOPSIS
OPTIONS
OUTPUT
DIAGNOSTICS
EXIT STATUS
--from YYYY/MM/DD
--weeks N
--per-page N
--tz Area/City
--week-start DAY
--lang LOCALE
--body
--details
--help
--version
Calendars can be made for 2000/03/05 to 2099/12/31 only.
lines in the window were left out, past wekset's 3659
cannot be read, so only its first occurrence is shown
can never occur, so only its first occurrence is shown
is no real time, so it is taken as
is UTF-16, not UTF-8 as iCalendar files are; it is read as UTF-16
is read as an event of the calendar
the file ends inside component; it is read as far as it goes
bytes that are not UTF-8 became U+FFFD
ADDRESSES
ENVIRONMENT
--offline
--refresh
[--offline | --refresh] FILE...
: cannot be fetched: reason; the copy cached age is used
: offline; the copy cached age is used
: cannot be fetched: reason; no copy is cached
: offline; no copy is cached
: not an address that can be fetched
: the copy could not be cached:
the server answered status
a redirect away from https is refused
it is larger than 50 MB
no complete answer within 60 seconds
--offline and --refresh cannot be used together
XDG_CACHE_HOME
CURL_CA_BUNDLE
WEKSET_FETCH_TIMEOUT
LIST
      ;;
  esac
}
failed=0
while IFS= read -r expected; do
  grep -qF -- "$expected" <<< "$text" || { echo "FAIL: missing \"$expected\""; failed=1; }
done < <(expected)
[ "$failed" -eq 0 ] && echo "ok   the manual page"
