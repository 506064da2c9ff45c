// SPDX-License-Identifier: GPL-2.0-or-later
#include "ProgressSeries.h"

#include "PassageStore.h"
#include "RefTables.h"
#include "ReviewSchedule.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::min() / 2;

bool Active(int freq) {
    return freq >= 0 && freq < CReviewSchedule::kActiveClasses;
}

int Level(int prog) {
    return std::clamp(prog, 0, CProgressSeries::kLevels - 1);
}

// Every passage the store or the history names, by a dense number, with its class, progress and
// verse count (0 for a passage the store no longer holds). The number is looked up for each of
// millions of reviews, which come in the order of time: an open-addressed table of the numbers
// keeps the lookup to a multiplication and a probe or two.
struct PassageStates {
    int Id(std::uint32_t matchKey) {
        if (2 * (keys.size() + 1) > slots.size())
            Grow();
        std::size_t slot = Slot(matchKey);
        for (; slots[slot] != 0; slot = (slot + 1) & (slots.size() - 1)) {
            const int id = slots[slot] - 1;
            if (keys[static_cast<std::size_t>(id)] == matchKey)
                return id;
        }
        keys.push_back(matchKey);
        freq.push_back(kFreqInactive);
        prog.push_back(0);
        verses.push_back(0);
        slots[slot] = static_cast<int>(keys.size());
        return static_cast<int>(keys.size()) - 1;
    }
    // The passage's number, -1 when neither the store nor a change names it.
    int Find(std::uint32_t matchKey) const {
        for (std::size_t slot = Slot(matchKey); slots[slot] != 0;
             slot = (slot + 1) & (slots.size() - 1)) {
            const int id = slots[slot] - 1;
            if (keys[static_cast<std::size_t>(id)] == matchKey)
                return id;
        }
        return -1;
    }
    std::vector<std::uint32_t> keys;
    std::vector<int> freq;
    std::vector<int> prog;
    std::vector<std::int64_t> verses;

private:
    std::size_t Slot(std::uint32_t matchKey) const {
        return static_cast<std::size_t>((matchKey * 0x9E3779B97F4A7C15ULL) >> (64 - bits));
    }
    // Doubles the table, which is never more than half full, and places every number anew.
    void Grow() {
        ++bits;
        slots.assign(std::size_t{1} << bits, 0);
        for (std::size_t id = 0; id < keys.size(); ++id) {
            std::size_t slot = Slot(keys[id]);
            while (slots[slot] != 0)
                slot = (slot + 1) & (slots.size() - 1);
            slots[slot] = static_cast<int>(id) + 1;
        }
    }
    int bits = 4;
    std::vector<int> slots; // a passage's number + 1, 0 for a free slot
};

// The review days from the first to today by their first moments, rather than the local time of
// each of millions of moments: a table gives the day of each quarter hour's start, and the day
// of a moment is that one or, where a day begins within the quarter, the next.
class CDayIndex {
public:
    static constexpr std::int64_t kQuarter = 900;

    CDayIndex(const CReviewSchedule& schedule, std::int64_t firstDay, int days) {
        starts_.reserve(static_cast<std::size_t>(days) + 1);
        for (int day = 0; day <= days; ++day)
            starts_.push_back(schedule.DayStart(firstDay + day));
        const std::int64_t span = starts_.back() - starts_.front();
        quarters_.resize(static_cast<std::size_t>(span / kQuarter) + 1);
        int day = 0;
        for (std::size_t quarter = 0; quarter < quarters_.size(); ++quarter) {
            const std::int64_t when =
                starts_.front() + static_cast<std::int64_t>(quarter) * kQuarter;
            while (day + 1 < days && when >= starts_[static_cast<std::size_t>(day) + 1])
                ++day;
            quarters_[quarter] = day;
        }
    }
    // The day of when, counted from the first; a moment after today counts on today.
    int Of(std::int64_t when) const {
        if (when < starts_.front())
            return 0;
        if (when >= starts_.back())
            return static_cast<int>(starts_.size()) - 2;
        auto day = static_cast<std::size_t>(
            quarters_[static_cast<std::size_t>((when - starts_.front()) / kQuarter)]);
        while (when >= starts_[day + 1])
            ++day;
        return static_cast<int>(day);
    }

private:
    std::vector<std::int64_t> starts_;
    std::vector<int> quarters_;
};

} // namespace

