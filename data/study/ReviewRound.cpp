// SPDX-License-Identifier: GPL-2.0-or-later
#include "ReviewRound.h"

#include "PassageStore.h"
#include "ReferenceParser.h"
#include "ReviewHistory.h"
#include "ReviewSchedule.h"

#include <algorithm>
#include <string>

CReviewRound::CReviewRound(const CPassageStore& store, CReviewHistory& history,
                           const CReviewSchedule& schedule, IClock& clock)
    : store_(store), history_(history), schedule_(schedule), clock_(clock),
      passages_(schedule.Due(store).passages), askedAt_(clock.NowSeconds()) {}

int CReviewRound::Current() const {
    return Finished() ? -1 : passages_[static_cast<std::size_t>(place_)];
}

bool CReviewRound::Answer(ReviewKind kind, ReviewResult result, int percent, int chosenProg) {
    if (Finished() || answered_)
        return false;
    answered_ = true;
    ++reviewed_;
    if (result == ReviewResult::Recalled)
        ++recalled_;
    const std::int64_t now = clock_.NowSeconds();
    return history_.Record(
        {.when = now,
         .matchKey = store_.Passage(Current()).MatchKey(),
         .kind = kind,
         .result = result,
         .percent = percent,
         .chosenProg = chosenProg,
         .seconds = static_cast<int>(std::max<std::int64_t>(now - askedAt_, 0))});
}

bool CReviewRound::AnswerReference(std::string_view typed) {
    if (Finished() || answered_)
        return false;
    const bool right = ReferenceNames(store_.Passage(Current()), typed);
    Answer(ReviewKind::ReferenceRecall, right ? ReviewResult::Recalled : ReviewResult::NotYet);
    return right;
}

void CReviewRound::Next() {
    if (Finished())
        return;
    ++place_;
    answered_ = false;
    askedAt_ = clock_.NowSeconds();
}

bool CReviewRound::ReferenceNames(const CPassage& passage, std::string_view typed) {
    WrittenReference reference;
    std::string reason;
    if (!ParseReference(typed, reference, reason))
        return false;
    const auto first = static_cast<std::uint32_t>(passage.FirstVerse());
    const auto last = first + static_cast<std::uint32_t>(std::max(passage.vCount, 1)) - 1;
    return reference.book == passage.Book() &&
           reference.chapter == static_cast<std::uint32_t>(passage.Chapter()) &&
           reference.firstVerse == first &&
           (reference.lastVerse == first || reference.lastVerse == last);
}

CReviewRound::Summary CReviewRound::Summarise() const {
    const std::int64_t tomorrow = schedule_.ReviewDay(clock_.NowSeconds()) + 1;
    return {.reviewed = reviewed_,
            .recalled = recalled_,
            .dueTomorrow = static_cast<int>(schedule_.DueOn(store_, tomorrow).passages.size())};
}
