// SPDX-License-Identifier: GPL-2.0-or-later
#include "CardRenderer.h"

#include "DialogUnits.h"
#include "Win1252.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <vector>

namespace {

// Room left below the heading, and below the context before the passage, in device units.
constexpr int kBelowHeading = 10;
constexpr int kBelowBefore = 5;
constexpr int kFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
constexpr int kUnbounded = 1 << 24;
constexpr char16_t kEllipsis = u'\u2026';

// One piece of the card's text in its font, and the room left below it before the next piece.
struct Piece {
    QString text;
    const QFont& font;
    int below;
};

// The card's text column: pieces word-wrapped into its width, one under the other, measured
// with the painter's own layout so that what is measured is what gets drawn.
class CColumn {
public:
    CColumn(QPainter& painter, const QRect& area) : painter_(painter), area_(area) {}

    int Bottom() const { return area_.top() + area_.height(); }

    // The height text takes in the column, all its lines (a closing line break's empty one too).
    int Height(const QString& text, const QFont& font) const {
        painter_.setFont(font);
        return painter_
            .boundingRect(QRect(area_.left(), 0, area_.width(), kUnbounded), kFlags, text)
            .height();
    }

    // The longest beginning of text, in whole words, that fits into height with the ellipsis
    // after it; empty when not even the ellipsis fits.
    QString Shortened(const QString& text, const QFont& font, int height) const {
        std::vector<qsizetype> ends{0};
        for (qsizetype i = 1; i <= text.size(); ++i)
            if ((i == text.size() || text.at(i).isSpace()) && !text.at(i - 1).isSpace())
                ends.push_back(i);
        const auto withEllipsis = [&](std::size_t words) {
            return text.left(ends[words]) + QChar(kEllipsis);
        };
        if (Height(withEllipsis(0), font) > height)
            return {};
        std::size_t fits = 0;
        std::size_t tooMany = ends.size();
        while (tooMany - fits > 1) {
            const std::size_t words = (fits + tooMany) / 2;
            (Height(withEllipsis(words), font) <= height ? fits : tooMany) = words;
        }
        return withEllipsis(fits);
    }

    void Draw(const QString& text, const QFont& font, int y) const {
        painter_.setFont(font);
        painter_.drawText(QRect(area_.left(), y, area_.width(), std::max(0, Bottom() - y)), kFlags,
                          text);
    }

private:
    QPainter& painter_;
    QRect area_;
};

} // namespace

CCardRenderer::CCardRenderer(const CPassage& passage) : card_(passage) {}

QFont CCardRenderer::CardFont(int thirds, int dpiY, bool bold) {
    // The dialog face stands for the card's plain sans-serif face.
    QFont font(DialogFont().family());
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, CPassageCard::FontHeight(thirds, dpiY)));
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

void CCardRenderer::Draw(QPainter& painter, QPoint origin) const {
    const QPaintDevice* device = painter.device();
    const int dpiX = device->logicalDpiX();
    const int dpiY = device->logicalDpiY();
    const QFont normal = CardFont(card_.NormalThirds(), dpiY, false);
    const QFont bold = CardFont(card_.BoldThirds(), dpiY, true);
    const int insetX = CPassageCard::Inset(dpiX);
    const int insetY = CPassageCard::Inset(dpiY);
    const CColumn column(painter, QRect(origin.x() + insetX, origin.y() + insetY,
                                        CPassageCard::AreaWidth(dpiX) - 2 * insetX,
                                        CPassageCard::AreaHeight(dpiY) - 2 * insetY));
    std::vector<Piece> pieces{{FromWin1252Lines(card_.Heading()), bold, kBelowHeading}};
    if (card_.Before())
        pieces.push_back({FromWin1252Lines(*card_.Before()), normal, kBelowBefore});
    pieces.push_back({FromWin1252Lines(card_.Passage()), bold, 0});
    if (card_.After())
        pieces.push_back({FromWin1252Lines(*card_.After()), normal, 0});

    painter.save();
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(Qt::white);
    painter.setPen(Qt::black);
    // Each piece starts where the one above it ended. Only whole lines are drawn: the piece that
    // reaches past the bottom is shortened to the words that fit, and so is the last piece drawn
    // when not even the start of the next one would fit; either ends with an ellipsis, so that
    // the card shows that text was left out.
    int y = origin.y() + insetY;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const Piece& piece = pieces[i];
        QString text = piece.text;
        const int height = column.Height(text, piece.font);
        const int next = y + height + piece.below;
        const bool cut =
            height > column.Bottom() - y ||
            (i + 1 < pieces.size() &&
             column.Height(QString(QChar(kEllipsis)), pieces[i + 1].font) > column.Bottom() - next);
        if (cut)
            text = column.Shortened(piece.text, piece.font, column.Bottom() - y);
        if (!text.isEmpty())
            column.Draw(text, piece.font, y);
        if (cut)
            break;
        y = next;
    }
    painter.restore();
}