CProgressSeries::CProgressSeries(const std::vector<ReviewMoment>& reviews,
                                 const std::vector<StateChange>& changes,
                                 const CPassageStore& store, const CReviewSchedule& schedule,
                                 std::int64_t now) {
    empty_ = reviews.empty() && changes.empty();
    today_ = schedule.ReviewDay(now);
    std::int64_t first = now;
    for (const ReviewMoment& review : reviews)
        first = std::min(first, review.when);
    if (!changes.empty())
        first = std::min(first, changes.front().when);
    firstDay_ = std::min(schedule.ReviewDay(first), today_);
    const int days = static_cast<int>(today_ - firstDay_ + 1);
    const CDayIndex calendar(schedule, firstDay_, days);

    PassageStates state;
    for (int index = 0; index < store.PassageCount(); ++index) {
        const CPassage& passage = store.Passage(index);
        const auto id = static_cast<std::size_t>(state.Id(passage.MatchKey()));
        state.freq[id] = passage.freq;
        state.prog[id] = passage.prog;
        state.verses[id] = passage.vCount;
    }

    // Back from now: each day's values are those at its end, before its changes are undone.
    Levels counts{};
    std::int64_t score = 0;
    const auto weigh = [&](std::size_t id, int sign) {
        if (Active(state.freq[id]))
            counts[static_cast<std::size_t>(Level(state.prog[id]))] += sign;
        score += sign * state.verses[id] * state.prog[id];
    };
    for (std::size_t id = 0; id < state.freq.size(); ++id)
        weigh(id, 1);
    levels_.resize(static_cast<std::size_t>(days));
    score_.resize(static_cast<std::size_t>(days));
    std::vector<int> changeDays(changes.size());
    for (std::size_t i = 0; i < changes.size(); ++i)
        changeDays[i] = calendar.Of(changes[i].when);
    std::size_t undone = changes.size();
    for (int day = days - 1; day >= 0; --day) {
        levels_[static_cast<std::size_t>(day)] = counts;
        score_[static_cast<std::size_t>(day)] = score;
        for (; undone > 0 && changeDays[undone - 1] >= day; --undone) {
            const StateChange& change = changes[undone - 1];
            const auto id = static_cast<std::size_t>(state.Id(change.matchKey));
            weigh(id, -1);
            if (change.what == ChangeWhat::Progress)
                state.prog[id] = Level(change.oldValue);
            else
                state.freq[id] = std::clamp(change.oldValue, 0, int{kFreqInactive});
            weigh(id, 1);
        }
    }

    // The reviews in the order of time, as the history gives them; others are put in order first.
    const auto earlier = [](const ReviewMoment& a, const ReviewMoment& b) {
        return a.when < b.when;
    };
    std::vector<ReviewMoment> sorted;
    if (!std::is_sorted(reviews.begin(), reviews.end(), earlier)) {
        sorted = reviews;
        std::stable_sort(sorted.begin(), sorted.end(), earlier);
    }
    const std::vector<ReviewMoment>& inOrder = sorted.empty() ? reviews : sorted;

    // Forward from the first day, the classes as they were then: which passages are overdue at
    // each day's end. A passage's state can change only on a day it was reviewed or reclassified,
    // or on the day its interval since its last review runs out, when it is woken. A passage
    // neither the store nor a change names stays inactive throughout, and so is passed over.
    const std::size_t passages = state.freq.size();
    std::vector<std::int64_t> lastDay(passages, kNever);
    std::vector<char> overdue(passages, 0);
    std::vector<int> settledOn(passages, -1);
    // Each passage waits to be woken on one day at most, the one its latest state gives: the
    // passages of each day form a list threaded through these arrays.
    std::vector<int> wakeFirst(static_cast<std::size_t>(days), -1);
    std::vector<int> wakeOn(passages, -1);
    std::vector<int> wakeNext(passages, -1);
    std::vector<int> wakePrevious(passages, -1);
    const auto unwake = [&](std::size_t at) {
        const int day = wakeOn[at];
        if (day < 0)
            return;
        const int next = wakeNext[at];
        const int previous = wakePrevious[at];
        if (previous >= 0)
            wakeNext[static_cast<std::size_t>(previous)] = next;
        else
            wakeFirst[static_cast<std::size_t>(day)] = next;
        if (next >= 0)
            wakePrevious[static_cast<std::size_t>(next)] = previous;
        wakeOn[at] = -1;
    };
    int overdueCount = 0;
    const auto settle = [&](int id, int day) {
        const auto at = static_cast<std::size_t>(id);
        if (settledOn[at] == day)
            return;
        settledOn[at] = day;
        const int freq = state.freq[at];
        const bool late =
            Active(freq) && (lastDay[at] == kNever || day >= lastDay[at] + schedule.Interval(freq));
        overdueCount += late - overdue[at];
        overdue[at] = late;
        unwake(at);
        if (!late && Active(freq)) {
            const std::int64_t due = lastDay[at] + schedule.Interval(freq);
            if (due < days) {
                int& first = wakeFirst[static_cast<std::size_t>(due)];
                wakeOn[at] = static_cast<int>(due);
                wakePrevious[at] = -1;
                wakeNext[at] = first;
                if (first >= 0)
                    wakePrevious[static_cast<std::size_t>(first)] = id;
                first = id;
            }
        }
    };
    for (std::size_t id = 0; id < passages; ++id)
        settle(static_cast<int>(id), -1);
    recent_.assign(kRecentDays, 0);
    std::vector<int> reviewedToday;
    std::size_t redone = 0;
    std::size_t next = 0;
    int run = 0;
    for (int day = 0; day < days; ++day) {
        const auto at = static_cast<std::size_t>(day);
        for (; redone < changes.size() && changeDays[redone] <= day; ++redone) {
            const StateChange& change = changes[redone];
            if (change.what != ChangeWhat::Frequency)
                continue;
            const int id = state.Id(change.matchKey);
            state.freq[static_cast<std::size_t>(id)] =
                std::clamp(change.newValue, 0, int{kFreqInactive});
            settle(id, day);
            settledOn[static_cast<std::size_t>(id)] = -1; // its reviews today may change it
        }
        reviewedToday.clear();
        const std::size_t todaysFirst = next;
        for (; next < inOrder.size() && calendar.Of(inOrder[next].when) == day; ++next) {
            const int id = state.Find(inOrder[next].matchKey);
            if (id >= 0) {
                lastDay[static_cast<std::size_t>(id)] = day;
                reviewedToday.push_back(id);
            }
        }
        const auto reviewCount = static_cast<int>(next - todaysFirst);
        if (day >= days - kRecentDays)
            recent_[static_cast<std::size_t>(kRecentDays - days + day)] = reviewCount;
        for (const int id : reviewedToday)
            settle(id, day);
        for (int id = wakeFirst[at]; id >= 0;) {
            const int following = wakeNext[static_cast<std::size_t>(id)];
            settle(id, day);
            id = following;
        }
        const bool complete = reviewCount > 0 && overdueCount == 0;
        run = complete ? run + 1 : 0;
        longestStreak_ = std::max(longestStreak_, run);
        if (day == days - 2)
            currentStreak_ = run; // ending yesterday, while today is not complete
    }
    if (run > 0)
        currentStreak_ = run;
}
