#include "DisplayLines.h"

#include "DialogUnits.h"

#include <QStringList>
#include <QTextLayout>
#include <QTextOption>

int CountDisplayLines(const QString& text, double pointSize, int widthDialogUnits) {
    QFont font = DialogFont();
    font.setPointSizeF(pointSize);
    const qreal width = CDialogUnits().X(widthDialogUnits);

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
