// SPDX-License-Identifier: GPL-2.0-or-later
// Sheets of pocket cards: the cards and cut lines a sheet paints, read back from a recording
// device; and the Print Cards command through the real window, whose PDF output is read back with
// the PDF tools (words with their places, pages rendered to pixels): pages, cards per page, their
// places and texts in the tree's order, the cut lines. Also the empty choices, a paper too small,
// a file that cannot be written, and a long run cancelled from its progress window.

#include "CardPrinter.h"
#include "CardRenderer.h"
#include "CardSheet.h"
#include "HelpCommands.h"
#include "HelpWindow.h"
#include "PassageCard.h"
#include "PassageChoice.h"
#include "PrintCardsCommand.h"
#include "PrintCardsDlg.h"
#include "RecordingPage.h"
#include "TopicChoiceDlg.h"
#include "Win1252.h"
#include "WindowTest.h"

#include <QComboBox>
#include <QFontMetricsF>
#include <QHelpEngine>
#include <QHelpLink>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWhatsThis>
#include <QXmlStreamReader>

#include <algorithm>
#include <functional>
#include <memory>
#include <numeric>
#include <vector>

namespace {

// Landscape Letter at 600 dots per inch.
using CRecordingPage = CRecordingPageOf<600, 110, 85>;

// --- The PDF read back ----------------------------------------------------------------------

struct PdfWord {
    QString text;
    QRectF box; // in points from the page's top-left corner
};
struct PdfPage {
    QSizeF size; // in points
    std::vector<PdfWord> words;
};

QByteArray RunTool(const char* program, const QStringList& arguments) {
    QProcess tool;
    tool.start(QString::fromLocal8Bit(program), arguments);
    if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit ||
        tool.exitCode() != 0)
        qWarning("%s failed: %s", program, tool.readAllStandardError().constData());
    return tool.readAllStandardOutput();
}

// Every page of a PDF file with its words and their boxes, as the PDF tools find them.
std::vector<PdfPage> ReadPdf(const QString& file) {
    const QByteArray xhtml =
        RunTool(RECITOR_PDFTOTEXT, {QStringLiteral("-bbox"), QStringLiteral("-enc"),
                                    QStringLiteral("UTF-8"), file, QStringLiteral("-")});
    std::vector<PdfPage> pages;
    QXmlStreamReader xml(xhtml);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        const auto number = [&a](const char* name) {
            return a.value(QLatin1String(name)).toDouble();
        };
        if (xml.name() == QLatin1String("page"))
            pages.push_back({QSizeF(number("width"), number("height")), {}});
        else if (xml.name() == QLatin1String("word") && !pages.empty()) {
            const QRectF box(QPointF(number("xMin"), number("yMin")),
                             QPointF(number("xMax"), number("yMax")));
            pages.back().words.push_back({xml.readElementText(), box});
        }
    }
    if (xml.hasError())
        qWarning("PDF text: %s", qPrintable(xml.errorString()));
    return pages;
}

// One page of a PDF file in shades of grey at dpi, without smoothing, so that a thin line is a
// line of whole pixels in its own colour.
QImage RenderPage(const QString& file, int page, int dpi) {
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("page"));
    RunTool(RECITOR_PDFTOPPM,
            {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
             QString::number(page), QStringLiteral("-l"), QString::number(page),
             QStringLiteral("-gray"), QStringLiteral("-aa"), QStringLiteral("no"),
             QStringLiteral("-aaVector"), QStringLiteral("no"), QStringLiteral("-singlefile"),
             QStringLiteral("-png"), file, prefix});
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_Grayscale8);
}

// The darkest pixel of a small square around (x, y) in points, on a page rendered at dpi.
int Darkest(const QImage& image, double x, double y, int dpi) {
    const int cx = static_cast<int>(x * dpi / 72.0);
    const int cy = static_cast<int>(y * dpi / 72.0);
    int darkest = 255;
    for (int py = cy - 1; py <= cy + 1; ++py)
        for (int px = cx - 1; px <= cx + 1; ++px)
            if (image.valid(px, py))
                darkest = std::min(darkest, qGray(image.pixel(px, py)));
    return darkest;
}

QString Simplified(QString text) {
    return text.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" ")).trimmed();
}

// What a card of passage says, as one line of words.
QString CardWords(const CPassage& passage) {
    const CPassageCard card(passage);
    std::string all = card.Heading();
    for (const std::optional<std::string>& part :
         {card.Before(), std::optional<std::string>(card.Passage()), card.After()})
        if (part)
            all += " " + *part;
    return Simplified(FromWin1252(all));
}

// The words inside a rectangle (in points) in reading order: line by line, each from the left.
QString WordsIn(const PdfPage& page, const QRectF& area) {
    std::vector<PdfWord> inside;
    for (const PdfWord& word : page.words)
        if (area.contains(word.box.center()))
            inside.push_back(word);
    std::stable_sort(inside.begin(), inside.end(), [](const PdfWord& a, const PdfWord& b) {
        if (std::abs(a.box.bottom() - b.box.bottom()) > 2.0)
            return a.box.bottom() < b.box.bottom();
        return a.box.left() < b.box.left();
    });
    QStringList texts;
    for (const PdfWord& word : inside)
        texts << word.text;
    return texts.join(QLatin1Char(' '));
}

