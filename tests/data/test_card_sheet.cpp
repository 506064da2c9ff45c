// SPDX-License-Identifier: GPL-2.0-or-later
// How pocket cards are laid out several to a page: how many fit on Letter and A4 either way up,
// where each one goes, how a printer's unprintable edges take room, and which cut lines a full and
// a partly filled page get.

#include "CardSheetLayout.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kDpi = 1200;

// Paper in hundredths of an inch, at 1200 dots per inch.
SheetPaper Paper(int widthHundredths, int heightHundredths) {
    return {.width = widthHundredths * kDpi / 100,
            .height = heightHundredths * kDpi / 100,
            .dpiX = kDpi,
            .dpiY = kDpi};
}

// A4 is 210 by 297 mm.
SheetPaper A4(bool landscape) {
    SheetPaper paper{.width = 210 * kDpi * 10 / 254, .height = 297 * kDpi * 10 / 254};
    if (landscape)
        std::swap(paper.width, paper.height);
    paper.dpiX = paper.dpiY = kDpi;
    return paper;
}

constexpr int kCardWidth = 470 * kDpi / 100;  // 5640
constexpr int kCardHeight = 270 * kDpi / 100; // 3240

} // namespace

TEST(CardSheetLayoutTest, AsManyCardsAsFitInsideTheMargins) {
    struct Case {
        const char* paper;
        SheetPaper sheet;
        int columns;
        int rows;
    };
    const Case cases[] = {
        {"Letter landscape", Paper(1100, 850), 2, 3},
        // 4 x 2.70 = 10.80 inches would leave 0.10 inch at each end: less than the margin.
        {"Letter portrait", Paper(850, 1100), 1, 3},
        // 8.27 inches take three rows of 2.70 only without margins.
        {"A4 landscape", A4(true), 2, 2},
        {"A4 portrait", A4(false), 1, 4},
        {"Legal landscape", Paper(1400, 850), 2, 3},
    };
    for (const Case& c : cases) {
        const CCardSheetLayout layout(c.sheet);
        EXPECT_EQ(layout.Columns(), c.columns) << c.paper;
        EXPECT_EQ(layout.Rows(), c.rows) << c.paper;
        EXPECT_EQ(layout.CardsPerPage(), c.columns * c.rows) << c.paper;
        EXPECT_EQ(layout.CardWidth(), kCardWidth);
        EXPECT_EQ(layout.CardHeight(), kCardHeight);
    }
}

TEST(CardSheetLayoutTest, TheGridIsCentredAndFilledRowByRow) {
    const CCardSheetLayout layout(Paper(1100, 850));
    // 11 - 9.40 inches leave 0.80 on each side; 8.50 - 8.10 leave 0.20 above and below.
    const int left = 80 * kDpi / 100;
    const int top = 20 * kDpi / 100;
    const std::vector<CardPlace> expected = {
        {0, left, top},
        {0, left + kCardWidth, top},
        {0, left, top + kCardHeight},
        {0, left + kCardWidth, top + kCardHeight},
        {0, left, top + 2 * kCardHeight},
        {0, left + kCardWidth, top + 2 * kCardHeight},
        {1, left, top}, // the seventh card starts the second page where the first began
        {1, left + kCardWidth, top},
    };
    for (int card = 0; card < static_cast<int>(expected.size()); ++card) {
        const CardPlace place = layout.Place(card);
        EXPECT_EQ(place.page, expected[card].page) << card;
        EXPECT_EQ(place.x, expected[card].x) << card;
        EXPECT_EQ(place.y, expected[card].y) << card;
    }
    // The last card of a full page ends inside the bottom margin, the paper's width less the
    // left margin.
    const CardPlace last = layout.Place(5);
    EXPECT_EQ(last.x + kCardWidth, 1100 * kDpi / 100 - left);
    EXPECT_EQ(last.y + kCardHeight, 850 * kDpi / 100 - top);
}

TEST(CardSheetLayoutTest, PagesAndCardsPerPage) {
    const CCardSheetLayout layout(Paper(1100, 850));
    EXPECT_EQ(layout.PageCount(0), 0);
    EXPECT_EQ(layout.PageCount(1), 1);
    EXPECT_EQ(layout.PageCount(6), 1);
    EXPECT_EQ(layout.PageCount(7), 2);
    EXPECT_EQ(layout.PageCount(200), 34);
    EXPECT_EQ(layout.CardsOnPage(0, 200), 6);
    EXPECT_EQ(layout.CardsOnPage(33, 200), 2);
    EXPECT_EQ(layout.CardsOnPage(34, 200), 0);
    EXPECT_EQ(layout.CardsOnPage(-1, 200), 0);
    EXPECT_EQ(layout.CardsOnPage(0, 0), 0);
}

