// SPDX-License-Identifier: GPL-2.0-or-later
// The review schedule: what is due at the interval's end, around the day-change hour and across
// both changes of the clocks, never-reviewed and inactive passages, the settings it keeps, and the
// classes it suggests after a run of recitations.

#include "PassageListing.h"
#include "Preferences.h"
#include "RefTables.h"
#include "ReviewSchedule.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <map>
#include <optional>

namespace {

// JohnBase: John 3:16 (Most Frequent) comes before John 3:15 (Less Frequent) in the tree;
// John 3:17 is inactive.
constexpr int kJohn15 = 15;
constexpr int kJohn16 = 16;
constexpr int kJohn17 = 17;

// Seconds since the epoch of a UTC date and time.
std::int64_t Utc(int y, unsigned m, unsigned d, int hour, int minute = 0) {
    using namespace std::chrono;
    const sys_seconds t = sys_days{year{y} / month{m} / day{d}} + hours{hour} + minutes{minute};
    return t.time_since_epoch().count();
}

class CFakeReviewLog : public IReviewLog {
public:
    std::optional<std::int64_t> LastReview(std::uint32_t matchKey) const override {
        const auto found = reviews.find(matchKey);
        if (found == reviews.end() || found->second.empty())
            return std::nullopt;
        return found->second.back().when;
    }
    std::vector<ReviewEvent> RecentReviews(std::uint32_t matchKey, int count) const override {
        std::vector<ReviewEvent> recent;
        const auto found = reviews.find(matchKey);
        if (found == reviews.end())
            return recent;
        for (auto it = found->second.rbegin();
             it != found->second.rend() && static_cast<int>(recent.size()) < count; ++it)
            recent.push_back(*it);
        return recent;
    }
    std::int64_t ClassSince(std::uint32_t) const override { return classSince; }
    std::map<std::uint32_t, std::vector<ReviewEvent>> reviews; // oldest first
    std::int64_t classSince = 0;
};

} // namespace

class ReviewScheduleTest : public StoreTest {
protected:
    void SetUp() override { LoadJohn(); }

    void Review(int index, std::int64_t when, ReviewResult result = ReviewResult::Recalled,
                ReviewKind kind = ReviewKind::SelfGraded) {
        log.reviews[store->Passage(index).MatchKey()].push_back(
            {.when = when, .kind = kind, .result = result});
    }
    void Now(std::int64_t when) { clock.seconds = static_cast<std::uint32_t>(when); }
    std::vector<int> Due() const { return schedule.Due(*store).passages; }
    bool IsDue(int index) const {
        const std::vector<int> due = Due();
        return std::find(due.begin(), due.end(), index) != due.end();
    }

    CTimeZoneGuard zone{"UTC"};
    CFakeReviewLog log;
    CReviewSchedule schedule{log, clock};
};

TEST_F(ReviewScheduleTest, NeverReviewedActivePassagesAreDueInTreeOrderInactiveNever) {
    Review(kJohn17, Utc(2020, 1, 1, 12)); // long ago, but inactive
    Now(Utc(2026, 6, 10, 12));
    const auto due = schedule.Due(*store);
    EXPECT_EQ(due.passages, (std::vector<int>{kJohn16, kJohn15}));
    EXPECT_EQ(due.Next(), kJohn16);
    EXPECT_EQ(due.done, 0);
}

// The main window counts the due passages from its own listing, whatever translation it lists.
TEST_F(ReviewScheduleTest, AnyListingOfTheStoreGivesTheSameDuePassages) {
    Now(Utc(2026, 6, 10, 12));
    for (int trans = 0; trans < kTransListSize; ++trans) {
        const CPassageListing listing(*store, trans);
        EXPECT_EQ(schedule.Due(*store, listing).passages, Due()) << trans;
    }
}

TEST_F(ReviewScheduleTest, DueOnceTheIntervalOfReviewDaysHasPassed) {
    Now(Utc(2026, 6, 10, 12));
    // Daily: yesterday's review makes it due, today's does not and counts as done.
    Review(kJohn16, Utc(2026, 6, 9, 23));
    EXPECT_TRUE(IsDue(kJohn16));
    Review(kJohn16, Utc(2026, 6, 10, 4));
    EXPECT_FALSE(IsDue(kJohn16));
    EXPECT_EQ(schedule.Due(*store).done, 1);
    // Weekly: due on the seventh review day after, not on the sixth.
    Review(kJohn15, Utc(2026, 6, 4, 3, 59)); // before the change: review day 3 June
    EXPECT_TRUE(IsDue(kJohn15));
    Review(kJohn15, Utc(2026, 6, 4, 4)); // review day 4 June, six days ago
    EXPECT_FALSE(IsDue(kJohn15));
    ASSERT_TRUE(schedule.SetInterval(1, 6));
    EXPECT_TRUE(IsDue(kJohn15));
    EXPECT_EQ(schedule.Due(*store).done, 1);
}

