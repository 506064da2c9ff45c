#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Pulls the verses that the bundled collection needs out of the installed
Bible modules and writes them as plain text to verses.txt.

The modules (Debian packages sword-text-kjv and sword-text-web) are dumped
with mod2imp (package libsword-utils).  Only the verses around each passage
listed in passages.txt are kept, so the committed verses.txt stays small and
the generator can run on a machine without the modules.

Every verse is reduced to its plain words: markup, Strong's numbers,
morphology, footnotes, cross references, headings, psalm titles and
paragraph marks are dropped and white space is collapsed.  The text is then
brought into the Windows-1252 repertoire that the data files use; anything
without a Windows-1252 form gets a fixed ASCII stand-in, so the result only
depends on the module text.

Output lines (UTF-8, LF):
  C <trans> <book> <chapter> <verses in chapter>
  V <trans> <book> <chapter> <verse> <text>
"""

import html
import re
import subprocess
import sys
import unicodedata
from pathlib import Path

HERE = Path(__file__).resolve().parent

# Module name for each translation abbreviation used in the collection.
MODULES = {"KJV": "engKJV2006eb", "WEB": "engWEB2015eb"}

# Book names as the modules spell them, in book-number order
# (1-39 Old Testament, 51-77 New Testament).
OT = ["Genesis", "Exodus", "Leviticus", "Numbers", "Deuteronomy", "Joshua",
      "Judges", "Ruth", "I Samuel", "II Samuel", "I Kings", "II Kings",
      "I Chronicles", "II Chronicles", "Ezra", "Nehemiah", "Esther", "Job",
      "Psalms", "Proverbs", "Ecclesiastes", "Song of Solomon", "Isaiah",
      "Jeremiah", "Lamentations", "Ezekiel", "Daniel", "Hosea", "Joel", "Amos",
      "Obadiah", "Jonah", "Micah", "Nahum", "Habakkuk", "Zephaniah", "Haggai",
      "Zechariah", "Malachi"]
NT = ["Matthew", "Mark", "Luke", "John", "Acts", "Romans", "I Corinthians",
      "II Corinthians", "Galatians", "Ephesians", "Philippians", "Colossians",
      "I Thessalonians", "II Thessalonians", "I Timothy", "II Timothy", "Titus",
      "Philemon", "Hebrews", "James", "I Peter", "II Peter", "I John",
      "II John", "III John", "Jude", "Revelation of John"]
BOOK_NUMBER = {name: i + 1 for i, name in enumerate(OT)}
BOOK_NUMBER.update({name: i + 51 for i, name in enumerate(NT)})

# Characters outside Windows-1252 that occur in the module text, with the
# plain stand-in used for them.  Anything else that is neither in
# Windows-1252 nor decomposable to it stops the extraction, so a new module
# version cannot slip in an unplanned substitution.
ASCII_STAND_INS = {
    "\u2010": "-", "\u2011": "-", "\u2012": "-", "\u2015": "--",
    "\u2032": "'", "\u2033": '"', "\u2212": "-", "\u2044": "/",
    "\u200b": "", "\u200c": "", "\u200d": "", "\ufeff": "",
}

REF_RE = re.compile(r"^\$\$\$(.+) (\d+):(\d+)$")


def to_cp1252_repertoire(text, where):
    out = []
    for ch in text:
        try:
            ch.encode("cp1252")
            out.append(ch)
            continue
        except UnicodeEncodeError:
            pass
        if ch in ASCII_STAND_INS:
            out.append(ASCII_STAND_INS[ch])
            continue
        base = "".join(c for c in unicodedata.normalize("NFKD", ch)
                       if not unicodedata.combining(c))
        try:
            base.encode("cp1252")
        except UnicodeEncodeError:
            sys.exit(f"no Windows-1252 form for U+{ord(ch):04X} in {where}")
        out.append(base)
    return "".join(out)


def plain_text(osis, where):
    t = osis
    # Footnotes and cross references carry their own text; headings and
    # psalm titles are not part of the verse that is learned.
    t = re.sub(r"<note\b[^>]*/>", "", t)
    t = re.sub(r"<note\b.*?</note>", "", t, flags=re.S)
    t = re.sub(r"<title\b[^>]*/>", "", t)
    t = re.sub(r"<title\b.*?</title>", "", t, flags=re.S)
    t = re.sub(r"<speaker\b.*?</speaker>", "", t, flags=re.S)
    t = re.sub(r"<[^>]*>", " ", t)
    # A few verses still carry a stray character-style marker such as \nd.
    t = re.sub(r"\\[a-z]+[0-9]*\*?", " ", t)
    t = html.unescape(t)
    t = t.replace("\u00b6", " ").replace("\u204b", " ")
    t = re.sub(r"\s+", " ", t).strip()
    # Tag removal can leave a blank before closing punctuation or after an
    # opening quotation mark.
    t = re.sub(r" ([,.;:?!\u2019\u201d)])", r"\1", t)
    t = re.sub(r"([\u2018\u201c(]) ", r"\1", t)
    return to_cp1252_repertoire(t, where)


def dump_module(module):
    raw = subprocess.run(["mod2imp", module], check=True,
                         capture_output=True).stdout.decode("utf-8")
    verses = {}
    ref = None
    for line in raw.split("\n"):
        if line.startswith("$$$"):
            m = REF_RE.match(line)
            ref = None
            if m and m.group(1) in BOOK_NUMBER:
                ref = (BOOK_NUMBER[m.group(1)], int(m.group(2)), int(m.group(3)))
                if ref[1] == 0 or ref[2] == 0:
                    ref = None
            continue
        if ref is not None:
            verses[ref] = verses.get(ref, "") + line
    return verses


def read_passages(path):
    out = []
    for line in path.read_text(encoding="utf-8").splitlines():
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        f = line.split()
        out.append(tuple(int(x) for x in f[:4]))
    return out


def main():
    passages = read_passages(HERE / "passages.txt")
    lines = []
    for abbrev, module in MODULES.items():
        raw = dump_module(module)
        chapter_len = {}
        for (b, c, v) in raw:
            chapter_len[(b, c)] = max(chapter_len.get((b, c), 0), v)
        wanted = set()
        chapters = set()
        for (b, c, v1, v2) in passages:
            n = chapter_len[(b, c)]
            chapters.add((b, c))
            wanted.update((b, c, v) for v in range(max(1, v1 - 3), min(n, v2 + 3) + 1))
            if v1 <= 3 and (b, c - 1) in chapter_len:
                p = chapter_len[(b, c - 1)]
                chapters.add((b, c - 1))
                wanted.update((b, c - 1, v) for v in range(max(1, p - 2), p + 1))
            if v2 + 3 > n and (b, c + 1) in chapter_len:
                chapters.add((b, c + 1))
                wanted.update((b, c + 1, v) for v in range(1, min(3, chapter_len[(b, c + 1)]) + 1))
        for (b, c) in sorted(chapters):
            lines.append(f"C {abbrev} {b} {c} {chapter_len[(b, c)]}")
        for key in sorted(wanted):
            text = plain_text(raw.get(key, ""), f"{abbrev} {key}")
            lines.append(f"V {abbrev} {key[0]} {key[1]} {key[2]} {text}")
    (HERE / "verses.txt").write_text("\n".join(lines) + "\n", encoding="utf-8")


if __name__ == "__main__":
    main()
