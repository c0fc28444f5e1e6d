#!/usr/bin/env bash
# wekset-pdf end to end: its console, exit status and files, and the PDF's
# pages, fonts and legibility (pdf_legibility.py) for the sample in EUC-KR,
# long lines, crowded days, every script, days too full up to wekset's
# limits, a calendar app's event every minute, characters that no font has,
# Windows-1252 text, TeX errors, A4 paper, every weeks a page, and what is
# missing; and what a stranger's calendar or a hostile folder must not
# achieve: links written through, files read from the calendar's folder,
# programs run, terminal escapes shown, a false success.
# Usage: wekset_pdf_test.sh BUILD_DIR CASE
set -u
tests=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "$1")
name=$2
wekset_pdf=$build/wekset-pdf
# shellcheck source=tests/pdf_words.sh
. "$tests/pdf_words.sh"

# The cases of what is missing run whether or not it is installed.
tools="lualatex pdfinfo pdffonts fc-list"
[ "$name" = strace ] && tools="$tools strace"
case $name in
  no-lualatex | options) ;;
  *)
    for tool in $tools; do
      command -v "$tool" > /dev/null && continue
      [ "${CI:-}" = true ] && { echo "FAIL: $tool is not installed, and CI must run this test"; exit 1; }
      echo "SKIPPED: $tool is not installed"
      exit 77
    done
    for module in fitz icu; do
      /usr/bin/python3 -c "import $module" 2> /dev/null && continue
      [ "${CI:-}" = true ] && { echo "FAIL: python3-$module is not installed, and CI must run this test"; exit 1; }
      echo "SKIPPED: python3-$module is not installed"
      exit 77
    done
    ;;
esac
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
fail() { echo "FAIL $name: $*"; exit 1; }

created='[wek.tex] created successfully. Do "pdflatex wek.tex" now'
so_far='...so far so good.......................................'

# What wekset says of a source whose header line is the argument.
made() { printf '[%s]\n%s\n%s\n' "$1" "$so_far" "$created"; }

# The line that the first run of luaotfload prints, while it indexes the fonts.
index_line() {
  local cache
  for cache in $(kpsewhich -var-value TEXMFCACHE | tr ':' ' '); do
    ls "$cache"/luatex-cache/generic/names/luaotfload-names.lu* > /dev/null 2>&1 && return
  done
  echo "indexing the fonts, first run only"
}

# Runs wekset-pdf and compares its standard output, standard error and status.
expect_run() {
  local status=$1 console=$2 errors=$3
  shift 3
  "$@" > console.txt 2> errors.txt
  local actual=$?
  [ "$actual" = "$status" ] || fail "status $actual, expected $status; said: $(cat console.txt errors.txt)"
  diff -u <(printf '%s' "$console") console.txt > diff.txt || fail "standard output: $(cat diff.txt)"
  diff -u <(printf '%s' "$errors") errors.txt > diff.txt || fail "standard error: $(cat diff.txt)"
}

# Makes wek.pdf from the source in calendar.txt, expecting the console lines
# of a whole run with the header line $1, the pages $2, and the standard
# error $3; wekset-pdf gets the further arguments.
expect_pdf() {
  local header=$1 pages=$2 errors=$3 noun=pages
  shift 3
  [ "$pages" = 1 ] && noun=page
  local index
  index=$(index_line)
  expect_run 0 "$(made "$header")"$'\n'"${index:+$index$'\n'}[wek.pdf] $pages $noun"$'\n' "$errors" \
    "$wekset_pdf" "$@"
}

# The console of a run that makes wek.tex from a source with the header line
# $1 and then stops, LuaLaTeX having run, with the line $2.
stopped() {
  local index
  index=$(index_line)
  printf '%s\n%s%s\n' "$(made "$1")" "${index:+$index$'\n'}" "$2"
}

# An invitation for 5 January 2027, 10:00 UTC, with the summary $1.
invite() {
  printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//wekset tests//EN\r\nBEGIN:VEVENT\r\n'
  printf 'UID:invite@wekset.test\r\nDTSTAMP:20261201T000000Z\r\nDTSTART:20270105T100000Z\r\n'
  printf 'DURATION:PT1H\r\nSUMMARY:%s\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n' "$1"
}
window=(--tz UTC --from 2027/01/03 --weeks 2)
window_header="2027/01/03 02 06"

# A copy of the built programs and of wekset-pdf's files in the folder $1,
# but for the files named after it.
install_copy() {
  local folder=$1 file
  shift
  mkdir -p "$folder"
  for file in wekset-pdf wekset wekset-ics hangul.sty wekset.lua wekset-reports.lua wekset-fonts.lua \
    wekset-text.lua wekset-page.lua cp1252.lua safer.lua; do
    [[ " $* " == *" $file "* ]] || [ ! -e "$build/$file" ] || cp "$build/$file" "$folder/"
  done
}

# The files in the current folder, but for links.
own_files() { find . -maxdepth 1 ! -type l ! -name . | sort | tr '\n' ' '; }

# The pages are all of one size, turned for a viewer to show them upright.
expect_pages() {
  local pages=$1 size=$2 actual rotations sizes
  actual=$(pdfinfo wek.pdf | awk '/^Pages:/ { print $2 }')
  [ "$actual" = "$pages" ] || fail "$actual pages, expected $pages"
  rotations=$(pdfinfo -f 1 -l "$pages" wek.pdf | awk '/ rot: / { print $NF }' | sort -u)
  [ "$rotations" = 90 ] || fail "pages are turned by $rotations, not all by 90"
  sizes=$(pdfinfo -f 1 -l "$pages" wek.pdf | sed -n 's/.* size: *\([0-9.]*\) x \([0-9.]*\) pts.*/\1 x \2/p' | sort -u)
  [ "$sizes" = "$size" ] || fail "pages of $sizes pt, expected $size"
}

expect_legible() {
  "$tests/pdf_legibility.py" wek.pdf wek.tex "$@" > legibility.txt ||
    fail "$(grep -v '^ok' legibility.txt | head -n 20)"
}

