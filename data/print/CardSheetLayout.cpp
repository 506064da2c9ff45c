// SPDX-License-Identifier: GPL-2.0-or-later
#include "CardSheetLayout.h"

#include "PassageCard.h"

#include <algorithm>

namespace {

// How many of size fit into room, and the offset that centres them there.
struct Fit {
    int count = 0;
    int offset = 0;
};

Fit FitInto(int start, int end, int size) {
    const int room = end - start;
    if (size <= 0 || room < size)
        return {};
    const int count = room / size;
    return {count, start + (room - count * size) / 2};
}

} // namespace

CCardSheetLayout::CCardSheetLayout(const SheetPaper& paper)
    : cardWidth_(CPassageCard::AreaWidth(paper.dpiX)),
      cardHeight_(CPassageCard::AreaHeight(paper.dpiY)) {
    const int marginX = paper.dpiX * kMarginHundredths / 100;
    const int marginY = paper.dpiY * kMarginHundredths / 100;
    const Fit across = FitInto(std::max(marginX, paper.unprintableLeft),
                               paper.width - std::max(marginX, paper.unprintableRight), cardWidth_);
    const Fit down =
        FitInto(std::max(marginY, paper.unprintableTop),
                paper.height - std::max(marginY, paper.unprintableBottom), cardHeight_);
    // A paper that takes no card in one direction takes none at all.
    if (across.count == 0 || down.count == 0)
        return;
    columns_ = across.count;
    rows_ = down.count;
    left_ = across.offset;
    top_ = down.offset;
}

int CCardSheetLayout::PageCount(int cards) const {
    const int perPage = CardsPerPage();
    if (perPage == 0 || cards <= 0)
        return 0;
    return (cards + perPage - 1) / perPage;
}

int CCardSheetLayout::CardsOnPage(int page, int cards) const {
    const int perPage = CardsPerPage();
    if (perPage == 0 || page < 0)
        return 0;
    return std::clamp(cards - page * perPage, 0, perPage);
}

CardPlace CCardSheetLayout::Place(int card) const {
    const int perPage = std::max(CardsPerPage(), 1);
    const int slot = card % perPage;
    const int columns = std::max(columns_, 1);
    return {card / perPage, left_ + slot % columns * cardWidth_,
            top_ + slot / columns * cardHeight_};
}

std::vector<CutLine> CCardSheetLayout::CutLines(int count) const {
    count = std::clamp(count, 0, CardsPerPage());
    std::vector<CutLine> lines;
    if (count == 0)
        return lines;
    // Rows fill in turn, so a row never holds more cards than the one above it: the line under a
    // row (and the top line) reaches as far as the longer of the rows it borders.
    const int usedRows = (count + columns_ - 1) / columns_;
    const auto inRow = [&](int row) { return std::min(columns_, count - row * columns_); };
    for (int edge = 0; edge <= usedRows; ++edge) {
        const int y = top_ + edge * cardHeight_;
        const int reach = inRow(edge == 0 ? 0 : edge - 1);
        lines.push_back({left_, y, left_ + reach * cardWidth_, y});
    }
    // A vertical edge runs down through every row that has a card on either side of it.
    for (int edge = 0; edge <= inRow(0); ++edge) {
        const int x = left_ + edge * cardWidth_;
        int rows = 0;
        while (rows < usedRows && inRow(rows) >= std::max(edge, 1))
            ++rows;
        lines.push_back({x, top_, x, top_ + rows * cardHeight_});
    }
    return lines;
}
