// SPDX-License-Identifier: GPL-2.0-or-later
#include "TopicList.h"

#include "FileFormat.h"
#include "PassageStore.h"
#include "RefTables.h"

namespace {
constexpr int kTopicNone = 0;
} // namespace

CTopicList::CTopicList(const CPassageStore& store, int topic, int transFilter)
    : topic_(topic), transFilter_(transFilter) {
    for (int i = 0; i < store.PassageCount(); ++i) {
        const CPassage& passage = store.Passage(i);
        if (passage.primaryTopic != topic && passage.secondaryTopic != topic)
            continue;
        if (passage.trans != transFilter && transFilter != kTransAll)
            continue;
        ++count_;
        text_ += passage.Reference();
        if (passage.vCount > 1) {
            text_ += '-';
            text_ +=
                std::to_string(WrapAdd(std::int64_t{passage.FirstVerse()} + passage.vCount - 1));
        }
        text_ += ' ';
        // A secondary topic of "n/a" or "Misc" says nothing more, so one topic is named.
        if (passage.secondaryTopic != kTopicNone && passage.secondaryTopic != kTopicMisc) {
            text_ += "<<Topic(s) [Primary: ";
            text_ += passage.PrimaryTopicName();
            text_ += "] [Secondary: ";
            text_ += passage.SecondaryTopicName();
            text_ += "]>>";
        } else {
            text_ += "<Topic: ";
            text_ += passage.PrimaryTopicName();
            text_ += '>';
        }
        text_ += "\r\n";
        text_ += passage.PassageText();
        text_ += "\r\n\r\n";
    }
}

std::string CTopicList::Caption() const {
    std::string caption = "Topic: ";
    caption += TopicName(topic_);
    caption += "  Translation: ";
    caption += TransAbbrev(transFilter_);
    caption += "  Count: ";
    caption += std::to_string(count_);
    return caption;
}
