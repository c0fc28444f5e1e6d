#!/usr/bin/python3
"""Checks that a calendar PDF is legible, against the wek.tex it was made of.

The day boxes are found from the rules on the pages, and every word on a
page must lie inside a box, clear of its rules, and overlap no other word, the
day number and the month label included. A word's box spans its characters'
advances across, and the ink of its glyphs up and down: each glyph's height
and depth are measured once by drawing it alone in its font, by its number.
The boxes are taken in reading order as the days of wek.tex, each must show
its day number, and the words of each day's events must give back their
characters in order: line ends and hyphens at them aside, and nothing else.
Text without spaces (Thai, Chinese, Japanese and their like) may end a line
only where ICU's line breaking allows. A day whose events do not all fit
shows its first whole events (or, when not even one fits, the
first lines of the first) and then a line "+N more" that counts the others.
Event text is 6pt or larger, in at most 3 sizes a page. Every page has a
heading that names its months and year, or the document's title and its
year, above the weekday header; every page but the last holds the same
number of week rows, and a page of them fills at least 90% of the height
inside the paper's half-inch margins.

The text of each box is read twice more. In the order that the PDF draws
it, with the text that /ActualText gives shaped clusters and pictures (as
pdftotext reads it), it must be the day's text letter for letter. And a
line that holds right-to-left letters must show them, left to right as the
glyphs stand, as the Unicode Bidirectional Algorithm orders that part of
its paragraph (python-bidi's), the paragraph's direction that of its first
strong letter.

Usage: pdf_legibility.py PDF WEK_TEX [--rows N] [--left-out CHARACTERS]
                         [--shaped DAY]...
  --rows N                the rows on every page but the last (by default the
                          header line's weeks a page, up to 12)
  --left-out CHARACTERS   characters that no font prints, missing on purpose
  --shaped YYYY/MM/DD     that day's clusters of several letters carry their
                          text as /ActualText, which MuPDF does not read: its
                          text is read only in drawing order
"""
import argparse
import functools
import html
import pathlib
import re
import subprocess
import sys
import unicodedata

import fitz
import icu
from bidi.algorithm import get_display
from pdf_glyphs import installed_fonts

CLEARANCE = 0.25  # points between a word and a rule or another word
FLOOR = 6         # the smallest size of event text
MARGIN = 36       # the margins that printers leave, on every side
# The line mark that joins a day's lines in wek.tex, from the header that
# defines it for the program.
LINE_MARK = re.search(
    r'kLineMark = "([^"]*)";',
    (pathlib.Path(__file__).resolve().parent.parent / "src/model/limits.h").read_text()).group(1).replace("\\\\", "\\")
MONTHS = ["January", "February", "March", "April", "May", "June", "July", "August",
          "September", "October", "November", "December"]
WEEKDAYS = ("Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat")
GAP = 1.5  # points between two glyphs that still belong to one word
# The marks that pdftotext puts around right-to-left text.
BIDI_MARKS = dict.fromkeys(map(ord, "\u200e\u200f\u202a\u202b\u202c\u202d\u202e\u2066\u2067\u2068\u2069"))


def decoded(data):
    """The text of wek.tex as wekset-pdf reads it: UTF-8, or EUC-KR where
    that gives Hangul, or else Windows-1252, whose undefined bytes stand for
    the control characters of the same numbers."""
    try:
        return data.decode("utf-8")
    except UnicodeDecodeError:
        pass
    try:
        text = data.decode("euc-kr")
        if re.search("[\uac00-\ud7a3]", text):
            return text
    except UnicodeDecodeError:
        pass
    return "".join(chr(byte) if 0x80 <= byte < 0xA0 and bytes([byte]).decode("cp1252", "replace") == "\ufffd"
                   else bytes([byte]).decode("cp1252") for byte in data)


def events_of(text):
    """A day's events: its entries are joined, as its continuation lines
    are, by the line mark, and a continuation line keeps its leading blanks
    after it."""
    events = []
    for piece in text.split(LINE_MARK):
        if events and piece.startswith(" "):
            events[-1] += piece
        else:
            events.append(piece)
    return events


