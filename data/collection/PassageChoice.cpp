// SPDX-License-Identifier: GPL-2.0-or-later
#include "PassageChoice.h"

#include "PassageListing.h"
#include "PassageStore.h"

#include <algorithm>

std::vector<int> PassageChoice::Passages(const CPassageStore& store) const {
    const CPassageListing listing(store, transFilter);
    const std::vector<int>& listed = listing.Passages();
    switch (kind) {
    case Kind::All:
        return listed;
    case Kind::Active:
        return listing.ActivePassages();
    case Kind::FrequencyClass:
        if (value < 0 || value >= CPassageListing::kClasses)
            return {};
        return {listed.begin() + listing.ClassStart(value),
                listed.begin() + listing.ClassStart(value + 1)};
    case Kind::Topic:
        break;
    }
    std::vector<int> chosen;
    std::copy_if(listed.begin(), listed.end(), std::back_inserter(chosen), [&](int index) {
        const CPassage& passage = store.Passage(index);
        return passage.primaryTopic == value || passage.secondaryTopic == value;
    });
    return chosen;
}
