// SPDX-License-Identifier: GPL-2.0-or-later
// The line measure against Qt's text layout, laid out here line by line: the counts are stored in
// the passage files, so the measure's word wrap must give exactly the layout's count, on every
// bundled passage and on generated texts made to catch it out (long words, tabs, no-break spaces,
// soft hyphens, the punctuation of Windows-1252, lines that end right at the box's edge).

#include "DialogUnits.h"
#include "DisplayLines.h"
#include "Passage.h"
#include "PassageCheck.h"
#include "UiSupport.h"
#include "Win1252.h"

#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QTextLayout>
#include <QTextOption>
#include <QtTest>

#include <random>

namespace {

constexpr int kSizes[] = {CPassageCheck::kContextMeasurePoints,
                          CPassageCheck::kPassageMeasurePoints};

QFont MeasureFont(int points) {
    QFont font = DialogFont();
    font.setPointSizeF(points);
    return font;
}

qreal BoxWidth() {
    return CDialogUnits().X(CPassageCheck::kBoxWidth);
}

// The layout's own count, paragraph by paragraph.
int LaidOutLines(const QString& text, int points) {
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    int lines = 0;
    for (const QString& paragraph : QString(text)
                                        .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                                        .split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, MeasureFont(points));
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(BoxWidth());
            ++lines;
        }
        layout.endLayout();
    }
    return lines;
}

// Texts of words, spaces and breaks from a fixed seed.
class CTextMaker {
public:
    QString Text() {
        QString text;
        const int paragraphs = Below(3) + 1;
        for (int p = 0; p < paragraphs; ++p) {
            if (p > 0)
                text += Below(2) ? QStringLiteral("\r\n") : QStringLiteral("\n");
            const int words = Below(60) + 1;
            for (int w = 0; w < words; ++w) {
                if (w > 0)
                    text += Gap();
                text += Word();
            }
        }
        return text;
    }

    // A paragraph grown a letter at a time across the box's edge: each step is a text.
    QStringList AcrossTheEdge(const QFont& font) {
        const QFontMetricsF metrics(font);
        QString text = Word();
        while (metrics.horizontalAdvance(text) < BoxWidth() - 12)
            text += Gap() + Word();
        QStringList texts;
        const QString tail = Word() + QLatin1Char(' ') + Word();
        for (const QChar c : tail) {
            text += c;
            texts.append(text);
        }
        return texts;
    }

    // A paragraph of a long context: hundreds of words with one space between them, so that
    // many of its lines end close to the box's edge.
    QString LongParagraph() {
        QString text;
        const int words = Below(300) + 100;
        for (int w = 0; w < words; ++w) {
            if (w > 0)
                text += QLatin1Char(' ');
            text += Words()[Below(Words().size())];
        }
        return text;
    }

private:
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    QString Gap() {
        switch (Below(40)) {
        case 0:
            return QStringLiteral("  ");
        case 1:
            return QStringLiteral("\t");
        case 2:
            return QString(QChar(0xa0));
        case 3:
            return QStringLiteral(" \t ");
        default:
            return QStringLiteral(" ");
        }
    }

    static const QStringList& Words() {
        static const QStringList kWords = {
            QStringLiteral("the"),
            QStringLiteral("and"),
            QStringLiteral("LORD"),
            QStringLiteral("said,"),
            QStringLiteral("unto"),
            QStringLiteral("Jerusalem;"),
            QStringLiteral("whosoever"),
            QStringLiteral("everlasting"),
            QStringLiteral("I"),
            QStringLiteral("a"),
            QStringLiteral("(selah)"),
            QStringLiteral("well-known"),
            QStringLiteral("3:16"),
            QStringLiteral("16"),
            QStringLiteral("and/or"),
            QStringLiteral("him!"),
            QStringLiteral("What?"),
            QStringLiteral("\"Yes\""),
            QStringLiteral("[sic]"),
            QStringLiteral("fiftyfold"),
            QStringLiteral("Mahershalalhashbaz"),
            QStringLiteral("jiffy"),
            QStringLiteral("ff."),
            QStringLiteral("1,000"),
            QStringLiteral("100%"),
            QStringLiteral("#1"),
            QStringLiteral("a_b"),
            QStringLiteral("x--y"),
            QStringLiteral("-minus"),
            QStringLiteral("end-"),
            QStringLiteral("{x}"),
            QStringLiteral("&"),
            QStringLiteral("~"),
            // Punctuation standing alone, as some typists space it ("Amen !", "( selah )"): no
            // line may break before the closing kinds or after the opening ones, spaces or not.
            QStringLiteral("!"),
            QStringLiteral("?"),
            QStringLiteral(";"),
            QStringLiteral(":"),
            QStringLiteral(")"),
            QStringLiteral("]"),
            QStringLiteral("/"),
            QStringLiteral("("),
            QStringLiteral("["),
        };
        return kWords;
    }

