#!/usr/bin/python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Imports a tab-separated card file with Mnemosyne's own importer, without a window, into a
fresh temporary Mnemosyne collection, and checks that it made the expected number of two-sided
cards and reported nothing.

    tools/mnemosyne-import-check.py FILE EXPECTED_CARDS

Needs Debian's mnemosyne package (its Python modules under /usr/lib/python3). Exit status 0 when
the file imports cleanly, 1 otherwise, 2 when Mnemosyne is not installed.
"""
import shutil
import sys
import tempfile

try:
    from mnemosyne.script import Mnemosyne
except ImportError:
    print("mnemosyne is not installed", file=sys.stderr)
    sys.exit(2)


def main():
    path, expected = sys.argv[1], int(sys.argv[2])
    data_dir = tempfile.mkdtemp(prefix="recitor-mnemosyne-")
    try:
        mnemosyne = Mnemosyne(data_dir)
        errors = []
        mnemosyne.main_widget().show_error = errors.append
        mnemosyne.main_widget().show_information = lambda text: None
        tsv = [f for f in mnemosyne.component_manager.all("file_format")
               if type(f).__name__ == "Tsv"][0]
        tsv.do_import(path, "Recitor")
        database = mnemosyne.database()
        cards = [database.card(card_id, is_id_internal=True)
                 for card_id, _fact_id in database.cards()]
        mnemosyne.finalise()
    finally:
        shutil.rmtree(data_dir, ignore_errors=True)
    ok = True
    if errors:
        print("Mnemosyne reported:", *errors, sep="\n", file=sys.stderr)
        ok = False
    if len(cards) != expected:
        print(f"{len(cards)} cards where {expected} were expected", file=sys.stderr)
        ok = False
    for card in cards:
        if card.card_type.id != "1" or set(card.fact.data) != {"f", "b"} \
                or not card.fact.data["f"] or [t.name for t in card.tags] != ["Recitor"]:
            print("not a front-to-back card with the tag:", card.fact.data, file=sys.stderr)
            ok = False
    print(f"{len(cards)} cards imported")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
