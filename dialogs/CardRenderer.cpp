#include "CardRenderer.h"

#include "DialogUnits.h"
#include "Win1252.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>

namespace {

// Room left below the heading, and below the context before the passage, in device units.
constexpr int kBelowHeading = 10;
constexpr int kBelowBefore = 5;

QString CardText(const std::string& bytes) {
    QString text = FromWin1252(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

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
    const int width = CPassageCard::AreaWidth(dpiX);
    const int bottom = origin.y() + CPassageCard::AreaHeight(dpiY);

    painter.save();
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(Qt::white);
    painter.setPen(Qt::black);
    // Each piece starts at the card's left edge and may run down to its bottom edge; the height
    // it took (all of it, even where cut off) places the next one.
    const auto draw = [&](const std::string& text, const QFont& font, int y) {
        painter.setFont(font);
        const QRect room(origin.x(), y, width, std::max(0, bottom - y));
        QRect drawn;
        painter.drawText(room, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, CardText(text),
                         &drawn);
        return drawn.height();
    };
    int y = origin.y();
    y += draw(card_.Heading(), bold, y) + kBelowHeading;
    if (card_.Before())
        y += draw(*card_.Before(), normal, y) + kBelowBefore;
    const int passageHeight = draw(card_.Passage(), bold, y);
    if (card_.After())
        draw(*card_.After(), normal, y + passageHeight);
    painter.restore();
}
