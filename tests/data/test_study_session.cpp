// SPDX-License-Identifier: GPL-2.0-or-later
// The study session: navigation at the ends of the listing, classification moving the passage
// shown, and the passage shown found again after the collection changes.

#include "RefTables.h"
#include "StudySession.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

// JohnBase's listing: John 3:16 (daily), John 3:15 (weekly), then the inactive filler and
// John 3:17.
constexpr int kJohn15 = 15;
constexpr int kJohn16 = 16;
constexpr int kJohn17 = 17;
constexpr int kLast = 17;
constexpr int kAsv = 0; // a translation without passages

class StudySessionTest : public StoreTest {
protected:
    void SetUp() override {
        LoadJohn();
        session = std::make_unique<CStudySession>(*store, 0);
        session->Relist(kTransAll);
    }
    void TearDown() override { session.reset(); }
    // Shows the passage at index as a choice in the tree does.
    void Show(int index) {
        session->ShowPassage(index);
        ASSERT_TRUE(session->ShowPosition());
        ASSERT_EQ(session->CurrentIndex(), index);
    }
    std::unique_ptr<CStudySession> session;
};

TEST_F(StudySessionTest, NavigationStopsAtBothEnds) {
    ASSERT_EQ(session->LastPosition(), kLast);
    EXPECT_EQ(session->PassageAt(0), kJohn16);
    EXPECT_EQ(session->PassageAt(1), kJohn15);
    EXPECT_TRUE(session->AtFirst());
    EXPECT_FALSE(session->Previous());
    EXPECT_EQ(session->Position(), 0);
    EXPECT_TRUE(session->Next());
    EXPECT_EQ(session->Position(), 1);

    session->Last();
    EXPECT_TRUE(session->AtLast());
    EXPECT_FALSE(session->Next());
    EXPECT_EQ(session->Position(), kLast);
    EXPECT_TRUE(session->ShowPosition());
    EXPECT_EQ(session->CurrentIndex(), kJohn17);
    EXPECT_TRUE(session->Previous());
    EXPECT_EQ(session->Position(), kLast - 1);

    // A position saved with a larger collection is cut to the last one.
    CStudySession later(*store, 500);
    later.Relist(kTransAll);
    EXPECT_EQ(later.Position(), kLast);
}

TEST_F(StudySessionTest, NavigationInAnEmptyListingShowsNothing) {
    store->SetFrequency(kJohn16, kFreqInactive);
    store->SetFrequency(kJohn15, kFreqInactive);
    session->Relist(kAsv);
    EXPECT_EQ(session->PositionCount(), 0);
    session->Last();
    EXPECT_EQ(session->Position(), -1);
    EXPECT_FALSE(session->Previous());
    EXPECT_FALSE(session->Next());
    EXPECT_FALSE(session->ShowPosition());
    EXPECT_EQ(session->Current(), nullptr);
    EXPECT_FALSE(session->SetFrequency(0));
}

TEST_F(StudySessionTest, NewFrequencyMovesThePassageAndGoesToTheFirst) {
    Show(kJohn17);
    ASSERT_TRUE(session->SetFrequency(0));
    EXPECT_EQ(store->Passage(kJohn17).freq, 0);
    EXPECT_EQ(session->Position(), 0);
    EXPECT_EQ(session->PositionOf(kJohn17), 1); // daily, after John 3:16 in store order
    EXPECT_EQ(session->SetProgress(3), 3);
    EXPECT_EQ(store->Passage(kJohn17).prog, 3);
}

class CChangeList : public IChangeRecorder {
public:
    bool RecordChange(const StateChange& change) override {
        changes.push_back(change);
        return true;
    }
    std::vector<StateChange> changes;
};

