#include "DisplayLines.h"

#include <QFontMetrics>
#include <QStringList>
#include <QTextLayout>
#include <QTextOption>

QFont SansSerifFont(double pointSize) {
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    return font;
}

int DialogUnitsToPixelsX(int widthDialogUnits) {
    // The average character width is taken over the 52 letters and rounded,
    // the way dialog base units have always been derived from a dialog font.
    const QFontMetrics metrics(SansSerifFont(8.0));
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int averageWidth = (letters / 26 + 1) / 2;
    return (widthDialogUnits * averageWidth + 2) / 4;
}

int CountDisplayLines(const QString& text, double pointSize, int widthDialogUnits) {
    const QFont font = SansSerifFont(pointSize);
    const qreal width = DialogUnitsToPixelsX(widthDialogUnits);

    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);

    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList paragraphs = normalised.split(QLatin1Char('\n'));

    int lines = 0;
    for (const QString& paragraph : paragraphs) {
        if (paragraph.isEmpty()) {
            ++lines;
            continue;
        }
        QTextLayout layout(paragraph, font);
        layout.setTextOption(option);
        layout.beginLayout();
        for (;;) {
            QTextLine line = layout.createLine();
            if (!line.isValid())
                break;
            line.setLineWidth(width);
            ++lines;
        }
        layout.endLayout();
    }
    return lines;
}
