// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

#include <memory>

class CPassage;
class QPrintDialog;
class QPrinter;
class QWidget;

// Chooses the printer for a print run, or the PDF file it is saved to: the real one shows the
// print dialog and the file dialog; tests install one that prints to a PDF file or cancels.
class IPrintDialogService {
public:
    virtual ~IPrintDialogService() = default;
    // Lets the user set up printer; false when the user cancelled.
    virtual bool Choose(QPrinter& printer, QWidget* owner) = 0;
    // Asks for the name of a PDF file to save to, proposing proposal; empty when the user
    // cancelled.
    virtual QString ChoosePdfFile(QWidget* owner, const QString& proposal) = 0;
};

// The print dialog, offering to print all pages only: a card is one page, and a sheet of cards
// is printed whole.
class CQtPrintDialogService : public IPrintDialogService {
public:
    bool Choose(QPrinter& printer, QWidget* owner) override;
    QString ChoosePdfFile(QWidget* owner, const QString& proposal) override;
    static std::unique_ptr<QPrintDialog> MakeDialog(QPrinter& printer, QWidget* owner);
};

// The process-wide service: the real one unless another has been installed.
IPrintDialogService& PrintDialogs();
// Installs service (not owned) in place of the real one; null restores the real one.
void SetPrintDialogs(IPrintDialogService* service);

// The File menu's Print command: prints passage as a pocket card on one page of the printer the
// user chooses. Returns false when the user cancelled or the printer could not be started; a
// page the printer fails on is aborted rather than sent.
bool PrintCard(const CPassage& passage, QWidget* owner);
