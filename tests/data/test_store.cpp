// SPDX-License-Identifier: GPL-2.0-or-later
// Changing the loaded collection: classify, add, remove and revise with the score, the counts and
// the export kept right, the export list, and the preferences the store reads from the settings.

#include "Preferences.h"
#include "RefTables.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

const std::string kDuplicate =
    "Passage with exact same 'VerseKey' [54003016] already exists \n(Book+ChapNum+1stVerse+Trans)."
    " Recitor allows EditPassage, \nbut not duplicates.";

} // namespace

class StoreOpsTest : public StoreTest {
protected:
    void SetUp() override { LoadJohn(); }
    // The export written, so that what makes it due again shows.
    void MakeExportDueFalse() const { ASSERT_TRUE(store->WriteExport()); }
};

struct CountingListener : IStoreListener {
    void PassagesChanged() override { ++changes; }
    int changes = 0;
};

TEST_F(StoreOpsTest, AddTakesANewVerseKeyOnceAndRefusesDuplicates) {
    CountingListener listener;
    store->SetListener(&listener);
    auto added = NewJohn16(3);
    added->freq = 1;
    added->prog = 2;
    CPassage* raw = added.get();
    EXPECT_EQ(store->Add(added), 16); // after John 3:15, before John 3:16 in translation 8
    EXPECT_EQ(added, nullptr);
    EXPECT_EQ(&store->Passage(16), raw);
    EXPECT_EQ(raw->baseline, 0);
    EXPECT_EQ(store->PassageCount(), 19);
    EXPECT_EQ(store->UserCount(), 1);
    EXPECT_EQ(store->BaselineCount(), 18);
    EXPECT_EQ(store->StatsCount(), 3);
    EXPECT_EQ(store->Score(), 2 + 3 * 2 + 2);
    EXPECT_TRUE(store->ExportDue());
    EXPECT_TRUE(store->UserFileChanged());
    EXPECT_EQ(listener.changes, 1);
    EXPECT_TRUE(sink.shown.empty());

    // The same VerseKey again, and the VerseKey of a baseline passage: both refused, the caller
    // keeps its record and the store is unchanged.
    for (const int trans : {3, 8}) {
        sink.shown.clear();
        auto again = NewJohn16(trans);
        EXPECT_EQ(store->Add(again), -1);
        ASSERT_NE(again, nullptr);
        ExpectOneMessage("Recitor Invalid AddPassage", kDuplicate, MsgIcon::Warning);
        EXPECT_EQ(store->PassageCount(), 19);
        EXPECT_EQ(store->UserCount(), 1);
        EXPECT_EQ(store->StatsCount(), 3);
    }
    EXPECT_EQ(listener.changes, 1);
    store->SetListener(nullptr);
}

// A refused passage stays the caller's, who may destroy it at once: the store holds nothing of it.
TEST_F(StoreOpsTest, RefusedAddLeavesNothingBehind) {
    auto duplicate = NewJohn16(8); // John 3:16 in translation 8 is in the store
    EXPECT_EQ(store->Add(duplicate), -1);
    duplicate.reset();
    sink.shown.clear();
    ASSERT_TRUE(store->Remove(15));
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(store->PassageCount(), 17);
    EXPECT_EQ(store->Find(CPassage("540030158\"").MatchKey()), -1);
    EXPECT_EQ(store->Find(CPassage("540030168\"").MatchKey()), 15);
}

TEST_F(StoreOpsTest, RemoveKeepsScoreCountsAndExportInStep) {
    CountingListener listener;
    store->SetListener(&listener);
    // An inactive baseline passage: the export is not affected.
    ASSERT_TRUE(store->Remove(17));
    EXPECT_FALSE(store->ExportDue());
    EXPECT_EQ(store->StatsCount(), 2);
    EXPECT_EQ(store->BaselineCount(), 17);
    EXPECT_EQ(store->PassageCount(), 17);
    EXPECT_TRUE(store->UserFileChanged());
    EXPECT_EQ(listener.changes, 1);

    // An active one: the export is due, one statistics line fewer, and the score loses its
    // verses times its progress (John 3:16: three verses, Fair).
    ASSERT_TRUE(store->Remove(16));
    EXPECT_TRUE(store->ExportDue());
    EXPECT_EQ(store->StatsCount(), 1);
    EXPECT_EQ(store->Score(), 2 * 1);
    EXPECT_EQ(store->Find(CPassage("540030168\"").MatchKey()), -1);

    // A user passage lowers the user count.
    auto added = NewJohn16(3);
    const int index = store->Add(added);
    ASSERT_TRUE(store->Remove(index));
    EXPECT_EQ(store->UserCount(), 0);
    EXPECT_EQ(store->PassageCount(), 16);
    EXPECT_EQ(listener.changes, 4);
    EXPECT_TRUE(sink.shown.empty());
    store->SetListener(nullptr);
}

