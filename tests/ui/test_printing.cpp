// SPDX-License-Identifier: GPL-2.0-or-later
// The printed pocket card: its pieces, their fonts, order and spacing read back from the painter's
// calls on a recording device, its area seen in the pixels of an image, and the Print command,
// which prints one page to the printer the user chooses (here a PDF file) or nothing on Cancel.

#include "CardPrinter.h"
#include "CardRenderer.h"
#include "Passage.h"
#include "PassageCard.h"
#include "RecordingPage.h"
#include "WindowTest.h"

#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <vector>

namespace {

// A line of text as the painter handed it to the device.
struct DrawnText {
    QString text;
    int pixelSize;
    bool bold;
    double baseline;
};

// A page of 300 dots per inch that records the text drawn on it.
using CRecordingDevice = CRecordingPageOf<300, 80, 110>;

// The text drawn on the device's page.
std::vector<DrawnText> Drawn(const CRecordingEngine& engine) {
    std::vector<DrawnText> drawn;
    for (const RecordedText& text : engine.pages.front().texts)
        drawn.push_back({text.text, text.font.pixelSize(), text.font.bold(), text.at.y()});
    return drawn;
}

// A passage of John 3:16 whose passage and hint are marked at their first place in context.
std::unique_ptr<CPassage> Passage(const std::string& context, const std::string& passage,
                                  int ctxLines = 3) {
    auto p = std::make_unique<CPassage>("540030168_");
    p->context = context;
    p->psgStart = static_cast<int>(context.find(passage));
    p->psgEnd = p->psgStart + static_cast<int>(passage.size());
    p->hintStart = p->psgStart;
    p->hintEnd = p->psgStart + 6;
    p->ctxLines = ctxLines;
    p->vCount = 1;
    p->BuildReferences();
    return p;
}

std::vector<DrawnText> Draw(const CPassage& passage) {
    CRecordingDevice device;
    QPainter painter(&device);
    CCardRenderer(passage).Draw(painter);
    painter.end();
    return Drawn(device.engine);
}

// The height text takes on the card, as the painter measures it on the recording device.
int Height(const QFont& font, const QString& text) {
    CRecordingDevice device;
    QPainter painter(&device);
    painter.setFont(font);
    return painter
        .boundingRect(QRect(0, 0, 470 * CRecordingDevice::kDpi / 100, 10000),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text)
        .height();
}

// The height of the empty line that a line break at the start of a text makes.
int EmptyLine(const QFont& font) {
    return Height(font, QStringLiteral("\nx")) - Height(font, QStringLiteral("x"));
}

double Ascent(const QFont& font) {
    CRecordingDevice device;
    return QFontMetricsF(font, &device).ascent();
}

const std::string kContext = "15 that whoever believes\r\n16 For God so loved the world\r\n"
                             "17 For God did not send his Son";

// Prints to a PDF file, or cancels, in place of the print dialog.
class CScriptedPrintDialog : public IPrintDialogService {
public:
    CScriptedPrintDialog() { SetPrintDialogs(this); }
    ~CScriptedPrintDialog() override { SetPrintDialogs(nullptr); }
    CScriptedPrintDialog(const CScriptedPrintDialog&) = delete;
    CScriptedPrintDialog& operator=(const CScriptedPrintDialog&) = delete;
    bool Choose(QPrinter& printer, QWidget* owner) override {
        ++shown;
        this->owner = owner;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        return accept;
    }
    QString ChoosePdfFile(QWidget*, const QString&) override { return {}; }
    QString file;
    bool accept = true;
    int shown = 0;
    QWidget* owner = nullptr;
};

} // namespace

class PrintingTest : public CWindowTest {
    Q_OBJECT

private slots:
    void initTestCase() { Sample::WriteFiles(dir_.path()); }

