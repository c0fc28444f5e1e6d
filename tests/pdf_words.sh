# Sourced by the tests that read PDFs. words_of [pdftotext options] PDF prints
# the words of the pages, one a line, as pdftotext finds them by their places;
# text split over narrow boxes is not run together this way. An accent that
# TeX sets over a letter comes out as a combining mark, so letters are put in
# their composed form.
# shellcheck shell=bash
words_of() {
  pdftotext -bbox "$@" - | sed -n 's/.*<word [^>]*>\(.*\)<\/word>.*/\1/p' |
    sed 's/&lt;/</g; s/&gt;/>/g; s/&quot;/"/g; s/&amp;/\&/g' |
    perl -CS -MUnicode::Normalize -pe '$_ = NFC($_)'
}
