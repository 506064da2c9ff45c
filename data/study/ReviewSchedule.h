// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "Platform.h"
#include "ReviewLog.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CPassage;
class CPassageListing;
class CPassageStore;

// The calendar of the review: which active passages are due today, by the days each frequency
// class waits between reviews, and which class the learner might move a passage to after how its
// recent recitations went. The learner keeps deciding the class; the schedule only counts days.
//
// Days are review days in local time: one runs from the day-change hour to the same hour on the
// next calendar day, so a recitation at 01:30 with the change at 04:00 belongs to the day before,
// and a day of 23 or 25 hours when the clocks change is still one day.
class CReviewSchedule {
public:
    static constexpr int kActiveClasses = 3; // frequency classes 0..2; class 3 is never due
    static constexpr std::array<int, kActiveClasses> kDefaultIntervals{1, 7, 30};
    static constexpr int kDefaultDayChangeHour = 4;
    static constexpr int kMinInterval = 1;
    static constexpr int kMaxInterval = 365;
    // Successive good recitations in a class after which a rarer class is suggested.
    static constexpr int kGoodRun = 3;

    // Borrows log and clock for the schedule's life. Starts with the default intervals and hour.
    CReviewSchedule(const IReviewLog& log, IClock& clock) : log_(log), clock_(clock) {}

    // Reads the intervals and the day-change hour from section "Review"; a value missing or out
    // of range (intervals 1..365 days, hours 0..23) gives its default.
    void Read(ISettings& settings);
    // Writes the four values to section "Review".
    void Write(ISettings& settings) const;

    // Days between reviews of active class freq (0..2).
    int Interval(int freq) const { return intervals_[static_cast<std::size_t>(freq)]; }
    int DayChangeHour() const { return dayChangeHour_; }
    // Set a value; false, with nothing changed, for a class or value out of range.
    bool SetInterval(int freq, int days);
    bool SetDayChangeHour(int hour);

    // The review day a moment (seconds since the epoch) falls on, counted in days since
    // 1 January 1970: its local calendar date, or the date before when it lies before the
    // day-change hour.
    std::int64_t ReviewDay(std::int64_t when) const;
    // The first moment of a review day: when the day-change hour begins on its date, or, where
    // the clocks skip that hour, the moment they skip to.
    std::int64_t DayStart(std::int64_t day) const;

    // What is due today among the passages the tree lists as active.
    struct DueToday {
        std::vector<int> passages; // store indices of the due passages, in tree order
        int done = 0;              // active passages reviewed today
        // The first due passage in tree order, -1 when none is due.
        int Next() const { return passages.empty() ? -1 : passages.front(); }
    };
    // Lists the due passages of store: an active passage is due when it was never reviewed or
    // its last review lies at least its class's interval of review days before today. One pass
    // over the active passages, asking the log once for each.
    DueToday Due(const CPassageStore& store) const;
    // The same from a listing of store made since its last change, as the main window keeps one:
    // any translation filter will do, since every listing holds every active passage in the same
    // order. Spares a walk over every record.
    DueToday Due(const CPassageStore& store, const CPassageListing& listing) const;
    // The same on review day day as the history stands now: what will be due then unless it is
    // reviewed before (the done count is of that day).
    DueToday DueOn(const CPassageStore& store, std::int64_t day) const;

    // A class the learner might move a passage to, and why, in a sentence for the window.
    struct Suggestion {
        int freq = 0;
        std::string reason;
    };
    // Looks at the passage's recitations since it was put into its present class (the log's
    // ClassSince): after kGoodRun recalled in a row, the next rarer class (none beyond
    // Least Frequent); after one not recalled in Less or Least Frequent, the next more frequent
    // class. Reference recalls test the reference rather than the text and are passed over.
    // Nothing for an inactive passage or any other course.
    std::optional<Suggestion> Suggest(const CPassage& passage) const;

private:
    DueToday DueOn(const CPassageStore& store, const CPassageListing& listing,
                   std::int64_t today) const;

    const IReviewLog& log_;
    IClock& clock_;
    std::array<int, kActiveClasses> intervals_ = kDefaultIntervals;
    int dayChangeHour_ = kDefaultDayChangeHour;
};
