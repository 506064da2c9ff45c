// SPDX-License-Identifier: GPL-2.0-or-later
// What a printed card of a passage says: its heading with the fallbacks of the tables, which
// pieces of the context it prints, and the size of its fonts.

#include "Passage.h"
#include "PassageCard.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// John 3:16 in a translation, its passage and hint marked in context by their first occurrence.
std::unique_ptr<CPassage> John16(int trans, const std::string& context, const std::string& passage,
                                 const std::string& hint, int ctxLines = 3) {
    auto p = std::make_unique<CPassage>("540030168_");
    p->trans = trans;
    p->context = context;
    p->psgStart = static_cast<int>(context.find(passage));
    p->psgEnd = p->psgStart + static_cast<int>(passage.size());
    p->hintStart = static_cast<int>(context.find(hint));
    p->hintEnd = p->hintStart + static_cast<int>(hint.size());
    p->ctxLines = ctxLines;
    p->primaryTopic = 18;
    p->vCount = 1;
    p->BuildReferences();
    return p;
}

constexpr const char* kContext =
    "15 that whoever\r\n16 For God so loved\r\n17 For God did not send";

} // namespace

TEST(PassageCard, HeadingNamesReferenceTranslationTopicAndHint) {
    const auto p = John16(8, kContext, "16 For God so loved", "For God");
    const CPassageCard card(*p);
    EXPECT_EQ(card.Heading(),
              "John 3:16 NIV <Topic: " + std::string(p->PrimaryTopicName()) + "> <Hint: For God>");

    // A context record and a translation past the table have names of their own; a hint whose
    // offsets run outside the context is empty rather than read past it.
    p->trans = -1;
    p->hintStart = 500;
    EXPECT_EQ(CPassageCard(*p).Heading().substr(0, 26), "John 3:16 Context <Topic: ");
    EXPECT_NE(CPassageCard(*p).Heading().find("> <Hint: >"), std::string::npos);
    p->trans = 36;
    EXPECT_EQ(CPassageCard(*p).Heading().substr(0, 29), "John 3:16 InValid Trans > 35 ");
}

TEST(PassageCard, PrintsTheContextAroundThePassage) {
    const auto p = John16(8, kContext, "16 For God so loved", "For God");
    const CPassageCard card(*p);
    ASSERT_TRUE(card.Before());
    EXPECT_EQ(*card.Before(), "15 that whoever\r\n");
    EXPECT_EQ(card.Passage(), "16 For God so loved");
    ASSERT_TRUE(card.After());
    EXPECT_EQ(*card.After(), "\r\n17 For God did not send");
}

TEST(PassageCard, APassageAtTheStartHasNothingBeforeIt) {
    const auto p = John16(8, kContext, "15 that whoever", "that");
    const CPassageCard card(*p);
    EXPECT_FALSE(card.Before());
    EXPECT_EQ(card.Passage(), "15 that whoever");
    ASSERT_TRUE(card.After());
    EXPECT_EQ(card.After()->substr(0, 4), "\r\n16");
}

TEST(PassageCard, AFewCharactersAfterThePassageAreNotPrinted) {
    // Five characters more than the passage: nothing after it, though they follow it.
    const auto five = John16(8, "16 For God so loved 17 x", "16 For God so loved", "God");
    EXPECT_FALSE(CPassageCard(*five).After());
    // Six: the rest of the context is printed.
    const auto six = John16(8, "16 For God so loved 17 xy", "16 For God so loved", "God");
    ASSERT_TRUE(CPassageCard(*six).After());
    EXPECT_EQ(*CPassageCard(*six).After(), " 17 xy");
    // Those characters are counted over the whole context, before the passage included.
    const auto around = John16(8, "abc 16 For God so loved xyz", "16 For God so loved", "God");
    ASSERT_TRUE(CPassageCard(*around).After());
    EXPECT_EQ(*CPassageCard(*around).After(), " xyz");
}

TEST(PassageCard, OffsetsOutsideTheContextPrintWhatThereIs) {
    const auto p = John16(8, kContext, "16 For God so loved", "For God");
    p->psgEnd = 9999; // the passage runs to the end of the context
    const CPassageCard card(*p);
    EXPECT_EQ(card.Passage(), "16 For God so loved\r\n17 For God did not send");
    EXPECT_EQ(card.After().value_or("none"), "");
}

TEST(PassageCard, LongContextsTakeTheSmallerFonts) {
    const auto twelve = John16(8, kContext, "16 For God so loved", "God", 12);
    EXPECT_EQ(CPassageCard(*twelve).NormalThirds(), 28);
    EXPECT_EQ(CPassageCard(*twelve).BoldThirds(), 32);
    const auto thirteen = John16(8, kContext, "16 For God so loved", "God", 13);
    EXPECT_EQ(CPassageCard(*thirteen).NormalThirds(), 24);
    EXPECT_EQ(CPassageCard(*thirteen).BoldThirds(), 28);
}

TEST(PassageCard, MeasuresTruncateAtThePrintersResolution) {
    EXPECT_EQ(CPassageCard::FontHeight(28, 600), 77); // 77.7
    EXPECT_EQ(CPassageCard::FontHeight(24, 600), 66); // 66.6
    EXPECT_EQ(CPassageCard::FontHeight(32, 300), 44); // 44.4
    EXPECT_EQ(CPassageCard::AreaWidth(96), 451);      // 451.2
    EXPECT_EQ(CPassageCard::AreaHeight(96), 259);     // 259.2
    EXPECT_EQ(CPassageCard::AreaWidth(1200), 5640);
    EXPECT_EQ(CPassageCard::AreaHeight(1200), 3240);
}
