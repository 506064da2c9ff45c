// SPDX-License-Identifier: GPL-2.0-or-later
#include "PassageCard.h"

#include "Passage.h"

namespace {
constexpr int kLongContextLines = 13;
constexpr std::size_t kWorthwhileAfter = 5;
} // namespace

CPassageCard::CPassageCard(const CPassage& passage) : passage_(passage.PassageText()) {
    heading_.append(passage.Reference())
        .append(" ")
        .append(passage.TransName())
        .append(" <Topic: ")
        .append(passage.PrimaryTopicName())
        .append("> <Hint: ")
        .append(passage.HintText())
        .append(">");
    if (passage.psgStart > 0)
        before_ = std::string(passage.TextBeforePassage());
    const std::string_view context = passage.context;
    if (context.size() > passage_.size() + kWorthwhileAfter) {
        const int end = passage.psgEnd;
        after_ = std::string(TextRange(context, end, static_cast<int>(context.size()) - end));
    }
    if (passage.ctxLines >= kLongContextLines)
        normalThirds_ = 24;
}