TEST_F(ReviewScheduleTest, TheDayChangesAtTheDayChangeHour) {
    // A recitation at 01:30 belongs to the day before.
    Review(kJohn16, Utc(2026, 6, 10, 1, 30));
    Now(Utc(2026, 6, 10, 3, 59));
    EXPECT_FALSE(IsDue(kJohn16));
    Now(Utc(2026, 6, 10, 4));
    EXPECT_TRUE(IsDue(kJohn16));
    EXPECT_EQ(schedule.Due(*store).done, 0);
    // With the change at midnight it is today's.
    ASSERT_TRUE(schedule.SetDayChangeHour(0));
    EXPECT_FALSE(IsDue(kJohn16));
    EXPECT_EQ(schedule.ReviewDay(Utc(2026, 6, 10, 0)), schedule.ReviewDay(Utc(2026, 6, 10, 23)));
}

TEST_F(ReviewScheduleTest, DaysOfTwentyThreeAndTwentyFiveHoursAreOneDay) {
    zone.Use("Europe/Berlin");
    // Spring: on 29 March 2026 02:00 CET becomes 03:00 CEST. Reviewed at 04:30 CET the day
    // before; 04:10 CEST is less than 24 hours later, yet the next review day.
    Review(kJohn16, Utc(2026, 3, 28, 3, 30));
    Now(Utc(2026, 3, 29, 1, 50)); // 03:50 CEST
    EXPECT_FALSE(IsDue(kJohn16));
    Now(Utc(2026, 3, 29, 2, 10)); // 04:10 CEST
    EXPECT_TRUE(IsDue(kJohn16));
    // A week across the change: reviewed 22 March at noon CET, due at 04:00 CEST on the 29th.
    Review(kJohn15, Utc(2026, 3, 22, 11));
    EXPECT_TRUE(IsDue(kJohn15));
    Now(Utc(2026, 3, 29, 1, 59));
    EXPECT_FALSE(IsDue(kJohn15));

    // Autumn: on 25 October 2026 03:00 CEST becomes 02:00 CET. Reviewed at 04:30 CEST the day
    // before; 03:50 CET is more than 24 hours later, yet the same review day.
    Review(kJohn16, Utc(2026, 10, 24, 2, 30));
    Now(Utc(2026, 10, 25, 2, 50)); // 03:50 CET
    EXPECT_FALSE(IsDue(kJohn16));
    Now(Utc(2026, 10, 25, 3)); // 04:00 CET
    EXPECT_TRUE(IsDue(kJohn16));

    // A day-change hour the clocks skip begins the day where they skip to; one they repeat
    // begins it at its first pass.
    ASSERT_TRUE(schedule.SetDayChangeHour(2));
    const std::int64_t spring = schedule.ReviewDay(Utc(2026, 3, 29, 12));
    EXPECT_EQ(schedule.DayStart(spring), Utc(2026, 3, 29, 1)); // 03:00 CEST
    const std::int64_t autumn = schedule.ReviewDay(Utc(2026, 10, 25, 12));
    EXPECT_EQ(schedule.DayStart(autumn), Utc(2026, 10, 25, 0)); // 02:00 CEST
    EXPECT_EQ(schedule.ReviewDay(Utc(2026, 10, 25, 0) - 1), autumn - 1);
}

// The day-change hour itself skipped or repeated by the clocks: the day changes once, where the
// hour first begins, and a recitation in the repeated hour belongs to the new day.
TEST_F(ReviewScheduleTest, ADayChangeHourTheClocksSkipOrRepeatChangesTheDayOnce) {
    zone.Use("America/New_York");
    // Spring: on 8 March 2026 02:00 EST becomes 03:00 EDT.
    ASSERT_TRUE(schedule.SetDayChangeHour(2));
    const std::int64_t march8 = schedule.ReviewDay(Utc(2026, 3, 8, 12));
    EXPECT_EQ(schedule.ReviewDay(Utc(2026, 3, 8, 6, 59)), march8 - 1); // 01:59 EST
    EXPECT_EQ(schedule.DayStart(march8), Utc(2026, 3, 8, 7));          // 03:00 EDT
    Review(kJohn16, Utc(2026, 3, 7, 17));                              // noon the day before
    Now(Utc(2026, 3, 8, 6, 59));
    EXPECT_FALSE(IsDue(kJohn16));
    Now(Utc(2026, 3, 8, 7));
    EXPECT_TRUE(IsDue(kJohn16));

    // Autumn: on 1 November 2026 02:00 EDT becomes 01:00 EST, and 01:00 to 02:00 comes twice.
    ASSERT_TRUE(schedule.SetDayChangeHour(1));
    const std::int64_t november1 = schedule.ReviewDay(Utc(2026, 11, 1, 12));
    EXPECT_EQ(schedule.ReviewDay(Utc(2026, 11, 1, 4, 59)), november1 - 1); // 00:59 EDT
    EXPECT_EQ(schedule.DayStart(november1), Utc(2026, 11, 1, 5));          // 01:00 EDT
    EXPECT_EQ(schedule.ReviewDay(Utc(2026, 11, 1, 6, 30)), november1);     // 01:30 EST
    Review(kJohn16, Utc(2026, 11, 1, 4, 30)); // 00:30 EDT, the day before
    Now(Utc(2026, 11, 1, 6, 10));             // 01:10 EST: due since 01:00 EDT
    EXPECT_TRUE(IsDue(kJohn16));
    Review(kJohn16, Utc(2026, 11, 1, 6, 20)); // 01:20 EST counts on the new day
    EXPECT_FALSE(IsDue(kJohn16));
    EXPECT_EQ(schedule.Due(*store).done, 1);
    Now(Utc(2026, 11, 2, 5, 59)); // 00:59 EST the next night: still the same review day
    EXPECT_FALSE(IsDue(kJohn16));
    Now(Utc(2026, 11, 2, 6));
    EXPECT_TRUE(IsDue(kJohn16));
}