    QString Word() {
        const QStringList& kWords = Words();
        switch (Below(30)) {
        case 0: // Windows-1252 punctuation and letters, around and inside words
            return FromWin1252(std::string(1, static_cast<char>(0x80 + Below(128)))) +
                   kWords[Below(kWords.size())] +
                   FromWin1252(std::string(1, static_cast<char>(0x80 + Below(128))));
        case 1: // a word with a soft hyphen
            return QStringLiteral("every") + QChar(0xad) + QStringLiteral("lasting");
        case 2: // a word longer than the box
            return QString(Below(120) + 40, QLatin1Char("wmil."[Below(5)]));
        case 3: // an em or en dash between words
            return kWords[Below(kWords.size())] + QChar(Below(2) ? 0x2014 : 0x2013) +
                   kWords[Below(kWords.size())];
        case 4: // quoted
            return QChar(0x201c) + kWords[Below(kWords.size())] + QChar(0x2019) + QChar(0x201d);
        default:
            return kWords[Below(kWords.size())];
        }
    }

    std::mt19937 random_{20261209};
};

} // namespace

class DisplayLinesTest : public QObject {
    Q_OBJECT

private slots:
    // Every context and every passage of the bundled collection, at both sizes the checks use;
    // most of them are counted by the word wrap, not laid out.
    void bundledPassagesCountAsTheLayout() {
        QFile file(
            QDir(QStringLiteral(RECITOR_SOURCE_DIR)).filePath(QStringLiteral("res/RctInfo.xml")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QStringList texts;
        while (!file.atEnd()) {
            const QByteArray line = file.readLine().trimmed();
            if (!line.startsWith("<psg "))
                continue;
            CPassage passage;
            CMessageLog messages;
            QVERIFY(passage.ParseElement(std::string_view(line.constData(), line.size()),
                                         messages) == Status::Ok);
            texts.append(FromWin1252(passage.context));
            texts.append(FromWin1252(passage.PassageText()));
        }
        QVERIFY(texts.size() > 1000);
        for (const int points : kSizes) {
            const CDisplayLineMeasure measure(points, CPassageCheck::kBoxWidth);
            int paragraphs = 0;
            for (const QString& text : texts) {
                QCOMPARE(measure.Count(text), LaidOutLines(text, points));
                paragraphs += static_cast<int>(text.count(QLatin1Char('\n'))) + 1;
            }
            QVERIFY2(measure.LaidOutParagraphs() < paragraphs / 4,
                     qPrintable(QString::number(measure.LaidOutParagraphs())));
        }
    }

    // 30,000 generated texts, and paragraphs grown across the box's edge.
    void generatedTextsCountAsTheLayout() {
        CTextMaker maker;
        for (const int points : kSizes) {
            const CDisplayLineMeasure measure(points, CPassageCheck::kBoxWidth, true);
            for (int i = 0; i < 15000; ++i) {
                const QString text = maker.Text();
                QCOMPARE(measure.Count(text), LaidOutLines(text, points));
            }
            for (int i = 0; i < 300; ++i)
                for (const QString& text : maker.AcrossTheEdge(MeasureFont(points)))
                    QCOMPARE(measure.Count(text), LaidOutLines(text, points));
        }
    }

    // Long paragraphs are counted as the layout counts them, and a break close to the edge costs
    // the layout of that line, not of the whole paragraph.
    void longParagraphsCountAsTheLayout() {
        CTextMaker maker;
        for (const int points : kSizes) {
            const CDisplayLineMeasure measure(points, CPassageCheck::kBoxWidth);
            constexpr int kParagraphs = 400;
            for (int i = 0; i < kParagraphs; ++i) {
                const QString text = maker.LongParagraph();
                QCOMPARE(measure.Count(text), LaidOutLines(text, points));
            }
            QVERIFY2(measure.LaidOutParagraphs() < kParagraphs / 4,
                     qPrintable(QString::number(measure.LaidOutParagraphs())));
        }
    }
};

RECITOR_UI_TEST_MAIN(DisplayLinesTest)
#include "test_display_lines.moc"
