// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QFont>
#include <QRect>

// Windows are laid out in dialog units, which scale with the dialog font: a horizontal unit is a
// quarter of the font's average character width, a vertical unit an eighth of its line height.

// The dialog font: the platform's sans-serif face at 8 points.
QFont DialogFont();

class CDialogUnits {
public:
    explicit CDialogUnits(const QFont& font = DialogFont());

    int X(int units) const { return (units * averageWidth_ + 2) / 4; }
    int Y(int units) const { return (units * lineHeight_ + 4) / 8; }
    QRect Rect(int x, int y, int width, int height) const {
        return QRect(X(x), Y(y), X(width), Y(height));
    }

private:
    int averageWidth_;
    int lineHeight_;
};