TEST_F(ReviewScheduleTest, SettingsAreValidatedAndKeptInTheirOwnSection) {
    using namespace SettingKey;
    const auto set = [this](const char* name, std::int32_t value) {
        settings.numbers[{kSectionReview, name}] = value;
    };
    set(kIntervalMostFrequent, 2);
    set(kIntervalLessFrequent, 0);
    set(kIntervalLeastFrequent, 366);
    set(kDayChangeHour, 24);
    schedule.Read(settings);
    EXPECT_EQ(schedule.Interval(0), 2);
    EXPECT_EQ(schedule.Interval(1), 7);
    EXPECT_EQ(schedule.Interval(2), 30);
    EXPECT_EQ(schedule.DayChangeHour(), 4);
    set(kIntervalLessFrequent, 365);
    set(kIntervalLeastFrequent, 1);
    set(kDayChangeHour, -1);
    schedule.Read(settings);
    EXPECT_EQ(schedule.Interval(1), 365);
    EXPECT_EQ(schedule.Interval(2), 1);
    EXPECT_EQ(schedule.DayChangeHour(), 4);

    EXPECT_FALSE(schedule.SetInterval(0, 0));
    EXPECT_FALSE(schedule.SetInterval(3, 5));
    EXPECT_FALSE(schedule.SetDayChangeHour(24));
    ASSERT_TRUE(schedule.SetDayChangeHour(23));
    settings.writes.clear();
    schedule.Write(settings);
    EXPECT_EQ(settings.writes, (std::vector<std::string>{
                                   "Review/IntervalMostFrequent", "Review/IntervalLessFrequent",
                                   "Review/IntervalLeastFrequent", "Review/DayChangeHour"}));
    CReviewSchedule reread(log, clock);
    reread.Read(settings);
    EXPECT_EQ(reread.Interval(0), 2);
    EXPECT_EQ(reread.Interval(1), 365);
    EXPECT_EQ(reread.DayChangeHour(), 23);
}

TEST_F(ReviewScheduleTest, SuggestsARarerClassAfterARunAndAMoreFrequentOneAfterAFailure) {
    const auto suggested = [this](int index, std::int64_t since = 0) {
        log.classSince = since;
        const auto suggestion = schedule.Suggest(store->Passage(index));
        return suggestion ? suggestion->freq : -1;
    };
    // John 3:16, Most Frequent: a failure suggests nothing; three recalls in a row, Less Frequent.
    Review(kJohn16, 100, ReviewResult::NotYet);
    EXPECT_EQ(suggested(kJohn16), -1);
    Review(kJohn16, 200);
    Review(kJohn16, 300, ReviewResult::WithHelp);
    Review(kJohn16, 400);
    Review(kJohn16, 500, ReviewResult::NotYet, ReviewKind::ReferenceRecall); // passed over
    Review(kJohn16, 600);
    EXPECT_EQ(suggested(kJohn16), -1);
    Review(kJohn16, 700, ReviewResult::Recalled, ReviewKind::TypedCheck);
    const auto rarer = schedule.Suggest(store->Passage(kJohn16));
    ASSERT_TRUE(rarer);
    EXPECT_EQ(rarer->freq, 1);
    EXPECT_EQ(rarer->reason,
              "Recalled 3 times in a row: it may be recited less often, in \"Less Frequent\".");
    // Only the recitations since it came into its class count.
    EXPECT_EQ(suggested(kJohn16, 500), -1);

    // John 3:15, Less Frequent: a failure suggests Most Frequent.
    Review(kJohn15, 100, ReviewResult::NotYet);
    log.classSince = 0;
    const auto frequent = schedule.Suggest(store->Passage(kJohn15));
    ASSERT_TRUE(frequent);
    EXPECT_EQ(frequent->freq, 0);
    EXPECT_EQ(frequent->reason, "Not recalled this time: reciting it more often, in \"Most "
                                "Frequent/Daily\", may help.");
    // Least Frequent: a failure suggests Less Frequent, a run nothing rarer.
    Shape(kJohn15).freq = 2;
    EXPECT_EQ(suggested(kJohn15), 1);
    for (int i = 2; i <= 4; ++i)
        Review(kJohn15, i * 100);
    EXPECT_EQ(suggested(kJohn15), -1);
    // Inactive passages get no suggestion.
    Shape(kJohn15).freq = 3;
    EXPECT_EQ(suggested(kJohn15), -1);
}
