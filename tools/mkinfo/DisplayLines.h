#pragma once

#include <QFont>
#include <QString>

// The platform's sans-serif font at the given point size. It stands in for
// the classic dialog font, so passage texts are measured in the same face
// the dialogs show them in.
QFont SansSerifFont(double pointSize);

// Width in pixels of the given number of horizontal dialog units: units x the
// average character width of the 8 pt dialog font / 4, rounded.
int DialogUnitsToPixelsX(int widthDialogUnits);

// Number of lines `text` occupies when word-wrapped to a box of the given
// width (in dialog units) in the sans-serif font at `pointSize`. Every line
// break (CR LF or LF) starts a new line and an empty line counts as one, so a
// paragraph break adds one line. A word wider than the box is broken inside.
int CountDisplayLines(const QString& text, double pointSize, int widthDialogUnits);
