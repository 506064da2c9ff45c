// SPDX-License-Identifier: GPL-2.0-or-later
// The series of the Progress Over Time window: the past levels and score found back from the
// store's present state, the reviews of recent days, the streaks by the schedule's intervals, and
// an empty history.

#include "ProgressSeries.h"
#include "ReviewSchedule.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

// JohnBase: John 3:15 (2 verses, Less Frequent, progress 1), John 3:16 (3 verses, Most Frequent,
// progress 2); John 3:17 inactive.
constexpr int kJohn15 = 15;
constexpr int kJohn16 = 16;
constexpr std::int64_t kDay = 24 * 3600;

// Noon UTC of the n-th day from 1 June 2026.
std::int64_t Noon(int n) {
    using namespace std::chrono;
    const sys_seconds t = sys_days{year{2026} / June / day{1}} + hours{12};
    return t.time_since_epoch().count() + n * kDay;
}

class CEmptyLog : public IReviewLog {
public:
    std::optional<std::int64_t> LastReview(std::uint32_t) const override { return std::nullopt; }
    std::vector<ReviewEvent> RecentReviews(std::uint32_t, int) const override { return {}; }
    std::int64_t ClassSince(std::uint32_t) const override { return 0; }
};

} // namespace

class ProgressSeriesTest : public StoreTest {
protected:
    void SetUp() override { LoadJohn(); }

    std::uint32_t Key(int index) const { return store->Passage(index).MatchKey(); }
    StateChange Change(int day, int index, ChangeWhat what, int from, int to) const {
        return {.when = Noon(day),
                .matchKey = Key(index),
                .what = what,
                .oldValue = from,
                .newValue = to};
    }
    void Review(int day, int index) {
        reviews.push_back({.when = Noon(day), .matchKey = Key(index)});
    }
    CProgressSeries Series(int today) const {
        return CProgressSeries(reviews, changes, *store, schedule, Noon(today));
    }

    CTimeZoneGuard zone{"UTC"};
    CEmptyLog log;
    CReviewSchedule schedule{log, clock};
    std::vector<ReviewMoment> reviews;
    std::vector<StateChange> changes;
};

TEST_F(ProgressSeriesTest, LevelsAndScoreAreFoundBackFromThePresentState) {
    changes = {Change(0, kJohn16, ChangeWhat::Progress, 0, 1),
               Change(1, kJohn15, ChangeWhat::Frequency, 3, 1),
               Change(1, kJohn15, ChangeWhat::Progress, 0, 1),
               Change(2, kJohn16, ChangeWhat::Progress, 1, 2)};
    const CProgressSeries series = Series(3);
    EXPECT_FALSE(series.Empty());
    EXPECT_EQ(series.Today() - series.FirstDay(), 3);
    using L = CProgressSeries::Levels;
    EXPECT_EQ(series.LevelsByDay(), (std::vector<L>{{0, 1, 0, 0, 0}, // John 3:15 not yet active
                                                    {0, 2, 0, 0, 0},
                                                    {0, 1, 1, 0, 0},
                                                    {0, 1, 1, 0, 0}}));
    EXPECT_EQ(series.ScoreByDay(), (std::vector<std::int64_t>{3, 5, 8, 8}));
    EXPECT_EQ(series.ScoreByDay().back(), store->Score());
}

TEST_F(ProgressSeriesTest, ReviewsPerDayAndStreaksFollowTheIntervals) {
    // John 3:16 is reviewed daily but for day 3; John 3:15 (every 7 days) on day 0, so it is
    // left due at the end of day 7, and again on day 8.
    for (int day = 0; day <= 8; ++day)
        if (day != 3)
            Review(day, kJohn16);
    Review(0, kJohn15);
    Review(8, kJohn15);
    Review(8, kJohn15);

    const CProgressSeries series = Series(8);
    const std::vector<int>& recent = series.RecentReviews();
    ASSERT_EQ(recent.size(), std::size_t{CProgressSeries::kRecentDays});
    EXPECT_EQ(recent.back(), 3);
    EXPECT_EQ(recent[recent.size() - 4], 1);  // day 5
    EXPECT_EQ(recent[recent.size() - 6], 0);  // day 3
    EXPECT_EQ(recent[recent.size() - 10], 0); // before the history
    EXPECT_EQ(series.CurrentStreak(), 1);     // day 8
    EXPECT_EQ(series.LongestStreak(), 3);     // days 0-2 and 4-6

    // A day not yet complete keeps yesterday's streak; a day with a passage due left unreviewed
    // ends it.
    EXPECT_EQ(Series(9).CurrentStreak(), 1);
    EXPECT_EQ(Series(10).CurrentStreak(), 0);
    // A class that waits longer (John 3:15 Least Frequent until day 8) leaves day 7 complete.
    changes = {Change(8, kJohn15, ChangeWhat::Frequency, 2, 1)};
    EXPECT_EQ(Series(8).CurrentStreak(), 5);
}

// The history gives its reviews in the order of time, and the series reads them as they come;
// any other order is put in order first. Both give the same series.
TEST_F(ProgressSeriesTest, ReviewsInAnyOrderGiveTheSameSeries) {
    for (int day = 0; day <= 20; day += 2)
        Review(day, kJohn16);
    Review(1, kJohn15);
    Review(9, kJohn15);
    changes = {Change(5, kJohn15, ChangeWhat::Frequency, 0, 1)};
    std::sort(reviews.begin(), reviews.end(),
              [](const ReviewMoment& a, const ReviewMoment& b) { return a.when < b.when; });
    const CProgressSeries inOrder = Series(21);
    std::reverse(reviews.begin(), reviews.end());
    const CProgressSeries shuffled = Series(21);
    EXPECT_EQ(inOrder.RecentReviews(), shuffled.RecentReviews());
    EXPECT_EQ(inOrder.LevelsByDay(), shuffled.LevelsByDay());
    EXPECT_EQ(inOrder.CurrentStreak(), shuffled.CurrentStreak());
    EXPECT_EQ(inOrder.LongestStreak(), shuffled.LongestStreak());
    EXPECT_EQ(inOrder.RecentReviews().end()[-2], 1); // day 20
}

TEST_F(ProgressSeriesTest, AnEmptyHistoryIsTodayAlone) {
    const CProgressSeries series = Series(0);
    EXPECT_TRUE(series.Empty());
    EXPECT_EQ(series.FirstDay(), series.Today());
    EXPECT_EQ(series.LevelsByDay(), (std::vector<CProgressSeries::Levels>{{0, 1, 1, 0, 0}}));
    EXPECT_EQ(series.RecentReviews(), std::vector<int>(CProgressSeries::kRecentDays, 0));
    // Active passages never reviewed are due: no streak.
    EXPECT_EQ(series.CurrentStreak(), 0);
    EXPECT_EQ(series.LongestStreak(), 0);
}