def days_of(document):
    """The dates of the document's days, in order, each day's events, the
    header line's weeks a page and the title's month, if any; the weekday
    names of its header boxes, and the week numbers beside its rows. A day's
    paragraphs are its text's lines, each set on lines of its own."""
    days, texts, paragraphs, date, weeks, title = [], {}, {}, None, 6, None
    weekdays, week_numbers = [], set()
    months = {}  # the names that the month labels give, by month
    for line in decoded(document).split("\n"):
        found = re.match(r"%\.{30}.*\[(\d+)\.\s*(\d+)\.\s*(\d+)\]", line)
        name = re.match(r"\s*\\ifnum \\the\\weeknumber=\d \\def\\dayname\{(.*)\}\\fi$", line)
        week = re.match(r"\\weeklabel\{(\d+)\}%$", line)
        if name:
            text = re.sub(r"^\\rtlname\{(.*)\}$", r"\1", name.group(1))
            weekdays.append(comparable(text, "NFKC"))
        elif week:
            week_numbers.add(week.group(1))
        elif found:
            date = "%04d/%02d/%02d" % tuple(int(part) for part in found.groups())
            days.append(date)
        elif line.startswith("% LinesInPages="):
            weeks = abs(int(re.match(r"% LinesInPages=(-?\d+)", line).group(1))) or 6
        elif line.startswith("\\def\\firstday{\\fbox{") and date:
            label = re.match(r"\\def\\firstday\{\\fbox\{(.*)\}\}%$", line).group(1)
            label = re.sub(r"^\\msgft ", "", label)
            months[int(date[5:7])] = re.sub(r"^\\rtlname\{(.*)\}$", r"\1", label)
        elif line.startswith("\\centerline{\\ftwo "):
            title = re.search(r"\{([^{}]*)\}+\s*$", line).group(1)
        elif line.startswith("\\def\\message{\\vbox{{"):
            text = line[len("\\def\\message{\\vbox{{"):]
            text = re.sub(r"^\\vskip-\d+pt (\\s*msgft )?", "", text)[1:]
            text = re.sub(r" \}\}\}%$", "", text)
            texts[date] = events_of(text)
            paragraphs[date] = text.split(LINE_MARK)
    return days, texts, paragraphs, weeks, title, weekdays, week_numbers, months


def heading_of(first, last, title, days, months):
    """The heading of a page from its first day to its last, the months by
    the names of the document's labels."""
    def name(day):
        return months.get(int(day[5:7]), MONTHS[int(day[5:7]) - 1])
    if title:
        years = [day[:4] for day in days if name(day) == title]
        return "%s %s" % (title, (years or [days[0][:4]])[0])
    start, end = name(first), name(last)
    if first[:4] != last[:4]:
        return "%s %s \u2013 %s %s" % (start, first[:4], end, last[:4])
    if start != end:
        return "%s \u2013 %s %s" % (start, end, last[:4])
    return "%s %s" % (start, first[:4])


@functools.lru_cache(maxsize=None)
def font_file(name):
    """The file of the font that a PDF names, whose name it may cut short."""
    fonts = sorted(installed_fonts())
    return next((path for postscript, path, _ in fonts if postscript == name), None) or \
        next((path for postscript, path, _ in fonts if postscript.startswith(name)), None)


@functools.lru_cache(maxsize=None)
def ink(font, character, glyph=None):
    """The top and bottom of the ink of a character's glyph, or of the glyph
    of that number where one is given, in ems from the baseline, down
    positive; None when it has no outline to measure."""
    path = font_file(font)
    if path is None:
        return None
    scratch = fitz.open()
    page = scratch.new_page(width=400, height=400)
    page.insert_font(fontname="G", fontfile=path)
    page.insert_text((50, 250), character, fontname="G", fontsize=200)
    if glyph is not None:
        # The font is embedded with its glyph numbers for codes: a shaped
        # glyph, which no character may stand for, is drawn by its number.
        scratch.update_stream(page.get_contents()[0],
                              b"q BT 1 0 0 1 50 150 Tm /G 200 Tf <%04X> Tj ET Q" % glyph)
    pixmap = page.get_pixmap(colorspace=fitz.csGRAY)
    rows = [y for y in range(pixmap.height)
            if min(pixmap.samples[y * pixmap.stride:y * pixmap.stride + pixmap.width]) < 128]
    if not rows:
        return None
    return (rows[0] - 250) / 200, (rows[-1] + 1 - 250) / 200


class Word:
    def __init__(self, text, rect, size, baseline):
        self.text, self.rect, self.size, self.baseline = text, rect, size, baseline
        self.lefts = []  # where each character's glyph begins, across

    def __repr__(self):
        r = self.rect
        return '"%s" at %.1f,%.1f-%.1f,%.1f' % (self.text, r.x0, r.y0, r.x1, r.y1)