TEST(CardSheetLayoutTest, UnprintableEdgesTakeTheirRoomAndKeepTheGridInside) {
    // A printer that cannot print the outer quarter inch loses Letter's third row.
    SheetPaper paper = Paper(1100, 850);
    paper.unprintableLeft = paper.unprintableTop = paper.unprintableRight =
        paper.unprintableBottom = 25 * kDpi / 100;
    EXPECT_EQ(CCardSheetLayout(paper).Rows(), 2);
    EXPECT_EQ(CCardSheetLayout(paper).Columns(), 2);

    // A wide edge on one side only: the grid is centred in what is left, not on the paper, so
    // that no card reaches into the edge.
    paper = Paper(850, 1100);
    paper.unprintableBottom = 200 * kDpi / 100;
    const CCardSheetLayout layout(paper);
    EXPECT_EQ(layout.Rows(), 3);
    const int usable = 1100 * kDpi / 100 - 20 * kDpi / 100 - paper.unprintableBottom;
    EXPECT_EQ(layout.Place(0).y, 20 * kDpi / 100 + (usable - 3 * kCardHeight) / 2);
    EXPECT_LE(layout.Place(2).y + kCardHeight, paper.height - paper.unprintableBottom);
    // Narrower edges than the margin change nothing.
    SheetPaper narrow = Paper(1100, 850);
    narrow.unprintableLeft = narrow.unprintableTop = 10 * kDpi / 100;
    EXPECT_EQ(CCardSheetLayout(narrow).Place(0).x, CCardSheetLayout(Paper(1100, 850)).Place(0).x);
    EXPECT_EQ(CCardSheetLayout(narrow).Place(0).y, CCardSheetLayout(Paper(1100, 850)).Place(0).y);
}

TEST(CardSheetLayoutTest, PaperTooSmallForACardHoldsNone) {
    for (const SheetPaper& paper : {Paper(500, 800), Paper(800, 300), Paper(0, 0), SheetPaper{}}) {
        const CCardSheetLayout layout(paper);
        EXPECT_EQ(layout.CardsPerPage(), 0);
        EXPECT_EQ(layout.PageCount(10), 0);
        EXPECT_EQ(layout.CardsOnPage(0, 10), 0);
        EXPECT_TRUE(layout.CutLines(1).empty());
    }
    // Exactly a card and its margins is enough.
    EXPECT_EQ(CCardSheetLayout(Paper(510, 310)).CardsPerPage(), 1);
    EXPECT_EQ(CCardSheetLayout(Paper(509, 310)).CardsPerPage(), 0);
}

TEST(CardSheetLayoutTest, DifferentResolutionsAcrossAndDown) {
    // A printer of 600 by 300 dots per inch measures the card in each direction's own dots.
    const SheetPaper paper{.width = 11 * 600, .height = 850 * 300 / 100, .dpiX = 600, .dpiY = 300};
    const CCardSheetLayout layout(paper);
    EXPECT_EQ(layout.CardWidth(), 470 * 600 / 100);
    EXPECT_EQ(layout.CardHeight(), 270 * 300 / 100);
    EXPECT_EQ(layout.Columns(), 2);
    EXPECT_EQ(layout.Rows(), 3);
    EXPECT_EQ(layout.Place(0).x, 80 * 600 / 100);
    EXPECT_EQ(layout.Place(0).y, 20 * 300 / 100);
}

TEST(CardSheetLayoutTest, CutLinesFollowTheEdgesOfTheCardsOnThePage) {
    const CCardSheetLayout layout(Paper(1100, 850));
    const int x0 = layout.Place(0).x;
    const int y0 = layout.Place(0).y;
    const int w = kCardWidth;
    const int h = kCardHeight;

    // A full page: four lines across, three down, each the grid's whole length.
    const std::vector<CutLine> full = {
        {x0, y0, x0 + 2 * w, y0},
        {x0, y0 + h, x0 + 2 * w, y0 + h},
        {x0, y0 + 2 * h, x0 + 2 * w, y0 + 2 * h},
        {x0, y0 + 3 * h, x0 + 2 * w, y0 + 3 * h},
        {x0, y0, x0, y0 + 3 * h},
        {x0 + w, y0, x0 + w, y0 + 3 * h},
        {x0 + 2 * w, y0, x0 + 2 * w, y0 + 3 * h},
    };
    EXPECT_EQ(layout.CutLines(6), full);
    EXPECT_EQ(layout.CutLines(60), full); // no more than a page holds

    // Three cards: a full row and one card below it. The line under the second row spans one
    // card; the right-hand edge goes down the first row only.
    const std::vector<CutLine> three = {
        {x0, y0, x0 + 2 * w, y0},
        {x0, y0 + h, x0 + 2 * w, y0 + h},
        {x0, y0 + 2 * h, x0 + w, y0 + 2 * h},
        {x0, y0, x0, y0 + 2 * h},
        {x0 + w, y0, x0 + w, y0 + 2 * h},
        {x0 + 2 * w, y0, x0 + 2 * w, y0 + h},
    };
    EXPECT_EQ(layout.CutLines(3), three);

    // One card: its four edges.
    const std::vector<CutLine> one = {
        {x0, y0, x0 + w, y0},
        {x0, y0 + h, x0 + w, y0 + h},
        {x0, y0, x0, y0 + h},
        {x0 + w, y0, x0 + w, y0 + h},
    };
    EXPECT_EQ(layout.CutLines(1), one);
    EXPECT_TRUE(layout.CutLines(0).empty());

    // A single column: the lines across are as wide as a card.
    const CCardSheetLayout column(Paper(850, 1100));
    const std::vector<CutLine> lines = column.CutLines(2);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[2].x2 - lines[2].x1, w);
    EXPECT_EQ(lines[3].y2 - lines[3].y1, 2 * h);
    EXPECT_EQ(lines[4].y2 - lines[4].y1, 2 * h);
}