# The standard error of a day whose events do not all fit: how many, of the
# total, and the first words of the first ten left off, in the format given
# for event i; the number shown is the one that the day's box counts.
expect_left_off() {
  local date=$1 total=$2 format=$3 more
  more=$(words_of wek.pdf | tr '\n' ' ' | grep -o '+[0-9]* more' | head -n 1)
  more=${more#+}
  more=${more% more}
  [ -n "$more" ] || fail "no line counts the events left out"
  local shown=$((total - more)) names="" i
  for i in $(seq $((shown + 1)) $((shown + 10 < total ? shown + 10 : total))); do
    # shellcheck disable=SC2059
    names="$names${names:+, }\"$(printf "$format" "$i")\""
  done
  [ $((shown + 10)) -lt "$total" ] && names="$names, …"
  diff -u <(printf 'wekset-pdf: [%s] %d of %d events do not fit: %s\n' "$date" "$more" "$total" "$names") \
    errors.txt > diff.txt || fail "standard error: $(cut -c 1-300 diff.txt)"
}

letter="612 x 792"
a4="595.276 x 841.89"

# Long lines, a long word, a web address and an e-mail address, and crowded
# days of 9 lines at 6 weeks a page and of 5 at 12.
long_lines() {
  printf '%s\n' "2008/02/03 01 $1" -2008/02 \
    '03 18 Meeting with the department heads about the budget for next year' \
    '04 Informationsveranstaltungsankündigungsschreiben' \
    '05 https://calendar.example.org/events/2008/february/planning-meeting?id=12345' \
    '06 anna.maria.longname@department.example-university.edu'
  printf '07 Line 1 of a crowded day\n'
  for line in $(seq 2 "$2"); do printf '   Line %d of a crowded day\n' "$line"; done
}

case $name in
  sample)
    expect_run 0 $'Need a source file, like calendar.txt\n[calendar.txt] created. Edit it for your needs.\n' '' \
      "$wekset_pdf"
    [ ! -e wek.pdf ] || fail "a PDF without a wek.tex"
    expect_pdf "2007/12/13 60 12" 5 ''
    expect_pages 5 "$letter"
    expect_legible
    # wek.tex is wekset's own, byte for byte.
    mkdir alone && cp calendar.txt alone/ && (cd alone && "$build/wekset" > /dev/null) || fail "wekset alone failed"
    cmp -s wek.tex alone/wek.tex || fail "wek.tex differs from what wekset alone writes"
    fonts=$(pdffonts wek.pdf | tail -n +3)
    ! grep -q 'Type 3' <<< "$fonts" || fail "bitmap fonts: $(grep 'Type 3' <<< "$fonts")"
    grep -q 'LMRoman' <<< "$fonts" && grep -q 'NotoSerifCJKkr' <<< "$fonts" ||
      fail "not Latin Modern and Noto: $fonts"
    [ "$(ls -A | tr '\n' ' ')" = "alone calendar.txt console.txt diff.txt errors.txt legibility.txt wek.log wek.pdf wek.tex " ] ||
      fail "files left: $(ls -A)"
    ;;
  long-lines)
    long_lines 06 9 > calendar.txt
    expect_pdf "2008/02/03 01 06" 1 ''
    expect_pages 1 "$letter"
    expect_legible
    long_lines 12 5 > calendar.txt
    expect_pdf "2008/02/03 01 12" 1 ''
    expect_legible
    ;;
  a4)
    long_lines 12 5 > calendar.txt
    expect_pdf "2008/02/03 01 12" 1 '' --paper a4
    expect_pages 1 "$a4"
    expect_legible
    # The grid in the middle of the page: as much room on either side.
    pdftotext -bbox wek.pdf - | awk -F'"' '/<word / { if (min == "" || $2 < min) min = $2; if ($6 > max) max = $6 }
      END { if ((min - (842 - max)) ^ 2 > 4) { print "left " min ", right " 842 - max; exit 1 } }' > margins.txt ||
      fail "the grid is not in the middle: $(cat margins.txt)"
    ;;
  scripts)
    printf '%s\n' '2008/02/03 01 06' -2008/02 \
      "03 Français : Noël à l'été, œuvre ; Deutsch: Größe, Straße" \
      '04 Polski: Zażółć gęślą jaźń; Čeština: Příliš žluťoučký kůň; Slovenčina: Ľúbostné' \
      '05 Türkçe: Çığ öğrencisi; Română: Înțelegeți ăștia; Tiếng Việt: Nguyễn Đức Thắng' \
      '06 Æble Øl Åre Þór Ðað; Ąžuolas Ėglė Ģirts Ķēķis Ļaudis Ņemt Šķūnis Ūdens' \
      '07 Ελληνικά: ὁ ἄνθρωπος, Ἀθῆναι, ᾠδή; Кириллица: Съешь же ещё этих мягких булок' \
      '08 中文 日本語 ひらがな カタカナ 한국어 mixed 東京タワー 서울역' \
      '09 العربية עברית ภาษาไทย' > calendar.txt
    expect_pdf "2008/02/03 01 06" 1 ''
    # Arabic and Hebrew read right to left, in drawing order as written.
    expect_legible
    # Addresses, paths, codes and slashed words broken inside: every letter
    # on either side of each break, and no hyphen added.
    printf '%s\n' '2008/02/03 01 06' -2008/02 \
      '03 https://travel.state.gov/content/travel/en/passports.html' \
      '04 Lunch/presentation /usr/share/doc/wekset/examples/calendar.txt' \
      '05 pwd=ZXhhbXBsZWV4YW1wbGVleGFtcGxl' \
      '06 booking code QX7H2K9LMN4P8RT3 anna.maria@department.example-university.edu' > calendar.txt
    expect_pdf "2008/02/03 01 06" 1 ''
    expect_legible
    text=$(pdftotext -raw wek.pdf - | tr -d '\n')
    for word in https://travel.state.gov/content/travel/en/passports.html Lunch/presentation \
      /usr/share/doc/wekset/examples/calendar.txt pwd=ZXhhbXBsZWV4YW1wbGVleGFtcGxl QX7H2K9LMN4P8RT3 \
      anna.maria@department.example-university.edu; do
      grep -q -F -- "$word" <<< "$text" || fail "\"$word\" is not copied whole from the PDF: $text"
    done
    # Every script whose font Debian's Noto packages install prints, shaped:
    # the text that the PDF gives back is the letters as written.
    printf '%s\n' '2008/02/03 01 06' -2008/02 \
      '03 ગુજરાતી తెలుగు ಕನ್ನಡ മലയാളം සිංහල ਪੰਜਾਬੀ' \
      '04 မြန်မာ ລາວ བོད་ ᏣᎳᎩ ܣܘܪܝܝܐ' \
      '05 क्षत्रिय ଅଙ୍କ ପଞ୍ଚ' '06 দলের অঞ্চল ประชุม' '07 குழு ខ្មែរ' \
      '08 👩‍👩‍👧 🇩🇪 Ǹ̃ اجتماع لا' \
      '09 פגישה עם Anna 10:00' > calendar.txt
    expect_pdf "2008/02/03 01 06" 1 ''
    # Their words are placed apart, and their text, which the PDF gives
    # through /ActualText and the fonts' maps, reads in drawing order as
    # written; and so it is copied, emoji too.
    expect_legible --shaped 2008/02/03 --shaped 2008/02/04 --shaped 2008/02/05 --shaped 2008/02/06 \
      --shaped 2008/02/07 --shaped 2008/02/08
    text=$(pdftotext wek.pdf - | tr '\n' ' ')
    for word in ગુજરાતી తెలుగు ಕನ್ನಡ മലയാളം සිංහල ਪੰਜਾਬੀ မြန်မာ ລາວ ᏣᎳᎩ ܣܘܪܝܝܐ क्षत्रिय দলের குழு \
      ประชุม ខ្មែរ 'Anna 10:00' اجتماع 👩‍👩‍👧 🇩🇪; do
      grep -q -F -- "$word" <<< "$text" || fail "\"$word\" is not in the PDF's text: $text"
    done
    # The glyphs drawn are HarfBuzz's own for each word in its font.
    "$tests/pdf_glyphs.py" wek.pdf ગુજરાતી తెలుగు ಕನ್ನಡ മലയാളം සිංහල ਪੰਜਾਬੀ မြန်မာ ລາວ क्षत्रिय ଅଙ୍କ ପଞ୍ଚ \
      দলের অঞ্চল குழு ประชุม ខ្មែរ اجتماع لا פגישה --pictures 👩‍👩‍👧 🇩🇪 > glyphs.txt || fail "$(cat glyphs.txt)"
    # Text without spaces breaks only where ICU's line breaking allows: Thai,
    # Lao, Khmer and Myanmar between words, Japanese not before "。" or "」"
    # nor after "「", Tibetan after its tsheg.
    printf '%s\n' '2008/02/03 01 06' -2008/02 \
      '03 ประชุมทีมเวลาสิบโมงเช้าที่ห้องประชุมใหญ่' '04 ภาษาไทย ประชุมทีมเวลา' \
      '05 東京タワー「会議」です。東京タワー「会議」です。東京タワー「会議」です。' \
      '06 ລາວພາສາລາວລາວພາສາລາວ' '07 ភាសាខ្មែរភាសាខ្មែរភាសាខ្មែរ' '08 မြန်မာစာမြန်မာစာမြန်မာစာ' \
      '09 བོད་ཡིག་བོད་ཡིག་བོད་ཡིག་བོད་ཡིག་' > calendar.txt
    expect_pdf "2008/02/03 01 06" 1 ''
    expect_legible --shaped 2008/02/03 --shaped 2008/02/04 --shaped 2008/02/06 --shaped 2008/02/07 \
      --shaped 2008/02/08 --shaped 2008/02/09
    # Long words hyphenated by the patterns of their script's language, Latin
    # by the locale's, shaped whole on either side of the hyphen; Sinhala,
    # Hebrew and Arabic words, which have none, broken where they must, in a
    # line of Latin too, and Arabic words that fit still shaped as HarfBuzz
    # shapes them, though they could break.
    printf '%s\n' '2008/02/03 01 06' -2008/02 '03 अन्तर्राष्ट्रीयकरण विश्वविद्यालय' \
      '04 பல்கலைக்கழகம் ஒருங்கிணைப்பாளர்' '05 വിദ്യാഭ്യാസമന്ത്രാലയം' '05 ශ්‍රීලංකාප්‍රජාතාන්ත්‍රිකසමාජවාදී' \
      '06 বিশ্ববিদ্যালয়ের আন্তর্জাতিকীকরণ' '07 Ուսումնասիրություն საქართველოს' \
      '08 Gesellschaftsvertrag Zusammenarbeitsvereinbarung' '09 פגישהעםהמנהלתהחדשהשלהמחלקה' \
      '09 Meeting פגישהעםהמנהלתהחדשהשלהמחלקה today' '07 الاجتماعالسنويللجمعيةالعموميةللشركة' '07 اجتماع الفريق' > calendar.txt
    LANG=de_DE.UTF-8 expect_pdf "2008/02/03 01 06" 1 ''
    expect_legible --shaped 2008/02/03 --shaped 2008/02/04 --shaped 2008/02/05 --shaped 2008/02/06 \
      --shaped 2008/02/07
    "$tests/pdf_glyphs.py" wek.pdf اجتماع الفريق > glyphs.txt || fail "$(cat glyphs.txt)"
    # What wekset-pdf asks ICU of, each run once, up to a byte that is not
    # UTF-8, a NUL, a space or ASCII.
    printf 'ภาษาไทย\377ภาษาไทย\000東京。 ภาษาไทย abc' | "$build/wekset-breaks" > breaks.txt ||
      fail "wekset-breaks failed"
    [ "$(cat breaks.txt)" = "$(printf 'ภาษาไทย\t4\n東京。\t1')" ] || fail "wekset-breaks wrote: $(cat breaks.txt)"
    # Characters that are not letters: a zero width no-break space and a
    # replacement character, which TeX cannot take as they stand; soft
    # hyphens, a hyphen where the line breaks; a variation selector and a
    # tag that the font has no form for, set invisible; emoji forms asked
    # for by U+FE0F; a Persian zero width non-joiner. Each copies from the
    # PDF as written, and none draws a box for a missing glyph. Greek and
    # Cyrillic in one font a word; Arabic in an address in its line's font.
    # A right-to-left mark makes its line right to left, and letters in an
    # isolate do not; the marks themselves are not in the PDF's text.
    zwnbsp=$(printf '\357\273\277') replacement=$(printf '\357\277\275') shy=$(printf '\302\255')
    selected="葛$(printf '\363\240\204\200')飾区" tagged="x$(printf '\363\240\201\201')y"
    rlm=$(printf '\342\200\217') lri=$(printf '\342\201\246') pdi=$(printf '\342\201\251')
    printf '%s\n' '2008/02/03 01 06' -2008/02 "03 a${zwnbsp}b a${replacement}b" \
      "04 incom${shy}prehen${shy}sibilities" "04 ${rlm}abc def" "04 ${lri}abc${pdi} שלום" \
      "05 $selected $tagged" '06 I ❤️ NY ☀️' \
      '07 Ελληνικά: Συνάντηση Українська: Києві' '08 نشست هیئت‌مدیره' '09 البريد: info@شركة.السعودية' \
      > calendar.txt
    expect_pdf "2008/02/03 01 06" 1 ''
    expect_legible --shaped 2008/02/03 --shaped 2008/02/05 --shaped 2008/02/06 --shaped 2008/02/08 \
      --shaped 2008/02/09 --left-out "$rlm$lri$pdi"
    text=$(pdftotext wek.pdf - | tr '\n' ' ')
    for word in "a${zwnbsp}b" "a${replacement}b" "$selected" "$tagged" ❤️ ☀️ هیئت‌مدیره; do
      grep -q -F -- "$word" <<< "$text" || fail "\"$word\" is not in the PDF's text: $text"
    done
    pdftotext -raw wek.pdf - | grep -q -x 'incom-' || fail "no hyphen at the soft hyphen: $(pdftotext -raw wek.pdf -)"
    [ "$(pdffonts wek.pdf | grep -c Arabic)" = 1 ] || fail "Arabic in more than one font: $(pdffonts wek.pdf)"
    "$tests/pdf_glyphs.py" wek.pdf Ελληνικά Συνάντηση Українська Києві --pictures ❤️ ☀️ > glyphs.txt ||
      fail "$(cat glyphs.txt)"
    # Text in \textbf and \textit, in the fonts that LaTeX chooses, has fonts
    # for what they lack.
    printf '%s\n' '2008/02/03 01 06' -2008/02 '03 \textbf{ภาษา} \textit{日本語}' > calendar.txt
    expect_pdf "2008/02/03 01 06" 1 ''
    text=$(pdftotext wek.pdf - | tr '\n' ' ')
    for word in ภาษา 日本語; do
      grep -q -F -- "$word" <<< "$text" || fail "\"$word\" is not in the PDF's text: $text"
    done
    # Han characters in the forms of the line's language, or the locale's.
    printf '2008/02\n-2008/02\n18 東京 ひらがな\n' > calendar.txt
    expect_pdf "2008/02" 1 ''
    pdffonts wek.pdf | grep -q NotoSerifCJKjp || fail "kana and Han not in Japanese forms: $(pdffonts wek.pdf)"
    printf '2008/02\n-2008/02\n18 會議 東京\n' > calendar.txt
    LANG=zh_TW.UTF-8 expect_pdf "2008/02" 1 ''
    pdffonts wek.pdf | grep -q NotoSerifCJKtc || fail "not in Traditional forms: $(pdffonts wek.pdf)"
    ;;
  too-full)
    # One event of 8 lines is too tall even at the floor: its first lines
    # show, above the line that counts it.
    long_lines 12 8 > calendar.txt
    expect_pdf "2008/02/03 01 12" 1 $'wekset-pdf: [2008/02/07] 1 of 1 events do not fit: "Line 1 of"\n'
    expect_legible
    words_of wek.pdf | tr '\n' ' ' | grep -q -F ' +1 more ' || fail "no line counts the event left out"
    ;;
  thirty-events)
    # 30 events on one day: the first ones whole, the rest counted in the
    # box and named on standard error.
    { printf '2026/04\n-2026/04\n'; for i in $(seq 1 30); do printf '15 08:00 Event %d\n' "$i"; done
      printf '16 Dentist\n'; } > calendar.txt
    "$wekset_pdf" > console.txt 2> errors.txt || fail "status $?: $(cat console.txt errors.txt)"
    expect_legible
    expect_left_off 2026/04/15 30 '08:00 Event %d'
    ;;
  limits)
    # A day of as many events as wekset takes, and one of a hundred events
    # as long as it takes: each shows what fits, and the PDF is made.
    { printf '2026/04\n-2026/04\n'; for i in $(seq 1 3659); do printf '15 %d\n' "$i"; done; } > calendar.txt
    "$wekset_pdf" > console.txt 2> errors.txt || fail "status $?: $(cat console.txt errors.txt)"
    expect_legible
    expect_left_off 2026/04/15 3659 '%d'
    long=$(printf 'word %.0s' $(seq 1 110) | cut -c 1-507)
    { printf '2026/04\n-2026/04\n'; for i in $(seq 1 100); do printf '15 %03d %s\n' "$i" "$long"; done; } > calendar.txt
    [ "$(sed -n 3p calendar.txt | wc -c)" = 515 ] || fail "the events are not of 511 bytes"
    "$wekset_pdf" > console.txt 2> errors.txt || fail "status $?: $(cat console.txt errors.txt)"
    expect_legible
    expect_left_off 2026/04/15 100 '%03d word word'
    # Both at once: the day is one line of wek.tex of nearly 2 MB.
    { printf '2026/04\n-2026/04\n'; for i in $(seq 1 3659); do printf '15 %04d %s\n' "$i" "${long%?}"; done; } > calendar.txt
    [ "$(sed -n 3p calendar.txt | wc -c)" = 515 ] || fail "the events are not of 511 bytes"
    "$wekset_pdf" > console.txt 2> errors.txt || fail "status $?: $(cat console.txt errors.txt)"
    expect_legible
    expect_left_off 2026/04/15 3659 '%04d word word'
    ;;
  minutely)
    # A calendar app's event every minute, timed and all-day: the timed one
    # fills two days and a half, each shown as far as it fits.
    printf '%s\r\n' BEGIN:VCALENDAR VERSION:2.0 PRODID:-//wekset//test//EN \
      BEGIN:VEVENT UID:timed@example.org DTSTAMP:20270101T000000Z DTSTART:20270106T000000 \
      RRULE:FREQ=MINUTELY SUMMARY:Tick END:VEVENT \
      BEGIN:VEVENT UID:all-day@example.org DTSTAMP:20270101T000000Z 'DTSTART;VALUE=DATE:20270104' \
      RRULE:FREQ=MINUTELY 'SUMMARY:Every minute' END:VEVENT END:VCALENDAR > minutely.ics
    "$wekset_pdf" --from 2027/01/03 --weeks 2 minutely.ics > console.txt 2> errors.txt ||
      fail "status $?: $(cat console.txt errors.txt)"
    expect_legible
    grep -q -x -F '[wek.pdf] 1 page' console.txt || fail "no PDF: $(cat console.txt)"
    days=$(sed -n 's/^wekset-pdf: \[\([0-9/]*\)\] [0-9]* of [0-9]* events do not fit: "00:0[0-9] Tick", .*/\1/p' errors.txt | tr '\n' ' ')
    [ "$days" = "2027/01/06 2027/01/07 2027/01/08 " ] || fail "the days too full named: $(cat errors.txt)"
    ;;
  busy-week)
    # One week a page: seven tall boxes, the busy days' text at one size.
    { printf '2026/04/12 02 01\n-2026/04\n'
      for day in 12 13 14 15 16 17 18; do
        for hour in 08 09 10 11 12 13 14 15 16 17 18 19; do
          printf '%s %s:00 Meeting with the team about item %s\n' "$day" "$hour" "$hour"
        done
      done; } > calendar.txt
    expect_pdf "2026/04/12 02 01" 2 ''
    expect_legible --rows 1
    ;;
  page-fill)
    # The grid fills the page for every weeks a page up to 12, on either paper.
    for paper in letter a4; do
      for weeks in 1 3 6 12; do
        printf '2026/01/04 %02d %02d\n-2026/01\n07 Dentist\n' "$weeks" "$weeks" > calendar.txt
        expect_pdf "2026/01/04 $(printf '%02d %02d' "$weeks" "$weeks")" 1 '' --paper "$paper"
        expect_legible --rows "$weeks" || fail "$paper, $weeks weeks a page"
      done
    done
    ;;
  pagination)
    # More than 12 weeks a page: every page has the header line's rows under
    # its heading and weekday header; past what the page holds, fewer.
    for plan in "40 13 4" "40 20 2" "60 26 3"; do
      read -r weeks per pages <<< "$plan"
      printf '2026/01/04 %s %s\n-2026/01\n07 Dentist\n' "$weeks" "$per" > calendar.txt
      expect_pdf "2026/01/04 $weeks $per" "$pages" ''
      expect_legible --rows "$per"
    done
    printf '2026/01/04 60 40\n' > calendar.txt
    expect_pdf "2026/01/04 60 40" 3 \
      $'wekset-pdf: 40 weeks a page would set the text smaller than 6pt; 27 weeks a page are used\n'
    expect_legible --rows 27
    ;;
  unprintable)
    # A hieroglyph prints from the font that fontconfig finds for it; a
    # letter of a script that no installed font has, and a private-use
    # character, which only its own font can mean, do not.
    printf '2008/02\n-2008/02\n18 Hieroglyph 𓀀, Vithkuqi 𐕰 and a private \U10FFFD use\n19 Dentist\n' > calendar.txt
    expect_pdf "2008/02" 1 $'wekset-pdf: [2008/02/18] cannot print U+10570\nwekset-pdf: [2008/02/18] cannot print U+10FFFD\n'
    expect_legible --left-out $'𐕰\U10FFFD'
    ;;
  windows-1252)
    printf '2008/02\n-2008/02\n18 Caf\xe9 \x80 5, na\xefve \x93quotes\x94\n' > calendar.txt
    expect_pdf "2008/02" 1 $'wekset-pdf: wek.tex is neither UTF-8 nor EUC-KR; it is read as Windows-1252\n'
    expect_legible
    pdftotext -raw wek.pdf - | tr '\n' ' ' | grep -q 'Café € 5, naïve “quotes”' ||
      fail "the text is not read as Windows-1252"
    ;;
  tex-error)
    printf '2008/02\n-2008/02\n18 Salt & pepper\n' > calendar.txt
    printf 'an earlier PDF\n' > wek.pdf
    cp wek.pdf earlier.pdf
    expect_run 1 "$(made 2008/02)"$'\n[wek.pdf] was left unchanged.\n' \
      'wekset-pdf: [2008/02/18] TeX stopped on "Salt & pepper": Misplaced alignment tab character &