def words_of(page):
    """The words of a page, upright, with the ink of their glyphs, and each
    line of text as the words on it."""
    turn = page.rotation_matrix
    # The glyph that each character is drawn with, by where it stands.
    glyphs = {}
    for span in page.get_texttrace():
        for char in span["chars"]:
            if char[1] >= 0:
                glyphs[(round(char[2][0], 1), round(char[2][1], 1))] = char[1]
    lines = []
    for block in page.get_text("rawdict")["blocks"]:
        for line in block.get("lines", []):
            words, current, spaced = [], None, False
            for span in line["spans"]:
                for char in span["chars"]:
                    if char["c"].isspace():
                        spaced = True
                        continue
                    origin = fitz.Point(char["origin"]) * turn
                    rect = fitz.Rect(char["bbox"]) * turn
                    extent = ink(span["font"], char["c"],
                                 glyphs.get((round(char["origin"][0], 1), round(char["origin"][1], 1))))
                    if extent is not None:
                        rect.y0 = origin.y + extent[0] * span["size"]
                        rect.y1 = origin.y + extent[1] * span["size"]
                    # Glyphs of one word touch, whichever way they run, and
                    # a mark may stand back over the letters before it; text
                    # that stands apart from the word, as a day number beside
                    # a line of text does, and the boxes of a row are words
                    # of their own. MuPDF reads a space after such a mark: a
                    # space before a glyph that begins where the word ends is
                    # none.
                    if current is not None and (rect.x0 > current.rect.x1 + GAP or
                                                rect.x1 < current.rect.x0 - GAP):
                        current = None
                    if current is not None and spaced and abs(rect.x0 - current.rect.x1) > CLEARANCE and \
                            abs(rect.x1 - current.rect.x0) > CLEARANCE:
                        current = None
                    spaced = False
                    if current is None:
                        current = Word("", fitz.Rect(rect), span["size"], origin.y)
                        words.append(current)
                    current.text += char["c"]
                    current.lefts.append(rect.x0)
                    current.rect |= rect
            if words:
                lines.append(words)
    return lines


def boxes_of(page):
    """The boxes that the rules of a page draw, upright: their insides, top to
    bottom, left to right, and the small frames drawn within them."""
    turn = page.rotation_matrix
    across, frames = [], []
    for path in page.get_drawings():
        half = (path.get("width") or 1.0) / 2
        rect = fitz.Rect(path["rect"]) * turn
        if rect.height < 0.1 and rect.width > 95:
            across.append((round(rect.x0, 1), rect.x1, rect.y0, half))
        elif rect.width < 90 and rect.height < 90 and (rect.width > 0.1) != (rect.height > 0.1):
            frames.append(fitz.Rect(rect.x0 - half, rect.y0 - half, rect.x1 + half, rect.y1 + half))
    across.sort(key=lambda rule: (rule[0], rule[2]))
    boxes = []
    for top, bottom in zip(across, across[1:]):
        if top[0] == bottom[0] and bottom[2] - top[2] > 10:
            boxes.append(fitz.Rect(top[0], top[2] + top[3], top[1], bottom[2] - bottom[3]))
    boxes.sort(key=lambda box: (round(box.y0), box.x0))
    labels = []
    for box in boxes:
        inside = [frame for frame in frames if box.contains(frame)]
        label = fitz.Rect(inside[0]) if inside else None
        for frame in inside[1:]:
            label |= frame
        labels.append(label)
    return boxes, labels


def comparable(text, form="NFC"):
    """The text without white space, and without soft hyphens, which show
    only as the hyphen at a line's end."""
    return unicodedata.normalize(form, "".join(text.split())).replace("\u00ad", "")


def check_day(events, lines, places=frozenset()):
    """Whether the lines of a day's box give back its events: all of them,
    or the first whole ones and a line "+N more" that counts the others;
    when not one fits whole, the first lines of the first may stand above
    it."""
    more = re.fullmatch(r"\+(\d+) more", lines[-1]) if lines else None
    if more:
        shown = len(events) - int(more.group(1))
        if not 0 <= shown < len(events):
            return "counts %s of %d events" % (lines[-1], len(events))
        lines = lines[:-1]
        expected = "".join(events[:shown])
        if shown == 0:
            return check_text(events[0], lines, True, places) if lines else None
        return check_text(expected, lines, False, places)
    expected = "".join(events)
    return check_text(expected, lines, False, places)


