// SPDX-License-Identifier: GPL-2.0-or-later
#include "ParallelPassages.h"

#include "PassageStore.h"

namespace {
// The translation numbers looked at; numbers past the tables find nothing and cost little.
constexpr int kLastTranslation = 60;
} // namespace

CParallelPassages::CParallelPassages(const CPassageStore& store, int index) {
    const CPassage& passage = store.Passage(index);
    caption_.append(passage.Reference())
        .append("  <Topic: ")
        .append(passage.PrimaryTopicName())
        .append(">  ")
        .append(passage.TransName());
    passageText_ = passage.PassageText();
    // The translation is the lowest field of the key: the same verse in translation c differs
    // from this passage's key by twice the difference of the translations.
    for (int c = 0; c <= kLastTranslation; ++c) {
        if (c == passage.trans)
            continue;
        const std::uint32_t key = passage.MatchKey() -
                                  2u * static_cast<std::uint32_t>(passage.trans) +
                                  2u * static_cast<std::uint32_t>(c);
        const int found = store.Find(key);
        if (found < 0)
            continue;
        const CPassage& parallel = store.Passage(found);
        if (count_ > 0)
            text_.append("\r\n\r\n");
        text_.append(parallel.TransName()).append(" ").append(parallel.PassageText());
        ++count_;
    }
}
