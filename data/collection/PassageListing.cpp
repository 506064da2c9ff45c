// SPDX-License-Identifier: GPL-2.0-or-later
#include "PassageListing.h"

#include "PassageStore.h"
#include "RefTables.h"

CPassageListing::CPassageListing(const CPassageStore& store, int transFilter) {
    const int count = store.PassageCount();
    // Two passes over the passages: count each class, then place them, so that the list is one
    // array in class order.
    std::vector<signed char> classOf(static_cast<std::size_t>(count), -1);
    std::array<int, kClasses> members{};
    for (int i = 0; i < count; ++i) {
        const CPassage& passage = store.Passage(i);
        if (passage.trans == kTransContext && !store.ListContextRecords())
            continue;
        const int freq =
            passage.freq >= 0 && passage.freq < kClasses ? passage.freq : kFreqInactive;
        if (transFilter == kTransAll || passage.trans == transFilter || freq < kFreqInactive) {
            classOf[static_cast<std::size_t>(i)] = static_cast<signed char>(freq);
            ++members[static_cast<std::size_t>(freq)];
        }
        if (passage.trans == transFilter) {
            ++transPassages_;
            // Wraps in 32 bits like the rest of the counts, whatever a damaged file holds.
            transVerses_ = static_cast<int>(static_cast<unsigned>(transVerses_) +
                                            static_cast<unsigned>(passage.vCount));
        }
    }
    for (std::size_t freq = 0; freq < kClasses; ++freq)
        classStart_[freq + 1] = classStart_[freq] + members[freq];
    passages_.assign(static_cast<std::size_t>(classStart_[kClasses]), 0);
    std::array<int, kClasses> next{};
    for (std::size_t freq = 0; freq < kClasses; ++freq)
        next[freq] = classStart_[freq];
    for (int i = 0; i < count; ++i) {
        const int freq = classOf[static_cast<std::size_t>(i)];
        if (freq >= 0)
            passages_[static_cast<std::size_t>(next[static_cast<std::size_t>(freq)]++)] = i;
    }
}

std::vector<int> CPassageListing::ActivePassages() const {
    return {passages_.begin(), passages_.begin() + ClassStart(kFreqInactive)};
}