TEST_F(StoreOpsTest, RemovingAPassageNotInTheStoreChangesNothing) {
    for (const int index : {-1, 18}) {
        sink.shown.clear();
        EXPECT_FALSE(store->Remove(index));
        ExpectOneMessage("Recitor Zombie Verse",
                         "Recitor software error: attempting to delete 'zombie' verse: [00000000]",
                         MsgIcon::Warning);
    }
    EXPECT_EQ(store->PassageCount(), 18);
    EXPECT_FALSE(store->ExportDue());
    EXPECT_FALSE(store->UserFileChanged());
}

TEST_F(StoreOpsTest, RevisingABaselinePassageMovesItToTheUserFile) {
    const std::int32_t before = store->Passage(15).SortKey();
    EXPECT_EQ(ReviseUnchanged(15), 15);
    EXPECT_EQ(store->Passage(15).baseline, 0);
    EXPECT_EQ(store->Passage(15).SortKey(), before - 1);
    EXPECT_EQ(store->UserCount(), 1);
    EXPECT_EQ(store->BaselineCount(), 17);
    EXPECT_TRUE(store->UserFileChanged());
    EXPECT_TRUE(store->ExportDue());    // John 3:15 is active: the handheld has the old text
    EXPECT_EQ(ReviseUnchanged(15), 15); // a user passage revised again: counts stay
    EXPECT_EQ(store->UserCount(), 1);
    EXPECT_EQ(store->BaselineCount(), 17);
}

// A revision may move the passage in the order or change its verses; its statistics stay, the
// score follows the verses, and a VerseKey that another passage has is refused.
TEST_F(StoreOpsTest, RevisionMovesThePassageAndKeepsItsStatistics) {
    CountingListener listener;
    store->SetListener(&listener);
    CPassage::Values values{.key = 54003018,
                            .ctxLines = 1,
                            .psgLines = 1,
                            .vCount = 4,
                            .psgStart = 0,
                            .psgEnd = 4,
                            .hintStart = 0,
                            .hintEnd = 2,
                            .primaryTopic = 5,
                            .secondaryTopic = 6,
                            .trans = 8,
                            .context = "18 y",
                            .keyText = "540030188_"};
    EXPECT_EQ(store->Revise(15, values), 17); // John 3:15 becomes 3:18, after 3:16 and 3:17
    const CPassage& moved = store->Passage(17);
    EXPECT_EQ(moved.key, 54003018u);
    EXPECT_EQ(moved.Reference(), "John 3:18");
    EXPECT_EQ(std::pair(moved.freq, moved.prog), std::pair(1, 1));
    EXPECT_EQ(store->Score(), 4 * 1 + 3 * 2);
    EXPECT_EQ(store->Find(CPassage("540030158\"").MatchKey()), -1);
    EXPECT_EQ(listener.changes, 1);

    values.key = 54003016;
    values.keyText = "540030168_";
    EXPECT_EQ(store->Revise(17, values), -1);
    ExpectOneMessage("Recitor Invalid AddPassage", kDuplicate, MsgIcon::Warning);
    EXPECT_EQ(store->Passage(17).key, 54003018u);
    EXPECT_EQ(listener.changes, 1);
    store->SetListener(nullptr);
}

// Classifying keeps the statistics count, the export and the score right: an inactive passage is
// always "Not Started".
TEST_F(StoreOpsTest, FrequencyAndProgressKeepTheCountsAndTheScore) {
    store->SetFrequency(17, 2); // John 3:17 joins the active classes
    EXPECT_EQ(store->StatsCount(), 3);
    EXPECT_TRUE(store->ExportDue());
    EXPECT_EQ(store->SetProgress(17, 4), 4);
    EXPECT_EQ(store->Score(), 2 * 1 + 3 * 2 + 4);

    // Among the active classes nothing but the class changes.
    MakeExportDueFalse();
    store->SetFrequency(17, 0);
    EXPECT_FALSE(store->ExportDue());
    EXPECT_EQ(store->StatsCount(), 3);
    EXPECT_EQ(store->Passage(17).prog, 4);

    // Made inactive it loses its progress and what that gave the score.
    store->SetFrequency(16, 3);
    EXPECT_EQ(store->StatsCount(), 2);
    EXPECT_TRUE(store->ExportDue());
    EXPECT_EQ(store->Passage(16).prog, 0);
    EXPECT_EQ(store->Score(), 2 * 1 + 4);
    EXPECT_EQ(store->SetProgress(16, 3), 0);
    EXPECT_EQ(store->Score(), 2 * 1 + 4);
}

