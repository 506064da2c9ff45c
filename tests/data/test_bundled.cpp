// SPDX-License-Identifier: GPL-2.0-or-later
// The collection shipped with the program: it must load cleanly, every marked range must lie in
// its context, and a save must keep it as it was.

#include "RefTables.h"
#include "SpeechText.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string_view>
#include <tuple>

namespace fs = std::filesystem;

class BundledTest : public StoreTest {
protected:
    // Copies the shipped files into the working directory; a missing user file is written empty,
    // as the installer does.
    void Install(bool withStats) {
        const fs::path res = fs::path(RECITOR_SOURCE_DIR) / "res";
        ASSERT_TRUE(fs::exists(res / "RctInfo.xml")) << "the bundled collection is missing";
        fs::copy_file(res / "RctInfo.xml", dir / "RctInfo.xml");
        if (fs::exists(res / "RctUser.xml"))
            fs::copy_file(res / "RctUser.xml", dir / "RctUser.xml");
        else
            Write("RctUser.xml", PassageFile({}));
        ASSERT_TRUE(fs::exists(res / "RctStatsSpare.xml"))
            << "the spare statistics file is missing";
        fs::copy_file(res / "RctStatsSpare.xml", dir / "RctStatsSpare.xml");
        if (withStats)
            Write("RctStats.xml", StatsFile({}));
    }
};

TEST_F(BundledTest, LoadsCleanlyWithEveryRangeInsideItsContext) {
    Install(true);
    ASSERT_EQ(Load(), Status::Ok);
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_GE(store->BaselineCount(), CPassageStore::kMinBaseline);
    for (int i = 0; i < store->PassageCount(); ++i) {
        const CPassage& p = Shape(i);
        const int size = static_cast<int>(p.context.size());
        SCOPED_TRACE(p.PassageReference() + " " + std::string(p.TransName()));
        EXPECT_LE(0, p.psgStart);
        EXPECT_LT(p.psgStart, p.psgEnd);
        EXPECT_LE(p.psgEnd, size);
        EXPECT_LE(p.psgStart, p.hintStart);
        EXPECT_LT(p.hintStart, p.hintEnd);
        EXPECT_LE(p.hintEnd, p.psgEnd);
        EXPECT_GE(p.vCount, 1);
        EXPECT_FALSE(BookName(p.Book()).empty());
        EXPECT_TRUE(p.trans == -1 || TransEditable(p.trans));
    }
}

TEST_F(BundledTest, SpareStandsInForMissingStatistics) {
    Install(false);
    ASSERT_EQ(Load(), Status::Ok);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].caption, "Recitor Corrupt/Missing Stats file 'patched'");
    EXPECT_TRUE(sink.shown[0].text.ends_with("PsgCount: #0"));
}

TEST_F(BundledTest, SaveAndReloadKeepEverything) {
    Install(true);
    ASSERT_EQ(Load(), Status::Ok);
    const int count = store->PassageCount();
    for (int i = 0; i < count; i += 3) {
        Shape(i).freq = i % 3;
        Shape(i).prog = i % 5;
    }
    for (int i = 1; i < count; i += 7)
        ReviseUnchanged(i);
    ASSERT_EQ(store->SaveAll(), Status::Ok);

    CPassageStore reloaded(sink, settings, clock, dir);
    ASSERT_EQ(reloaded.Load(), Status::Ok);
    EXPECT_TRUE(sink.shown.empty());
    ASSERT_EQ(reloaded.PassageCount(), count);
    EXPECT_EQ(reloaded.UserCount(), store->UserCount());
    int score = 0;
    for (int i = 0; i < count; ++i) {
        const CPassage& a = store->Passage(i);
        const CPassage& b = reloaded.Passage(i);
        SCOPED_TRACE(a.PassageReference());
        EXPECT_EQ(a.SortKey(), b.SortKey());
        EXPECT_EQ(a.context, b.context);
        EXPECT_EQ(std::tie(a.vCount, a.ctxLines, a.psgLines, a.psgStart, a.psgEnd, a.hintStart,
                           a.hintEnd, a.primaryTopic, a.secondaryTopic, a.prog, a.freq),
                  std::tie(b.vCount, b.ctxLines, b.psgLines, b.psgStart, b.psgEnd, b.hintStart,
                           b.hintEnd, b.primaryTopic, b.secondaryTopic, b.prog, b.freq));
        // A shared context's references were built from the passage's own text; once revised,
        // the user file holds the whole context, which then measures the references.
        if (a.ctxLines != 98) {
            EXPECT_EQ(a.ContextReference(), b.ContextReference());
        }
        score += a.vCount * a.prog;
    }
    EXPECT_EQ(reloaded.Score(), score);
}

// What is read aloud of each passage and context: no verse number or translation label is left,
// no line is empty, and every line ends where the engine pauses.
TEST_F(BundledTest, SpeechTextLeavesOutVerseNumbersAndPausesAtEveryLine) {
    Install(true);
    ASSERT_EQ(Load(), Status::Ok);
    const auto isNumber = [](std::string_view word) {
        return !word.empty() && word.find_first_not_of("0123456789") == std::string_view::npos;
    };
    std::string kjvJohn, contextRecord, webRomans;
    for (int i = 0; i < store->PassageCount(); ++i) {
        const CPassage& p = store->Passage(i);
        SCOPED_TRACE(p.PassageReference() + " " + std::string(p.TransName()));
        for (const std::string& spoken : {SpeechText(p.context), SpeechText(p.PassageText())}) {
            ASSERT_FALSE(spoken.empty());
            std::string_view rest = spoken;
            while (!rest.empty()) {
                const std::string_view line = rest.substr(0, rest.find('\n'));
                rest.remove_prefix(line.size() + 1);
                ASSERT_FALSE(line.empty());
                EXPECT_NE(std::string_view(".,;:!?\x94\x92\")").find(line.back()),
                          std::string_view::npos)
                    << line;
                for (std::string_view words = line; !words.empty();) {
                    const std::string_view word = words.substr(0, words.find(' '));
                    words.remove_prefix(std::min(word.size() + 1, words.size()));
                    EXPECT_FALSE(isNumber(word)) << line;
                    EXPECT_NE(word, "WEB") << line;
                }
            }
        }
        if (p.Reference() == "John 3:16" && p.TransName() == "KJV")
            kjvJohn = SpeechText(p.PassageText());
        if (p.Reference() == "Genesis 1:1" && p.trans == -1)
            contextRecord = SpeechText(p.context);
        if (p.Reference() == "Romans 8:38" && p.TransName() == "WEB")
            webRomans = SpeechText(p.context);
    }
    EXPECT_EQ(kjvJohn, "For God so loved the world, that he gave his only begotten Son, that "
                       "whosoever believeth in him should not perish, but have everlasting "
                       "life.\n");
    EXPECT_TRUE(contextRecord.starts_with(
        "In the beginning, God created the heavens and the earth.\nThe earth was formless"))
        << contextRecord;
    EXPECT_NE(webRomans.find("God\x92s love which is in Christ Jesus our Lord.\nI tell the truth "
                             "in Christ. I am not lying, my conscience testifying with me in the "
                             "Holy Spirit,\nthat I have great sorrow"),
              std::string::npos)
        << webRomans;
}
