#!/usr/bin/env bash
# Makes a calendar with the built program and compiles it with pdflatex: the
# document must compile without an error, have its pages, and show its day
# numbers and event texts.
# Usage: pdflatex_test.sh PROGRAM CASE [IMPORTER]
set -u
tests=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/pdf_words.sh
. "$tests/pdf_words.sh"
program=$(realpath "$1")
name=$2
importer=${3:+$(realpath "$3")}

if ! command -v pdflatex > /dev/null; then
  if [ "${CI:-}" = true ]; then
    echo "FAIL: pdflatex is not installed, and CI must run this test"
    exit 1
  fi
  echo "SKIPPED: pdflatex is not installed"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

fail() {
  echo "FAIL $name: $*"
  exit 1
}

# The source file, the first day of the window, its weeks, the expected pages,
# and words that the events put on the pages. Every page must show the weekday
# names.
source_text="" first_day="" weeks=0 pages=0 words=() raw_input=false options=()
weekdays=(Sun Mon Tue Wed Thu Fri Sat)
continuation_lines() {
  for i in $(seq 1 "$2"); do printf '   %s line %d\n' "$1" "$i"; done
}
case $name in
  weeks-per-page-[0-9]*)
    per_page=${name#weeks-per-page-}
    weeks=$((per_page + 1)) pages=2 first_day=2008-01-06
    source_text=$(printf '2008/01/06 %02d %02d\n-2008/01\n09 Dentist\n15 Seminar\n%s\n' \
      "$weeks" "$per_page" "$(continuation_lines Seminar 5)")
    words=(Dentist Seminar January February)
    ;;
  short-form)
    weeks=6 pages=1 first_day=2008-01-27
    source_text=$'2008/02\n-2008/02\n18 10:00PM Dentist\n28 Calculus Exam 2\n'
    words=(February January March 10:00PM Dentist Calculus Exam)
    ;;
  sixty-weeks)
    weeks=60 pages=5 first_day=2007-12-09
    source_text=$'2007/12/13 60 12\n-2008/01\n08 Dentist\n-2009/01\n31 Calculus\n'
    words=(December January Dentist Calculus)
    ;;
  ninety-nine-weeks)
    weeks=99 pages=9 first_day=2008-01-06
    source_text=$'2008/01/06 99 12\n-2009/11\n28 Last\n'
    words=(November Last)
    ;;
  continuation-lines)
    weeks=2 pages=1 first_day=2008-06-01
    source_text="2008/06/01 02"$'\n-2008/06\n'
    for lines in 5 6 7 8 9; do
      source_text+=$(printf '%02d Day%d\n%s' "$lines" "$lines" "$(continuation_lines "Lines$lines" "$lines")")$'\n'
      words+=("Day$lines" "Lines$lines")
    done
    ;;
  tex-commands)
    weeks=1 pages=1 first_day=2008-06-01
    source_text='2008/06/01 01
-2008/06
02 {\bf Bold} meeting
03 \boxt{Boxed} text
04 Rule\dayline below
05 50\% off
'
    words=(Bold meeting Boxed text Rule below off)
    ;;
  events-of-one-day)
    weeks=1 pages=1 first_day=2008-06-01
    source_text=$'2008/06/01 01\n-2008/06\n03 Dentist\n03 Lunch\n   with Ana\n03 Seminar\n'
    words=(Dentist Lunch with Ana Seminar)
    ;;
  one-week-a-page)
    weeks=3 pages=3 first_day=2008-06-01
    source_text=$'2008/06/01 03 01\n-2008/06\n10 Dentist\n'
    words=(Dentist)
    ;;
  crowded-day)
    # A day of 12 lines must stay inside its box: the grid must lie exactly
    # where it lies in the empty calendar, and the lines must end before the
    # box of the week below begins.
    weeks=2 pages=1 first_day=2008-06-01
    source_text=$'2008/06/01 02\n-2008/06\n04 Line1\n'$(for i in $(seq 2 12); do printf '   Line%d\n' "$i"; done)
    words=(Line1 Line6 Line12)
    ;;
  ics-pipeline)
    # Events from a calendar app through wekset-ics, LaTeX's specials and
    # accented letters included; wekset must report no line of it.
    weeks=1 pages=1 first_day=2027-01-03
    source_text=$("$importer" --tz UTC --details --from 2027/01/06 --weeks 1 \
      "$tests/ics_cases/escaped-text-and-details/before/text.ics") || fail "wekset-ics failed"
    source_text+=$'\n'
    words=(50% '&' '$5' '#1' a_b 'x^2' '~' '{c}' '\' end Line one two tabbed 10:00 Café Zoë Room 2nd floor)
    ;;
  german-week-numbers)
    # Names of Latin script from the locale print by hand; the week numbers
    # stand beside the rows: 5 to 10 for the weeks of 1 February 2027 on.
    options=(--lang de_DE --week-numbers --week-start monday)
    weeks=6 pages=1 first_day=2027-01-25 weekdays=(Mo Di Mi Do Fr Sa So)
    source_text=$'2027/02\n-2027/02\n18 Zahnarzt\n-2027/03\n01 März-Treffen\n'
    words=(Februar Januar März Zahnarzt März-Treffen)
    ;;
  right-to-left)
    options=(--direction rtl --week-numbers)
    weeks=2 pages=1 first_day=2008-06-01
    source_text=$'2008/06/01 02\n-2008/06\n02 Dentist\n'
    words=(June Dentist 23 24)
    ;;
  sample)
    weeks=60 pages=5 first_day=2007-12-09 raw_input=true
    words=(PHSC Varnick Lorin Vesk Dentist Analysis Calculus CalculusExam Pellam Holbrath 555-0147)
    ;;
  *)
    fail "no such case"
    ;;
