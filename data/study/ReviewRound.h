// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "Platform.h"
#include "ReviewLog.h"

#include <cstdint>
#include <string_view>
#include <vector>

class CPassage;
class CPassageStore;
class CReviewHistory;
class CReviewSchedule;

// One sitting over the passages due today: the due passages as they stood when it began, in tree
// order, the one being asked, and the answers given, each recorded in the history as it is given
// so that leaving early keeps what was done. The collection is not changed structurally while a
// round runs (a change of class keeps every passage's index), so the passages are held by index.
class CReviewRound {
public:
    // Borrows everything for the round's life and takes the passages schedule has due now.
    CReviewRound(const CPassageStore& store, CReviewHistory& history,
                 const CReviewSchedule& schedule, IClock& clock);

    // The due passages, their count and the place of the one asked (Count() when all are done).
    const std::vector<int>& Passages() const { return passages_; }
    int Count() const { return static_cast<int>(passages_.size()); }
    int Place() const { return place_; }
    bool Finished() const { return place_ >= Count(); }
    // The store index of the passage asked, -1 when the round is finished.
    int Current() const;
    // Whether the passage asked has been answered (it stays asked until Next).
    bool Answered() const { return answered_; }

    // Records the answer for the passage asked: kind, result, a typed check's percent (else -1)
    // and the progress level the learner then chose (-1 for none), timed from when the passage
    // was first asked by the clock. Nothing for a finished round or a passage already answered.
    // False when the history did not record it; the answer counts in the summary all the same.
    bool Answer(ReviewKind kind, ReviewResult result, int percent = -1, int chosenProg = -1);
    // Checks a reference the learner typed for the passage asked against its own (any spelling
    // the import reads) and records it as a reference recall. Whether it was right; false also
    // for a finished round or a passage already answered.
    bool AnswerReference(std::string_view typed);
    // Asks the next passage; its time starts now. Nothing for a finished round.
    void Next();

    // Whether typed names passage: the same book, chapter and first verse, and, when it gives a
    // range, the passage's last verse as its end.
    static bool ReferenceNames(const CPassage& passage, std::string_view typed);

    struct Summary {
        int reviewed = 0;
        int recalled = 0;
        int dueTomorrow = 0; // due on the next review day as the history stands now
    };
    Summary Summarise() const;

private:
    const CPassageStore& store_;
    CReviewHistory& history_;
    const CReviewSchedule& schedule_;
    IClock& clock_;
    std::vector<int> passages_;
    int place_ = 0;
    bool answered_ = false;
    std::int64_t askedAt_ = 0;
    int reviewed_ = 0;
    int recalled_ = 0;
};
