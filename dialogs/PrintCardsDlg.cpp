// SPDX-License-Identifier: GPL-2.0-or-later
#include "PrintCardsDlg.h"

#include "CardSheet.h"
#include "DialogUnits.h"
#include "MessageBoxService.h"
#include "RefTables.h"
#include "TopicChoiceDlg.h"
#include "Win1252.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QWhatsThis>

#include <utility>

namespace {

constexpr int kWidth = 260;
constexpr int kHeight = 136;

using Kind = PassageChoice::Kind;

// A choice's radio has the kind's number as its id in the button group.
int RadioOf(Kind kind) {
    return static_cast<int>(kind);
}

// The papers offered; the printer's own paper may still be changed in the print dialog.
struct OfferedPaper {
    QPageSize::PageSizeId id;
    const char* name;
};
constexpr OfferedPaper kPapers[] = {{QPageSize::Letter, "Letter"}, {QPageSize::A4, "A4"}};

// The PDF file's resolution, at which the summary counts the cards a page takes.
constexpr int kPdfDpi = 1200;

QString Count(int count, const char* one, const char* many) {
    return count == 1 ? QStringLiteral("1 %1").arg(QLatin1String(one))
                      : QStringLiteral("%1 %2").arg(count).arg(QLatin1String(many));
}

} // namespace

CPrintCardsDlg::CPrintCardsDlg(const CPassageStore& store, int transFilter, int topic,
                               QPageSize::PageSizeId paper, QWidget* parent)
    : QDialog(parent), store_(store), transFilter_(transFilter), topic_(topic) {
    setWindowTitle(QStringLiteral("Print Cards"));
    setWindowIcon(QApplication::windowIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, true);
    setFont(DialogFont());
    const CDialogUnits units(font());
    setFixedSize(units.X(kWidth), units.Y(kHeight));
    CreateControls(paper);
    Update();
    // The help cannot be used while this window waits for an answer; F1 tells what a control does,
    // as Shift+F1 does in the main window.
    for (const QKeyCombination key : {QKeyCombination(Qt::Key_F1), Qt::SHIFT | Qt::Key_F1})
        connect(new QShortcut(key, this), &QShortcut::activated, this,
                [] { QWhatsThis::enterWhatsThisMode(); });
}

