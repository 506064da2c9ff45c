#include "DisplayLines.h"

#include "DialogUnits.h"

#include <QStringList>
#include <QTextLayout>
#include <QTextOption>

int CountDisplayLines(const QString& text, double pointSize, int widthDialogUnits) {
    return CDisplayLineMeasure(pointSize, widthDialogUnits).Count(text);
}

CDisplayLineMeasure::CDisplayLineMeasure(double pointSize, int widthDialogUnits)
    : font_(DialogFont()) {
    font_.setPointSizeF(pointSize);
    width_ = CDialogUnits().X(widthDialogUnits);
}

int CDisplayLineMeasure::Count(const QString& text) const {
    const QFont& font = font_;
    const qreal width = width_;

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
