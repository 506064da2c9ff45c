// Changing the loaded collection: add, delete, revise, the navigation position, and the
// preferences the store reads from the settings.

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

// A new John 3:16 passage as the Edit Passage dialog saves it.
std::unique_ptr<CPassage> NewPassage(int trans) {
    auto p = std::make_unique<CPassage>();
    const char suffix = static_cast<char>(trans > 9 ? trans + 55 : trans + 48);
    p->SetAll(54003016, 3, 1, 1, 0, 4, 0, 2, 18, 9, trans, "16 x",
              std::string("54003016") + suffix + "_");
    return p;
}

const std::string kDuplicate =
    "Passage with exact same 'VerseKey' [54003016] already exists \n(Book+ChapNum+1stVerse+Trans)."
    " Recitor allows EditPassage, \nbut not duplicates.";

} // namespace

class StoreOpsTest : public StoreTest {
protected:
    void SetUp() override { LoadJohn(); }
};

TEST_F(StoreOpsTest, AddTakesANewVerseKeyOnceAndRefusesDuplicates) {
    auto added = NewPassage(3);
    CPassage* raw = added.get();
    ASSERT_TRUE(store->AddPassage(added));
    EXPECT_EQ(added, nullptr);
    EXPECT_EQ(store->newIndex, 16); // after John 3:15, before John 3:16 in translation 8
    EXPECT_EQ(&store->Passage(16), raw);
    EXPECT_EQ(store->currentPassage, raw);
    EXPECT_EQ(raw->baseline, 0);
    EXPECT_EQ(raw->freq, 3);
    EXPECT_EQ(store->PassageCount(), 19);
    EXPECT_EQ(store->userCount, 1);
    EXPECT_EQ(store->baselineCount, 18);
    EXPECT_EQ(store->userFileChanged, 1);
    EXPECT_TRUE(sink.shown.empty());

    // The same VerseKey again, and the VerseKey of a baseline passage: both refused, the caller
    // keeps its record and the store is unchanged.
    for (const int trans : {3, 8}) {
        sink.shown.clear();
        auto again = NewPassage(trans);
        EXPECT_FALSE(store->AddPassage(again));
        ASSERT_NE(again, nullptr);
        ExpectOneMessage("Recitor Invalid AddPassage", kDuplicate, MsgIcon::Warning);
        EXPECT_EQ(store->PassageCount(), 19);
        EXPECT_EQ(store->userCount, 1);
    }
}

// A refused passage stays the caller's, who then destroys it: the passage current before stays
// current, and deleting deletes that one without touching the destroyed record.
TEST_F(StoreOpsTest, RefusedAddLeavesTheCurrentPassage) {
    CPassage* const john15 = &store->Passage(15);
    store->currentPassage = john15;
    auto duplicate = NewPassage(8); // John 3:16 in translation 8 is in the store
    EXPECT_FALSE(store->AddPassage(duplicate));
    EXPECT_EQ(store->currentPassage, john15);
    duplicate.reset();

    sink.shown.clear();
    ASSERT_TRUE(store->DeletePassage());
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(store->PassageCount(), 17);
    EXPECT_EQ(store->Find(CPassage("540030158\"").matchKey), -1);
    EXPECT_GE(store->Find(CPassage("540030168\"").matchKey), 0);
    EXPECT_EQ(store->currentPassage, nullptr);

    // Without a current passage a refusal leaves none.
    auto again = NewPassage(8);
    EXPECT_FALSE(store->AddPassage(again));
    EXPECT_EQ(store->currentPassage, nullptr);
}