wekset-pdf: the whole TeX log is in wek.log
' "$wekset_pdf"
    cmp -s wek.pdf earlier.pdf || fail "the earlier wek.pdf was changed"
    [ "$(ls -A | tr '\n' ' ')" = "calendar.txt console.txt diff.txt earlier.pdf errors.txt wek.log wek.pdf wek.tex " ] ||
      fail "files left: $(ls -A)"
    # A runaway definition is noticed only at the end of the file.
    printf '2008/02\n-2008/02\n18 50%% off\n   second line\n' > calendar.txt
    expect_run 1 "$(made 2008/02)"$'\n[wek.pdf] was left unchanged.\n' \
      'wekset-pdf: [2008/02/18] TeX stopped on "50% off / second line": File ended while scanning definition of \message
wekset-pdf: the whole TeX log is in wek.log
' "$wekset_pdf"
    cmp -s wek.pdf earlier.pdf || fail "the earlier wek.pdf was changed"
    ;;
  no-lualatex)
    # A PATH with what the script needs but LuaLaTeX.
    mkdir bin
    for tool in realpath dirname mktemp rm ls awk sed; do ln -s "$(command -v "$tool")" bin/; done
    printf '2008/02\n' > calendar.txt
    expect_run 1 "$(made 2008/02)"$'\n' \
      $'wekset-pdf: lualatex is not installed; on Debian: apt-get install texlive-luatex texlive-latex-recommended fonts-noto-core fonts-noto-cjk\n' \
      env PATH="$work/bin" "$wekset_pdf"
    [ -s wek.tex ] || fail "no wek.tex"
    ;;
  missing-fonts)
    # A fontconfig of the test's own that hides the Korean fonts and the
    # Gujarati ones: their characters are named, with the package that has
    # a font for them.
    cat > fonts.conf << 'CONF'
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>/usr/share/fonts/truetype/noto</dir>
  <dir>/usr/share/fonts/opentype/noto</dir>
  <cachedir>fontconfig-cache</cachedir>
  <selectfont><rejectfont><glob>*CJK*</glob><glob>*Gujarati*</glob></rejectfont></selectfont>
