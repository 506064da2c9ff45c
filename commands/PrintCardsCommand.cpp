// SPDX-License-Identifier: GPL-2.0-or-later
#include "PrintCardsCommand.h"

#include "AtomicFile.h"
#include "CardPrinter.h"
#include "FreedMemory.h"
#include "MessageBoxService.h"
#include "PassageStore.h"
#include "Preferences.h"
#include "PrintCardsDlg.h"
#include "ProgramFiles.h"
#include "StudySession.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QProgressDialog>
#include <QStandardPaths>

#include <string_view>
#include <system_error>
#include <utility>

namespace {

// The PDF file's resolution: the printer's high resolution, so that a card looks the same either
// way.
constexpr int kPdfDpi = 1200;
constexpr int kShortRunWait = 500; // milliseconds before a short run shows its progress

void Tell(QWidget* owner, const QString& text) {
    MessageBoxes().Show(owner, QStringLiteral("Recitor"), text, MsgIcon::Warning, MsgButtons::Ok);
}

// Passes what the PDF writer writes to an atomic file, which keeps it until it is committed.
class CAtomicFileDevice : public QIODevice {
public:
    explicit CAtomicFileDevice(CAtomicFile& file) : file_(file) {}

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        file_.Append(std::string_view(data, static_cast<std::size_t>(size)));
        return size;
    }

private:
    CAtomicFile& file_;
};

// The data layer's words for a failed write, naming the file as the user chose it.
QString FaultText(const FileFault& fault, const QString& file) {
    return QString::fromLocal8Bit(
        FaultText(fault, QDir::toNativeSeparators(file).toLocal8Bit().toStdString()));
}

// The progress of a run in a window over owner, with its Cancel button: shown at once for a long
// run. Until it shows, the window's own painting goes on between cards while the user's input
// waits, so that nothing else happens to the collection in the meantime.
class CRunProgress {
public:
    CRunProgress(const QString& label, int count, QWidget* owner)
        : dialog_(label, QStringLiteral("Cancel"), 0, count, owner) {
        dialog_.setWindowTitle(QStringLiteral("Print Cards"));
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setMinimumDuration(count >= CPrintCardsCommand::kLongRun ? 0 : kShortRunWait);
        dialog_.setValue(0);
    }
    bool operator()(int done) {
        dialog_.setValue(done);
        if (!dialog_.isVisible())
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return !dialog_.wasCanceled();
    }
    std::function<bool(int)> Callback() {
        return [this](int done) { return (*this)(done); };
    }

private:
    QProgressDialog dialog_;
};

QString CardsLabel(const char* doing, const CCardSheet& sheet) {
    return QStringLiteral("%1 %2 cards on %3 pages...")
        .arg(QLatin1String(doing))
        .arg(sheet.CardCount())
        .arg(sheet.PageCount());
}

constexpr const char* kTooSmall = "The paper is too small for a card of 4.70 by 2.70 inches with "
                                  "its margins. Choose Letter or A4 paper.";

// The printer the user chose last while the program runs, which the print dialog offers first;
// empty until one is chosen (the dialog then offers the system's default printer).
QString lastPrinter;

// A printer of the program's mode, the one the print dialog offers first, with paper laid across.
void SetUpPrinter(QPrinter& printer, QPageSize::PageSizeId paper) {
    if (!lastPrinter.isEmpty())
        printer.setPrinterName(lastPrinter);
    printer.setPageSize(QPageSize(paper));
    // Across the paper Letter takes six cards, where upright it takes three.
    printer.setPageOrientation(QPageLayout::Landscape);
}

// The paper of printer as the sheet lays cards on it: the whole paper, and the edges the printer
// cannot print on by itself.
SheetPaper PaperOfPrinter(QPrinter& printer) {
    printer.setFullPage(true);
    QPageLayout pageLayout = printer.pageLayout();
    pageLayout.setUnits(QPageLayout::Point);
    return CCardSheet::PaperOf(printer, pageLayout.minimumMargins());
}

void PrintOnPrinter(const CPassageStore& store, std::vector<int> passages,
                    QPageSize::PageSizeId paper, QWidget* owner) {
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer, paper);
    printer.setDocName(QStringLiteral("Recitor cards"));
    printer.setPrintRange(QPrinter::AllPages);
    if (!PrintDialogs().Choose(printer, owner))
        return;
    if (printer.outputFormat() == QPrinter::NativeFormat)
        lastPrinter = printer.printerName();
    const CCardSheet sheet(store, std::move(passages), PaperOfPrinter(printer));
    if (sheet.Layout().CardsPerPage() == 0) {
        Tell(owner, QLatin1String(kTooSmall));
        return;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        Tell(owner, QStringLiteral("The printer could not be started, so no card was printed."));
        return;
    }
    CRunProgress progress(CardsLabel("Printing", sheet), sheet.CardCount(), owner);
    const CCardSheet::Outcome outcome = sheet.Paint(
        painter, [&printer] { return printer.newPage(); }, progress.Callback());
    const bool failed =
        outcome == CCardSheet::Outcome::Failed || printer.printerState() == QPrinter::Error;
    // A cancelled run is called off where the printer allows it; elsewhere the pages done so
    // far end the document as whole pages.
    if (failed || outcome == CCardSheet::Outcome::Cancelled)
        printer.abort();
    painter.end();
    if (failed)
        Tell(owner,
             QStringLiteral("The printer reported an error, so not all the cards were printed."));
}

