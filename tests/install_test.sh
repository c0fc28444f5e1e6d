#!/usr/bin/env bash
# Installs into a temporary DESTDIR and makes a calendar with the installed
# program. Usage: install_test.sh BUILD_DIR
set -u
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

DESTDIR=$root cmake --install "$build" --prefix /opt/wekset > /dev/null || fail "cmake --install failed"
program=$root/opt/wekset/bin/wekset
[ -x "$program" ] || fail "no program at $program"
[ -f "$root/opt/wekset/share/man/man1/wekset.1" ] || fail "no manual page"
[ "$("$program" --version)" = "wekset 1.0.0" ] || fail "--version says $("$program" --version)"
[ -x "$root/opt/wekset/bin/wekset-pdf" ] || fail "no wekset-pdf beside wekset"
for file in hangul.sty wekset.lua wekset-page.lua cp1252.lua safer.lua; do
  [ -f "$root/opt/wekset/share/wekset/$file" ] || fail "no $file for wekset-pdf"
done
[ -f "$root/opt/wekset/share/man/man1/wekset-pdf.1" ] || fail "no manual page for wekset-pdf"
# wekset-breaks is built wherever ICU is, as in every run of the tests, and
# the installed wekset-pdf looks for it under libexec/wekset.
if [ -x "$build/wekset-breaks" ]; then
  [ -x "$root/opt/wekset/libexec/wekset/wekset-breaks" ] || fail "no wekset-breaks for wekset-pdf"
fi
# The importer is built wherever libical is, as in every run of the tests.
if [ -x "$build/wekset-ics" ]; then
  [ -x "$root/opt/wekset/bin/wekset-ics" ] || fail "no wekset-ics beside wekset"
  [ -f "$root/opt/wekset/share/man/man1/wekset-ics.1" ] || fail "no manual page for wekset-ics"
fi

mkdir "$root/work" && cd "$root/work" || exit 1
printf '2008/02\n-2008/02\n18 10:00PM Dentist\n' > calendar.txt
"$program" > console.txt || fail "the installed program ended with status $?"
grep -q '^\[wek.tex\] created successfully' console.txt || fail "it said: $(cat console.txt)"
grep -qF '\def\message{\vbox{{ 10:00PM Dentist }}}%' wek.tex || fail "wek.tex lacks the event"
# The installed wekset-pdf finds its TeX package and Lua under share/wekset.
if command -v lualatex > /dev/null || [ "${CI:-}" = true ]; then
  "$root/opt/wekset/bin/wekset-pdf" > console.txt 2>&1 || fail "the installed wekset-pdf said: $(cat console.txt)"
  grep -qx '\[wek.pdf\] 1 page' console.txt || fail "the installed wekset-pdf said: $(cat console.txt)"
fi
echo "ok   installed and ran $program"