// The handheld gets the active passages class by class, each class in store order; context
// records only in the maintainers' mode.
TEST_F(StoreOpsTest, ExportListFollowsTheClassesInStoreOrder) {
    store->SetFrequency(17, 0);
    store->SetFrequency(3, 1);
    EXPECT_EQ(store->ExportList(), (std::vector<int>{16, 17, 3, 15}));
    Shape(3).trans = -1; // a context record
    EXPECT_EQ(store->ExportList(), (std::vector<int>{16, 17, 15}));
    store->SetListContextRecords(true);
    EXPECT_EQ(store->ExportList(), (std::vector<int>{16, 17, 3, 15}));
}

TEST(PreferencesTest, DefaultsAndCorrections) {
    CMemorySettings settings;
    CPreferences fresh;
    fresh.Read(settings);
    EXPECT_EQ(fresh.TransFilter, 33);
    EXPECT_FALSE(fresh.PrefFlyoverChoiceAllowed);
    EXPECT_EQ(fresh.PrefFlyoverChoice, 0);
    EXPECT_FALSE(fresh.PrefConfirmChoiceAllowed);
    EXPECT_TRUE(fresh.PrefConfirmDelete);
    EXPECT_TRUE(fresh.PrefConfirmEdit);
    EXPECT_TRUE(fresh.PrefConfirmExportPpc);
    EXPECT_FALSE(fresh.PrefFontChoiceAllowed);
    EXPECT_EQ(fresh.PrefFontChoice, 0);
    EXPECT_EQ(fresh.topicNumber, 0);
    EXPECT_TRUE(fresh.AddPassageAllowed);
    EXPECT_TRUE(fresh.EditPassageAllowed);
    EXPECT_FALSE(fresh.PpcSyncInitialized);

    for (const auto& [stored, read] : {std::pair{34, 33}, {-5, 33}, {33, 33}, {0, 0}, {32, 32}}) {
        settings.numbers[{"Params", "TransFilter"}] = stored;
        fresh.Read(settings);
        EXPECT_EQ(fresh.TransFilter, read) << stored;
    }

    // A flag is on only when the stored number is exactly 1; choices are taken as stored.
    settings.numbers[{"Params", "PrefConfirmDelete"}] = 2;
    settings.numbers[{"Params", "AddPassageAllowed"}] = 2;
    settings.numbers[{"Params", "PrefFlyoverChoiceAllowed"}] = 1;
    settings.numbers[{"Params", "PrefFontChoice"}] = 7;
    settings.numbers[{"Export\\Params", "PrefConfirmExportPpc"}] = 0;
    fresh.Read(settings);
    EXPECT_FALSE(fresh.PrefConfirmDelete);
    EXPECT_FALSE(fresh.AddPassageAllowed);
    EXPECT_TRUE(fresh.PrefFlyoverChoiceAllowed);
    EXPECT_EQ(fresh.PrefFontChoice, 7);
    EXPECT_FALSE(fresh.PrefConfirmExportPpc);
    EXPECT_TRUE(settings.writes.empty());
}

// The import's translation for lines without one: the one last chosen, kept in the settings,
// else the filter's where it names a translation a passage can have, else KJV.
TEST(PreferencesTest, ImportTranslationIsTheLastChosenElseTheFiltersElseKjv) {
    CMemorySettings settings;
    CPreferences prefs;
    prefs.Read(settings);
    EXPECT_EQ(prefs.ImportTranslation(), TransFromAbbrev("KJV"));
    prefs.TransFilter = TransFromAbbrev("NIV");
    EXPECT_EQ(prefs.ImportTranslation(), TransFromAbbrev("NIV"));
    prefs.ImportTrans = TransFromAbbrev("ASV");
    prefs.WriteImportTrans(settings);
    CPreferences next;
    next.Read(settings);
    EXPECT_EQ(next.ImportTranslation(), TransFromAbbrev("ASV"));
    settings.numbers[{"Params", "ImportTrans"}] = 34; // no translation a passage can have
    next.Read(settings);
    EXPECT_EQ(next.ImportTranslation(), TransFromAbbrev("KJV"));
}
