// SPDX-License-Identifier: GPL-2.0-or-later
#include "ReviewSchedule.h"

#include "Passage.h"
#include "PassageListing.h"
#include "PassageStore.h"
#include "Preferences.h"
#include "RefTables.h"

#include <chrono>
#include <ctime>

using namespace SettingKey;

namespace {

constexpr std::array<const char*, CReviewSchedule::kActiveClasses> kIntervalKeys{
    kIntervalMostFrequent, kIntervalLessFrequent, kIntervalLeastFrequent};

// Where the clocks change, mktime may land on either side of the change, at most a few hours
// from the moment sought.
constexpr std::int64_t kDayStartSpan = 3 * 3600;

// Recitations looked at for a suggestion, enough for a run between a few reference recalls.
constexpr int kRecitationsLookedAt = 4 * CReviewSchedule::kGoodRun;

bool ValidInterval(int days) {
    return days >= CReviewSchedule::kMinInterval && days <= CReviewSchedule::kMaxInterval;
}

bool ValidHour(int hour) {
    return hour >= 0 && hour <= 23;
}

std::tm LocalTime(std::int64_t when) {
    const std::time_t time = static_cast<std::time_t>(when);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &time);
#else
    localtime_r(&time, &local);
#endif
    return local;
}

// The class's name in quotation marks, as the reasons give it.
std::string ClassName(int freq) {
    std::string name(1, '"');
    name += FreqChoiceText(freq);
    name += '"';
    return name;
}

} // namespace

void CReviewSchedule::Read(ISettings& settings) {
    for (std::size_t freq = 0; freq < kActiveClasses; ++freq) {
        const int days =
            settings.ReadNumber(kSectionReview, kIntervalKeys[freq], kDefaultIntervals[freq]);
        intervals_[freq] = ValidInterval(days) ? days : kDefaultIntervals[freq];
    }
    const int hour = settings.ReadNumber(kSectionReview, kDayChangeHour, kDefaultDayChangeHour);
    dayChangeHour_ = ValidHour(hour) ? hour : kDefaultDayChangeHour;
}

void CReviewSchedule::Write(ISettings& settings) const {
    for (std::size_t freq = 0; freq < kActiveClasses; ++freq)
        settings.WriteNumber(kSectionReview, kIntervalKeys[freq], intervals_[freq]);
    settings.WriteNumber(kSectionReview, kDayChangeHour, dayChangeHour_);
}

bool CReviewSchedule::SetInterval(int freq, int days) {
    if (freq < 0 || freq >= kActiveClasses || !ValidInterval(days))
        return false;
    intervals_[static_cast<std::size_t>(freq)] = days;
    return true;
}

bool CReviewSchedule::SetDayChangeHour(int hour) {
    if (!ValidHour(hour))
        return false;
    dayChangeHour_ = hour;
    return true;
}

std::int64_t CReviewSchedule::ReviewDay(std::int64_t when) const {
    const std::tm local = LocalTime(when);
    const std::chrono::year_month_day date{
        std::chrono::year{local.tm_year + 1900},
        std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)},
        std::chrono::day{static_cast<unsigned>(local.tm_mday)}};
    const std::int64_t days = std::chrono::sys_days{date}.time_since_epoch().count();
    return local.tm_hour < dayChangeHour_ ? days - 1 : days;
}

std::int64_t CReviewSchedule::DayStart(std::int64_t day) const {
    const std::chrono::year_month_day date{std::chrono::sys_days{std::chrono::days{day}}};
    std::tm local{};
    local.tm_year = static_cast<int>(date.year()) - 1900;
    local.tm_mon = static_cast<int>(static_cast<unsigned>(date.month())) - 1;
    local.tm_mday = static_cast<int>(static_cast<unsigned>(date.day()));
    local.tm_hour = dayChangeHour_;
    local.tm_isdst = -1;
    const std::int64_t estimate = std::mktime(&local);
    // The day begins at the first moment ReviewDay places in it; ReviewDay never falls as time
    // goes on, so that moment is found by halving the span around the estimate.
    std::int64_t before = estimate - kDayStartSpan;
    std::int64_t after = estimate + kDayStartSpan;
    while (after - before > 1) {
        const std::int64_t middle = before + (after - before) / 2;
        (ReviewDay(middle) < day ? before : after) = middle;
    }
    return after;
}

CReviewSchedule::DueToday CReviewSchedule::Due(const CPassageStore& store) const {
    return DueOn(store, ReviewDay(clock_.NowSeconds()));
}

CReviewSchedule::DueToday CReviewSchedule::Due(const CPassageStore& store,
                                               const CPassageListing& listing) const {
    return DueOn(store, listing, ReviewDay(clock_.NowSeconds()));
}

CReviewSchedule::DueToday CReviewSchedule::DueOn(const CPassageStore& store,
                                                 std::int64_t today) const {
    return DueOn(store, CPassageListing(store, kTransAll), today);
}

CReviewSchedule::DueToday CReviewSchedule::DueOn(const CPassageStore& store,
                                                 const CPassageListing& listing,
                                                 std::int64_t today) const {
    // Each moment is turned into a day once here rather than once per passage: a passage of class
    // freq is due when its last review came before the start of review day today - interval + 1.
    const std::int64_t todayStart = DayStart(today);
    std::array<std::int64_t, kActiveClasses> dueBefore{};
    for (std::size_t freq = 0; freq < kActiveClasses; ++freq)
        dueBefore[freq] = DayStart(today - intervals_[freq] + 1);

    DueToday due;
    for (int freq = 0; freq < kActiveClasses; ++freq) {
        for (int position = listing.ClassStart(freq); position < listing.ClassStart(freq + 1);
             ++position) {
            const int index = listing.Passages()[static_cast<std::size_t>(position)];
            const std::optional<std::int64_t> last =
                log_.LastReview(store.Passage(index).MatchKey());
            if (!last || *last < dueBefore[static_cast<std::size_t>(freq)])
                due.passages.push_back(index);
            if (last && *last >= todayStart)
                ++due.done;
        }
    }
    return due;
}

std::optional<CReviewSchedule::Suggestion> CReviewSchedule::Suggest(const CPassage& passage) const {
    const int freq = passage.freq;
    const std::int64_t since = log_.ClassSince(passage.MatchKey());
    if (freq < 0 || freq >= kActiveClasses)
        return std::nullopt;
    // The recitations of the text in the present class, newest first.
    std::vector<ReviewResult> results;
    for (const ReviewEvent& review : log_.RecentReviews(passage.MatchKey(), kRecitationsLookedAt)) {
        if (review.when < since)
            break;
        if (review.kind != ReviewKind::ReferenceRecall)
            results.push_back(review.result);
    }
    if (results.empty())
        return std::nullopt;
    if (results.front() == ReviewResult::NotYet) {
        if (freq == 0)
            return std::nullopt;
        return Suggestion{freq - 1, "Not recalled this time: reciting it more often, in " +
                                        ClassName(freq - 1) + ", may help."};
    }
    if (freq + 1 >= kActiveClasses || static_cast<int>(results.size()) < kGoodRun)
        return std::nullopt;
    for (int i = 0; i < kGoodRun; ++i) {
        if (results[static_cast<std::size_t>(i)] != ReviewResult::Recalled)
            return std::nullopt;
    }
    return Suggestion{freq + 1, "Recalled " + std::to_string(kGoodRun) +
                                    " times in a row: it may be recited less often, in " +
                                    ClassName(freq + 1) + "."};
}
