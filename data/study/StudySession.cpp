// SPDX-License-Identifier: GPL-2.0-or-later
#include "StudySession.h"

CStudySession::CStudySession(CPassageStore& store, int position, int transFilter)
    : store_(store), position_(position) {
    List(transFilter);
    store_.SetListener(this);
}

CStudySession::~CStudySession() {
    store_.SetListener(nullptr);
}

void CStudySession::Relist(int transFilter) {
    if (view_)
        view_->ListingAboutToChange();
    List(transFilter);
    if (view_)
        view_->ListingChanged();
}

void CStudySession::List(int transFilter) {
    transFilter_ = transFilter;
    listing_ = std::make_unique<CPassageListing>(store_, transFilter);
    positionOf_.assign(static_cast<std::size_t>(store_.PassageCount()), -1);
    for (int position = 0; position < PositionCount(); ++position)
        positionOf_[static_cast<std::size_t>(PassageAt(position))] = position;
}

int CStudySession::PositionOf(int passageIndex) const {
    if (passageIndex < 0 || passageIndex >= static_cast<int>(positionOf_.size()))
        return -1;
    return positionOf_[static_cast<std::size_t>(passageIndex)];
}

// Compared as unsigned, so that an empty listing gives -1.
void CStudySession::SetPosition(int position) {
    const int last = LastPosition();
    position_ = static_cast<unsigned>(position) > static_cast<unsigned>(last) ? last : position;
}

int CStudySession::Position() {
    SetPosition(position_);
    return position_;
}

bool CStudySession::AtFirst() {
    return Position() == 0;
}

bool CStudySession::AtLast() {
    return !AtFirst() && Position() == LastPosition();
}

void CStudySession::First() {
    SetPosition(0);
}

void CStudySession::Last() {
    SetPosition(LastPosition());
}

bool CStudySession::Next() {
    const int position = Position();
    if (position >= LastPosition())
        return false;
    SetPosition(position + 1);
    return true;
}

bool CStudySession::Previous() {
    const int position = Position();
    // Last in an empty listing leaves the position at -1: nothing lies before it either.
    if (position <= 0)
        return false;
    SetPosition(position - 1);
    return true;
}

const CPassage* CStudySession::Current() const {
    if (current_ < 0 || current_ >= store_.PassageCount())
        return nullptr;
    return &store_.Passage(current_);
}

bool CStudySession::ShowPosition() {
    if (PositionCount() == 0) {
        // Every passage is filtered out: nothing to show, and nothing read past the tables.
        current_ = -1;
        return false;
    }
    current_ = PassageAt(Position());
    shownKey_ = store_.Passage(current_).MatchKey();
    return true;
}

void CStudySession::ShowPassage(int index) {
    current_ = index;
    FindPositionOfCurrent();
}

void CStudySession::FindPositionOfCurrent() {
    const int position = PositionOf(current_);
    if (position >= 0)
        position_ = position;
}

bool CStudySession::SetFrequency(int freq) {
    if (!Current() || !SetFrequencyOf(current_, freq))
        return false;
    First();
    return true;
}

bool CStudySession::SetFrequencyOf(int index, int freq) {
    if (index < 0 || index >= store_.PassageCount())
        return false;
    const CPassage& passage = store_.Passage(index);
    const int oldFreq = passage.freq;
    const int oldProg = passage.prog;
    if (!store_.SetFrequency(index, freq))
        return false;
    // An inactive passage goes back to "Not Started": its progress changes with its class.
    Record(passage, ChangeWhat::Frequency, oldFreq, passage.freq);
    Record(passage, ChangeWhat::Progress, oldProg, passage.prog);
    Relist(transFilter_);
    FindPositionOfCurrent();
    return true;
}

int CStudySession::SetProgress(int prog) {
    const CPassage* passage = Current();
    if (!passage)
        return -1;
    const int old = passage->prog;
    const int kept = store_.SetProgress(current_, prog);
    Record(*passage, ChangeWhat::Progress, old, kept);
    return kept;
}

void CStudySession::Record(const CPassage& passage, ChangeWhat what, int old, int now) {
    if (!recorder_ || !clock_ || old == now)
        return;
    recorder_->RecordChange({.when = clock_->NowSeconds(),
                             .matchKey = passage.MatchKey(),
                             .what = what,
                             .oldValue = old,
                             .newValue = now});
}

int CStudySession::Add(std::unique_ptr<CPassage>& passage) {
    changing_ = true;
    const int index = store_.Add(passage);
    changing_ = false;
    if (index >= 0)
        ShowPassage(index);
    return index;
}

int CStudySession::Revise(const CPassage::Values& values) {
    if (!Current())
        return -1;
    changing_ = true;
    const int index = store_.Revise(current_, values);
    changing_ = false;
    // A new VerseKey moves the passage in the order; the position follows it.
    if (index >= 0)
        ShowPassage(index);
    return index;
}

bool CStudySession::Remove() {
    if (!Current())
        return false;
    changing_ = true;
    const bool removed = store_.Remove(current_);
    changing_ = false;
    return removed;
}

void CStudySession::PassagesChanged() {
    // The shown passage may have moved in the order or gone; it is found again by its VerseKey.
    Relist(transFilter_);
    if (changing_)
        return;
    ShowPassage(store_.Find(shownKey_));
    if (view_)
        view_->ShownPassageFound();
}
