// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "RefTables.h"

#include <vector>

class CPassageStore;

// Which passages a command that works on many at once takes (exporting them for a flashcard
// program, printing them as cards): all that the passage list shows, its active ones, one
// frequency class, or those with one topic.
struct PassageChoice {
    enum class Kind { All, Active, FrequencyClass, Topic };
    Kind kind = Kind::All;
    int value = 0;               // the frequency class (0..3) or the topic number
    int transFilter = kTransAll; // the list's translation filter

    // The chosen passages' indices in the order of the passage list: class by class, each in
    // store order.
    std::vector<int> Passages(const CPassageStore& store) const;
};
