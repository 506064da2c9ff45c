#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Checks a generated passage collection (RctInfo.xml) against the rules the
program relies on when it loads the file, without trusting the generator:

- exact header, element and closing lines with CR LF line ends, the count,
  Windows-1252 bytes, line and context lengths;
- strictly ascending keys, no duplicates, context records before their
  translations, each shared element preceded by its context record;
- passage and hint offsets inside the context, the hint inside the passage
  and found first where the passage is (also in the context the program
  assembles for shared elements);
- escaping that reads back to the same text;
- verse numbering, vCount, topics, and that the context references the
  program derives from the text name the verses the context really holds.

Usage: check_info.py [res-directory]     (default: ../../res)
Exits non-zero and lists every problem when something is wrong.
"""

import re
import sys
from pathlib import Path

DECL = '<?xml version="1.0" standalone="no" ?>'
ELEMENT_RE = re.compile(
    r'<psg key="(\d{8,9})(.)" vCount="(\d+)" ctxLines="(\d+)" psgLines="(\d+)" '
    r'psgStart="(\d+)" psgEnd="(\d+)" hintStart="(\d+)" hintEnd="(\d+)" '
    r'topic="(\d+)" context="(.*)"> </psg>$')
ABBREV = {3: "KJV", 32: "WEB"}
CRLF = "\r\n"
PARA = "\r\n\r\n"

problems = []


def problem(where, text):
    problems.append(f"{where}: {text}")


def escape(text):
    return text.replace(CRLF, "\\n").replace('"', "&quot;").replace("'", "&apos;")


def unescape(raw):
    return raw.replace("\\n", CRLF).replace("&quot;", '"').replace("&apos;", "'")


def leading_int(s):
    m = re.match(r"\d+", s)
    return int(m.group()) if m else None


def context_measures(raw):
    """The measures the program takes from the still escaped context."""
    first = leading_int(raw)
    if first is None:
        parts = raw.split(" ", 1)
        first = leading_int(parts[1]) if len(parts) > 1 else None
    first = 1 if first is None else first
    last = first
    b = raw.rfind("\\")
    if b >= 0:
        n = leading_int(raw[b + 2:])
        if n is not None:
            last = n
    lines = raw.count("\\n") - raw.count("\\n\\n") + 1
    return first, last, lines


def program_context_reference(chapter, first_verse, vcount, raw):
    """Context reference as the program builds it, as (start, end) pairs."""
    cfirst, clast, clines = context_measures(raw)
    last = first_verse + vcount - 1
    end_chapter = chapter + 1 if clast < last else chapter
    start_chapter = chapter - 1 if cfirst > first_verse else chapter
    start = (start_chapter, cfirst)
    if clines < 2:
        return start, start
    if clast < last:
        return start, (end_chapter, clast)
    if cfirst <= first_verse:
        return start, (start_chapter, cfirst + clines - 1)
    return start, (end_chapter, clast)


def verse_lines(text, where):
    """Splits a verse text into (chapter offset, verse number) per line."""
    out = []
    chapter_step = 0
    pending_break = False
    for line in text.split(CRLF):
        if line == "":
            if pending_break:
                problem(where, "two blank lines in a row")
            pending_break = True
            continue
        if pending_break:
            chapter_step += 1
            pending_break = False
        m = re.match(r"(?:(?:KJV|WEB) )?(\d+) \S", line)
        if not m:
            problem(where, f"line without verse number: {line[:40]!r}")
            continue
        out.append((chapter_step, int(m.group(1))))
    return out


def check_numbering(lines, where):
    for (c0, v0), (c1, v1) in zip(lines, lines[1:]):
        if c1 == c0 and v1 != v0 + 1:
            problem(where, f"verse {v1} follows verse {v0}")
        if c1 != c0 and v1 != 1:
            problem(where, f"new chapter starts with verse {v1}")


def assemble(record, abbrev, own):
    x = record["context"][record["psgStart"]:record["psgEnd"]]
    b = record["context"][:record["psgStart"]]
    if record["ctxLines"] == 96:
        prefix, suffix = x + PARA + abbrev + " ", ""
    elif record["ctxLines"] == 99:
        prefix, suffix = abbrev + " ", PARA + x
    else:
        prefix, suffix = b + PARA + abbrev + " ", PARA + x
    return prefix, prefix + own + suffix


def check_info(path):
    data = path.read_bytes()
    try:
        text = data.decode("cp1252")
    except UnicodeDecodeError as e:
        problem(path.name, f"not Windows-1252: {e}")
        return []
    if not text.endswith("</passages>" + CRLF):
        problem(path.name, "does not end with </passages> and CR LF")
    lines = text.split(CRLF)
    if lines[-1] != "":
        problem(path.name, "last line lacks CR LF")
    lines = lines[:-1]
    if any("\r" in l or "\n" in l for l in lines):
        problem(path.name, "stray CR or LF inside a line")
    if lines[0] != DECL:
        problem(path.name, "line 1 is not the declaration")
    m = re.fullmatch(r'<passages count="(\d{3,})" formatversion="20031126">', lines[1])
    if not m:
        problem(path.name, "bad header line")
        return []
    count = int(m.group(1))
    if lines[1] != f'<passages count="{count:03d}" formatversion="20031126">':
        problem(path.name, "header count not written as %03d")
    body = lines[2:-1]
    if lines[-1] != "</passages>":
        problem(path.name, "missing </passages>")
    if count != len(body) or count < 18:
        problem(path.name, f"count {count} but {len(body)} elements")

    elements = []
    previous_key = -1
    for n, line in enumerate(body, start=3):
        where = f"{path.name}:{n}"
        if len(line) > 2500:
            problem(where, f"element line of {len(line)} characters")
        m = ELEMENT_RE.match(line)
        if not m:
            problem(where, "element does not match the format")
            continue
        key = int(m.group(1))
        suffix = m.group(2)
        nums = [int(g) for g in m.groups()[2:10]]
        raw = m.group(11)
        e = dict(zip(["vCount", "ctxLines", "psgLines", "psgStart", "psgEnd",
                      "hintStart", "hintEnd", "topic"], nums))
        e["key"], e["suffix"], e["raw"], e["where"] = key, suffix, raw, where
        e["book"], e["chapter"], e["verse"] = key // 1000000, key // 1000 % 1000, key % 1000
        e["trans"] = -1 if suffix == "/" else (ord(suffix) - 55 if suffix >= "A" else ord(suffix) - 48)
        rebuilt = (f'<psg key="{key:08d}{suffix}" vCount="{e["vCount"]:02d}" ctxLines="{e["ctxLines"]:02d}" '
                   f'psgLines="{e["psgLines"]:02d}" psgStart="{e["psgStart"]:04d}" psgEnd="{e["psgEnd"]:04d}" '
                   f'hintStart="{e["hintStart"]:04d}" hintEnd="{e["hintEnd"]:04d}" topic="{e["topic"]:04d}" '
                   f'context="{raw}"> </psg>')
        if rebuilt != line:
            problem(where, "numbers not written with their fixed widths")
        if "\r" in raw or "\n" in raw or '"' in raw or "'" in raw:
            problem(where, "unescaped character in context")
        ctx = unescape(raw)
        if escape(ctx) != raw:
            problem(where, "escaping does not read back")
        if re.search(r"\\(?!n)", raw):
            problem(where, "backslash that is not a line break")
        e["context"] = ctx
        if len(ctx) > 2320:
            problem(where, f"context of {len(ctx)} characters")

        b = e["book"]
        if not (1 <= b <= 39 or 51 <= b <= 77) or e["chapter"] < 1 or e["verse"] < 1:
            problem(where, "key outside the Bible")
        if e["trans"] not in (-1, 3, 32):
            problem(where, f"unexpected translation {e['trans']}")
        sort_key = (b << 23) + (e["chapter"] << 15) + (e["verse"] << 7) + (e["trans"] + 1) * 2 + 1
        if sort_key <= previous_key:
            problem(where, "not in ascending key order or duplicate")
        previous_key = sort_key

        primary, secondary = e["topic"] % 100, e["topic"] // 100
        if not (1 <= primary <= 55 and 1 <= secondary <= 55):
            problem(where, f"topic {e['topic']} outside 1..55")
        if not 1 <= e["vCount"] <= 4:
            problem(where, "vCount outside 1..4")

        ps, pe, hs, he = e["psgStart"], e["psgEnd"], e["hintStart"], e["hintEnd"]
        if not (0 <= ps < pe <= len(ctx)):
            problem(where, "passage offsets outside the context")
            continue
        if not (ps <= hs and hs + 2 <= he <= pe):
            problem(where, "hint not inside the passage or shorter than 2")
        hint = ctx[hs:he]
        if ctx.find(hint) != hs:
            problem(where, f"hint {hint!r} first found elsewhere in the context")
        passage = ctx[ps:pe]
        # The passage is made of whole lines of the context.
        if (ps > 0 and not ctx[:ps].endswith(CRLF) and e["trans"] >= 0) or \
                (pe < len(ctx) and not ctx[pe:].startswith(CRLF) and e["trans"] >= 0):
            problem(where, "passage does not cover whole lines")
        if passage != passage.strip() or ctx != ctx.strip():
            problem(where, "passage or context begins or ends with white space")
        if hint != hint.strip():
            problem(where, "hint begins or ends with white space")
        last_break = ctx.rfind(CRLF)
        if last_break >= 0 and not ctx[last_break + 2:last_break + 3].isdigit():
            problem(where, "last line does not begin with its verse number")
        if e["trans"] == -1:
            # A context record holds blocks of verses, each starting with the
            # label of the wording it is in.
            for block in re.split(r"(?:\r\n\r\n| )(?=WEB \d)", ctx):
                check_numbering(verse_lines(block, where), where)
            if not passage.startswith("WEB "):
                problem(where, "record passage without its wording label")
        else:
            check_numbering(verse_lines(ctx, where), where)
        if e["trans"] >= 0:
            plines = verse_lines(passage, where)
            if len(plines) != e["vCount"] or (plines and plines[0][1] != e["verse"]):
                problem(where, "passage lines do not match the key and vCount")
            if e["ctxLines"] != 98:
                check_references(e, ctx, ps, where)
        elements.append(e)

    check_sharing(elements)
    return elements


def check_references(e, ctx, ps, where):
    """The context reference the program derives must name the real range."""
    before = ctx[:ps]
    lines = verse_lines(ctx, where)
    start_step = -before.count(PARA)
    first_step, first_verse = lines[0]
    last_step, last_verse = lines[-1]
    real_start = (e["chapter"] + start_step, first_verse)
    real_end = (e["chapter"] + start_step + last_step, last_verse)
    got = program_context_reference(e["chapter"], e["verse"], e["vCount"], e["raw"])
    if got != (real_start, real_end):
        problem(where, f"context reference would read {got}, text holds {(real_start, real_end)}")


def check_sharing(elements):
    records = {}
    used = set()
    for e in elements:
        verse = (e["book"], e["chapter"], e["verse"])
        if e["trans"] == -1:
            if e["ctxLines"] == 98:
                problem(e["where"], "context record marked as shared")
            records[verse] = e
            continue
        if e["ctxLines"] in (96, 99):
            problem(e["where"], "translation element with a record marker")
        if e["ctxLines"] != 98:
            continue
        record = records.get(verse)
        if record is None:
            problem(e["where"], "shared element without its context record")
            continue
        used.add(verse)
        if e["psgStart"] != 0 or e["psgEnd"] != len(e["context"]):
            problem(e["where"], "shared element's own text is not just the passage")
        prefix, assembled = assemble(record, ABBREV[e["trans"]], e["context"])
        hint = e["context"][e["hintStart"]:e["hintEnd"]]
        if assembled.find(hint) != len(prefix) + e["hintStart"]:
            problem(e["where"], f"hint {hint!r} first found elsewhere in the assembled context")
        if len(assembled) > 2320:
            problem(e["where"], "assembled context too long")
        if assembled != assembled.strip() or "\r\n\r\n\r\n" in assembled:
            problem(e["where"], "assembled context has stray blank lines")
    for verse, record in records.items():
        if verse not in used:
            problem(record["where"], "context record that no element uses")


def check_empty_file(path, expected):
    if path.read_bytes() != expected:
        problem(path.name, "unexpected content")


def main():
    res = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent.parent / "res"
    elements = check_info(res / "RctInfo.xml")
    header = (DECL + CRLF + '<passages count="000" formatversion="20031126">' + CRLF).encode()
    check_empty_file(res / "RctStatsSpare.xml", header + b"</passages>\r\n")
    check_empty_file(res / "RctUser.xml", header + b"</passages>")
    if problems:
        print("\n".join(problems))
        print(f"{len(problems)} problems")
        sys.exit(1)
    shared = {}
    for e in elements:
        if e["trans"] == -1:
            shared.setdefault(e["ctxLines"] if e["ctxLines"] in (96, 99) else "plain", []).append(
                f"{e['book']}:{e['chapter']}:{e['verse']}")
    passages = sum(1 for e in elements if e["trans"] >= 0) // 2
    print(f"RctInfo.xml: {len(elements)} elements, {passages} passages in two translations; "
          f"shared contexts: " + ", ".join(f"{k}: {len(v)}" for k, v in sorted(shared.items(), key=str)))
    print("OK")


if __name__ == "__main__":
    main()