// The top-left corner of the first word inside a rectangle (in points).
QPointF FirstWordAt(const PdfPage& page, const QRectF& area) {
    QPointF first(1e9, 1e9);
    for (const PdfWord& word : page.words)
        if (area.contains(word.box.center()) &&
            (word.box.top() < first.y() - 2 ||
             (std::abs(word.box.top() - first.y()) <= 2 && word.box.left() < first.x())))
            first = word.box.topLeft();
    return first;
}

// --- The services the command runs through -----------------------------------------------------

// Prints to a PDF file on the paper the test names in place of the print dialog, and gives a
// file name in place of the file dialog.
class CScriptedPrintDialog : public IPrintDialogService {
public:
    CScriptedPrintDialog() { SetPrintDialogs(this); }
    ~CScriptedPrintDialog() override { SetPrintDialogs(nullptr); }
    CScriptedPrintDialog(const CScriptedPrintDialog&) = delete;
    CScriptedPrintDialog& operator=(const CScriptedPrintDialog&) = delete;
    bool Choose(QPrinter& printer, QWidget*) override {
        ++shown;
        offered = printer.pageLayout();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printFile);
        printer.setPageSize(QPageSize(paper));
        return accept;
    }
    QString ChoosePdfFile(QWidget*, const QString& proposal) override {
        ++asked;
        proposed = proposal;
        return pdfFile;
    }
    QString printFile;
    QString pdfFile;
    QString proposed;
    QPageSize::PageSizeId paper = QPageSize::Letter;
    QPageLayout offered;
    bool accept = true;
    int shown = 0;
    int asked = 0;
};

using Dlg = CPrintCardsDlg;

// Letter laid landscape, in points: 0.80 inch at the sides, 0.20 above and below.
constexpr double kLeft = 0.80 * 72;
constexpr double kTop = 0.20 * 72;
constexpr double kCardWidth = 4.70 * 72;
constexpr double kCardHeight = 2.70 * 72;
constexpr double kInset = 0.08 * 72;

QRectF CardArea(int slot, int columns, double left = kLeft, double top = kTop) {
    return QRectF(left + slot % columns * kCardWidth, top + slot / columns * kCardHeight,
                  kCardWidth, kCardHeight);
}

} // namespace

class PrintCardsTest : public CWindowTest {
    Q_OBJECT

private slots:
    void initTestCase() { Sample::WriteFiles(dir_.path()); }
    void cleanup() {
        window_.reset();
        store_.reset();
        boxes_.shown.clear();
        boxes_.owners.clear();
    }

    void aSheetPaintsCardsInPlaceThenItsCutLines() {
        Open();
        // Eight cards: a full page of six and a page of two.
        std::vector<int> passages;
        for (int i = 0; i < 8; ++i)
            passages.push_back(Sample::kGenesisFirst + i);
        CRecordingPage device;
        const CCardSheet sheet(*store_, passages, CCardSheet::PaperOf(device));
        QCOMPARE(sheet.PageCount(), 2);
        const CCardSheetLayout& layout = sheet.Layout();
        QCOMPARE(layout.CardsPerPage(), 6);
        int pagesStarted = 0;
        std::vector<int> told;
        QPainter painter(&device);
        const CCardSheet::Outcome outcome = sheet.Paint(
            painter,
            [&] {
                ++pagesStarted;
                device.engine.pages.emplace_back();
                return true;
            },
            [&](int done) {
                told.push_back(done);
                return true;
            });
        painter.end();
        QCOMPARE(outcome, CCardSheet::Outcome::Done);
        QCOMPARE(pagesStarted, 1);
        QCOMPARE(told, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));

