// SPDX-License-Identifier: GPL-2.0-or-later
#include "DisplayLines.h"

#include "DialogUnits.h"

#include <QStringList>
#include <QTextLayout>
#include <QTextOption>

int CountDisplayLines(const QString& text, double pointSize, int widthDialogUnits) {
    return CDisplayLineMeasure(pointSize, widthDialogUnits).Count(text);
}

CDisplayLineMeasure::CDisplayLineMeasure(double pointSize, int widthDialogUnits,
                                         bool rememberParagraphs)
    : font_(DialogFont()), remember_(rememberParagraphs) {
    font_.setPointSizeF(pointSize);
    width_ = CDialogUnits().X(widthDialogUnits);
}

int CDisplayLineMeasure::Count(const QString& text) const {
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList paragraphs = normalised.split(QLatin1Char('\n'));

    int lines = 0;
    for (const QString& paragraph : paragraphs) {
        if (paragraph.isEmpty()) {
            ++lines;
            continue;
        }
        if (!remember_) {
            lines += CountParagraph(paragraph);
            continue;
        }
        const auto found = remembered_.constFind(paragraph);
        if (found != remembered_.constEnd()) {
            lines += *found;
            continue;
        }
        const int count = CountParagraph(paragraph);
        // A bound on what is kept: a whole collection's verses, not more.
        constexpr qsizetype kMostRemembered = 200000;
        if (remembered_.size() >= kMostRemembered)
            remembered_.clear();
        remembered_.insert(paragraph, count);
        lines += count;
    }
    return lines;
}

int CDisplayLineMeasure::CountParagraph(const QString& paragraph) const {
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QTextLayout layout(paragraph, font_);
    layout.setTextOption(option);
    layout.beginLayout();
    int lines = 0;
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width_);
        ++lines;
    }
    layout.endLayout();
    return lines;
}
