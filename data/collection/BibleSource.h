// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <vector>

// The Bibles installed on this computer, as the passages need them: which translations there
// are, how long a chapter is, and the plain words of verses. Books, chapters, verses and
// translations are numbered as the passages number them (book 54 is John, translation 3 KJV).
//
// Safe to use from several threads at once; an implementation may open its library on first use.
class IBibleSource {
public:
    virtual ~IBibleSource() = default;

    // The translations (0..35) whose Bible is installed, in ascending order.
    virtual std::vector<int> Translations() = 0;
    // The last verse of a chapter in trans's Bible: 0 when its versification has no such book or
    // chapter, -1 when trans has no installed Bible.
    virtual int LastVerse(int trans, int book, int chapter) = 0;
    // The texts of verses first..last of a chapter in trans's Bible, plain words in Windows-1252,
    // one a verse (an empty text where the Bible leaves a verse out). False, with the reason in
    // UTF-8 and texts empty, when trans has no installed Bible (the reason says what would
    // install one), or when a verse lies outside the chapter or cannot be converted.
    virtual bool Verses(int trans, int book, int chapter, int first, int last,
                        std::vector<std::string>& texts, std::string& reason) = 0;
};

// The Bibles are read by a library of their own that the program opens when it first needs
// them; the library exports one function of this name and type, which makes a source the caller
// owns.
using BibleSourceFactory = IBibleSource* (*)();
inline constexpr const char* kBibleSourceFactory = "RecitorMakeBibleSource";