    void piecesComeInOrderWithTheirFonts() {
        const auto p = Passage(kContext, "16 For God so loved the world");
        const std::vector<DrawnText> drawn = Draw(*p);
        QCOMPARE(drawn.size(), std::size_t{4});
        // The heading and the passage in bold, the context before and after it in the normal font.
        QCOMPARE(drawn[0].text, QStringLiteral("John 3:16 NIV <Topic: n/a> <Hint: 16 For>"));
        QVERIFY(drawn[0].bold);
        QCOMPARE(drawn[0].pixelSize, 32 * 300 / 216);
        QCOMPARE(drawn[1].text, QStringLiteral("15 that whoever believes"));
        QVERIFY(!drawn[1].bold);
        QCOMPARE(drawn[1].pixelSize, 28 * 300 / 216);
        QCOMPARE(drawn[2].text, QStringLiteral("16 For God so loved the world"));
        QVERIFY(drawn[2].bold);
        QCOMPARE(drawn[3].text, QStringLiteral("17 For God did not send his Son"));
        QVERIFY(!drawn[3].bold);

        // Each piece starts where the one above it ended (all of its lines, the empty one its
        // closing line break makes included), ten units below the heading and five below the
        // context before the passage; the context after it follows the passage directly.
        const QFont bold = CCardRenderer::CardFont(32, CRecordingDevice::kDpi, true);
        const QFont normal = CCardRenderer::CardFont(28, CRecordingDevice::kDpi, false);
        const int heading = Height(bold, drawn[0].text);
        const int before = Height(normal, QStringLiteral("15 that whoever believes\n"));
        const int passage = Height(bold, drawn[2].text);
        // All of it inside the card's inset.
        const double top = CPassageCard::Inset(CRecordingDevice::kDpi);
        QCOMPARE(drawn[0].baseline - Ascent(bold), top);
        QCOMPARE(drawn[1].baseline - Ascent(normal), top + heading + 10.0);
        QCOMPARE(drawn[2].baseline - Ascent(bold), top + heading + 10.0 + before + 5);
        // The context after begins with the break that ends the passage's line.
        QCOMPARE(drawn[3].baseline - Ascent(normal),
                 top + heading + 10.0 + before + 5 + passage + EmptyLine(normal));
    }

    void aPassageAtTheStartFollowsTheHeadingDirectly() {
        const auto p = Passage(kContext, "15 that whoever believes");
        const std::vector<DrawnText> drawn = Draw(*p);
        QCOMPARE(drawn.size(), std::size_t{4});
        QCOMPARE(drawn[1].text, QStringLiteral("15 that whoever believes"));
        QVERIFY(drawn[1].bold);
        const QFont bold = CCardRenderer::CardFont(32, CRecordingDevice::kDpi, true);
        const QFont normal = CCardRenderer::CardFont(28, CRecordingDevice::kDpi, false);
        const int heading = Height(bold, drawn[0].text);
        const double top = CPassageCard::Inset(CRecordingDevice::kDpi);
        QCOMPARE(drawn[1].baseline - Ascent(bold), top + heading + 10.0);
        // The rest of the context right under the passage: its first line is the empty one that
        // the break after the passage ends.
        QCOMPARE(drawn[2].text, QStringLiteral("16 For God so loved the world"));
        QVERIFY(!drawn[2].bold);
        QCOMPARE(drawn[2].baseline - Ascent(normal),
                 top + heading + 10.0 + Height(bold, drawn[1].text) + EmptyLine(normal));
    }

    void nothingFollowsAPassageOfNearlyTheWholeContext() {
        const auto p =
            Passage("16 For God so loved the world 17 x", "16 For God so loved the world");
        const std::vector<DrawnText> drawn = Draw(*p);
        QCOMPARE(drawn.size(), std::size_t{2});
        QCOMPARE(drawn[1].text, QStringLiteral("16 For God so loved the world"));
    }

    void longContextsPrintSmaller() {
        for (const auto& [lines, normal, bold] : {std::tuple{12, 28, 32}, std::tuple{13, 24, 28}}) {
            const auto p = Passage(kContext, "16 For God so loved the world", lines);
            const std::vector<DrawnText> drawn = Draw(*p);
            QCOMPARE(drawn.size(), std::size_t{4});
            QCOMPARE(drawn[0].pixelSize, bold * 300 / 216);
            QCOMPARE(drawn[1].pixelSize, normal * 300 / 216);
            QCOMPARE(drawn[2].pixelSize, bold * 300 / 216);
            QCOMPARE(drawn[3].pixelSize, normal * 300 / 216);
        }
    }

    void theCardKeepsClearOfItsEdgesAndEndsWithWholeLines() {
        // At 100 dots per inch the card is 470 by 270 dots. A long context wraps inside the
        // card's inset and stops at its last whole line, marked with an ellipsis: no letter
        // comes within 0.05 inch (5 dots) of an edge, where the card is cut from its neighbours.
        std::string context;
        for (int verse = 1; verse <= 40; ++verse)
            context += std::to_string(verse) + " and the words of this verse run on and on ";
        const auto p = Passage(context, "3 and the words");
        QImage page(700, 500, QImage::Format_RGB32);
        page.setDotsPerMeterX(3937);
        page.setDotsPerMeterY(3937);
        QCOMPARE(page.logicalDpiY(), 100);
        page.fill(Qt::white);
        QPainter painter(&page);
        CCardRenderer(*p).Draw(painter);
        painter.end();
        const auto inked = [&page](int x0, int y0, int x1, int y1) {
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x)
                    if (qGray(page.pixel(x, y)) < 128)
                        return true;
            return false;
        };
        QVERIFY(inked(0, 0, 470, 20));
        QVERIFY(inked(0, 235, 470, 265));
        QVERIFY(!inked(0, 0, 470, 5));
        QVERIFY(!inked(0, 0, 5, 270));
        QVERIFY(!inked(465, 0, 470, 270));
        QVERIFY(!inked(0, 265, 700, 500));
        QVERIFY(!inked(470, 0, 700, 500));