</fontconfig>
CONF
    export FONTCONFIG_FILE=$work/fonts.conf
    printf '2008/02\n-2008/02\n18 가족 Dentist\n19 કામ\n' > calendar.txt
    expect_pdf "2008/02" 1 'wekset-pdf: [2008/02/18] cannot print U+AC00 (on Debian: apt-get install fonts-noto-cjk)
wekset-pdf: [2008/02/18] cannot print U+C871 (on Debian: apt-get install fonts-noto-cjk)
wekset-pdf: [2008/02/19] cannot print U+0A95 (on Debian: apt-get install fonts-noto-core)
wekset-pdf: [2008/02/19] cannot print U+0ABE (on Debian: apt-get install fonts-noto-core)
wekset-pdf: [2008/02/19] cannot print U+0AAE (on Debian: apt-get install fonts-noto-core)
'
    unset FONTCONFIG_FILE  # the check finds Latin Modern's files through fontconfig
    expect_legible --left-out 가족કામ
    ;;
  calendar-app)
    # From a calendar app's file through wekset-ics: a moved occurrence shows
    # once, at its new time, and the user's calendar.txt stays as it was.
    printf 'my own calendar\n' > calendar.txt
    expect_pdf "2027/01/04 04 06" 1 '' --tz Europe/Berlin --from 2027/01/04 --weeks 4 \
      "$tests/ics_cases/zoned-overrides/before/team.ics"
    expect_legible
    text=$(pdftotext -raw wek.pdf - | tr '\n' ' ')
    for line in "10:00 Weekly " "15:00 Weekly (moved)" "11:00 Weekly (later)"; do
      [ "$(grep -o -F "$line" <<< "$text" | wc -l)" = 1 ] || fail "\"$line\" is not on the page once: $text"
    done
    [ "$(cat calendar.txt)" = "my own calendar" ] || fail "calendar.txt was changed"
    [ "$(ls -A | tr '\n' ' ')" = "calendar.txt console.txt diff.txt errors.txt legibility.txt wek.log wek.pdf wek.tex " ] ||
      fail "files left: $(ls -A)"
    ;;
  planted-links)
    # Links to a file of the user's at wek.pdf and wek.log, and at every name
    # that their temporary copies had by the process number.
    printf 'precious\n' > victim.txt
    ln -s victim.txt wek.pdf
    ln -s victim.txt wek.log
    last=$(sh -c 'echo $$')
    for pid in $(seq "$last" $((last + 300))); do
      ln -s victim.txt ".wek.pdf.$pid"
      ln -s victim.txt ".wek.log.$pid"
    done
    printf '2008/02\n-2008/02\n18 Dentist\n' > calendar.txt
    umask 022
    expect_pdf 2008/02 1 ''
    [ "$(cat victim.txt)" = precious ] || fail "the file behind the links was written: $(head -c 80 victim.txt)"
    expect_pages 1 "$letter"
    [ "$(own_files)" = "./calendar.txt ./console.txt ./diff.txt ./errors.txt ./victim.txt ./wek.log ./wek.pdf ./wek.tex " ] ||
      fail "files left: $(own_files)"
    [ "$(stat -c %a wek.pdf wek.log | tr '\n' ' ')" = "644 644 " ] ||
      fail "modes $(stat -c %a wek.pdf wek.log | tr '\n' ' '), not those of the umask"
    [ "$(find . -maxdepth 1 -type l | wc -l)" = 602 ] || fail "planted links were removed or followed"
    ;;
  pdf-directory)
    printf '2008/02\n-2008/02\n18 Dentist\n' > calendar.txt
    mkdir wek.pdf
    expect_run 1 "$(stopped 2008/02 '[wek.pdf] was left unchanged.')"$'\n' $'wekset-pdf: wek.pdf is a directory\n' \
      "$wekset_pdf"
    [ -z "$(ls -A wek.pdf)" ] || fail "wek.pdf/ has $(ls -A wek.pdf)"
    # A link to a directory elsewhere is one too.
    rmdir wek.pdf
    mkdir elsewhere
    ln -s elsewhere wek.pdf
    expect_run 1 "$(stopped 2008/02 '[wek.pdf] was left unchanged.')"$'\n' $'wekset-pdf: wek.pdf is a directory\n' \
      "$wekset_pdf"
    [ -z "$(ls -A elsewhere)" ] || fail "elsewhere/ has $(ls -A elsewhere)"
    # A log that cannot be kept: no new PDF, and the log is not said to be kept.
    rm wek.pdf wek.log
    printf 'an earlier PDF\n' > wek.pdf
    mkdir wek.log
    expect_run 1 "$(stopped 2008/02 '[wek.pdf] was left unchanged.')"$'\n' $'wekset-pdf: wek.log is a directory\n' \
      "$wekset_pdf"
    printf '2008/02\n-2008/02\n18 Salt & pepper\n' > calendar.txt
    expect_run 1 "$(stopped 2008/02 '[wek.pdf] was left unchanged.')"$'\n' 'wekset-pdf: wek.log is a directory