def line_break_class(character):
    value = icu.Char.getIntPropertyValue(ord(character), icu.UProperty.LINE_BREAK)
    return icu.Char.getPropertyValueName(icu.UProperty.LINE_BREAK, value,
                                         icu.UPropertyNameChoice.SHORT_PROPERTY_NAME)


def unbreakable(events):
    """The places, as offsets into the events' text without white space,
    between two characters of text without spaces (Thai, Chinese, Japanese
    and their like) where ICU's line breaking does not allow a break."""
    places = set()
    at = 0
    for event in events:
        event = unicodedata.normalize("NFC", event)
        lines = icu.BreakIterator.createLineInstance(icu.Locale.getRoot())
        lines.setText(event)
        allowed = {icu.UnicodeString(event).countChar32(0, offset) for offset in lines}
        for index, character in enumerate(event):
            if character.isspace():
                continue
            if index > 0 and index not in allowed and not event[index - 1].isspace() and \
                    {line_break_class(event[index - 1]), line_break_class(character)} <= {"SA", "ID", "CJ"}:
                places.add(at)
            at += 1
    return places


def check_text(expected, lines, cut, unbreakable=frozenset()):
    """Whether the lines give back the expected text, or its beginning when
    cut: hyphens that end a line may be the line breaker's. A line may not
    end at one of the unbreakable places."""
    expected = comparable(expected)
    at = 0
    for line in lines:
        text = comparable(line)
        if text.endswith("-") and expected[at:at + len(text)] != text:
            text = text[:-1]
        if expected[at:at + len(text)] != text:
            return "shows %r where %r follows" % (text, expected[at:at + len(text) + 10])
        if at in unbreakable:
            return "breaks %r|%r, where ICU allows no break" % (expected[at - 5:at], expected[at:at + 5])
        at += len(text)
    if at != len(expected) and not cut:
        return "lacks %r" % expected[at:]
    if at == 0 and expected:
        return "shows none of %r" % expected
    return None


def drawn_words(pdf):
    """The words of each page, upright, in the order that the PDF draws
    them, each with the text that /ActualText gives it: pdftotext's."""
    xml = subprocess.run(["pdftotext", "-raw", "-bbox", pdf, "-"], check=True,
                         capture_output=True).stdout.decode("utf-8")
    pages = []
    for page in re.findall(r"<page [^>]*>(.*?)</page>", xml, re.S):
        words = re.findall(r'<word xMin="([^"]+)" yMin="([^"]+)" xMax="([^"]+)" yMax="([^"]+)">(.*?)</word>',
                           page, re.S)
        pages.append([(fitz.Rect(*map(float, word[:4])), html.unescape(word[4]).translate(BIDI_MARKS))
                      for word in words])
    return pages


def right_to_left(text):
    return any(unicodedata.bidirectional(c) in ("R", "AL") for c in text)


def paragraph_direction(text):
    """That of the first strong letter outside an isolate."""
    isolated = 0
    for c in text:
        kind = unicodedata.bidirectional(c)
        if kind in ("LRI", "RLI", "FSI"):
            isolated += 1
        elif kind == "PDI":
            isolated = max(0, isolated - 1)
        elif kind in ("L", "R", "AL") and not isolated:
            return "L" if kind == "L" else "R"
    return "L"


def check_visual_order(paragraphs, lines, directions):
    """Whether each line that holds right-to-left letters shows, left to
    right, what the Unicode Bidirectional Algorithm makes of its part of its
    paragraph, in the paragraph's direction; lines are (characters left to
    right) in order down the box."""
    directions = [d for p, d in zip(paragraphs, directions) if p.strip()]
    paragraphs = [p for p in paragraphs if p.strip()]
    index, rest = 0, paragraphs[0] if paragraphs else ""
    for shown in lines:
        while index < len(paragraphs) and not rest.strip():
            index += 1
            rest = paragraphs[index] if index < len(paragraphs) else ""
        if index >= len(paragraphs):
            return "shows %r after its text" % shown
        direction = directions[index]
        matched = False
        # The line's part of its paragraph, with a hyphen that the line
        # breaker added at its end, or none.
        for hyphen in ("", "-"):
            if hyphen and (shown.endswith("-") if direction == "L" else shown.startswith("-")):
                length = len(shown) - 1
            elif hyphen:
                continue
            else:
                length = len(shown)
            count, end = 0, 0
            while end < len(rest) and count < length:
                count += not rest[end].isspace() and rest[end] != "\u00ad"
                end += 1
            part = rest[:end]
            seen = shown if not hyphen else (shown[:-1] if direction == "L" else shown[1:])
            if not right_to_left(part) or comparable(get_display(part, base_dir=direction)) == comparable(seen):
                matched = True
                rest = rest[end:]
                break
        if not matched:
            return "shows the line %r where the algorithm orders %r as %r" % (
                shown, rest[:end], comparable(get_display(rest[:end], base_dir=direction)))
    return None


