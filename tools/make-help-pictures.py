#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Makes the pictures of the help pages from the program itself: the main window, the Add
Passage window with a passage typed in, Check Recitation with a checked recitation and Print
Cards, each taken from a real run on the bundled passages on a private X server, so that they can
be made again whenever a window changes.

Usage: tools/make-help-pictures.py --program build/release/app/Recitor
       [--output res/help/images]
"""

import argparse
import os
import re
import subprocess
import sys

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(SOURCE, "tests", "e2e"))

import recitor_e2e as e2e  # noqa: E402  (the scenarios' driver of the real program)


def take(s, window, path):
    """The window alone, as the user sees it."""
    subprocess.run(["import", "-window", window, path], env=s.environment(), check=True,
                   timeout=e2e.WAIT, capture_output=True)
    print(f"wrote {path}")


def pictures(s, output):
    program = s.start()
    window = s.wait_window(e2e.MAIN_TITLE)
    take(s, window, os.path.join(output, "main-window.png"))

    context = ("15 So that whoever has faith in him may have eternal life.\r\n"
               "16 For God had such love for the world that he gave his only Son, so that "
               "whoever has faith in him may not come to destruction but have eternal life.\r\n"
               "17 God did not send his Son into the world to be judge of the world; he sent him "
               "so that the world might have salvation through him.")
    passage = ("For God had such love for the world that he gave his only Son, so that whoever "
               "has faith in him may not come to destruction but have eternal life.\r\n"
               "17 God did not send his Son into the world to be judge of the world; he sent him "
               "so that the world might have salvation through him.")
    dialog = e2e.add_typed_passage(s, window, (e2e.JOHN, 3, 16, 17, e2e.BBE),
                                   (context, passage, "For God had"))
    take(s, dialog, os.path.join(output, "edit-passage.png"))
    s.key(dialog, "Escape")
    question = s.wait_any_window("^Recitor$", pid=program.pid)
    s.key(question, "y")
    e2e.poll("the dialog to close", lambda: not s.windows("^Add Passage$"))

    reference = s.title(window)[len("Recitor  Score: 0  "):].split("  ")[0]
    s.key(window, "ctrl+1")
    s.key(window, "ctrl+r")
    recitation = s.wait_any_window(f"^Check Recitation - {re.escape(reference)} ",
                                   pid=program.pid)
    s.xdotool("windowfocus", "--sync", recitation)
    s.xdotool("type", "--delay", "5", "In the beginning God made the heavens and earth")
    s.key(recitation, "ctrl+Return")
    take(s, recitation, os.path.join(output, "check-recitation.png"))
    s.key(recitation, "Escape")
    e2e.poll("Check Recitation to close", lambda: not s.windows("^Check Recitation"))

    s.key(window, "ctrl+shift+p")
    cards = s.wait_any_window("^Print Cards$", pid=program.pid)
    take(s, cards, os.path.join(output, "print-cards.png"))
    s.key(cards, "Escape")
    e2e.poll("Print Cards to close", lambda: not s.windows("^Print Cards$"))
    s.key(window, "Escape")
    e2e.check(s.wait_exit(program) == 0, f"exit status {program.returncode}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--output", default=os.path.join(SOURCE, "res", "help", "images"))
    args = parser.parse_args()
    args.program = os.path.abspath(args.program)
    args.source = SOURCE
    os.makedirs(args.output, exist_ok=True)
    xserver = e2e.XServer()
    s = e2e.Scenario(args, xserver, "pictures")
    try:
        pictures(s, os.path.abspath(args.output))
    finally:
        s.cleanup(keep=False)
        xserver.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