wekset-pdf: [2008/02/18] TeX stopped on "Salt & pepper": Misplaced alignment tab character &
' "$wekset_pdf"
    [ "$(cat wek.pdf)" = "an earlier PDF" ] || fail "the earlier wek.pdf was changed"
    [ -z "$(ls -A wek.log)" ] || fail "wek.log/ has $(ls -A wek.log)"
    [ "$(ls -A | tr '\n' ' ')" = "calendar.txt console.txt diff.txt elsewhere errors.txt wek.log wek.pdf wek.tex " ] ||
      fail "files left: $(ls -A)"
    ;;
  closed-room)
    # Files that TeX or luaotfload would find in the calendar's folder, if
    # they looked there, each leaving a mark when read; shell escape asked
    # for by the environment and by a planted texmf.cnf.
    for file in hangul.sty luaotfload.sty; do
      printf '\\directlua{io.open("%s/read-%s", "w"):close()}\n' "$work" "$file" > "$file"
    done
    for file in luaotfload-main.lua luaotfload.lua wekset.lua wekset-page.lua safer.lua luaharfbuzz.lua; do
      printf 'io.open("%s/read-%s", "w"):close()\n' "$work" "$file" > "$file"
    done
    printf 'shell_escape = t\nopenout_any = a\n' > texmf.cnf
    planted=$(ls -A | tr '\n' ' ')
    export shell_escape=t
    printf '%s\n' 2008/02 -2008/02 \
      "18 \\immediate\\write18{touch $work/pwned}\\directlua{os.execute('touch $work/pwned')}Dentist" > calendar.txt
    expect_pdf 2008/02 1 ''
    expect_pages 1 "$letter"
    [ "$(pdftotext wek.pdf - | grep -c Dentist)" = 1 ] || fail "the event is not on the page"
    invite 'Team meeting' > invite.ics
    expect_pdf "$window_header" 1 '' "${window[@]}" invite.ics
    # shellcheck disable=SC2086 # the planted names, one by one
    kept=$(printf '%s\n' calendar.txt console.txt diff.txt errors.txt invite.ics wek.log wek.pdf wek.tex $planted | sort)
    [ "$(ls -A)" = "$kept" ] || fail "files left: $(ls -A)"
    # TeX writes in its own folder only.
    printf '%s\n' 2008/02 -2008/02 "18 \\immediate\\openout9=$work/written.tex" > calendar.txt
    expect_run 1 "$(stopped 2008/02 '[wek.pdf] was left unchanged.')"$'\n' \
      "wekset-pdf: [2008/02/18] TeX stopped on \"\\immediate\\openout9=$work/written.tex\": I can't write on file \`$work/written.tex'
