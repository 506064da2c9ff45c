// SPDX-License-Identifier: GPL-2.0-or-later
#include "PassageStore.h"

#include "FileFormat.h"
#include "HandheldExport.h"
#include "PassageListing.h"
#include "Preferences.h"
#include "RefTables.h"
#include "TextFormat.h"

#include <algorithm>
#include <iterator>
#include <unordered_set>

namespace {

bool SortsBefore(const std::unique_ptr<CPassage>& a, const std::unique_ptr<CPassage>& b) {
    return static_cast<std::uint32_t>(a->SortKey()) < static_cast<std::uint32_t>(b->SortKey());
}

} // namespace

CPassageStore::CPassageStore(IMessageSink& messages, ISettings& settings, IClock& clock,
                             std::filesystem::path directory)
    : messages_(messages), settings_(settings), clock_(clock), directory_(std::move(directory)),
      writer_(*this, messages, clock) {}

CPassageStore::~CPassageStore() = default;

std::filesystem::path CPassageStore::PathOf(const char* name) const {
    return directory_.empty() ? std::filesystem::path(name) : directory_ / name;
}

// ---------------------------------------------------------------------------------------------
// Order and lookup

int CPassageStore::FindIn(std::uint32_t key, int last) const {
    const std::uint32_t wanted = key & ~1u;
    int low = 0;
    int high = last;
    while (low <= high) {
        const int middle = low + (high - low) / 2;
        const std::uint32_t candidate =
            static_cast<std::uint32_t>(passages_[static_cast<std::size_t>(middle)]->SortKey()) &
            ~1u;
        if (candidate == wanted)
            return middle;
        if (candidate < wanted)
            low = middle + 1;
        else
            high = middle - 1;
    }
    return -1;
}

int CPassageStore::Find(std::uint32_t key) const {
    return FindIn(key, LastIndex());
}

// Compared as unsigned, like the lookups and the order checks of loading: the same for every
// valid key, and a damaged key with a book beyond 255 cannot leave an order that Find misses or
// that the next start refuses.
void CPassageStore::Sort() {
    std::sort(passages_.begin(), passages_.end(), SortsBefore);
}

// ---------------------------------------------------------------------------------------------
// Changes

void CPassageStore::Changed() const {
    if (listener_)
        listener_->PassagesChanged();
}

void CPassageStore::ReportDuplicate(std::uint32_t key) {
    CMessage text;
    text << "Passage with exact same 'VerseKey' [";
    text.Padded(key, 8) << "] already exists \n(Book+ChapNum+1stVerse+Trans). Recitor allows "
                           "EditPassage, \nbut not duplicates.";
    messages_.Show("Recitor Invalid AddPassage", text.Text(), MsgIcon::Warning);
}

int CPassageStore::ActiveCount() const {
    return static_cast<int>(std::count_if(passages_.begin(), passages_.end(),
                                          [](const auto& p) { return p->freq != kFreqInactive; }));
}

void CPassageStore::ReportTooManyActive() {
    CMessage text;
    text << kMaxPassages << " passages are active, the most " << kStatsFile
         << " can keep. Set a passage to \"Not Started/Inactive\" or delete one before making "
            "another one active.";
    messages_.Show("Recitor Too Many Active Passages", text.Text(), MsgIcon::Warning);
}

bool CPassageStore::CheckRoomForUserPassage() {
    if (userCount_ < kMaxPassages)
        return true;
    CMessage text;
    text << kUserFile << " already holds " << kMaxPassages
         << " passages, the most it can hold. Delete some of your own passages before adding "
            "another one or revising one of the bundled passages.";
    messages_.Show("Recitor Too Many Passages", text.Text(), MsgIcon::Warning);
    return false;
}

bool CPassageStore::SetFrequency(int index, int freq) {
    CPassage& passage = Mutable(index);
    const int old = passage.freq;
    if (old == kFreqInactive && freq != kFreqInactive && ActiveCount() >= kMaxPassages) {
        ReportTooManyActive();
        return false;
    }
    passage.freq = freq;
    if (freq == kFreqInactive) {
        if (old < kFreqInactive) {
            exportDue_ = true; // it leaves the handheld export
            if (statsCount_ > 0)
                --statsCount_;
        }
        SetProgress(index, 0);
    } else if (old == kFreqInactive) {
        exportDue_ = true;
        ++statsCount_;
    }
    return true;
}

int CPassageStore::SetProgress(int index, int prog) {
    CPassage& passage = Mutable(index);
    if (passage.freq == kFreqInactive)
        prog = 0;
    score_ = WrapAdd(score_ + std::int64_t{passage.vCount} * (prog - passage.prog));
    passage.prog = prog;
    return prog;
}

int CPassageStore::Add(std::unique_ptr<CPassage>& passage) {
    if (!CheckRoomForUserPassage())
        return -1;
    if (Find(passage->MatchKey()) >= 0) {
        ReportDuplicate(passage->key);
        return -1;
    }
    if (passage->freq != kFreqInactive && ActiveCount() >= kMaxPassages) {
        ReportTooManyActive();
        return -1;
    }
    passage->SetBaseline(0);
    const std::uint32_t matchKey = passage->MatchKey();
    score_ = WrapAdd(score_ + std::int64_t{passage->vCount} * passage->prog);
    if (passage->freq < kFreqInactive) {
        exportDue_ = true;
        ++statsCount_;
    }
    passages_.push_back(std::move(passage));
    ++userCount_;
    userFileChanged_ = true;
    Sort();
    Changed();
    return Find(matchKey);
}

