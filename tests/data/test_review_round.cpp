// SPDX-License-Identifier: GPL-2.0-or-later
// A review round over the due passages: each answer recorded in the history with its kind,
// result and time, the summary with what is due tomorrow, and the reference recall that takes
// any spelling of the right reference and refuses a wrong one.

#include "ReviewHistory.h"
#include "ReviewRound.h"
#include "ReviewSchedule.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

// JohnBase: John 3:16 (Most Frequent, verses 16-18) comes before John 3:15 (Less Frequent,
// verses 15-16) in the tree.
constexpr int kJohn15 = 15;
constexpr int kJohn16 = 16;

} // namespace

class ReviewRoundTest : public StoreTest {
protected:
    void SetUp() override {
        LoadJohn();
        ASSERT_TRUE(history->Available());
    }
    ReviewEvent Last(int index) const {
        const auto reviews = history->RecentReviews(store->Passage(index).MatchKey(), 1);
        return reviews.empty() ? ReviewEvent{} : reviews.front();
    }

    CTimeZoneGuard zone{"UTC"};
    std::unique_ptr<CReviewHistory> history = std::make_unique<CReviewHistory>(sink, dir);
    CReviewSchedule schedule{*history, clock};
};

TEST_F(ReviewRoundTest, AnswersAreRecordedAsGivenAndSummed) {
    CReviewRound round(*store, *history, schedule, clock);
    EXPECT_EQ(round.Passages(), (std::vector<int>{kJohn16, kJohn15}));
    EXPECT_EQ(round.Current(), kJohn16);

    clock.seconds += 42;
    EXPECT_TRUE(round.Answer(ReviewKind::SelfGraded, ReviewResult::Recalled));
    EXPECT_FALSE(round.Answer(ReviewKind::SelfGraded, ReviewResult::NotYet)); // once a passage
    round.Next();
    EXPECT_EQ(round.Current(), kJohn15);
    clock.seconds += 5;
    EXPECT_TRUE(round.Answer(ReviewKind::TypedCheck, ReviewResult::WithHelp, 80, 2));
    round.Next();
    EXPECT_TRUE(round.Finished());
    EXPECT_EQ(round.Current(), -1);

    const ReviewEvent first = Last(kJohn16);
    EXPECT_EQ(first.kind, ReviewKind::SelfGraded);
    EXPECT_EQ(first.result, ReviewResult::Recalled);
    EXPECT_EQ(first.seconds, 42);
    EXPECT_EQ(first.when, clock.seconds - 5);
    const ReviewEvent second = Last(kJohn15);
    EXPECT_EQ(second.kind, ReviewKind::TypedCheck);
    EXPECT_EQ(second.result, ReviewResult::WithHelp);
    EXPECT_EQ(second.percent, 80);
    EXPECT_EQ(second.chosenProg, 2);
    EXPECT_EQ(second.seconds, 5);

    // Tomorrow the daily John 3:16 is due again; the weekly John 3:15 waits.
    const CReviewRound::Summary summary = round.Summarise();
    EXPECT_EQ(summary.reviewed, 2);
    EXPECT_EQ(summary.recalled, 1);
    EXPECT_EQ(summary.dueTomorrow, 1);
}

TEST_F(ReviewRoundTest, ReferenceRecallTakesAnySpellingOfTheRightReference) {
    const CPassage& john16 = store->Passage(kJohn16);
    for (const char* typed : {"John 3:16", "jn 3.16", " John 3:16-18 ",
                              "Jn 3:16\xE2\x80\x93"
                              "18"})
        EXPECT_TRUE(CReviewRound::ReferenceNames(john16, typed)) << typed;
    for (const char* typed : {"John 3:15", "John 3:16-17", "Luke 3:16", "John 4:16", "John", ""})
        EXPECT_FALSE(CReviewRound::ReferenceNames(john16, typed)) << typed;

    CReviewRound round(*store, *history, schedule, clock);
    EXPECT_TRUE(round.AnswerReference("Jn 3:16"));
    round.Next();
    EXPECT_FALSE(round.AnswerReference("John 3:16"));
    EXPECT_EQ(Last(kJohn16).kind, ReviewKind::ReferenceRecall);
    EXPECT_EQ(Last(kJohn16).result, ReviewResult::Recalled);
    EXPECT_EQ(Last(kJohn15).result, ReviewResult::NotYet);
    EXPECT_EQ(round.Summarise().recalled, 1);
}
