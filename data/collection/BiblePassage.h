// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "BibleSource.h"

#include <string>

// A passage and its context taken from an installed Bible, written as the bundled passages are:
// one verse a line, each beginning with its number, lines broken by CR LF.
struct BiblePassage {
    std::string context; // Windows-1252
    std::string passage; // the passage's verse lines, as they stand in the context
};

// Why a chapter or a verse is refused (UTF-8): "John 22 is not in the KJV Bible", "John 3:37 is
// not in the KJV Bible: John 3 has 36 verses".
std::string ChapterNotInBible(int trans, int book, int chapter);
std::string VerseNotInBible(int trans, int book, int chapter, int verse, int lastInChapter);

// Takes verses first..last of a chapter from trans's Bible, with up to before verses ahead of
// them and after verses behind them in the context, never past either end of the chapter. False,
// with the Bible's reason (UTF-8), when the Bible cannot give them.
bool PassageFromBible(IBibleSource& bible, int trans, int book, int chapter, int first, int last,
                      int before, int after, BiblePassage& out, std::string& reason);