QString ProposedPdfFile(const QString& last) {
    if (!last.isEmpty())
        return last;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
        .filePath(QStringLiteral("Recitor Cards.pdf"));
}

void SaveAsPdf(const CPassageStore& store, std::vector<int> passages, QPageSize::PageSizeId paper,
               QWidget* owner) {
    // The last file saved to is offered again while the program runs.
    static QString lastFile;
    const QString file = PrintDialogs().ChoosePdfFile(owner, ProposedPdfFile(lastFile));
    if (file.isEmpty())
        return;
    if (IsProgramFile(file)) {
        Tell(owner, QStringLiteral("Recitor keeps its passages, statistics or tips in files named "
                                   "%1. Save the cards under another name.")
                        .arg(QFileInfo(file).fileName()));
        return;
    }
    const int count = static_cast<int>(passages.size());
    const CCardSheetLayout layout(CCardSheet::LandscapePaper(paper, kPdfDpi));
    CRunProgress progress(
        QStringLiteral("Saving %1 cards on %2 pages...").arg(count).arg(layout.PageCount(count)),
        count, owner);
    QString error;
    const CCardSheet::Outcome outcome = CPrintCardsCommand::SavePdf(
        store, std::move(passages), paper, file, progress.Callback(), error);
    if (outcome == CCardSheet::Outcome::Failed)
        Tell(owner, error + QStringLiteral("\nThe cards were not saved."));
    if (outcome == CCardSheet::Outcome::Done)
        lastFile = file;
}

} // namespace

CCardSheet::Outcome CPrintCardsCommand::SavePdf(const CPassageStore& store,
                                                std::vector<int> passages,
                                                QPageSize::PageSizeId paper, const QString& file,
                                                const std::function<bool(int done)>& progress,
                                                QString& error) {
    CAtomicFile output;
    if (!output.Open(QFile::encodeName(file).toStdString())) {
        error = FaultText(output.Fault(), file);
        return CCardSheet::Outcome::Failed;
    }
    CCardSheet::Outcome outcome = CCardSheet::Outcome::Failed;
    {
        CAtomicFileDevice device(output);
        device.open(QIODevice::WriteOnly);
        QPdfWriter writer(&device);
        writer.setResolution(kPdfDpi);
        writer.setPageLayout(
            QPageLayout(QPageSize(paper), QPageLayout::Landscape, QMarginsF(0, 0, 0, 0)));
        writer.setTitle(QStringLiteral("Recitor cards"));
        writer.setCreator(QStringLiteral("Recitor"));
        const CCardSheet sheet(store, std::move(passages), CCardSheet::PaperOf(writer));
        if (sheet.Layout().CardsPerPage() == 0) {
            error = QLatin1String(kTooSmall);
            return CCardSheet::Outcome::Failed;
        }
        QPainter painter;
        if (!painter.begin(&writer)) {
            error = QStringLiteral("Unable to write %1").arg(QDir::toNativeSeparators(file));
            return CCardSheet::Outcome::Failed;
        }
        outcome = sheet.Paint(
            painter, [&writer] { return writer.newPage(); }, progress);
        // Ending the painter writes the rest of the document into the file.
        painter.end();
    }
    if (outcome != CCardSheet::Outcome::Done) {
        if (outcome == CCardSheet::Outcome::Failed)
            error = QStringLiteral("Unable to write %1").arg(QDir::toNativeSeparators(file));
        output.Discard();
        return outcome;
    }
    if (!output.Finish() || !output.Commit()) {
        error = FaultText(output.Fault(), file);
        output.Discard();
        return CCardSheet::Outcome::Failed;
    }
    return CCardSheet::Outcome::Done;
}

QPageSize::PageSizeId CPrintCardsCommand::DefaultPaper() {
    const QPrinter printer;
    return printer.pageLayout().pageSize().id() == QPageSize::A4 ? QPageSize::A4
                                                                 : QPageSize::Letter;
}

void CPrintCardsCommand::Run(const CommandContext& context, int lastTopic) {
    // The pages' pictures and the cards' layouts are freed as the command ends.
    const CReturnFreedMemory returnFreed;
    const CPassageStore& store = context.store;
    QWidget* owner = context.owner;
    const CPassage* passage = context.session.Current();
    const int topic = passage && passage->primaryTopic > 0 ? passage->primaryTopic : lastTopic;
    CPrintCardsDlg choice(store, context.prefs.TransFilter, topic, DefaultPaper(), owner);
    // Where there is a printer, the window counts the cards its margins leave room for as well.
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer, choice.Paper());
    if (printer.outputFormat() == QPrinter::NativeFormat)
        choice.CountForPrinter([&printer](QPageSize::PageSizeId paper) {
            SetUpPrinter(printer, paper);
            return PaperOfPrinter(printer);
        });
    if (choice.exec() != QDialog::Accepted)
        return;
    std::vector<int> passages = choice.Choice().Passages(store);
    // The window does not close on an empty choice; this is only a guard.
    if (passages.empty())
        return;
    if (choice.ChosenTarget() == CPrintCardsDlg::Target::Printer)
        PrintOnPrinter(store, std::move(passages), choice.Paper(), owner);
    else
        SaveAsPdf(store, std::move(passages), choice.Paper(), owner);
}