void CPrintCardsDlg::CreateControls(QPageSize::PageSizeId paper) {
    const CDialogUnits units(font());
    const auto place = [&units](QWidget* widget, int id, const QRect& rect, const char* help) {
        if (id != 0)
            widget->setObjectName(QString::number(id));
        widget->setGeometry(units.Rect(rect.x(), rect.y(), rect.width(), rect.height()));
        widget->setWhatsThis(QString::fromLatin1(help));
    };

    auto* frame = new QGroupBox(QStringLiteral("Passages to print"), this);
    place(frame, 0, QRect(7, 5, 246, 74),
          "Which passages become cards. They are printed in the order of the passage tree.");
    kinds_ = new QButtonGroup(this);
    const struct {
        Kind kind;
        int id;
        const char* caption;
        QRect rect;
        const char* help;
    } radios[] = {
        {Kind::All, kAllId, "&All passages in the list", QRect(14, 18, 200, 10),
         "Every passage that the passage tree lists, in all four groups. The translation filter "
         "decides which passages not started are listed."},
        {Kind::Active, kActiveId, "A&ctive passages (the three groups you recite)",
         QRect(14, 32, 200, 10),
         "The passages you recite: Most Frequent, Less Frequent and Least Frequent."},
        {Kind::FrequencyClass, kGroupId, "One &group:", QRect(14, 47, 60, 10),
         "The passages of one group of the passage tree, chosen in the list beside it."},
        {Kind::Topic, kTopicId, "One &topic:", QRect(14, 63, 60, 10),
         "The passages listed with one topic, as first or second topic. Choose the topic with "
         "the button beside it."},
    };
    for (const auto& choice : radios) {
        auto* radio = new QRadioButton(QString::fromLatin1(choice.caption), this);
        place(radio, choice.id, choice.rect, choice.help);
        kinds_->addButton(radio, RadioOf(choice.kind));
    }
    kinds_->button(RadioOf(Kind::All))->setChecked(true);
    connect(kinds_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            Update();
    });

    groups_ = new QComboBox(this);
    place(groups_, kGroupListId, QRect(78, 45, 140, 14),
          "The group of the passage tree whose passages are printed.");
    for (int freq = 0; freq < kFreqCount; ++freq)
        groups_->addItem(FromWin1252(FreqGroupText(freq)));
    // Picking a group means printing it.
    connect(groups_, &QComboBox::activated, this,
            [this] { kinds_->button(RadioOf(Kind::FrequencyClass))->setChecked(true); });
    connect(groups_, &QComboBox::currentIndexChanged, this, [this] { Update(); });

    auto* chooseTopic = new QPushButton(QStringLiteral("C&hoose Topic..."), this);
    place(chooseTopic, kChooseTopicId, QRect(78, 61, 70, 14),
          "Opens the topic list: click a topic to print its passages.");
    chooseTopic->setAutoDefault(false);
    connect(chooseTopic, &QPushButton::clicked, this, &CPrintCardsDlg::ChooseTopic);
    topicName_ = new QLabel(this);
    place(topicName_, 0, QRect(152, 63, 98, 10), "The topic whose passages are printed.");

    summary_ = new QLabel(this);
    // Two lines: the second for a printer that takes fewer cards to a page than a PDF file.
    place(summary_, 0, QRect(7, 81, 246, 17),
          "How many cards the choice makes, and the pages they take on the paper chosen below; "
          "also on the printer, where its margins leave room for fewer cards.");
    summary_->setWordWrap(true);
    summary_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* paperLabel = new QLabel(QStringLiteral("Pap&er:"), this);
    place(paperLabel, 0, QRect(7, 100, 28, 10), "");
    papers_ = new QComboBox(this);
    place(papers_, kPaperId, QRect(38, 98, 70, 14),
          "The paper of a PDF file, and the paper the print dialog offers first. The cards lie "
          "across the paper: six to a Letter page, four to an A4 page.");
    paperLabel->setBuddy(papers_);
    for (const OfferedPaper& offered : kPapers) {
        papers_->addItem(QString::fromLatin1(offered.name), static_cast<int>(offered.id));
        if (offered.id == paper)
            papers_->setCurrentIndex(papers_->count() - 1);
    }
    connect(papers_, &QComboBox::currentIndexChanged, this, [this] { Update(); });

    auto* print = new QPushButton(QStringLiteral("&Print..."), this);
    place(print, kPrintId, QRect(95, 116, 50, 14),
          "Prints the cards: the print dialog lets you choose the printer and its paper.");
    print->setDefault(true);
    connect(print, &QPushButton::clicked, this, [this] { Finish(Target::Printer); });
    auto* savePdf = new QPushButton(QStringLiteral("Save P&DF..."), this);
    place(savePdf, kSavePdfId, QRect(149, 116, 50, 14),
          "Saves the cards as a PDF file on the paper chosen above.");
    savePdf->setAutoDefault(false);
    connect(savePdf, &QPushButton::clicked, this, [this] { Finish(Target::PdfFile); });
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    place(cancel, kCancelId, QRect(203, 116, 50, 14), "Closes the window without printing.");
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    // Tab goes down the choices, then to the paper and the buttons.
    const auto radio = [this](Kind kind) { return kinds_->button(RadioOf(kind)); };
    setTabOrder(radio(Kind::All), radio(Kind::Active));
    setTabOrder(radio(Kind::Active), radio(Kind::FrequencyClass));
    setTabOrder(radio(Kind::FrequencyClass), groups_);
    setTabOrder(groups_, radio(Kind::Topic));
    setTabOrder(radio(Kind::Topic), chooseTopic);
    setTabOrder(chooseTopic, papers_);
    setTabOrder(papers_, print);
    setTabOrder(print, savePdf);
    setTabOrder(savePdf, cancel);
}