def check_page(number, page, boxes, words, dates, rows, last, heading, weekdays):
    """The page's heading, weekday header, rows and height, and the sizes of
    its event text."""
    problems = []
    top = min(box.y0 for box in boxes) if boxes else 0
    title = " ".join(word.text for line in words for word in line if word.rect.y1 < top)
    if title != heading:
        problems.append("page %d: the heading is %r, not %r" % (number, title, heading))
    header = [box for box in boxes if abs(box.y0 - top) < 1]
    named = [comparable("".join(word.text for line in words for word in line
                                if box.contains(word.rect)), "NFKC")
             for box in sorted(header, key=lambda box: box.x0)]
    if named != (weekdays or [comparable(day) for day in WEEKDAYS]):
        problems.append("page %d: the weekday header shows %s" % (number, named))
    shown = len({round(box.y0) for box in boxes}) - 1
    if len(dates) != 7 * shown:
        problems.append("page %d: %d day boxes in %d rows" % (number, len(dates), shown))
    if shown != rows and not (last and shown < rows):
        problems.append("page %d: %d rows, not %d" % (number, shown, rows))
    if shown == rows and boxes:
        printable = min(page.rect.width, page.rect.height) - 2 * MARGIN
        height = max(box.y1 for box in boxes) - top
        if height < 0.9 * printable:
            problems.append("page %d: the grid is %.1fpt high, less than 90%% of %.1fpt"
                            % (number, height, printable))
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("pdf")
    parser.add_argument("document")
    parser.add_argument("--rows", type=int)
    parser.add_argument("--left-out", default="")
    parser.add_argument("--shaped", action="append", default=[])
    arguments = parser.parse_args()
    with open(arguments.document, "rb") as file:
        days, texts, paragraphs_of, weeks, title, weekdays, week_numbers, months = days_of(file.read())
    rows = arguments.rows or min(weeks, 12)

    problems, day_index, word_count = [], 0, 0
    pages = fitz.open(arguments.pdf)
    drawn = drawn_words(arguments.pdf)
    for number, page in enumerate(pages, 1):
        boxes, labels = boxes_of(page)
        contents = [[] for _ in boxes]
        lines = words_of(page)
        first_day, sizes = day_index, set()
        for line in lines:
            for word in line:
                word_count += 1
                centre = fitz.Point((word.rect.x0 + word.rect.x1) / 2, (word.rect.y0 + word.rect.y1) / 2)
                inside = [i for i, box in enumerate(boxes) if box.contains(centre)]
                if not inside:
                    # The heading, above the grid.
                    if not boxes or word.rect.y1 + CLEARANCE < min(box.y0 for box in boxes):
                        continue
                    # A week's number, beside its row.
                    if word.text in week_numbers and (
                            word.rect.x1 + CLEARANCE < min(box.x0 for box in boxes) or
                            word.rect.x0 - CLEARANCE > max(box.x1 for box in boxes)):
                        continue
                    problems.append("page %d: %s lies in no box" % (number, word))
                    continue
                box = boxes[inside[0]]
                clear = fitz.Rect(box.x0 + CLEARANCE, box.y0 + CLEARANCE,
                                  box.x1 - CLEARANCE, box.y1 - CLEARANCE)
                if not clear.contains(word.rect):
                    problems.append("page %d: %s touches or crosses the rules of its box %s"
                                    % (number, word, box))
                contents[inside[0]].append((line, word))
        for index, content in enumerate(contents):
            words = [word for _, word in content]
            for i, word in enumerate(words):
                for other in words[i + 1:]:
                    # The runs of one word in two directions, or two fonts,
                    # abut on their baseline; TeX sets no two words so.
                    abut = abs(word.baseline - other.baseline) < 0.5 and \
                        min(word.rect.x1, other.rect.x1) - max(word.rect.x0, other.rect.x0) < 0.5
                    if word.rect.intersects(other.rect) and not abut:
                        problems.append("page %d: %s and %s overlap" % (number, word, other))
            # A weekday box holds its name alone; a day box its number, a
            # month label maybe, then the day's text.
            if (len(words) == 1 and words[0].text in WEEKDAYS) or (
                    words and comparable("".join(word.text for word in words), "NFKC") in weekdays):
                continue
            if day_index >= len(days):
                problems.append("page %d: more day boxes than days" % number)
                break
            date = days[day_index]
            day_index += 1
            label = labels[index]
            numbers = [word for word in words if word.text == str(int(date[-2:]))]
            if not numbers:
                problems.append("page %d: the box of %s shows no day number" % (number, date))
                continue
            number_word = max(numbers, key=lambda word: word.rect.height)
            event_lines = []
            for line, word in content:
                if word is number_word or (label is not None and label.contains(word.rect)):
                    continue
                if label is not None and label.intersects(word.rect):
                    problems.append("page %d: %s overlaps the month label of %s" % (number, word, date))
                if not event_lines or event_lines[-1][0] is not line:
                    event_lines.append((line, []))
                event_lines[-1][1].append(word.text)
                if word.size < FLOOR - 0.05:
                    problems.append("page %d: %s is set at %.2fpt" % (number, word, word.size))
                sizes.add(round(word.size, 1))
            events = texts.get(date, [])
            paragraphs = paragraphs_of.get(date, [])
            # As written: the characters left out may be what sets them.
            directions = [paragraph_direction(paragraph) for paragraph in paragraphs]
            for character in arguments.left_out:
                events = [event.replace(character, "") for event in events]
                paragraphs = [paragraph.replace(character, "") for paragraph in paragraphs]
            shown = [" ".join(words) for _, words in event_lines]
            # MuPDF reads shaped clusters by their glyphs, and the letters of
            # right-to-left text as they stand, left to right.
            rtl = any(right_to_left(event) for event in events)
            trouble = None
            places = unbreakable(events)
            if date not in arguments.shaped and not rtl:
                trouble = check_day(events, shown, places)
            if not trouble:
                around = [number_word.rect] + ([label] if label is not None else [])
                # The words drawn, joined into lines: a word whose middle is
                # level with the word before it goes on that word's line.
                reading, last = [], None
                for rect, text in drawn[number - 1]:
                    centre = fitz.Point((rect.x0 + rect.x1) / 2, (rect.y0 + rect.y1) / 2)
                    if boxes[index].contains(centre) and not any(
                            fitz.Rect(r.x0 - 1, r.y0 - 1, r.x1 + 1, r.y1 + 1).contains(centre) for r in around):
                        if last is not None and last.y0 <= centre.y <= last.y1:
                            reading[-1] += " " + text
                        else:
                            reading.append(text)
                        last = rect
                trouble = check_day(events, reading, places)
                if trouble:
                    trouble = "in drawing order " + trouble
            if not trouble and rtl and date not in arguments.shaped:
                baselines = {}
                for _, word in content:
                    if word is number_word or (label is not None and label.contains(word.rect)):
                        continue
                    line = next((key for key in baselines if abs(key - word.baseline) < 1), word.baseline)
                    baselines.setdefault(line, []).extend(zip(word.lefts, word.text))
                visual = ["".join(c for _, c in sorted(baselines[line])) for line in sorted(baselines)]
                if not re.fullmatch(r"\+\d+more", visual[-1] if visual else ""):
                    trouble = check_visual_order(paragraphs, visual, directions)
            if trouble:
                problems.append("%s: the box %s" % (date, trouble))
        if len(sizes) > 3:
            problems.append("page %d: event text in %d sizes: %s" % (number, len(sizes), sorted(sizes)))
        dates = days[first_day:day_index]
        if dates:
            heading = heading_of(min(dates), max(dates), title, days, months)
            problems += check_page(number, page, boxes, lines, dates, rows,
                                   number == len(pages), heading, weekdays)
    if day_index != len(days):
        problems.append("%d day boxes for %d days" % (day_index, len(days)))
    for problem in problems:
        print("FAIL " + problem)
    if problems:
        return 1
    print("ok   %d words in %d day boxes on %d pages, all inside and apart, every event's text"
          " whole or counted, every page headed and full" % (word_count, day_index, len(pages)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
