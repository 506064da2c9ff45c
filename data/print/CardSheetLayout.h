// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <vector>

// A sheet of paper as a device reports it, in the device's own units: the whole paper, the
// resolution, and the edges the device cannot print on (none for a PDF file).
struct SheetPaper {
    int width = 0;
    int height = 0;
    int dpiX = 0;
    int dpiY = 0;
    int unprintableLeft = 0;
    int unprintableTop = 0;
    int unprintableRight = 0;
    int unprintableBottom = 0;
};

// Where a card goes: its page (from 0) and its top-left corner on that page.
struct CardPlace {
    int page = 0;
    int x = 0;
    int y = 0;
};

// A line to cut along, from (x1, y1) to (x2, y2); always horizontal or vertical.
struct CutLine {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    bool operator==(const CutLine&) const = default;
};

// How pocket cards are laid out several to a page: as many 4.70 by 2.70 inch cards as fit on the
// paper inside the margins, in a grid centred in the area that the margins leave. The cards touch,
// so that one cut separates two neighbours; the cut lines follow the edges of the cards on the
// page and nothing else. Cards fill a page row by row, each row from left to right, in the order
// they are given. All measures are in the paper's device units.
class CCardSheetLayout {
public:
    // The margin kept on every side, in hundredths of an inch, however close to the edge the
    // device can print: room for a cutter and for the paper's grip.
    static constexpr int kMarginHundredths = 20;

    explicit CCardSheetLayout(const SheetPaper& paper);

    int Columns() const { return columns_; }
    int Rows() const { return rows_; }
    // 0 when the paper cannot hold a single card inside its margins.
    int CardsPerPage() const { return columns_ * rows_; }
    int CardWidth() const { return cardWidth_; }
    int CardHeight() const { return cardHeight_; }

    // The pages that cards take; 0 for no cards or when no card fits.
    int PageCount(int cards) const;
    // How many of cards land on page (from 0); 0 past the last page.
    int CardsOnPage(int page, int cards) const;
    // Where card (from 0) goes. Only meaningful when CardsPerPage() is above 0.
    CardPlace Place(int card) const;
    // The cut lines of a page that holds count cards (1..CardsPerPage()): every edge of those
    // cards, one line for each run of edges that lie on one grid line; none for count 0.
    std::vector<CutLine> CutLines(int count) const;

private:
    int cardWidth_ = 0;
    int cardHeight_ = 0;
    int columns_ = 0;
    int rows_ = 0;
    int left_ = 0; // the grid's top-left corner
    int top_ = 0;
};
