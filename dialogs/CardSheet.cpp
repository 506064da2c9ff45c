// SPDX-License-Identifier: GPL-2.0-or-later
#include "CardSheet.h"

#include "CardRenderer.h"
#include "PassageStore.h"

#include <QLine>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {
constexpr int kCutGrey = 0xB4;
} // namespace

CCardSheet::CCardSheet(const CPassageStore& store, std::vector<int> passages,
                       const SheetPaper& paper)
    : store_(store), passages_(std::move(passages)), layout_(paper) {}

SheetPaper CCardSheet::PaperOf(const QPaintDevice& device, const QMarginsF& unprintablePoints) {
    const int dpiX = device.logicalDpiX();
    const int dpiY = device.logicalDpiY();
    // Rounded up: a part of a dot the device cannot print is a dot it cannot print.
    const auto dots = [](qreal points, int dpi) {
        return static_cast<int>(std::ceil(std::max(points, 0.0) * dpi / 72.0 - 1e-9));
    };
    return {.width = device.width(),
            .height = device.height(),
            .dpiX = dpiX,
            .dpiY = dpiY,
            .unprintableLeft = dots(unprintablePoints.left(), dpiX),
            .unprintableTop = dots(unprintablePoints.top(), dpiY),
            .unprintableRight = dots(unprintablePoints.right(), dpiX),
            .unprintableBottom = dots(unprintablePoints.bottom(), dpiY)};
}

SheetPaper CCardSheet::LandscapePaper(QPageSize::PageSizeId id, int dpi) {
    const QSize portrait = QPageSize(id).sizePixels(dpi);
    return {.width = portrait.height(), .height = portrait.width(), .dpiX = dpi, .dpiY = dpi};
}

QPen CCardSheet::CutPen(int dpi) {
    QPen pen(QColor(kCutGrey, kCutGrey, kCutGrey));
    pen.setWidth(std::max(1, dpi / 144));
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

CCardSheet::Outcome CCardSheet::Paint(QPainter& painter, const std::function<bool()>& newPage,
                                      const std::function<bool(int done)>& progress) const {
    const int count = CardCount();
    if (layout_.CardsPerPage() == 0)
        return count == 0 ? Outcome::Done : Outcome::Failed;
    for (int card = 0; card < count; ++card) {
        const CardPlace place = layout_.Place(card);
        if (card > 0 && place.page != layout_.Place(card - 1).page && !newPage())
            return Outcome::Failed;
        CCardRenderer(store_.Passage(passages_[static_cast<std::size_t>(card)]))
            .Draw(painter, QPoint(place.x, place.y));
        const bool pageDone = card + 1 == count || layout_.Place(card + 1).page != place.page;
        const bool goOn = progress(card + 1);
        // The lines go over the cards, whose text is drawn on a white ground up to their edges. A
        // run stopped halfway through a page leaves it whole, with the lines of its cards.
        if (pageDone || !goOn)
            DrawCutLines(painter, layout_.CardsOnPage(place.page, card + 1));
        if (!goOn)
            return Outcome::Cancelled;
    }
    return Outcome::Done;
}

void CCardSheet::DrawCutLines(QPainter& painter, int count) const {
    painter.save();
    painter.setPen(CutPen(painter.device()->logicalDpiX()));
    painter.setBrush(Qt::NoBrush);
    for (const CutLine& line : layout_.CutLines(count))
        painter.drawLine(QLine(line.x1, line.y1, line.x2, line.y2));
    painter.restore();
}