esac

if [ "$name" = sample ]; then
  "$program" > /dev/null || fail "the sample was not written"
else
  printf '%s' "$source_text" > calendar.txt
fi
"$program" "${options[@]}" > console.txt || fail "wekset ended with status $?: $(cat console.txt)"
grep -q '^\[wek.tex\] created successfully' console.txt || fail "wekset said: $(cat console.txt)"
[ "$name" != ics-pipeline ] || [ "$(wc -l < console.txt)" -eq 3 ] || fail "wekset reported lines: $(cat console.txt)"

# 8-bit text in another encoding than UTF-8 needs the raw input encoding.
input=wek.tex
$raw_input && input='\UseRawInputEncoding\input{wek.tex}'
pdflatex -interaction=nonstopmode -halt-on-error -jobname=wek "$input" > pdflatex.txt 2>&1 ||
  fail "pdflatex ended with status $?: $(grep -A3 '^!' wek.log)"
! grep -q '^!' wek.log || fail "errors in the log: $(grep -A3 '^!' wek.log)"

actual_pages=$(pdfinfo wek.pdf | awk '/^Pages:/ { print $2 }')
[ "$actual_pages" = "$pages" ] || fail "$actual_pages pages, expected $pages"

# Every page begins with the row of weekday names.
for page in $(seq 1 "$pages"); do
  words_of -f "$page" -l "$page" wek.pdf > page.txt
  for weekday in "${weekdays[@]}"; do
    grep -qx "$weekday" page.txt || fail "page $page has no \"$weekday\": $(tr "\n" " " < page.txt)"
  done
done

words_of wek.pdf > tokens.txt
# Every day number shows up at least as often as the window holds that day.
for offset in $(seq 0 $((7 * weeks - 1))); do
  date -d "$first_day + $offset day" +%-d
done | sort | uniq -c | while read -r count day; do
  found=$(grep -cx "$day" tokens.txt)
  [ "$found" -ge "$count" ] || fail "day number $day shows $found times, expected $count"
done || exit 1
for word in "${words[@]}"; do
  grep -qxF -- "$word" tokens.txt || fail "\"$word\" is not on the pages"
done
if [ "$name" = crowded-day ]; then
  # Word boxes as "word xMin yMin xMax yMax", from pdftotext -bbox.
  boxes() {
    pdftotext -bbox "$1" - | sed -n 's/.*xMin="\([^"]*\)" yMin="\([^"]*\)" xMax="\([^"]*\)" yMax="\([^"]*\)">\([^<]*\)<.*/\5 \1 \2 \3 \4/p'
  }
  mkdir empty && (cd empty && printf '2008/06/01 02\n' > calendar.txt && "$program" > /dev/null &&
    pdflatex -interaction=nonstopmode -halt-on-error wek.tex > /dev/null 2>&1) || fail "the empty calendar did not compile"
  boxes empty/wek.pdf > empty.txt
  boxes wek.pdf > crowded.txt
  while read -r box; do
    grep -qxF -- "$box" crowded.txt || fail "the grid moved: \"$box\" is not where the empty calendar has it"
  done < empty.txt
  # The lines of the 4th must lie between its box and that of the 11th, along
  # the axis on which the two boxes follow each other, whichever way the page
  # is turned.
  awk '$1 == "4" { a = $0 } $1 == "11" { b = $0 } $1 ~ /^Line/ { lines[$1] = $0 }
    END {
      split(a, p); split(b, q)
      axis = (q[2] - p[2]) ^ 2 > (q[3] - p[3]) ^ 2 ? 2 : 3
      for (word in lines) {
        split(lines[word], r)
        if (q[axis] > p[axis]) inside = r[axis] >= p[axis] && r[axis + 2] <= q[axis]
        else inside = r[axis + 2] <= p[axis + 2] && r[axis] >= q[axis + 2]
        if (!inside) { print word; bad = 1 }
      }
      exit bad
    }' crowded.txt > outside.txt || fail "lines outside the box of the 4th: $(tr '\n' ' ' < outside.txt)"
fi
if [ "$name" = right-to-left ]; then
  # Sunday, the first day of the row, stands at the other end of it than in
  # the same calendar from left to right, whichever way the page is turned.
  mkdir ltr && (cd ltr && printf '%s' "$source_text" > calendar.txt && "$program" > /dev/null &&
    pdflatex -interaction=nonstopmode -halt-on-error wek.tex > /dev/null 2>&1) || fail "the left-to-right calendar did not compile"
  ends() {
    pdftotext -bbox "$1" - | sed -n 's/.*xMin="\([^"]*\)" yMin="\([^"]*\)".*>\(Sun\|Sat\)<.*/\3 \1 \2/p' |
      awk '{ x[$1] = $2; y[$1] = $3 } END {
        dx = x["Sat"] - x["Sun"]; dy = y["Sat"] - y["Sun"]
        print (dx * dx > dy * dy) ? (dx > 0 ? "x+" : "x-") : (dy > 0 ? "y+" : "y-") }'
  }
  left_to_right=$(ends ltr/wek.pdf) right_to_left=$(ends wek.pdf)
  [ "${left_to_right%?}" = "${right_to_left%?}" ] && [ "$left_to_right" != "$right_to_left" ] ||
    fail "Sunday and Saturday lie $right_to_left, from left to right $left_to_right"
fi
echo "ok   $name: $actual_pages pages"
