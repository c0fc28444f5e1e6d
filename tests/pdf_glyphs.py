#!/usr/bin/python3
"""Checks that a PDF draws each word as HarfBuzz shapes it: the glyphs that
hb-shape gives for the word, in the file of a font that the PDF draws in,
stand in that order among the glyphs drawn in that font (HarfBuzz gives
right-to-left text left to right; the PDF draws it in reading order). Words
of colour emoji are drawn as pictures: there must be as many as HarfBuzz
gives their glyphs.

Usage: pdf_glyphs.py PDF WORD... [--pictures WORD...]
"""
import subprocess
import sys
import unicodedata

import fitz


def installed_fonts():
    """The file and face index of each installed font, by PostScript name."""
    listing = subprocess.run(["fc-list", "--format=%{postscriptname}\t%{file}\t%{index}\n"],
                             check=True, capture_output=True, text=True).stdout
    return [line.split("\t") for line in listing.splitlines() if line.count("\t") == 2]


def shaped(path, index, word):
    out = subprocess.run(["hb-shape", "--no-glyph-names", "--no-positions", "--no-clusters",
                          "--face-index=" + index, path, word],
                         check=True, capture_output=True, text=True).stdout.strip()
    return [int(glyph) for glyph in out.strip("[]").split("|")]


def main():
    pdf, words = sys.argv[1], sys.argv[2:]
    pictures = words[words.index("--pictures") + 1:] if "--pictures" in words else []
    words = words[:words.index("--pictures")] if pictures else words
    drawn, images = {}, 0  # glyph ids by font, as drawn
    for page in fitz.open(pdf):
        images += len(page.get_image_info())
        for span in page.get_texttrace():
            name = span["font"].split("+")[-1]
            drawn.setdefault(name, []).extend(char[1] for char in span["chars"] if char[1] >= 0)
    fonts = installed_fonts()
    problems = []
    for word in words:
        rtl = any(unicodedata.bidirectional(c) in ("R", "AL") for c in word)
        found = []
        for name, glyphs in drawn.items():
            for postscript, path, index in fonts:
                if not postscript.startswith(name):
                    continue
                expected = shaped(path, index, word)
                if rtl:
                    expected.reverse()
                found.append((name, expected))
                if 0 not in expected and any(glyphs[i:i + len(expected)] == expected for i in range(len(glyphs))):
                    break
            else:
                continue
            break
        else:
            problems.append("%s: not drawn as HarfBuzz shapes it in any of its fonts: %s" % (word, found))
    if pictures:
        emoji = next(path for postscript, path, _ in fonts if postscript == "NotoColorEmoji")
        expected = sum(len(shaped(emoji, "0", word)) for word in pictures)
        if images != expected:
            problems.append("%d pictures drawn for %s, which HarfBuzz shapes as %d" % (images, pictures, expected))
    for problem in problems:
        print("FAIL " + problem)
    if not problems:
        print("ok   %d words drawn as HarfBuzz shapes them, %d pictures" % (len(words), len(pictures)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
