#!/usr/bin/env bash
# Measures wekset-pdf on the sample calendar: the first run, with a new
# TeX cache and home (luaotfload indexes the fonts then), and warm runs, best
# of three; then, warm, a busy month with a day of as many events as wekset
# takes, and a month in every script; wall time and peak memory. Works in
# a temporary directory, which is removed at the end, also on Ctrl-C.
# Usage: bench/pdf.sh WEKSET_PDF
set -eu
wekset_pdf=$(realpath "$1")
if [ ! -x /usr/bin/time ] || ! command -v lualatex > /dev/null; then
  echo "bench/pdf.sh needs GNU time and LuaLaTeX; on Debian: apt-get install time texlive-luatex" >&2
  exit 1
fi

# shellcheck source=bench/measure.sh
. "$(dirname "$0")/measure.sh"
enter_work_directory
mkdir calendar home
cd calendar
"$(dirname "$wekset_pdf")/wekset" > /dev/null

printf '%-22s %9s %9s\n' "wekset-pdf, sample" seconds "peak MB"
read -r seconds peak < <(measure env HOME="$work/home" TEXMFVAR="$work/home/var" \
  TEXMFCACHE="$work/home/cache" "$wekset_pdf")
awk -v s="$seconds" -v p="$peak" 'BEGIN { printf "%-22s %9.2f %9.1f\n", "first run", s, p / 1024 }'
best_of_3() {
  local seconds peak best="" best_peak=""
  for _ in 1 2 3; do
    read -r seconds peak < <(measure "$wekset_pdf")
    if [ -z "$best" ] || awk -v a="$seconds" -v b="$best" 'BEGIN { exit !(a < b) }'; then
      best=$seconds best_peak=$peak
    fi
  done
  awk -v s="$best" -v p="$best_peak" -v what="$1" 'BEGIN { printf "%-22s %9.2f %9.1f\n", what, s, p / 1024 }'
}
best_of_3 "warm, best of 3"

# Every day of a month busy, and one of 3659 events.
mkdir ../busy
cd ../busy
{
  printf '2026/04\n-2026/04\n'
  for day in $(seq 1 30); do
    for hour in 09 11 14 16; do printf '%02d %s:00 Meeting about item %s\n' "$day" "$hour" "$day"; done
  done
  for i in $(seq 1 3659); do printf '15 %d\n' "$i"; done
} > calendar.txt
"$wekset_pdf" > /dev/null 2>&1
best_of_3 "busy month, warm"

# A month whose days are in every script that the installed fonts cover.
mkdir ../scripts
cd ../scripts
printf '%s\n' '2008/02' -2008/02 \
  "03 Français : Noël à l'été; Ελληνικά: ὁ ἄνθρωπος; Кириллица: Съешь же ещё" \
  '04 中文 日本語 ひらがな カタカナ 한국어 東京タワー 서울역' \
  '05 ગુજરાતી తెలుగు ಕನ್ನಡ മലയാളം සිංහල ਪੰਜਾਬੀ' '06 မြန်မာ ລາວ བོད་ ᏣᎳᎩ ܣܘܪܝܝܐ' \
  '07 क्षत्रिय দলের ประชุม குழு ខ្មែរ' '08 👩‍👩‍👧 🇩🇪 Ǹ̃ اجتماع لا' \
  '09 פגישה עם Anna 10:00' '10 https://travel.state.gov/content/travel/en/passports.html' > calendar.txt
"$wekset_pdf" > /dev/null 2>&1
best_of_3 "every script, warm"
