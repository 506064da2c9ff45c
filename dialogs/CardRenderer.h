// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "PassageCard.h"

#include <QFont>
#include <QPoint>

class CPassage;
class QPainter;

// Draws a passage's pocket card onto any paint device (a printer, a PDF writer, an image) in the
// device's own units: the bold heading, then the context before the passage, the passage in bold
// and the context after it, each word-wrapped into the card's width less its inset on both sides.
// The text keeps the inset clear inside every edge of the card and ends at the last whole line
// that fits above the bottom one, with an ellipsis where text was left out.
class CCardRenderer {
public:
    explicit CCardRenderer(const CPassage& passage);

    // Draws the card with its top-left corner at origin, measured with the resolution of the
    // painter's device. The painter's state is as it was afterwards.
    void Draw(QPainter& painter, QPoint origin = {}) const;

    // The card's font of a size in thirds of a point, as a height in device units of a device of
    // vertical resolution dpiY.
    static QFont CardFont(int thirds, int dpiY, bool bold);

private:
    CPassageCard card_;
};
