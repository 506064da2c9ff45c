// SPDX-License-Identifier: GPL-2.0-or-later
// The installed Bibles through the SWORD library: the real KJV and WEB modules of Debian's
// sword-text-kjv and sword-text-web packages.
#include "BiblePassage.h"
#include "RefTables.h"
#include "SwordBible.h"
#include "TestSupport.h"
#include "TextEncoding.h"
#include "VerseText.h"

#include <gtest/gtest.h>
#include <localemgr.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

constexpr int kKjv = 3;
constexpr int kWeb = 32;
constexpr int kJohn = 54;

std::string Utf8(const std::string& win1252) {
    std::string out;
    AppendUtf8FromWin1252(out, win1252);
    return out;
}

std::string Verse(CSwordBible& bible, int trans, int book, int chapter, int verse) {
    std::vector<std::string> texts;
    std::string reason;
    EXPECT_TRUE(bible.Verses(trans, book, chapter, verse, verse, texts, reason)) << reason;
    return texts.empty() ? std::string() : Utf8(texts.front());
}

TEST(SwordBible, FindsTheDebianModulesAndReadsPlainWords) {
    CSwordBible bible;
    const std::vector<int> translations = bible.Translations();
    EXPECT_NE(std::find(translations.begin(), translations.end(), kKjv), translations.end());
    EXPECT_NE(std::find(translations.begin(), translations.end(), kWeb), translations.end());
    // Strong's numbers, the paragraph mark and the WEB's footnote are gone.
    EXPECT_EQ(Verse(bible, kKjv, kJohn, 3, 16),
              "For God so loved the world, that he gave his only begotten Son, that whosoever "
              "believeth in him should not perish, but have everlasting life.");
    EXPECT_EQ(Verse(bible, kWeb, kJohn, 3, 16),
              "For God so loved the world, that he gave his only born Son, that whoever believes "
              "in him should not perish, but have eternal life.");
}

// Reading the library's locales would make the first passage of a run take half a second.
TEST(SwordBible, OpensWithoutReadingTheLibrarysLocales) {
    CSwordBible bible;
    Verse(bible, kKjv, kJohn, 3, 16);
    EXPECT_EQ(sword::LocaleMgr::getSystemLocaleMgr()->getAvailableLocales().size(), 1u);
}

TEST(SwordBible, KnowsTheChaptersOfItsVersification) {
    CSwordBible bible;
    EXPECT_EQ(bible.LastVerse(kKjv, kJohn, 3), 36);
    EXPECT_EQ(bible.LastVerse(kKjv, kJohn, 22), 0);
    EXPECT_EQ(bible.LastVerse(kKjv, 40, 1), 0);  // not a book of the Bible
    EXPECT_EQ(bible.LastVerse(0, kJohn, 3), -1); // ASV: not installed
    std::vector<std::string> texts;
    std::string reason;
    EXPECT_TRUE(bible.Verses(kKjv, kJohn, 3, 35, 36, texts, reason));
    EXPECT_EQ(texts.size(), 2u);
    EXPECT_FALSE(bible.Verses(kKjv, kJohn, 3, 36, 37, texts, reason));
    EXPECT_EQ(reason, "John 3:37 is not in the KJV Bible: John 3 has 36 verses");
    EXPECT_TRUE(texts.empty());
    EXPECT_FALSE(bible.Verses(kWeb, kJohn, 22, 1, 1, texts, reason));
    EXPECT_EQ(reason, "John 22 is not in the WEB Bible");
    EXPECT_FALSE(bible.Verses(0, kJohn, 3, 16, 16, texts, reason));
    EXPECT_EQ(reason, "No ASV Bible is installed on this computer. A Bible module named ASV "
                      "installed with BibleTime or Xiphos provides it.");
}

// The verses the bundled collection was made from, as the maintainers' extraction wrote them:
// every chapter length and every verse must come out of the library alike.
TEST(SwordBible, GivesTheBundledCollectionsVerses) {
    std::ifstream file(std::filesystem::path(RECITOR_SOURCE_DIR) / "tools/mkinfo/verses.txt");
    ASSERT_TRUE(file) << "tools/mkinfo/verses.txt is missing";
    CSwordBible bible;
    std::string line;
    int verses = 0;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        std::string kind, abbrev;
        int book = 0, chapter = 0, number = 0;
        fields >> kind >> abbrev >> book >> chapter >> number;
        const int trans = TransFromAbbrev(abbrev);
        if (kind == "C") {
            EXPECT_EQ(bible.LastVerse(trans, book, chapter), number) << line;
            continue;
        }
        std::string text;
        std::getline(fields >> std::ws, text);
        EXPECT_EQ(Verse(bible, trans, book, chapter, number), text) << line;
        ++verses;
    }
    EXPECT_GT(verses, 3000);
}

TEST(VerseText, DropsMarkupAndBringsTheTextIntoWindows1252) {
    std::string out;
    char32_t bad = 0;
    EXPECT_TRUE(PlainVerseText("<title>A Psalm</title>\xC2\xB6 <w lemma=\"strong:H1\">Praise"
                               "</w> <note n=\"a\">see <reference>Ps 1</reference></note>ye "
                               "\\nd* the <hi>L</hi> ,\xE2\x80\x9C me\xE2\x80\x93\xE2\x80\x90"
                               "you &amp; \xE2\x80\x8B<note n=\"b\"/>all\n.",
                               out, bad));
    EXPECT_EQ(out, "Praise ye the L,\x93me\x96-you & all.");
    EXPECT_FALSE(PlainVerseText("\xCE\xBC", out, bad));
    EXPECT_EQ(bad, U'\u03bc');
}

TEST(PassageFromBible, TakesTheVersesAroundWithinTheChapter) {
    CFakeBible bible;
    BiblePassage out;
    std::string reason;
    ASSERT_TRUE(PassageFromBible(bible, kKjv, kJohn, 3, 2, 3, 2, 2, out, reason));
    EXPECT_EQ(out.context, "1 v1\r\n2 v2\r\n3 v3\r\n4 v4\r\n5 v5");
    EXPECT_EQ(out.passage, "2 v2\r\n3 v3");
    ASSERT_TRUE(PassageFromBible(bible, kKjv, kJohn, 3, 9, 10, 1, 3, out, reason));
    EXPECT_EQ(out.context, "8 v8\r\n9 v9\r\n10 v10");
    EXPECT_FALSE(PassageFromBible(bible, kKjv, kJohn, 3, 10, 11, 2, 2, out, reason));
    EXPECT_EQ(reason, "past the end");
}

} // namespace
