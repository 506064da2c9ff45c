// SPDX-License-Identifier: GPL-2.0-or-later
// The collection shipped with the program: it must load cleanly, every marked range must lie in
// its context, and a save must keep it as it was.

#include "RefTables.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

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
