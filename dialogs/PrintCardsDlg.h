// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "CardSheetLayout.h"
#include "PassageChoice.h"

#include <QDialog>
#include <QPageSize>

#include <functional>
#include <optional>

class CPassageStore;
class QButtonGroup;
class QComboBox;
class QLabel;

// The "Print Cards" window: which passages to print as pocket cards (all that the passage list
// shows, its active ones, one frequency group, or one topic chosen from the topic list), on which
// paper, and whether to the printer or to a PDF file. It shows how many cards the choice makes,
// and the pages they take on either: a printer that cannot print near the paper's edges may take
// fewer cards to a page than a PDF file. An empty choice is told and the window stays open.
class CPrintCardsDlg : public QDialog {
    Q_OBJECT
public:
    // Control ids, carried as the controls' object names.
    static constexpr int kAllId = 34021;
    static constexpr int kActiveId = 34022;
    static constexpr int kGroupId = 34023;
    static constexpr int kGroupListId = 34024;
    static constexpr int kTopicId = 34025;
    static constexpr int kChooseTopicId = 34026;
    static constexpr int kPaperId = 34027;
    static constexpr int kPrintId = 34028;
    static constexpr int kSavePdfId = 34029;
    static constexpr int kCancelId = 2;

    enum class Target { Printer, PdfFile };
    // The paper of the printer the print dialog offers first, for a paper laid landscape, with
    // the edges the printer cannot print on.
    using PrinterPaper = std::function<SheetPaper(QPageSize::PageSizeId)>;

    // The passages are those of store as the passage list shows them in translation transFilter;
    // topic is the topic offered at first (none below 1); paper the paper offered at first
    // (Letter unless it is A4). store outlives the window.
    CPrintCardsDlg(const CPassageStore& store, int transFilter, int topic,
                   QPageSize::PageSizeId paper, QWidget* parent = nullptr);

    // Counts the pages on the printer as well, from now on; without it the window counts for a
    // PDF file only (there is no printer to ask).
    void CountForPrinter(PrinterPaper printerPaper);

    PassageChoice Choice() const;
    // How many passages the choice takes now.
    int ChosenCount() const { return chosenCount_; }
    // What the line under the choices says about it.
    QString Summary() const;
    // Where the user asked the cards to go (valid once the window was accepted).
    Target ChosenTarget() const { return target_; }
    QPageSize::PageSizeId Paper() const;
    int Topic() const { return topic_; }

    // The message an empty choice gets.
    static QString EmptyChoiceText(const PassageChoice& choice);

private:
    void CreateControls(QPageSize::PageSizeId paper);
    void ChooseTopic();
    void Update();
    void Finish(Target target);

    const CPassageStore& store_;
    const int transFilter_;
    int topic_;
    int chosenCount_ = 0;
    Target target_ = Target::Printer;
    QButtonGroup* kinds_ = nullptr;
    QComboBox* groups_ = nullptr;
    QComboBox* papers_ = nullptr;
    QLabel* topicName_ = nullptr;
    QLabel* summary_ = nullptr;
    PrinterPaper printerPaper_;
};
