// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <array>
#include <vector>

class CPassageStore;

// The passages a passage list shows and their order: the four frequency classes in turn, each in
// store order. It is the order of the main window's tree and of navigation, and its active part
// is the order of the handheld export. A translation filter hides only inactive passages of other
// translations; context records are listed only when the store says so.
class CPassageListing {
public:
    static constexpr int kClasses = 4;

    // Lists the passages of store that pass transFilter (a translation number, or kTransAll).
    CPassageListing(const CPassageStore& store, int transFilter);

    // Passage indices in list order.
    const std::vector<int>& Passages() const { return passages_; }
    // Where the passages of a frequency class begin in the list; ClassStart(kClasses) is the
    // list's length.
    int ClassStart(int freq) const { return classStart_[static_cast<std::size_t>(freq)]; }
    // The passages of the three active classes, in list order.
    std::vector<int> ActivePassages() const;

    // Passages stored with the filter's translation, and their verses (kTransAll counts those
    // stored with translation number 33).
    int TransPassages() const { return transPassages_; }
    int TransVerses() const { return transVerses_; }

private:
    std::vector<int> passages_;
    std::array<int, kClasses + 1> classStart_{};
    int transPassages_ = 0;
    int transVerses_ = 0;
};
