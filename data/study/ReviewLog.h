// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// One recitation of a passage as the learner did it, the unit of the review history. Passages are
// named by their VerseKey (CPassage::MatchKey), which survives revisions of their text.

// How the passage was recited.
enum class ReviewKind {
    SelfGraded = 0,      // recited aloud, then judged by the learner
    TypedCheck = 1,      // typed in Check Recitation and checked word by word
    ReferenceRecall = 2, // the passage shown, its reference typed
};

// How it went: the learner's own answer, or what a check found.
enum class ReviewResult {
    NotYet = 0,
    WithHelp = 1,
    Recalled = 2,
};

// How a typed check went, by the progress level its result suggests (CRecitationCheck): Good
// or Mastered is recalled, Fair recalled with help, anything less not yet.
constexpr ReviewResult ResultOfSuggestedProgress(int progress) {
    return progress >= 3   ? ReviewResult::Recalled
           : progress == 2 ? ReviewResult::WithHelp
                           : ReviewResult::NotYet;
}

struct ReviewEvent {
    std::int64_t when = 0; // seconds since the epoch (UTC)
    std::uint32_t matchKey = 0;
    ReviewKind kind = ReviewKind::SelfGraded;
    ReviewResult result = ReviewResult::NotYet;
    int percent = -1;    // a typed check's share of words right, else -1
    int chosenProg = -1; // the progress level the learner then chose, -1 when none was chosen
    int seconds = 0;     // time spent on the passage
};

// What the review schedule needs to know of the history. Asked for every active passage when the
// due passages are counted, so the last review of each is answered from memory.
class IReviewLog {
public:
    virtual ~IReviewLog() = default;
    // When the passage was last reviewed, if ever.
    virtual std::optional<std::int64_t> LastReview(std::uint32_t matchKey) const = 0;
    // The passage's latest reviews, newest first, at most count of them.
    virtual std::vector<ReviewEvent> RecentReviews(std::uint32_t matchKey, int count) const = 0;
    // When the passage was last put into another frequency class, 0 when no change is recorded:
    // the reviews before it were made at another pace and say nothing of the present one.
    virtual std::int64_t ClassSince(std::uint32_t matchKey) const = 0;
};