wekset-pdf: the whole TeX log is in wek.log
" "$wekset_pdf"
    [ ! -e written.tex ] || fail "TeX wrote in the calendar's folder"
    ;;
  imported-lua)
    # With new font caches, the fonts are indexed and cached under the
    # limits that an imported calendar runs with.
    invite 'Team meeting' > invite.ics
    export TEXMFCACHE=$work/cache TEXMFVAR=$work/cache
    mkdir cache
    [ "$(index_line)" = "indexing the fonts, first run only" ] || fail "the new font cache is not empty"
    expect_pdf "$window_header" 1 '' "${window[@]}" invite.ics
    ls cache/luatex-cache/generic/names/luaotfload-names.luc* > /dev/null 2>&1 || fail "no font index was kept"
    [ -n "$(find cache/luatex-cache/generic/fonts -type f)" ] || fail "no font was cached"
    expect_pdf "$window_header" 1 '' "${window[@]}" invite.ics
    # What that Lua may still do, from a folder of its own: write there and in
    # the caches, and nothing more.
    mkdir room
    printf 'precious\n' > victim.txt
    cat > may.lua << LUA
kpse.set_program_name("luatex")
dofile("$build/safer.lua").close()
local function may(done) io.stdout:write(done and "yes " or "no ") end
may(io.open("here.txt", "w")) may(io.open("$work/cache/luatex-cache/new", "wb"))
may(lfs.mkdir("$work/cache/luatex-cache/made")) may(io.open("../victim.txt", "w"))
may(io.open("$work/victim.txt", "a")) may(io.open("$work/victim.txt", "r+"))
may(os.remove("$work/victim.txt")) may(os.rename("$work/victim.txt", "here.txt"))
may(lfs.mkdir("$work/made")) may(pcall(io.output, "$work/victim.txt"))
may(os.execute or io.popen or os.exec or os.spawn or os.setenv or package.loadlib or lfs.chdir)
LUA
    (cd room && texlua ../may.lua > ../lua.txt 2>&1) || fail "texlua failed: $(cat lua.txt)"
    [ "$(cat lua.txt)" = "yes yes yes no no no no no no no no " ] || fail "Lua may or may not: $(cat lua.txt)"
    [ "$(cat victim.txt)" = precious ] && [ ! -e made ] || fail "Lua wrote outside its folder"
    ;;
  tmpdir)
    # A temporary folder whose name TeX would read as commands, and a source
    # that is copied there to be read as Windows-1252.
    mkdir 'tmp%{\'
    export TMPDIR=$work/'tmp%{\'
    printf '2008/02\n-2008/02\n18 Caf\xe9 au lait\n' > calendar.txt
    expect_pdf 2008/02 1 $'wekset-pdf: wek.tex is neither UTF-8 nor EUC-KR; it is read as Windows-1252\n'
    pdftotext wek.pdf - | grep -q 'Café au lait' || fail "the text is not on the page"
    [ -z "$(ls -A "$TMPDIR")" ] || fail "left in the temporary folder: $(ls -A "$TMPDIR")"
    ;;
  escapes)
    # A terminal's title and a clearing of its screen, bidi controls that
    # would turn a line around, and a C1 control, in an event that stops TeX.
    printf '2008/02\n-2008/02\n18 Salt & pepper \033]0;title\007\033[2J \342\200\256reversed\342\201\246 \302\233x\n' \
      > calendar.txt
    expect_run 1 "$(stopped 2008/02 '[wek.pdf] was left unchanged.')"$'\n' \
      'wekset-pdf: [2008/02/18] TeX stopped on "Salt & pepper ?]0;title??[2J ?reversed? ?x": Text line contains an invalid character