TEST_F(StoreOpsTest, DeleteKeepsCountsAndExportInStep) {
    // An inactive baseline passage: the export is not affected.
    store->currentPassage = &store->Passage(17);
    ASSERT_TRUE(store->DeletePassage());
    EXPECT_EQ(store->exportNeeded, 0);
    EXPECT_EQ(store->statsCount, 2);
    EXPECT_EQ(store->baselineCount, 17);
    EXPECT_EQ(store->PassageCount(), 17);
    EXPECT_EQ(store->userFileChanged, 1);

    // An active one: the export is due and one statistics line fewer.
    store->currentPassage = &store->Passage(16);
    ASSERT_TRUE(store->DeletePassage());
    EXPECT_EQ(store->exportNeeded, 1);
    EXPECT_EQ(store->statsCount, 1);
    EXPECT_EQ(store->Find(CPassage("540030168\"").matchKey), -1);

    // A user passage lowers the user count; the statistics count never goes below 0.
    auto added = NewPassage(3);
    added->freq = 0;
    ASSERT_TRUE(store->AddPassage(added));
    store->statsCount = 0;
    ASSERT_TRUE(store->DeletePassage()); // AddPassage made it the current passage
    EXPECT_EQ(store->userCount, 0);
    EXPECT_EQ(store->statsCount, 0);
    EXPECT_EQ(store->PassageCount(), 16);
    EXPECT_EQ(store->currentPassage, nullptr);
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(StoreOpsTest, DeletingAPassageNoLongerInTheStoreChangesNothing) {
    CPassage ghost("540030998\"");
    ghost.freq = 0;
    store->currentPassage = &ghost;
    EXPECT_FALSE(store->DeletePassage());
    ExpectOneMessage("Recitor Zombie Verse",
                     "Recitor software error: attempting to delete 'zombie' verse: [54003099]",
                     MsgIcon::Warning);
    EXPECT_EQ(store->PassageCount(), 18);
    EXPECT_EQ(store->exportNeeded, 0);
    EXPECT_EQ(store->userFileChanged, 0);

    sink.shown.clear();
    store->currentPassage = nullptr;
    EXPECT_FALSE(store->DeletePassage());
    ExpectOneMessage("Recitor Zombie Verse",
                     "Recitor software error: attempting to delete 'zombie' verse: [00000000]",
                     MsgIcon::Warning);
}

TEST_F(StoreOpsTest, RevisingABaselinePassageMovesItToTheUserFile) {
    CPassage& p = store->Passage(15);
    const std::int32_t before = p.sortKey;
    store->MarkRevised(p);
    EXPECT_EQ(p.baseline, 0);
    EXPECT_EQ(p.sortKey, before - 1);
    EXPECT_EQ(store->userCount, 1);
    EXPECT_EQ(store->baselineCount, 17);
    EXPECT_EQ(store->userFileChanged, 1);
    store->MarkRevised(p); // a user passage revised again: counts stay
    EXPECT_EQ(store->userCount, 1);
    EXPECT_EQ(store->baselineCount, 17);
}

TEST_F(StoreOpsTest, PositionNeverPassesTheLastPosition) {
    EXPECT_EQ(store->lastPosition, 17);
    store->SetPosition(5);
    EXPECT_EQ(store->GetPosition(), 5);
    store->SetPosition(40);
    EXPECT_EQ(store->CurSelectorIndex, 17);
    store->SetPosition(-1); // compared as unsigned: far above
    EXPECT_EQ(store->CurSelectorIndex, 17);
    store->lastPosition = 10; // the tree now shows fewer passages
    EXPECT_EQ(store->GetPosition(), 10);
    EXPECT_EQ(store->CurSelectorIndex, 10);
    store->CurSelectorIndex = -5;
    EXPECT_EQ(store->GetPosition(), 10);
    store->CurSelectorIndex = 3;
    EXPECT_EQ(store->GetPosition(), 3);
}

TEST_F(StoreTest, PreferencesDefaultsAndCorrections) {
    CPassageStore fresh(sink, settings, clock, dir);
    fresh.ReadPreferences();
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
    EXPECT_EQ(fresh.exportTimestamp, 0u);

    for (const auto& [stored, read] : {std::pair{34, 33}, {-5, 33}, {33, 33}, {0, 0}, {32, 32}}) {
        settings.numbers[{"Params", "TransFilter"}] = stored;
        fresh.ReadPreferences();
        EXPECT_EQ(fresh.TransFilter, read) << stored;
    }

    // A flag is on only when the stored number is exactly 1; choices are taken as stored.
    settings.numbers[{"Params", "PrefConfirmDelete"}] = 2;
    settings.numbers[{"Params", "AddPassageAllowed"}] = 2;
    settings.numbers[{"Params", "PrefFlyoverChoiceAllowed"}] = 1;
    settings.numbers[{"Params", "PrefFontChoice"}] = 7;
    settings.numbers[{"Export\\Params", "PrefConfirmExportPpc"}] = 0;
    settings.numbers[{"Export\\Params", "FileTimestamp"}] = -1;
    fresh.ReadPreferences();
    EXPECT_FALSE(fresh.PrefConfirmDelete);
    EXPECT_FALSE(fresh.AddPassageAllowed);
    EXPECT_TRUE(fresh.PrefFlyoverChoiceAllowed);
    EXPECT_EQ(fresh.PrefFontChoice, 7);
    EXPECT_FALSE(fresh.PrefConfirmExportPpc);
    EXPECT_EQ(fresh.exportTimestamp, 4294967295u);
    EXPECT_TRUE(settings.writes.empty());
}
