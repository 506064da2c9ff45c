#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Checks the shape of the source tree, which the compiler alone does not hold:

- every source file carries the licence line near its top;
- includes run one way between the layers (app -> mainwnd -> commands -> dialogs -> common ->
  data) and, inside data/, between its folders (study, exchange, print and bible -> collection ->
  format), so a lower part never reaches up into a higher one;
- data/ includes no Qt header.

Usage: tools/check-sources.py [source root]; prints each fault and exits 1 when there is one.
"""

import os
import re
import sys

LICENCE = "SPDX-License-Identifier: GPL-2.0-or-later"
# The folders of the program, lowest first; a file may include files of its own folder and of
# lower ones only, never of a folder of the same rank. The data folders come first, then the
# layers above them.
LAYERS = [
    ("data/format", 0),
    ("data/collection", 1),
    ("data/exchange", 2),
    ("data/print", 2),
    ("data/study", 2),
    ("data/bible", 2),
    ("data", 3),
    ("common", 4),
    ("dialogs", 5),
    ("commands", 6),
    ("mainwnd", 7),
    ("app", 8),
]
SOURCE_DIRS = ["data", "common", "dialogs", "commands", "mainwnd", "app", "tests", "bench",
               "fuzz", "tools"]
SOURCE_SUFFIXES = (".cpp", ".h", ".py", ".sh", ".in")
SOURCE_NAMES = ("CMakeLists.txt",)
SCRIPTS = [".ci/run", "app/setup/recitor"]  # programs without a suffix
SKIPPED_DIRS = {"corpus", "__pycache__"}
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^">]+)[">]', re.MULTILINE)


def layer_of(path):
    """The rank of the folder that holds path (relative to the root), or None outside them."""
    best = None
    for folder, rank in LAYERS:
        if path.startswith(folder + "/") and (best is None or len(folder) > len(best[0])):
            best = (folder, rank)
    return best


def source_files(root):
    yield from SCRIPTS
    for top in SOURCE_DIRS + ["."]:
        base = os.path.join(root, top)
        if top == ".":
            names = [n for n in os.listdir(root) if os.path.isfile(os.path.join(root, n))]
            yield from (n for n in names if n.endswith(SOURCE_SUFFIXES) or n in SOURCE_NAMES)
            continue
        for directory, dirs, files in os.walk(base):
            dirs[:] = [d for d in dirs if d not in SKIPPED_DIRS]
            for name in files:
                if name.endswith(SOURCE_SUFFIXES) or name in SOURCE_NAMES:
                    yield os.path.relpath(os.path.join(directory, name), root)


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                           os.path.join(os.path.dirname(__file__), ".."))
    files = sorted(source_files(root))
    # Headers are included by their name alone; each name belongs to one folder.
    homes = {}
    for path in files:
        if path.endswith(".h") and layer_of(path):
            homes.setdefault(os.path.basename(path), path)
    faults = []
    for path in files:
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            text = f.read()
        if LICENCE not in "\n".join(text.splitlines()[:3]):
            faults.append(f"{path}: no licence line in its first lines")
        own = layer_of(path)
        if not own or not path.endswith((".cpp", ".h")):
            continue
        for included in INCLUDE.findall(text):
            if own[0].startswith("data") and re.match(r"Q[A-Z]|Qt", included):
                faults.append(f"{path}: the data layer includes the Qt header {included}")
            home = homes.get(os.path.basename(included))
            if home is None:
                continue
            theirs = layer_of(home)
            if theirs[0] != own[0] and theirs[1] >= own[1]:
                faults.append(f"{path}: includes {home}, which lies above it")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
