// SPDX-License-Identifier: GPL-2.0-or-later
#include "CardPrinter.h"

#include "CardRenderer.h"

#include <QFileDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace {

IPrintDialogService* installed = nullptr;

// The print dialog with no way to choose pages. The options alone do not do it in every dialog:
// Qt's own dialog on Linux still shows its page range group with "Pages from" to be chosen, so the
// group is hidden, and disabled should anything show it again, each time the dialog shows.
class CAllPagesPrintDialog : public QPrintDialog {
public:
    using QPrintDialog::QPrintDialog;
    void setVisible(bool visible) override {
        QPrintDialog::setVisible(visible);
        if (!visible)
            return;
        if (auto* range = findChild<QWidget*>(QStringLiteral("gbPrintRange"))) {
            range->setEnabled(false);
            range->hide();
        }
    }
};

} // namespace

std::unique_ptr<QPrintDialog> CQtPrintDialogService::MakeDialog(QPrinter& printer, QWidget* owner) {
    auto dialog = std::make_unique<CAllPagesPrintDialog>(&printer, owner);
    dialog->setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog->setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog->setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    return dialog;
}

bool CQtPrintDialogService::Choose(QPrinter& printer, QWidget* owner) {
    return MakeDialog(printer, owner)->exec() == QDialog::Accepted;
}

QString CQtPrintDialogService::ChoosePdfFile(QWidget* owner, const QString& proposal) {
    QFileDialog dialog(owner, QStringLiteral("Save Cards as PDF"), proposal,
                       QStringLiteral("PDF files (*.pdf)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // A name typed without its ending still makes a file that opens as a PDF.
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

IPrintDialogService& PrintDialogs() {
    static CQtPrintDialogService real;
    return installed ? *installed : real;
}

void SetPrintDialogs(IPrintDialogService* service) {
    installed = service;
}

bool PrintCard(const CPassage& passage, QWidget* owner) {
    // The card is laid out in the printer's own dots, at its full resolution.
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrintRange(QPrinter::AllPages);
    if (!PrintDialogs().Choose(printer, owner))
        return false;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    CCardRenderer(passage).Draw(painter);
    // A page the printer failed on is not sent half made.
    const bool failed = printer.printerState() == QPrinter::Error;
    if (failed)
        printer.abort();
    painter.end();
    return !failed;
}