        // The lines the painter draws: each whole above the inset at the bottom, the last one
        // ending with the ellipsis; a card that holds all its text has none.
        CRecordingDevice device;
        QPainter onDevice(&device);
        CCardRenderer(*p).Draw(onDevice);
        onDevice.end();
        const std::vector<RecordedText>& texts = device.engine.pages.front().texts;
        QVERIFY(texts.size() > 5);
        const int dpi = CRecordingDevice::kDpi;
        const double bottom = CPassageCard::AreaHeight(dpi) - CPassageCard::Inset(dpi);
        for (const RecordedText& text : texts)
            QVERIFY2(text.at.y() + QFontMetricsF(text.font, &device).descent() <= bottom,
                     qPrintable(text.text));
        QVERIFY2(texts.back().text.endsWith(QChar(0x2026)), qPrintable(texts.back().text));
        for (const DrawnText& text : Draw(*Passage(kContext, "16 For God so loved the world")))
            QVERIFY(!text.text.contains(QChar(0x2026)));
    }

    void theCardCanStandAnywhereOnThePage() {
        // A layout of several cards places each one; the card keeps its measures there.
        const auto p = Passage(kContext, "16 For God so loved the world");
        CRecordingDevice device;
        QPainter painter(&device);
        CCardRenderer(*p).Draw(painter, QPoint(0, 1000));
        painter.end();
        const std::vector<DrawnText> shifted = Drawn(device.engine);
        const std::vector<DrawnText> plain = Draw(*p);
        QCOMPARE(shifted.size(), plain.size());
        for (std::size_t i = 0; i < plain.size(); ++i)
            QCOMPARE(shifted[i].baseline, plain[i].baseline + 1000);
    }

    void thePrintDialogOffersAllPagesOnly() {
        QPrinter printer;
        const auto dialog = CQtPrintDialogService::MakeDialog(printer, nullptr);
        QVERIFY(!dialog->testOption(QAbstractPrintDialog::PrintSelection));
        QVERIFY(!dialog->testOption(QAbstractPrintDialog::PrintPageRange));
        QVERIFY(!dialog->testOption(QAbstractPrintDialog::PrintCurrentPage));
        // Shown with its options opened, the dialog lets no choice of pages be made: Qt's own
        // dialog here keeps its "Pages from" choice whatever the options say.
        int found = 0;
        QStringList offered;
        QTimer::singleShot(0, dialog.get(), [&] {
            for (QPushButton* button : dialog->findChildren<QPushButton*>())
                if (button->text().contains(QStringLiteral("Options")))
                    button->click();
            for (const char* name :
                 {"printRange", "pagesRadioButton", "printCurrentPage", "printSelection"})
                if (const auto* radio = dialog->findChild<QRadioButton*>(QLatin1String(name))) {
                    ++found;
                    if (radio->isVisibleTo(dialog.get()) && radio->isEnabled())
                        offered << radio->text();
                }
            dialog->reject();
        });
        dialog->exec();
        QVERIFY(found > 0);
        QVERIFY2(offered.isEmpty(), qPrintable(offered.join(QStringLiteral(", "))));
    }

    void printCommandPrintsTheShownPassageOnOnePage() {
        Open();
        window_->SetPosition(0);
        QTemporaryDir out;
        CScriptedPrintDialog dialog;
        dialog.file = out.filePath(QStringLiteral("card.pdf"));
        QVERIFY(Action(Id::kPrint)->isEnabled());
        Action(Id::kPrint)->trigger();
        QCOMPARE(dialog.shown, 1);
        QCOMPARE(dialog.owner, window_.get());
        const QByteArray pdf = ReadFile(dialog.file);
        QVERIFY(pdf.startsWith("%PDF"));
        QCOMPARE(pdf.count("/Type /Page\n") + pdf.count("/Type /Page "), 1);

        // Cancel prints nothing and changes nothing.
        QFile::remove(dialog.file);
        dialog.accept = false;
        const QMap<QString, QByteArray> before = Snapshot(dir_.path());
        Action(Id::kPrint)->trigger();
        QCOMPARE(dialog.shown, 2);
        QVERIFY(!QFile::exists(dialog.file));
        QCOMPARE(Snapshot(dir_.path()), before);
        QVERIFY(!store_->UserFileChanged());
        CloseAll();
    }
};

RECITOR_UI_TEST_MAIN(PrintingTest)
#include "test_printing.moc"