wekset-pdf: the whole TeX log is in wek.log
' "$wekset_pdf"
    # The same through an invitation: nothing of it reaches the terminal.
    invite $'Party \e]0;title\a\e[2J \u202Ereversed\u2066' > invite.ics
    "$wekset_pdf" "${window[@]}" invite.ics > console.txt 2>&1 || fail "status $?: $(cat console.txt)"
    ! LC_ALL=C grep -q $'[\x01-\x08\x0b-\x1f\x7f]\|\xe2\x80\xae\|\xe2\x81\xa6' console.txt ||
      fail "controls on the console: $(od -c console.txt)"
    ;;
  coarse-times)
    # A wek.tex dated in the future, as a coarse or skewed clock leaves it,
    # and wekset stopping early, having written the sample: nothing is made.
    printf 'an earlier wek.tex\n' > wek.tex
    touch -d '+1 day' wek.tex
    expect_run 0 $'Need a source file, like calendar.txt\n[calendar.txt] created. Edit it for your needs.\n' '' \
      "$wekset_pdf"
    [ ! -e wek.pdf ] && [ "$(cat wek.tex)" = "an earlier wek.tex" ] || fail "a PDF of the earlier wek.tex"
    # A new wek.tex with the earlier one's time is compiled.
    install_copy bin wekset
    printf '#!/bin/sh\ntouch -r wek.tex ../time\n"%s/wekset" "$@"\nstatus=$?\ntouch -r ../time wek.tex\nexit $status\n' \
      "$build" > bin/wekset
    chmod +x bin/wekset
    mkdir run && cd run || exit 1
    printf '2008/02\n-2008/02\n18 Dentist\n' > calendar.txt
    printf 'an earlier wek.tex\n' > wek.tex
    touch -d '2000-01-01' wek.tex
    wekset_pdf=$work/bin/wekset-pdf
    expect_pdf 2008/02 1 ''
    [ "$(stat -c %Y wek.tex)" = "$(stat -c %Y ../time)" ] || fail "wek.tex has a time of its own"
    expect_pages 1 "$letter"
    ;;
  own-files)
    # Reached through a link, wekset-pdf finds its files where it is.
    mkdir bin
    ln -s "$build/wekset-pdf" bin/wekset-pdf
    printf '2008/02\n-2008/02\n18 가족 Dentist\n' > calendar.txt
    wekset_pdf=$work/bin/wekset-pdf
    expect_pdf 2008/02 1 ''
    expect_pages 1 "$letter"
    expect_legible
    # Without hangul.sty or wekset.lua no PDF is made.
    for file in hangul.sty wekset.lua; do
      rm -rf install wek.pdf
      install_copy install "$file"
      expect_run 1 "$(made 2008/02)"$'\n' "wekset-pdf: cannot find $file in $work/install; reinstall wekset"$'\n' \
        "$work/install/wekset-pdf"
      [ ! -e wek.pdf ] || fail "a PDF without $file"
    done
    ;;
  extensions)
    # iCalendar files by their extension in any case, and a file named like
    # an option after "--".
    invite 'Team meeting' > invite.ics
    for file in x.ICAL x.Ics -x.ics; do
      cp invite.ics "./$file"
      rm -f wek.pdf
      expect_pdf "$window_header" 1 '' "${window[@]}" -- "$file"
      pdftotext wek.pdf - | grep -q 'Team meeting' || fail "$file: the event is not on the page"
    done
    expect_pdf "$window_header" 1 '' "${window[@]}" x.ICAL
    printf '2008/02\n-2008/02\n18 Dentist\n' > -x.txt
    expect_pdf 2008/02 1 '' -- -x.txt
    [ ! -e calendar.txt ] || fail "a sample was written"
    ;;
  strace)
    # What an invitation makes the whole run open: nothing in the calendar's
    # folder but the invitation and wek.*, nothing of the user's elsewhere.
    mkdir calendar tmp
    invite 'Team meeting' > calendar/invite.ics
    export TMPDIR=$work/tmp
    # LeakSanitizer cannot work under strace, which the sanitized builds meet here.
    export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
    cd calendar || exit 1
    timeout 60 strace -f -y -qq -e trace=openat,open,creat -o ../trace.txt "$wekset_pdf" "${window[@]}" invite.ics \
      > ../console.txt 2>&1 || fail "status $?: $(cat ../console.txt)"
    cd .. || exit 1
    grep -q '^\[wek.pdf\] 1 page$' console.txt || fail "it said: $(cat console.txt)"
    # Each path as opened: relative ones from the folder they were opened in.
    sed -n -E 's/.*open(at)?\((AT_FDCWD|[0-9]+)<([^>]*)>, "([^"]*)".*/\3 \4/p; s/.*(open|creat)\("([^"]*)".*/\/ \2/p' trace.txt |
      awk '{ path = $2; if (substr(path, 1, 1) != "/") path = $1 "/" path; gsub("/(\\./)+", "/", path); print path }' |
      sort -u > opened.txt
    [ -s opened.txt ] || fail "strace saw nothing"
    # The folders that may be read, each with all in it: the build, the
    # temporary folder, the zones, TeX Live's trees and caches, the fonts and
    # their caches, the system's libraries and locales.
    folders="$build $work/tmp /usr/share/zoneinfo /usr/share/texlive /usr/share/texmf /var/lib/texmf /etc/texmf"
    for variable in TEXMFLOCAL TEXMFHOME TEXMFVAR TEXMFCONFIG TEXMFCACHE VARTEXFONTS; do
      folders+=" $(kpsewhich -var-value "$variable" | tr ':' ' ')"
    done
    folders+=" /usr/share/fonts /usr/local/share/fonts /etc/fonts /var/cache/fontconfig $HOME/.cache/fontconfig"
    folders+=" $HOME/.fontconfig /usr/share/fontconfig"
    folders+=" /lib /lib64 /usr/lib /proc/self /usr/share/locale"
    files="$work/calendar/invite.ics /etc/localtime /etc/ld.so.cache /proc/filesystems /dev/null /dev/urandom"
    : > allowed.txt
    for folder in $folders; do printf '%s\n' "$folder" "$folder/" >> allowed.txt; done
    printf '%s\n' $files >> allowed.txt
    # Beside the invitation: wek.*, and their temporary copies.
    grep -v -E "^$work/calendar/\\.?wek\\.(tex|log|pdf)(\\.[^/]*)?\$" opened.txt |
      awk 'NR == FNR { if (/\/$/) folder[$0] = 1; else file[$0] = 1; next }
        { if ($0 in file) next; for (f in folder) if (index($0, f) == 1) next; print }' allowed.txt - > unexpected.txt
    [ ! -s unexpected.txt ] || fail "opened: $(head -n 20 unexpected.txt)"
    grep -q "^$work/calendar/invite.ics\$" opened.txt || fail "the invitation was not read: $(cat opened.txt)"
    ;;
  world)
    # A German calendar, Monday first, with week numbers; then a Hebrew one,
    # mirrored: its names set right to left, the first day of each week the
    # rightmost box.
    printf '2027/02\n-2027/02\n18 10:00 Zahnarzt\n-2027/03\n01 März-Treffen mit allen Abteilungen\n' > calendar.txt
    expect_pdf "2027/02" 1 '' --lang de_DE --week-numbers
    expect_legible
    text=$(pdftotext wek.pdf - | tr '\n' ' ')
    for word in Februar Mo So Januar März; do
      grep -qw -- "$word" <<< "$text" || fail "\"$word\" is not on the page: $text"
    done
    printf '2027/02\n-2027/02\n07 ישיבת צוות\n18 רופא שיניים 10:00\n-2027/03\n01 פגישה\n' > calendar.txt
    expect_pdf "2027/02" 1 '' --lang=he_IL --week-numbers
    expect_legible
    text=$(pdftotext wek.pdf - | tr '\n' ' ')
    for word in פברואר ינואר מרץ; do
      grep -qw -- "$word" <<< "$text" || fail "\"$word\" is not on the page: $text"
    done
    # Sunday 31 January, the window's first day, in the rightmost column of
    # the upright page: its day number, read from the glyphs of the large
    # day-number font, ends where the rightmost one does.
    /usr/bin/python3 - wek.pdf > columns.txt << 'PYTHON' || fail "31 January is not rightmost: $(cat columns.txt)"
