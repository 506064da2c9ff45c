// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "ReviewHistory.h"

#include <array>
#include <cstdint>
#include <vector>

class CPassageStore;
class CReviewSchedule;

// The learner's progress day by day, drawn by the Progress Over Time window: the reviews of each
// recent day, the active passages at each progress level, the verses known (the score) and the
// streaks of days on which nothing was left due. Days are the schedule's review days.
//
// The history usually begins after many passages were already classified, so the past is found
// by going back from the store's present state, undoing the recorded changes one by one (each
// change carries the value it replaced); going forward from the first recorded event would miss
// every passage classified before it. A passage no longer in the store is taken as inactive now
// and counted in the levels only: its verse count, which the score weighs it by, is gone with it.
class CProgressSeries {
public:
    static constexpr int kRecentDays = 90;
    static constexpr int kLevels = 5; // progress 0 "Not Started" .. 4 "Mastered"
    using Levels = std::array<int, kLevels>;

    // Computes every series from the history's reviews and changes (changes in the order they
    // were made; reviews in any order), the store's present state and the schedule's days and
    // intervals, as at moment now. Events after now count on today.
    CProgressSeries(const std::vector<ReviewMoment>& reviews,
                    const std::vector<StateChange>& changes, const CPassageStore& store,
                    const CReviewSchedule& schedule, std::int64_t now);

    // Whether the history holds no event at all.
    bool Empty() const { return empty_; }
    // The review day of the first event (today when none), and today.
    std::int64_t FirstDay() const { return firstDay_; }
    std::int64_t Today() const { return today_; }
    // Reviews on each of the last kRecentDays days, the last entry today.
    const std::vector<int>& RecentReviews() const { return recent_; }
    // For each day from FirstDay to today: the active passages at each level at the day's end.
    const std::vector<Levels>& LevelsByDay() const { return levels_; }
    // For each day from FirstDay to today: the score (sum of verse count times progress) at the
    // day's end.
    const std::vector<std::int64_t>& ScoreByDay() const { return score_; }
    // A day counts towards a streak when it had at least one review and, at its end, no active
    // passage was left past its class's interval since its last review (nor never reviewed).
    // The current streak ends today, or yesterday while today is not yet complete.
    int CurrentStreak() const { return currentStreak_; }
    int LongestStreak() const { return longestStreak_; }

private:
    bool empty_ = true;
    std::int64_t firstDay_ = 0;
    std::int64_t today_ = 0;
    std::vector<int> recent_;
    std::vector<Levels> levels_;
    std::vector<std::int64_t> score_;
    int currentStreak_ = 0;
    int longestStreak_ = 0;
};
