// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QFont>
#include <QHash>
#include <QString>

// Number of lines text occupies when word-wrapped to a box of the given width (in dialog units
// of the dialog font) in the dialog font's face at pointSize. Every line break (CR LF or LF)
// starts a new line and an empty line counts as one, so a paragraph break adds one line. A word
// wider than the box is broken inside. The Edit Passage dialog stores these counts with a
// passage, and the generator of the bundled passages measures with the same function, so that
// both give the main window's display the same measure.
int CountDisplayLines(const QString& text, double pointSize, int widthDialogUnits);

// The same measure for many texts at one size and width, with the font and the width made once:
// what the import uses on thousands of passages.
// With rememberParagraphs the count of each paragraph is kept, so that a paragraph met again (the
// verses that the contexts of neighbouring passages share) is not laid out twice.
class CDisplayLineMeasure {
public:
    CDisplayLineMeasure(double pointSize, int widthDialogUnits, bool rememberParagraphs = false);
    int Count(const QString& text) const;

private:
    int CountParagraph(const QString& paragraph) const;

    QFont font_;
    qreal width_ = 0;
    bool remember_ = false;
    mutable QHash<QString, int> remembered_;
};