import sys
import fitz
document = fitz.open(sys.argv[1])
page = document[0]
turn = page.rotation_matrix
numbers, current = [], None
for block in page.get_text("rawdict")["blocks"]:
    for line in block.get("lines", []):
        for span in line["spans"]:
            for char in span["chars"]:
                rect = fitz.Rect(char["bbox"]) * turn
                if not char["c"].isdigit() or span["size"] < 15:
                    current = None
                    continue
                if current is not None and abs(rect.x0 - current[0].x1) < 1.5:
                    current[0] |= rect
                    current[1] += char["c"]
                else:
                    current = [fitz.Rect(rect), char["c"]]
                    numbers.append(current)
first = [rect.x1 for rect, text in numbers if text == "31"]
rightmost = max(rect.x1 for rect, _ in numbers)
print("31 ends at", first, "the rightmost day number at", rightmost)
sys.exit(0 if first and first[0] > rightmost - 30 else 1)
PYTHON
    ;;
  options)
    usage='Usage: wekset-pdf [--paper letter|a4] [SourceFile]
       wekset-pdf [--paper letter|a4] [--from YYYY/MM/DD] [--weeks N] [--per-page N]
                  [--tz Area/City] [--details] FILE.ics...'
    expect_run 2 '' $'wekset-pdf: unknown option -x\n'"$usage"$'\n' "$wekset_pdf" -x
    expect_run 2 '' $'wekset-pdf: --paper takes letter or a4, not b5\n'"$usage"$'\n' "$wekset_pdf" --paper=b5
    expect_run 2 '' $'wekset-pdf: option --paper needs a value\n'"$usage"$'\n' "$wekset_pdf" --paper
    expect_run 2 '' $'wekset-pdf: no iCalendar file given\n'"$usage"$'\n' "$wekset_pdf" --weeks 4
    expect_run 2 '' $'wekset-pdf: one source file only, not also b.txt\n'"$usage"$'\n' "$wekset_pdf" a.txt b.txt
    expect_run 2 '' $'wekset-pdf: one source file only, not also c.txt\n'"$usage"$'\n' "$wekset_pdf" a.txt -- c.txt d.txt
    expect_run 2 '' $'wekset-pdf: unknown option -x.ics\n'"$usage"$'\n' "$wekset_pdf" -x.ics
    expect_run 2 '' $'wekset-pdf: option --lang needs a value\n'"$usage"$'\n' "$wekset_pdf" --lang
    expect_run 2 '' $'wekset-pdf: option --week-start needs a value\n'"$usage"$'\n' "$wekset_pdf" --week-start=
    expect_run 2 '' $'wekset: --week-start takes a day of the week, as monday or mon, not "someday"\nUsage: wekset [SourceFile]\n' \
      "$wekset_pdf" --week-start someday
    "$wekset_pdf" --help > help.txt || fail "--help failed"
    [ "$(head -n 3 help.txt)" = "$usage" ] || fail "--help begins: $(head -n 3 help.txt)"
    [ ! -e calendar.txt ] || fail "an option made a calendar"
    ;;
  *)
    fail "no such case"
    ;;
esac
echo "ok   wekset-pdf: $name"
