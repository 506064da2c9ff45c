// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "Passage.h"
#include "PassageListing.h"
#include "PassageStore.h"
#include "RefTables.h"
#include "ReviewHistory.h"

#include <cstdint>
#include <memory>
#include <vector>

// What shows a study session: told before and after the session lists its passages again (a list
// showing them must not read the listing in between), and when a change of the collection moved
// the passage shown, which the session has found again.
class ISessionView {
public:
    virtual ~ISessionView() = default;
    virtual void ListingAboutToChange() = 0;
    virtual void ListingChanged() = 0;
    virtual void ShownPassageFound() = 0;
};

// One sitting over the collection: the passages listed in navigation order (the four frequency
// classes in turn, as CPassageListing gives them), the navigation position in that order, and the
// passage shown. It listens to the store: after every change of the collection it lists the
// passages again and finds the passage shown again by its VerseKey, unless the change is one of
// its own verbs, which show the passage they meant afterwards.
class CStudySession : private IStoreListener {
public:
    // Borrows store for the session's life and listens to it; position is the navigation position
    // to start at (limited to the listing when it is read). Lists the passages that pass
    // transFilter, as Relist does.
    CStudySession(CPassageStore& store, int position, int transFilter = kTransAll);
    ~CStudySession() override;
    CStudySession(const CStudySession&) = delete;
    CStudySession& operator=(const CStudySession&) = delete;

    // view is told of every new listing and refound passage; null for none.
    void SetView(ISessionView* view) { view_ = view; }
    // recorder is told of every change of class or progress the verbs make, timed by clock; both
    // borrowed until the next call. Null for none: then nothing is recorded.
    void SetRecorder(IChangeRecorder* recorder, IClock* clock) {
        recorder_ = recorder;
        clock_ = clock;
    }

    // Lists the passages that pass transFilter (a translation number, or kTransAll) again. The
    // position and the passage shown stay as they are.
    void Relist(int transFilter);
    int TransFilter() const { return transFilter_; }
    const CPassageListing& Listing() const { return *listing_; }
    int PositionCount() const { return static_cast<int>(listing_->Passages().size()); }
    int LastPosition() const { return PositionCount() - 1; }
    // Passage index at a navigation position (0 <= position < PositionCount()).
    int PassageAt(int position) const {
        return listing_->Passages()[static_cast<std::size_t>(position)];
    }
    // Position of a passage, or -1 when the listing does not hold it.
    int PositionOf(int passageIndex) const;

    // The navigation position, never above the last position (an empty listing gives -1).
    int Position();
    // Sets the navigation position, limited to the listing.
    void SetPosition(int position);
    // Whether the position is at the first, or (past the first) at the last position.
    bool AtFirst();
    bool AtLast();
    // Steps to the first or last position.
    void First();
    void Last();
    // Steps one position on or back; false, with nothing changed, at the end of the listing.
    bool Next();
    bool Previous();

    // The passage shown: its store index (-1 for none) and the passage, null for none.
    int CurrentIndex() const { return current_; }
    const CPassage* Current() const;
    // Shows the passage at the navigation position and keeps its VerseKey to find it again; false
    // when the listing is empty, and then no passage is shown.
    bool ShowPosition();
    // Shows the passage at index; the position moves to it when the listing holds it.
    void ShowPassage(int index);

    // Classifies the passage shown. A new frequency class moves it in the order: the passages are
    // listed again and the position goes to the first. False, with nothing changed, when no
    // passage is shown or the store refused (it has said why).
    bool SetFrequency(int freq);
    // Classifies the passage at index, shown or not, recorded as SetFrequency does: the passages
    // are listed again and the position follows the passage shown. False as SetFrequency.
    bool SetFrequencyOf(int index, int freq);
    // Sets the progress of the passage shown and returns the progress it has then (an inactive
    // passage keeps "Not Started"); -1 when no passage is shown.
    int SetProgress(int prog);

    // Adds passage to the collection and shows it when the listing holds it (else the position
    // stays). Returns its index, or -1 when the store refused it (nothing has changed then).
    int Add(std::unique_ptr<CPassage>& passage);
    // Revises the passage shown with values and shows it where its VerseKey put it. Returns its
    // new index, or -1 when there was none or the store refused (nothing has changed then).
    int Revise(const CPassage::Values& values);
    // Deletes the passage shown; the position then holds the passage after it, or is cut to the
    // last. False when there was none or the store refused.
    bool Remove();

private:
    // Lists the passages that pass transFilter and finds each one's position.
    void List(int transFilter);

    void PassagesChanged() override;
    void FindPositionOfCurrent();
    // Tells the recorder of a change of passage from old to now; nothing when equal.
    void Record(const CPassage& passage, ChangeWhat what, int old, int now);

    CPassageStore& store_;
    ISessionView* view_ = nullptr;
    IChangeRecorder* recorder_ = nullptr;
    IClock* clock_ = nullptr;
    int transFilter_;
    std::unique_ptr<CPassageListing> listing_; // navigation position -> passage index
    std::vector<int> positionOf_;              // passage index -> position, -1 when not listed
    int position_ = 0;                         // navigation position in the listing's order
    int current_ = -1;                         // the passage shown
    std::uint32_t shownKey_ = 0; // its VerseKey, by which it is found again after a change
    bool changing_ = false;      // one of the session's verbs is changing the collection
};