int CPassageStore::AddMany(std::vector<std::unique_ptr<CPassage>>& passages) {
    const std::size_t held = passages_.size();
    int active = ActiveCount();
    // The keys taken in this run: those passages are not in their places yet.
    std::unordered_set<std::uint32_t> taken;
    taken.reserve(passages.size());
    int count = 0;
    for (std::unique_ptr<CPassage>& passage : passages) {
        if (!passage)
            continue;
        if (!CheckRoomForUserPassage())
            break;
        const std::uint32_t matchKey = passage->MatchKey();
        if (FindIn(matchKey, static_cast<int>(held) - 1) >= 0 || taken.contains(matchKey)) {
            ReportDuplicate(passage->key);
            break;
        }
        if (passage->freq != kFreqInactive && active >= kMaxPassages) {
            ReportTooManyActive();
            break;
        }
        passage->SetBaseline(0);
        score_ = WrapAdd(score_ + std::int64_t{passage->vCount} * passage->prog);
        if (passage->freq < kFreqInactive) {
            exportDue_ = true;
            ++statsCount_;
            ++active;
        }
        taken.insert(matchKey);
        passages_.push_back(std::move(passage));
        ++userCount_;
        ++count;
    }
    if (count == 0)
        return 0;
    userFileChanged_ = true;
    std::sort(passages_.begin() + static_cast<std::ptrdiff_t>(held), passages_.end(), SortsBefore);
    std::inplace_merge(passages_.begin(), passages_.begin() + static_cast<std::ptrdiff_t>(held),
                       passages_.end(), SortsBefore);
    Changed();
    return count;
}

bool CPassageStore::Remove(int index) {
    if (index < 0 || index > LastIndex()) {
        CMessage text;
        text << "Recitor software error: attempting to delete 'zombie' verse: [";
        text.Padded(0, 8) << "]";
        messages_.Show("Recitor Zombie Verse", text.Text(), MsgIcon::Warning);
        return false;
    }
    const CPassage& passage = Passage(index);
    if (passage.freq < kFreqInactive) {
        exportDue_ = true; // it was in the handheld export
        if (statsCount_ > 0)
            --statsCount_;
    }
    score_ = WrapAdd(score_ - std::int64_t{passage.vCount} * passage.prog);
    if (!passage.baseline)
        --userCount_;
    else
        --baselineCount_;
    userFileChanged_ = true;
    passages_.erase(passages_.begin() + index);
    Changed();
    return true;
}

int CPassageStore::Revise(int index, const CPassage::Values& values) {
    CPassage revised;
    revised.SetAll(values);
    const int holder = Find(revised.MatchKey());
    if (holder >= 0 && holder != index) {
        ReportDuplicate(revised.key);
        return -1;
    }
    if (Passage(index).baseline && !CheckRoomForUserPassage())
        return -1;
    CPassage& passage = Mutable(index);
    const int oldVerses = passage.vCount;
    passage.SetAll(values);
    score_ = WrapAdd(score_ + std::int64_t{passage.vCount - oldVerses} * passage.prog);
    if (passage.baseline) {
        ++userCount_;
        --baselineCount_;
    }
    passage.SetBaseline(0);
    if (passage.freq < kFreqInactive)
        exportDue_ = true; // the handheld has the old text
    userFileChanged_ = true;
    const std::uint32_t matchKey = passage.MatchKey();
    Sort();
    Changed();
    return Find(matchKey);
}

std::vector<int> CPassageStore::ExportList() const {
    const CPassageListing listing(*this, kTransAll);
    return listing.ActivePassages();
}

// ---------------------------------------------------------------------------------------------
// Saving

Status CPassageStore::SaveAll() {
    return Save(AfterSave::Keep);
}

Status CPassageStore::Close() {
    return Save(AfterSave::Free);
}

Status CPassageStore::CloseAtExit() {
    return Save(AfterSave::KeepToExit);
}

Status CPassageStore::Save(AfterSave after) {
    const CPassageWriter::Saved saved = writer_.SaveAll();
    if (saved.statsCount >= 0)
        statsCount_ = saved.statsCount;
    if (saved.status == Status::Fatal)
        return Status::Fatal; // the old files stay together
    // Closing: the collection is released once it is safely saved.
    if (after == AfterSave::Free) {
        passages_.clear();
    } else if (after == AfterSave::KeepToExit) {
        // Held from a static pointer, which a leak checker counts as a root, with the memory of
        // the passages that came from the files.
        struct Kept {
            std::vector<std::unique_ptr<CPassage>> passages;
            std::vector<std::unique_ptr<LoadArenas>> arenas;
        };
        static auto* const keptToExit = new Kept;
        keptToExit->passages.insert(keptToExit->passages.end(),
                                    std::make_move_iterator(passages_.begin()),
                                    std::make_move_iterator(passages_.end()));
        passages_.clear();
        for (std::unique_ptr<LoadArenas>* arenas : {&baselineArenas_, &userArenas_}) {
            keptToExit->arenas.push_back(std::move(*arenas));
            *arenas = std::make_unique<LoadArenas>();
        }
    }
    if (saved.exportWritten)
        ExportWritten(saved.exportTimestamp);
    return Status::Ok;
}

bool CPassageStore::WriteExport() {
    std::uint32_t timestamp = 0;
    if (!CHandheldExport(*this, messages_, clock_).WriteInPlace(timestamp))
        return false;
    ExportWritten(timestamp);
    return true;
}

void CPassageStore::ExportWritten(std::uint32_t timestamp) {
    exportTimestamp_ = timestamp;
    settings_.WriteNumber(kSectionExport, SettingKey::kFileTimestamp,
                          static_cast<std::int32_t>(timestamp));
    exportDue_ = false;
}