// Each change of class or progress reaches the recorder with the value before and after; a choice
// that changes nothing, and a session without a recorder, record nothing.
TEST_F(StudySessionTest, ClassificationIsRecordedThroughTheRecorder) {
    Show(kJohn15);
    ASSERT_TRUE(session->SetFrequency(1)); // unrecorded: no recorder yet
    CChangeList recorder;
    session->SetRecorder(&recorder, &clock);
    Show(kJohn15);
    const int start = store->Passage(kJohn15).prog == 2 ? 1 : store->Passage(kJohn15).prog;
    session->SetProgress(start);
    recorder.changes.clear();
    session->SetProgress(2);
    session->SetProgress(2);
    ASSERT_TRUE(session->SetFrequency(kFreqInactive));
    const std::uint32_t key = store->Passage(kJohn15).MatchKey();
    const std::vector<std::tuple<ChangeWhat, int, int>> expected{
        {ChangeWhat::Progress, start, 2},
        {ChangeWhat::Frequency, 1, kFreqInactive},
        {ChangeWhat::Progress, 2, 0}};
    ASSERT_EQ(recorder.changes.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const StateChange& change = recorder.changes[i];
        EXPECT_EQ(std::tuple(change.what, change.oldValue, change.newValue), expected[i]) << i;
        EXPECT_EQ(change.matchKey, key);
        EXPECT_EQ(change.when, clock.seconds);
    }
    session->SetRecorder(nullptr, nullptr);
    ASSERT_TRUE(session->SetFrequency(0));
    EXPECT_EQ(recorder.changes.size(), expected.size());
}

// A passage classified from the review session is not the one shown: that one stays shown, at its
// new position, and the change is recorded for the passage classified.
TEST_F(StudySessionTest, AnotherPassageIsClassifiedWithTheShownOneKept) {
    CChangeList recorder;
    session->SetRecorder(&recorder, &clock);
    Show(kJohn15); // Less Frequent, position 1
    ASSERT_TRUE(session->SetFrequencyOf(kJohn16, 2));
    EXPECT_EQ(store->Passage(kJohn16).freq, 2);
    EXPECT_EQ(session->CurrentIndex(), kJohn15);
    EXPECT_EQ(session->Position(), 0); // John 3:16 moved behind it
    EXPECT_EQ(session->PositionOf(kJohn16), 1);
    ASSERT_EQ(recorder.changes.size(), std::size_t{1});
    EXPECT_EQ(recorder.changes[0].matchKey, store->Passage(kJohn16).MatchKey());
    EXPECT_EQ(recorder.changes[0].newValue, 2);
    EXPECT_FALSE(session->SetFrequencyOf(-1, 0));
}

// Changes from elsewhere (an import, say) move indices; the shown passage is found by its key.
TEST_F(StudySessionTest, ShownPassageIsFoundAgainAfterOtherChanges) {
    Show(kJohn17);
    auto added = NewJohn16(3); // sorts before John 3:17
    ASSERT_GE(store->Add(added), 0);
    EXPECT_EQ(session->CurrentIndex(), kJohn17 + 1);
    EXPECT_EQ(session->Position(), session->PositionOf(kJohn17 + 1));
    EXPECT_EQ(session->LastPosition(), kLast + 1);

    ASSERT_TRUE(store->Remove(0));
    EXPECT_EQ(session->CurrentIndex(), kJohn17);
    EXPECT_EQ(session->Current()->MatchKey(), CPassage("540030178\"").MatchKey());
}

// The session's own verbs show the passage they meant.
TEST_F(StudySessionTest, OwnVerbsShowThePassageTheyChanged) {
    Show(kJohn15);
    auto added = NewJohn16(3);
    const int index = session->Add(added);
    ASSERT_GE(index, 0);
    EXPECT_EQ(session->CurrentIndex(), index);
    EXPECT_EQ(session->Position(), session->PositionOf(index));

    // A revision to a new VerseKey moves the passage in the order; the position follows it.
    CPassage::Values values = store->Passage(index).GetValues();
    values.key = 54003018;
    values.keyText = "540030183_";
    const int revised = session->Revise(values);
    ASSERT_GE(revised, 0);
    EXPECT_EQ(session->CurrentIndex(), revised);
    EXPECT_EQ(session->Position(), session->PositionOf(revised));

    // After a deletion the position holds the next passage.
    Show(store->Find(CPassage("540030168\"").MatchKey()));
    const int position = session->Position();
    ASSERT_TRUE(session->Remove());
    EXPECT_EQ(session->Position(), position);
    ASSERT_TRUE(session->ShowPosition());
    EXPECT_EQ(session->CurrentIndex(), session->PassageAt(position));
}

} // namespace