        const QFont bold = CCardRenderer::CardFont(32, CRecordingPage::kDpi, true);
        const double ascent = QFontMetricsF(bold, &device).ascent();
        for (int page = 0; page < 2; ++page) {
            const CRecordingEngine::Page& drawn = device.engine.pages[page];
            // Each one-line card draws its heading and its text; the headings stand at the
            // cards' places, in the order given.
            const int cards = page == 0 ? 6 : 2;
            QCOMPARE(drawn.texts.size(), std::size_t(2 * cards));
            for (int slot = 0; slot < cards; ++slot) {
                const int card = page * 6 + slot;
                const RecordedText& heading = drawn.texts[std::size_t(2 * slot)];
                QCOMPARE(heading.text,
                         FromWin1252(CPassageCard(store_->Passage(passages[card])).Heading()));
                const CardPlace place = layout.Place(card);
                QCOMPARE(place.page, page);
                const int inset = CPassageCard::Inset(CRecordingPage::kDpi);
                QCOMPARE(heading.at.x(), double(place.x + inset));
                QCOMPARE(heading.at.y() - ascent, double(place.y + inset));
            }
            // The lines come last, in the light grey pen, where the layout puts them.
            const std::vector<CutLine> expected = layout.CutLines(cards);
            QCOMPARE(drawn.lines.size(), expected.size());
            for (std::size_t i = 0; i < expected.size(); ++i) {
                const CutLine& line = expected[i];
                QCOMPARE(drawn.lines[i].line, QLineF(line.x1, line.y1, line.x2, line.y2));
                QCOMPARE(drawn.lines[i].pen.color(), QColor(0xB4, 0xB4, 0xB4));
                QCOMPARE(drawn.lines[i].pen.width(), CRecordingPage::kDpi / 144);
            }
        }
    }

    void aStoppedSheetFinishesItsPageAndAFailedPageEndsTheRun() {
        Open();
        const std::vector<int> passages(9, Sample::kJohn16Niv);
        const auto run = [&](int stopAfter, bool pagesStart, CRecordingPage& device) {
            const CCardSheet sheet(*store_, passages, CCardSheet::PaperOf(device));
            QPainter painter(&device);
            const CCardSheet::Outcome outcome = sheet.Paint(
                painter,
                [&] {
                    device.engine.pages.emplace_back();
                    return pagesStart;
                },
                [&](int done) { return done < stopAfter; });
            painter.end();
            return outcome;
        };
        // Stopped after the eighth card: the second page has the lines of its two cards.
        CRecordingPage stopped;
        QCOMPARE(run(8, true, stopped), CCardSheet::Outcome::Cancelled);
        QCOMPARE(stopped.engine.pages.size(), std::size_t{2});
        const CCardSheetLayout layout(CCardSheet::PaperOf(stopped));
        QCOMPARE(stopped.engine.pages[1].lines.size(), layout.CutLines(2).size());
        QCOMPARE(stopped.engine.pages[1].texts.size() * 3, stopped.engine.pages[0].texts.size());
        // A device that cannot start the second page ends the run there.
        CRecordingPage failing;
        QCOMPARE(run(100, false, failing), CCardSheet::Outcome::Failed);
        QCOMPARE(failing.engine.pages[1].texts.size(), std::size_t{0});
    }

    void theWindowOffersTheChoicesAndCountsThem() {
        Open();
        prefs_.TransFilter = Sample::kAsv; // only the passages being recited are listed
        CPrintCardsDlg dialog(*store_, prefs_.TransFilter, 0, QPageSize::A4);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Print Cards"));
        QVERIFY(Control<QRadioButton>(dialog, Dlg::kAllId)->isChecked());
        QCOMPARE(dialog.ChosenCount(), 4);
        QCOMPARE(dialog.Summary(),
                 QStringLiteral("4 passages chosen: 1 page on A4 paper, 4 cards to a page."));
        QCOMPARE(dialog.Paper(), QPageSize::A4);

        Control<QRadioButton>(dialog, Dlg::kActiveId)->click();
        QCOMPARE(dialog.Choice().kind, PassageChoice::Kind::Active);
        QCOMPARE(dialog.ChosenCount(), 4);
        // Picking a group in its list chooses the group.
        QComboBox* groups = Control<QComboBox>(dialog, Dlg::kGroupListId);
        QCOMPARE(groups->count(), 4);
        QCOMPARE(groups->itemText(0), QStringLiteral("Learning (Most Frequent)"));
        groups->setCurrentIndex(0);
        emit groups->activated(0);
        QVERIFY(Control<QRadioButton>(dialog, Dlg::kGroupId)->isChecked());
        QCOMPARE(dialog.Choice().value, 0);
        QCOMPARE(dialog.ChosenCount(), 2);
        QCOMPARE(dialog.Summary(),
                 QStringLiteral("2 passages chosen: 1 page on A4 paper, 4 cards to a page."));
        Control<QComboBox>(dialog, Dlg::kPaperId)->setCurrentIndex(0);
        QCOMPARE(dialog.Paper(), QPageSize::Letter);
        QCOMPARE(dialog.Summary(),
                 QStringLiteral("2 passages chosen: 1 page on Letter paper, 6 cards to a page."));
        // A printer that cannot print within 0.30 inch of the top takes two rows on Letter, as
        // many as a PDF file on A4; one that cannot print on most of the paper takes none.
        int unprintableTop = 180;
        dialog.CountForPrinter([&unprintableTop](QPageSize::PageSizeId paper) {
            SheetPaper sheet = CCardSheet::LandscapePaper(paper, 600);
            sheet.unprintableTop = unprintableTop;
            return sheet;
        });
        QCOMPARE(dialog.Summary(),
                 QStringLiteral("2 passages chosen: 1 page on Letter paper, 6 cards to a page; the "
                                "printer's margins leave room for 4 to a page: 1 page."));
        // The label shows the longer summary whole.
        QLabel* summary = nullptr;
        for (QLabel* label : dialog.findChildren<QLabel*>())
            if (label->text() == dialog.Summary())
                summary = label;
        QVERIFY(summary);
        QVERIFY(summary->heightForWidth(summary->width()) <= summary->height());
        Control<QComboBox>(dialog, Dlg::kPaperId)->setCurrentIndex(1);
        QCOMPARE(dialog.Summary(),
                 QStringLiteral("2 passages chosen: 1 page on A4 paper, 4 cards to a page."));
        unprintableTop = 4000;
        Control<QComboBox>(dialog, Dlg::kPaperId)->setCurrentIndex(0);
        QCOMPARE(dialog.Summary(),
                 QStringLiteral("2 passages chosen: 1 page on Letter paper, 6 cards to a page; the "
                                "printer's margins leave no room for a card."));
        // The inactive group lists nothing in a translation without passages.
        groups->setCurrentIndex(3);
        QCOMPARE(dialog.ChosenCount(), 0);
        QCOMPARE(dialog.Summary(), QStringLiteral("No passage chosen."));
        // A topic radio without a topic chooses nothing, not the passages without one.
        Control<QRadioButton>(dialog, Dlg::kTopicId)->click();
        QCOMPARE(dialog.ChosenCount(), 0);
        // Every control says what it does.
        for (const int id :
             {Dlg::kAllId, Dlg::kActiveId, Dlg::kGroupId, Dlg::kGroupListId, Dlg::kTopicId,
              Dlg::kChooseTopicId, Dlg::kPaperId, Dlg::kPrintId, Dlg::kSavePdfId, Dlg::kCancelId})
            QVERIFY2(!Control<QWidget>(dialog, id)->whatsThis().isEmpty(),
                     qPrintable(QString::number(id)));
    }

    void printCardsPrintsTheWholeListInTreeOrder() {
        Open();
        QVERIFY(Action(Id::kPrintCards)->isEnabled());
        QTemporaryDir out;
        CScriptedPrintDialog printDialog;
        printDialog.printFile = out.filePath(QStringLiteral("cards.pdf"));
        bool chose = false;
        OnNextModal([&chose](QDialog* dialog) {
            QVERIFY(qobject_cast<CPrintCardsDlg*>(dialog));
            QVERIFY(Control<QRadioButton>(*dialog, Dlg::kAllId)->isChecked());
            Control<QComboBox>(*dialog, Dlg::kPaperId)->setCurrentIndex(0); // Letter
            chose = true;
            Control<QPushButton>(*dialog, Dlg::kPrintId)->click();
        });
        Action(Id::kPrintCards)->trigger();
        QVERIFY(chose);
        QCOMPARE(printDialog.shown, 1);
        // The print dialog offers the cards across the paper chosen in the window.
        QCOMPARE(printDialog.offered.orientation(), QPageLayout::Landscape);
        QCOMPARE(printDialog.offered.pageSize().id(), QPageSize::Letter);

        // Nineteen passages in the list (the context record is not listed): six to a page.
        const std::vector<int> expected = PassageChoice{}.Passages(*store_);
        QCOMPARE(expected.size(), std::size_t{19});
        const std::vector<PdfPage> pages = ReadPdf(printDialog.printFile);
        QCOMPARE(pages.size(), std::size_t{4});
        std::size_t card = 0;
        for (std::size_t page = 0; page < pages.size(); ++page) {
            QCOMPARE(pages[page].size.width(), 792.0);
            QCOMPARE(pages[page].size.height(), 612.0);
            for (int slot = 0; slot < 6; ++slot) {
                const QRectF area = CardArea(slot, 2);
                const QString words = WordsIn(pages[page], area);
                if (card == expected.size()) {
                    QVERIFY2(words.isEmpty(), qPrintable(words)); // the rest of the page is empty
                    continue;
                }
                // The card's text, from its heading on, within its area; the heading at its
                // top-left corner inside the card's inset.
                QCOMPARE(words, CardWords(store_->Passage(expected[card])));
                const QPointF first = FirstWordAt(pages[page], area);
                QVERIFY2(std::abs(first.x() - area.left() - kInset) < 2.0, qPrintable(words));
                QVERIFY2(std::abs(first.y() - area.top() - kInset) < 4.0, qPrintable(words));
                ++card;
            }
        }
        QCOMPARE(card, expected.size());

        // The cut lines: light grey along every edge of the cards on a full page...
        const int dpi = 72;
        const QImage full = RenderPage(printDialog.printFile, 1, dpi);
        QVERIFY(!full.isNull());
        for (int row = 0; row <= 3; ++row)
            for (int column = 0; column < 2; ++column) {
                // Across: beside the right end of each card, clear of its heading.
                const int grey = Darkest(full, kLeft + (column + 0.9) * kCardWidth,
                                         kTop + row * kCardHeight, dpi);
                QVERIFY2(grey > 100 && grey < 230, qPrintable(QString::number(grey)));
            }
        for (int column = 0; column <= 2; ++column)
            for (int row = 0; row < 3; ++row) {
                // Down: low on each card, below its few lines of text.
                const int grey = Darkest(full, kLeft + column * kCardWidth,
                                         kTop + (row + 0.85) * kCardHeight, dpi);
                QVERIFY2(grey > 100 && grey < 230, qPrintable(QString::number(grey)));
            }
        // ...and nothing in the margins.
        QCOMPARE(Darkest(full, kLeft / 2, 300, dpi), 255);
        QCOMPARE(Darkest(full, 792 - kLeft / 2, 300, dpi), 255);
        // The last page holds one card: its edges are cut, the empty places are not.
        const QImage last = RenderPage(printDialog.printFile, 4, dpi);
        QVERIFY(Darkest(last, kLeft + kCardWidth, kTop + 0.85 * kCardHeight, dpi) < 230);
        QCOMPARE(Darkest(last, kLeft + 2 * kCardWidth, kTop + 0.85 * kCardHeight, dpi), 255);
        QCOMPARE(Darkest(last, kLeft + 1.5 * kCardWidth, kTop, dpi), 255);
        QCOMPARE(Darkest(last, kLeft + 0.9 * kCardWidth, kTop + 2 * kCardHeight, dpi), 255);
        QVERIFY(boxes_.shown.isEmpty());
        QVERIFY(!store_->UserFileChanged());
    }

    void aTopicChosenFromTheTopicListSavesItsCardsAsAPdfFile() {
        Open();
        QTemporaryDir out;
        CScriptedPrintDialog printDialog;
        printDialog.pdfFile = out.filePath(QStringLiteral("topic.pdf"));
        // A topic of two passages.
        int topic = 1;
        std::vector<int> expected;
        for (; topic < kTopicCount && expected.size() != 2; ++topic)
            expected = PassageChoice{PassageChoice::Kind::Topic, topic}.Passages(*store_);
        --topic;
        QCOMPARE(expected.size(), std::size_t{2});
        // The window offers the topic of the passage shown first.
        const int shownTopic = store_->Passage(window_->CurrentPassageIndex()).primaryTopic;
        QVERIFY(shownTopic != topic);
        OnNextModal([topic, shownTopic](QDialog* dialog) {
            QCOMPARE(static_cast<CPrintCardsDlg*>(dialog)->Topic(), shownTopic);
            Control<QComboBox>(*dialog, Dlg::kPaperId)->setCurrentIndex(1); // A4
            OnNextModal([topic](QDialog* topics) {
                QVERIFY(qobject_cast<CTopicChoiceDlg*>(topics));
                Control<QRadioButton>(*topics, CTopicChoiceDlg::kFirstButtonId + topic - 1)
                    ->click();
            });
            Control<QPushButton>(*dialog, Dlg::kChooseTopicId)->click();
            QVERIFY(Control<QRadioButton>(*dialog, Dlg::kTopicId)->isChecked());
            Control<QPushButton>(*dialog, Dlg::kSavePdfId)->click();
        });
        Action(Id::kPrintCards)->trigger();
        QCOMPARE(printDialog.asked, 1);
        QCOMPARE(printDialog.shown, 0);
        QVERIFY(printDialog.proposed.endsWith(QStringLiteral(".pdf")));
        const std::vector<PdfPage> pages = ReadPdf(printDialog.pdfFile);
        QCOMPARE(pages.size(), std::size_t{1});
        // A4 laid across, 842 by 595 points: two by two cards, centred.
        QVERIFY(std::abs(pages[0].size.width() - 841.9) < 0.5);
        QVERIFY(std::abs(pages[0].size.height() - 595.3) < 0.5);
        const double left = (pages[0].size.width() - 2 * kCardWidth) / 2;
        const double top = (pages[0].size.height() - 2 * kCardHeight) / 2;
        for (int slot = 0; slot < 4; ++slot) {
            const QString words = WordsIn(pages[0], CardArea(slot, 2, left, top));
            if (slot < 2)
                QCOMPARE(words, CardWords(store_->Passage(expected[std::size_t(slot)])));
            else
                QVERIFY(words.isEmpty());
        }
        // No temporary file is left beside it.
        QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList{QStringLiteral("topic.pdf")});
        QVERIFY(boxes_.shown.isEmpty());
    }

    void emptyChoicesAreToldAndPrintNothing() {
        Open();
        prefs_.TransFilter = Sample::kAsv;
        CScriptedPrintDialog printDialog;
        QTemporaryDir out;
        printDialog.pdfFile = out.filePath(QStringLiteral("none.pdf"));
        printDialog.printFile = printDialog.pdfFile;
        // A topic no passage has.
        int unused = 1;
        while (!PassageChoice{PassageChoice::Kind::Topic, unused, Sample::kAsv}
                    .Passages(*store_)
                    .empty())
            ++unused;
        bool stayed = true;
        OnNextModal([&](QDialog* dialog) {
            // The inactive group, empty in a translation without passages.
            Control<QComboBox>(*dialog, Dlg::kGroupListId)->setCurrentIndex(3);
            Control<QRadioButton>(*dialog, Dlg::kGroupId)->click();
            Control<QPushButton>(*dialog, Dlg::kSavePdfId)->click();
            stayed = stayed && dialog->isVisible();
            OnNextModal([unused](QDialog* topics) {
                Control<QRadioButton>(*topics, CTopicChoiceDlg::kFirstButtonId + unused - 1)
                    ->click();
            });
            Control<QPushButton>(*dialog, Dlg::kChooseTopicId)->click();
            Control<QPushButton>(*dialog, Dlg::kPrintId)->click();
            stayed = stayed && dialog->isVisible();
            dialog->reject();
        });
        Action(Id::kPrintCards)->trigger();
        QVERIFY(stayed);
        QCOMPARE(boxes_.shown.size(), 2);
        QCOMPARE(boxes_.shown[0].caption, QStringLiteral("Recitor"));
        QCOMPARE(boxes_.shown[0].text, QStringLiteral("There is no passage to print: the group "
                                                      "\"Not Started/Inactive\" is empty. "
                                                      "Choose other passages."));
        QCOMPARE(boxes_.shown[1].text,
                 QStringLiteral("There is no passage to print: no passage in the list has the "
                                "topic \"%1\". Choose other passages.")
                     .arg(FromWin1252(TopicName(unused))));
        QCOMPARE(printDialog.shown, 0);
        QCOMPARE(printDialog.asked, 0);
        QVERIFY(QDir(out.path()).isEmpty());
        boxes_.shown.clear();

        // With no topic offered (no passage shown has one, none was listed) the topic choice
        // waits for one.
        CPrintCardsDlg dialog(*store_, kTransAll, 0, QPageSize::Letter);
        Control<QRadioButton>(dialog, Dlg::kTopicId)->click();
        Control<QPushButton>(dialog, Dlg::kPrintId)->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(boxes_.shown.size(), 1);
        QCOMPARE(boxes_.shown[0].text,
                 QStringLiteral("No topic is chosen yet. Click Choose Topic and then the topic "
                                "whose passages you want to print."));
        boxes_.shown.clear();
    }

    void theEmptyAndTheFullStoreTellWhyNothingIsPrinted() {
        QCOMPARE(CPrintCardsDlg::EmptyChoiceText({PassageChoice::Kind::All}),
                 QStringLiteral("There is no passage to print: the passage list is empty. Choose "
                                "other passages."));
        QCOMPARE(CPrintCardsDlg::EmptyChoiceText({PassageChoice::Kind::Active}),
                 QStringLiteral("There is no passage to print: no passage is in Most Frequent, "
                                "Less Frequent or Least Frequent. Choose other passages."));
    }

    void aPaperTooSmallAndAFileThatCannotBeWrittenAreTold() {
        Open();
        QTemporaryDir out;
        CScriptedPrintDialog printDialog;
        printDialog.printFile = out.filePath(QStringLiteral("small.pdf"));
        printDialog.paper = QPageSize::A7;
        const auto chooseAndPress = [](int button) {
            OnNextModal([button](QDialog* dialog) {
                Control<QRadioButton>(*dialog, Dlg::kActiveId)->click();
                Control<QPushButton>(*dialog, button)->click();
            });
        };
        chooseAndPress(Dlg::kPrintId);
        Action(Id::kPrintCards)->trigger();
        QCOMPARE(boxes_.shown.size(), 1);
        QCOMPARE(boxes_.shown[0].text,
                 QStringLiteral("The paper is too small for a card of 4.70 by 2.70 inches with "
                                "its margins. Choose Letter or A4 paper."));
        QCOMPARE(boxes_.owners[0], window_.get());
        QVERIFY(!QFile::exists(printDialog.printFile));

        // A printer that cannot start.
        boxes_.shown.clear();
        printDialog.paper = QPageSize::Letter;
        printDialog.printFile = out.filePath(QStringLiteral("missing/printed.pdf"));
        chooseAndPress(Dlg::kPrintId);
        Action(Id::kPrintCards)->trigger();
        QCOMPARE(boxes_.shown.size(), 1);
        QCOMPARE(boxes_.shown[0].text,
                 QStringLiteral("The printer could not be started, so no card was printed."));
        // Saved on a paper too small, the file is not touched.
        QString error;
        const QString small = out.filePath(QStringLiteral("small.pdf"));
        QCOMPARE(CPrintCardsCommand::SavePdf(
                     *store_, {Sample::kJohn16Niv}, QPageSize::A7, small, [](int) { return true; },
                     error),
                 CCardSheet::Outcome::Failed);
        QVERIFY(error.startsWith(QStringLiteral("The paper is too small")));
        QVERIFY(QDir(out.path()).entryList(QDir::Files).isEmpty());

        // A folder that does not exist; an existing file is kept as it was.
        boxes_.shown.clear();
        printDialog.pdfFile = out.filePath(QStringLiteral("missing/cards.pdf"));
        chooseAndPress(Dlg::kSavePdfId);
        Action(Id::kPrintCards)->trigger();
        QCOMPARE(boxes_.shown.size(), 1);
        QVERIFY2(boxes_.shown[0].text.startsWith(QStringLiteral("Unable to open ") +
                                                 printDialog.pdfFile +
                                                 QStringLiteral(" for writing")),
                 qPrintable(boxes_.shown[0].text));
        QVERIFY(boxes_.shown[0].text.endsWith(QStringLiteral("\nThe cards were not saved.")));
        boxes_.shown.clear();

        // Never over a file named like one of the program's own data files.
        printDialog.pdfFile = out.filePath(QStringLiteral("rctuser.XML"));
        WriteFile(printDialog.pdfFile, "passages");
        chooseAndPress(Dlg::kSavePdfId);
        Action(Id::kPrintCards)->trigger();
        QCOMPARE(boxes_.shown.size(), 1);
        QCOMPARE(boxes_.shown[0].text,
                 QStringLiteral("Recitor keeps its passages, statistics or tips in files named "
                                "rctuser.XML. Save the cards under another name."));
        QCOMPARE(ReadFile(printDialog.pdfFile), QByteArray("passages"));
        QVERIFY(QFile::remove(printDialog.pdfFile));
        boxes_.shown.clear();

        // Cancel in the print dialog or the file dialog prints nothing and says nothing.
        printDialog.paper = QPageSize::Letter;
        printDialog.accept = false;
        printDialog.pdfFile.clear();
        chooseAndPress(Dlg::kPrintId);
        Action(Id::kPrintCards)->trigger();
        chooseAndPress(Dlg::kSavePdfId);
        Action(Id::kPrintCards)->trigger();
        QCOMPARE(printDialog.shown, 3);
        QCOMPARE(printDialog.asked, 3);
        QVERIFY(QDir(out.path()).entryList(QDir::Files).isEmpty());
        QVERIFY(boxes_.shown.isEmpty());
    }

    void aLongRunShowsItsProgressAndCancelKeepsTheOldFile() {
        // Over 250 active passages of a generated collection.
        QTemporaryDir big;
        QVERIFY(WriteSynthetic(big.path(), 300, 0, 260));
        CPassageStore store(sink_, settings_, clock_, big.path().toStdString());
        QCOMPARE(store.Load(), Status::Ok);
        const int active =
            static_cast<int>(PassageChoice{PassageChoice::Kind::Active}.Passages(store).size());
        QVERIFY(active >= CPrintCardsCommand::kLongRun);
        CMainDlg window(store, prefs_);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QTemporaryDir out;
        CScriptedPrintDialog printDialog;
        printDialog.pdfFile = out.filePath(QStringLiteral("cards.pdf"));
        WriteFile(printDialog.pdfFile, "the previous cards");
        // Cancel as soon as the progress shows, noting how far the run had come.
        int seenAt = -1;
        int seenMaximum = 0;
        QTimer watch;
        watch.setInterval(0);
        connect(&watch, &QTimer::timeout, &watch, [&] {
            for (QProgressDialog* progress : window.findChildren<QProgressDialog*>())
                if (progress->isVisible() && seenAt < 0) {
                    seenAt = progress->value();
                    seenMaximum = progress->maximum();
                    progress->cancel();
                }
        });
        OnNextModal([&watch](QDialog* dialog) {
            Control<QRadioButton>(*dialog, Dlg::kActiveId)->click();
            watch.start();
            Control<QPushButton>(*dialog, Dlg::kSavePdfId)->click();
        });
        window.Action(Id::kPrintCards)->trigger();
        watch.stop();
        QCOMPARE(seenMaximum, active);
        QVERIFY2(seenAt >= 0 && seenAt < active, qPrintable(QString::number(seenAt)));
        QCOMPARE(ReadFile(printDialog.pdfFile), QByteArray("the previous cards"));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList{QStringLiteral("cards.pdf")});
        QVERIFY(boxes_.shown.isEmpty());

        // Run to the end, the file is replaced by the whole sheet, six cards to a page.
        OnNextModal([](QDialog* dialog) {
            Control<QRadioButton>(*dialog, Dlg::kActiveId)->click();
            Control<QComboBox>(*dialog, Dlg::kPaperId)->setCurrentIndex(0);
            Control<QPushButton>(*dialog, Dlg::kSavePdfId)->click();
        });
        window.Action(Id::kPrintCards)->trigger();
        QCOMPARE(ReadPdf(printDialog.pdfFile).size(), std::size_t((active + 5) / 6));
        QVERIFY(boxes_.shown.isEmpty());

        // A print run cancelled where the printer cannot call it off (a PDF printer) ends its
        // document with the pages made so far, each whole.
        printDialog.printFile = out.filePath(QStringLiteral("printed.pdf"));
        seenAt = -1;
        OnNextModal([&watch](QDialog* dialog) {
            Control<QRadioButton>(*dialog, Dlg::kActiveId)->click();
            watch.start();
            Control<QPushButton>(*dialog, Dlg::kPrintId)->click();
        });
        window.Action(Id::kPrintCards)->trigger();
        watch.stop();
        QVERIFY(seenAt >= 0 && seenAt < active);
        const std::vector<PdfPage> printed = ReadPdf(printDialog.printFile);
        QVERIFY(!printed.empty());
        QVERIFY(printed.size() < std::size_t((active + 5) / 6));
        QVERIFY(boxes_.shown.isEmpty());
    }

    void theLongestCardsKeepTheirWordsClearOfTheCutLines() {
        // The passages with the longest contexts of a collection of the largest size, on Letter
        // and A4: every word at least 0.05 inch inside its card, whose text ends with an
        // ellipsis where it was left out.
        QTemporaryDir big;
        QVERIFY(WriteSynthetic(big.path(), 400, 0, 10));
        CPassageStore store(sink_, settings_, clock_, big.path().toStdString());
        QCOMPARE(store.Load(), Status::Ok);
        std::vector<int> passages(static_cast<std::size_t>(store.LastIndex() + 1));
        std::iota(passages.begin(), passages.end(), 0);
        std::sort(passages.begin(), passages.end(), [&store](int a, int b) {
            return store.Passage(a).context.size() > store.Passage(b).context.size();
        });
        passages.resize(12);
        QTemporaryDir out;
        const QString file = out.filePath(QStringLiteral("long.pdf"));
        for (const QPageSize::PageSizeId paper : {QPageSize::Letter, QPageSize::A4}) {
            QString error;
            QCOMPARE(CPrintCardsCommand::SavePdf(
                         store, passages, paper, file, [](int) { return true; }, error),
                     CCardSheet::Outcome::Done);
            const std::vector<PdfPage> pages = ReadPdf(file);
            // The layout of the file's 1200 dots per inch, in points.
            const CCardSheetLayout layout(CCardSheet::LandscapePaper(paper, 1200));
            QCOMPARE(pages.size(), std::size_t(layout.PageCount(12)));
            int ellipses = 0;
            for (int card = 0; card < 12; ++card) {
                const CardPlace place = layout.Place(card);
                const QRectF area(place.x * 0.06, place.y * 0.06, kCardWidth, kCardHeight);
                const QRectF clear = area.adjusted(3.6, 3.6, -3.6, -3.6);
                const PdfPage& page = pages[std::size_t(place.page)];
                for (const PdfWord& word : page.words)
                    if (area.contains(word.box.center())) {
                        QVERIFY2(clear.contains(word.box),
                                 qPrintable(QStringLiteral("%1 at %2,%3 %4x%5")
                                                .arg(word.text)
                                                .arg(word.box.x())
                                                .arg(word.box.y())
                                                .arg(word.box.width())
                                                .arg(word.box.height())));
                    }
                ellipses += WordsIn(page, area).endsWith(QChar(0x2026)) ? 1 : 0;
            }
            // The longest contexts do not fit on a card.
            QCOMPARE(ellipses, 12);
        }
    }

    void theHelpHasAPageAndTheTipsATip() {
        QDialog owner;
        CHelpCommands help(owner, QStringLiteral(RECITOR_HELP_COLLECTION));
        help.Overview();
        QVERIFY(help.Window());
        QVERIFY(help.Window()->ShowContents(QStringLiteral("IDH_UG_PRINT_CARDS.htm")));
        const QList<QHelpLink> links =
            help.Window()->Engine().documentsForKeyword(QStringLiteral("Print Cards"));
        QCOMPARE(links.size(), 1);
        QCOMPARE(links[0].url.fileName(), QStringLiteral("IDH_UG_PRINT_CARDS.htm"));
        const QByteArray tips = ReadFile(QStringLiteral(RECITOR_SOURCE_DIR "/res/RctTips.txt"));
        QVERIFY(tips.contains("File, Print Cards (Ctrl+Shift+P)"));
    }

    void theKeyOpensTheWindow() {
        Open();
        window_->show();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        QCOMPARE(Action(Id::kPrintCards)->shortcut(),
                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
        bool opened = false;
        OnNextModal([&opened](QDialog* dialog) {
            opened = qobject_cast<CPrintCardsDlg*>(dialog) != nullptr;
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QTest::keyClick(Tree(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(opened);
        QVERIFY(!QApplication::activeModalWidget());

        // F1 in the window asks what a control does.
        bool asking = false;
        OnNextModal([&asking](QDialog* dialog) {
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            QTest::keyClick(dialog, Qt::Key_F1);
            asking = QWhatsThis::inWhatsThisMode();
            QWhatsThis::leaveWhatsThisMode();
            dialog->reject();
        });
        Action(Id::kPrintCards)->trigger();
        QVERIFY(asking);
    }
};

RECITOR_UI_TEST_MAIN(PrintCardsTest)
#include "test_print_cards.moc"