PassageChoice CPrintCardsDlg::Choice() const {
    PassageChoice choice;
    choice.kind = static_cast<Kind>(std::max(kinds_->checkedId(), 0));
    choice.transFilter = transFilter_;
    if (choice.kind == Kind::FrequencyClass)
        choice.value = groups_->currentIndex();
    else if (choice.kind == Kind::Topic)
        choice.value = topic_;
    return choice;
}

QPageSize::PageSizeId CPrintCardsDlg::Paper() const {
    return static_cast<QPageSize::PageSizeId>(papers_->currentData().toInt());
}

QString CPrintCardsDlg::Summary() const {
    return summary_->text();
}

QString CPrintCardsDlg::EmptyChoiceText(const PassageChoice& choice) {
    QString why;
    switch (choice.kind) {
    case Kind::All:
        why = QStringLiteral("the passage list is empty.");
        break;
    case Kind::Active:
        why = QStringLiteral("no passage is in Most Frequent, Less Frequent or Least Frequent.");
        break;
    case Kind::FrequencyClass:
        why = QStringLiteral("the group \"%1\" is empty.")
                  .arg(FromWin1252(FreqGroupText(choice.value)));
        break;
    case Kind::Topic:
        if (choice.value < 1)
            return QStringLiteral("No topic is chosen yet. Click Choose Topic and then the topic "
                                  "whose passages you want to print.");
        why = QStringLiteral("no passage in the list has the topic \"%1\".")
                  .arg(FromWin1252(TopicName(choice.value)));
        break;
    }
    return QStringLiteral("There is no passage to print: ") + why +
           QStringLiteral(" Choose other passages.");
}

void CPrintCardsDlg::ChooseTopic() {
    CTopicChoiceDlg topics(CTopicChoiceDlg::Mode::Choice, topic_, store_, transFilter_, this);
    if (topics.exec() != QDialog::Accepted)
        return;
    topic_ = topics.Topic();
    kinds_->button(RadioOf(Kind::Topic))->setChecked(true);
    Update();
}

void CPrintCardsDlg::Update() {
    topicName_->setText(topic_ >= 1 ? FromWin1252(TopicName(topic_))
                                    : QStringLiteral("(none chosen)"));
    const PassageChoice choice = Choice();
    // A topic that is not chosen yet chooses nothing, not the passages without a topic.
    chosenCount_ = choice.kind == Kind::Topic && topic_ < 1
                       ? 0
                       : static_cast<int>(choice.Passages(store_).size());
    if (chosenCount_ == 0) {
        summary_->setText(QStringLiteral("No passage chosen."));
        return;
    }
    const CCardSheetLayout layout(CCardSheet::LandscapePaper(Paper(), kPdfDpi));
    QString summary =
        QStringLiteral("%1 chosen: %2 on %3 paper, %4 cards to a page")
            .arg(Count(chosenCount_, "passage", "passages"),
                 Count(layout.PageCount(chosenCount_), "page", "pages"), papers_->currentText())
            .arg(layout.CardsPerPage());
    // The printer is told only where its own margins change the count.
    const std::optional<CCardSheetLayout> printer =
        printerPaper_ ? std::optional(CCardSheetLayout(printerPaper_(Paper()))) : std::nullopt;
    if (printer && printer->CardsPerPage() == 0)
        summary += QStringLiteral("; the printer's margins leave no room for a card");
    else if (printer && printer->CardsPerPage() != layout.CardsPerPage())
        summary += QStringLiteral("; the printer's margins leave room for %1 to a page: %2")
                       .arg(printer->CardsPerPage())
                       .arg(Count(printer->PageCount(chosenCount_), "page", "pages"));
    summary_->setText(summary + QLatin1Char('.'));
}

void CPrintCardsDlg::CountForPrinter(PrinterPaper printerPaper) {
    printerPaper_ = std::move(printerPaper);
    Update();
}

void CPrintCardsDlg::Finish(Target target) {
    Update();
    if (chosenCount_ == 0) {
        MessageBoxes().Show(this, QStringLiteral("Recitor"), EmptyChoiceText(Choice()),
                            MsgIcon::Information, MsgButtons::Ok);
        return;
    }
    target_ = target;
    accept();
}
