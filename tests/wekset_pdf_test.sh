#!/usr/bin/env bash
# wekset-pdf end to end: the console, the exit status, and the PDF's text and
# page rotation, for the sample in EUC-KR, a UTF-8 calendar, a TeX error, and
# the missing-package messages.
# Usage: wekset_pdf_test.sh BUILD_DIR CASE
set -u
# shellcheck source=tests/pdf_words.sh
. "$(dirname "$0")/pdf_words.sh"
build=$(realpath "$1")
name=$2
wekset_pdf=$build/wekset-pdf

# The case of a missing pdflatex runs whether or not it is installed.
if [ "$name" != no-pdflatex ] && ! command -v pdflatex > /dev/null; then
  [ "${CI:-}" = true ] && { echo "FAIL: pdflatex is not installed, and CI must run this test"; exit 1; }
  echo "SKIPPED: pdflatex is not installed"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
fail() { echo "FAIL $name: $*"; exit 1; }

created='[wek.tex] created successfully. Do "pdflatex wek.tex" now'
so_far='...so far so good.......................................'

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

# The line that the first run of the fonts in wek.tex prints.
fonts_line() {
  local font
  for font in $(sed -n 's/^\\font\\[a-z]*=\([a-z0-9]*\)$/\1/p' wek.tex); do
    kpsewhich "$font.tfm" > /dev/null || { echo "making fonts, first run only"; return; }
  done
}

expect_upright() {
  local pages rotations
  pages=$(pdfinfo wek.pdf | awk '/^Pages:/ { print $2 }')
  [ "$pages" = "$1" ] || fail "$pages pages, expected $1"
  rotations=$(pdfinfo -f 1 -l "$pages" wek.pdf | awk '/ rot: / { print $NF }' | sort -u)
  [ "$rotations" = 90 ] || fail "pages are turned by $rotations, not all by 90"
}

case $name in
  sample)
    expect_run 0 $'Need a source file, like calendar.txt\n[calendar.txt] created. Edit it for your needs.\n' '' \
      "$wekset_pdf"
    [ ! -e wek.pdf ] || fail "a PDF without a wek.tex"
    "$build/wekset" > /dev/null
    fonts=$(fonts_line)
    expect_run 0 "[2007/12/13 60 12]"$'\n'"$so_far"$'\n'"$created"$'\n'"${fonts:+$fonts$'\n'}[wek.pdf] 5 pages"$'\n' '' \
      "$wekset_pdf"
    expect_upright 5
    words_of wek.pdf > words.txt
    for text in 가족 생일축하모임 서울역 대합실 세시에 케이크주문 PHSC Dentist; do
      [ "$(grep -cx "$text" words.txt)" -ge 1 ] || fail "\"$text\" is not on the pages"
    done
    ;;
  utf-8)
    printf '2008/02\n-2008/02\n18 Café Zoë\n19 가족 모임\n' > calendar.txt
    expect_run 0 "[2008/02]"$'\n'"$so_far"$'\n'"$created"$'\n[wek.pdf] 1 page\n' '' "$wekset_pdf"
    expect_upright 1
    words_of wek.pdf > words.txt
    for text in Café Zoë 가족 모임 February; do
      grep -qx "$text" words.txt || fail "\"$text\" is not on the page"
    done
    ;;
  unescaped-percent)
    # The box of 18 February is line 211 of the document of "2008/02".
    printf '2008/02\n-2008/02\n18 50%% off\n' > calendar.txt
    expect_run 1 "[2008/02]"$'\n'"$so_far"$'\n'"$created"$'\n' \
      'wekset-pdf: pdflatex stopped at line 211 of wek.tex: ! File ended while scanning definition of \message.
\def\message{\vbox{{ 50% off }}}%
wekset-pdf: the whole TeX log is in wek.log
' "$wekset_pdf"
    ;;
  no-pdflatex)
    # A PATH with what the script needs but pdflatex.
    mkdir bin
    for tool in dirname mktemp rm touch find; do ln -s "$(command -v "$tool")" bin/; done
    printf '2008/02\n' > calendar.txt
    expect_run 1 "[2008/02]"$'\n'"$so_far"$'\n'"$created"$'\n' \
      $'wekset-pdf: pdflatex is not installed; on Debian: apt-get install texlive-latex-base texlive-fonts-extra\n' \
      env PATH="$work/bin" "$wekset_pdf"
    [ -s wek.tex ] || fail "no wek.tex"
    ;;
  no-korean-fonts)
    # Every directory of LaTeX packages on the search path but the one that
    # holds the Nanum fonts' definitions.
    dist=$(kpsewhich -var-value TEXMFDIST)
    packages=$(find "$dist/tex/latex" -mindepth 1 -maxdepth 1 ! -name nanumtype1 -printf '%f\n' | paste -sd, -)
    export TEXINPUTS=".:!!$dist/tex/{generic,latex/{$packages}}//:!!/usr/share/texmf/tex/{generic,latex}//"
    ! kpsewhich c70nanummj.fd > /dev/null || fail "the Korean fonts are still on the search path"
    # Both ways in: UTF-8 as it stands, and EUC-KR through its UTF-8 copy.
    for encoding in UTF-8 EUC-KR; do
      printf '2008/02\n-2008/02\n18 가족 모임 Dentist\n' | iconv -f UTF-8 -t "$encoding" > calendar.txt
      expect_run 0 "[2008/02]"$'\n'"$so_far"$'\n'"$created"$'\n[wek.pdf] 1 page\n' \
        $'wekset-pdf: the Korean text needs the fonts of texlive-lang-korean, which are missing; it will not print (on Debian: apt-get install texlive-lang-korean)\n' \
        "$wekset_pdf"
      expect_upright 1
      words_of wek.pdf | grep -qx Dentist || fail "$encoding: the rest of the text is not on the page"
    done
    ;;
  *)
    fail "no such case"
    ;;
esac
echo "ok   wekset-pdf: $name"
