// SPDX-License-Identifier: GPL-2.0-or-later
#include "FlashcardExportDlg.h"

#include "AtomicFile.h"
#include "DialogUnits.h"
#include "FileDialogService.h"
#include "MessageBoxService.h"
#include "PassageStore.h"
#include "ProgramFiles.h"
#include "RefTables.h"
#include "TopicChoiceDlg.h"
#include "Win1252.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cstring>

namespace {

constexpr const char* kChoiceTexts[] = {"&All passages in the list", "The acti&ve passages",
                                        "One frequency &class:", "One &topic:"};
constexpr const char* kProgramTexts[] = {"A&nki", "&Mnemosyne"};
constexpr const char* kFileNames[] = {"Recitor-Anki.txt", "Recitor-Mnemosyne.txt"};
constexpr const char* kProgramNames[] = {"Anki", "Mnemosyne"};

QString TopicButtonText(int topic) {
    return topic > 0 ? FromWin1252(TopicName(topic)) + QStringLiteral("...")
                     : QStringLiteral("Choose...");
}

} // namespace

CFlashcardExportDlg::CFlashcardExportDlg(const CPassageStore& store, int transFilter, int topic,
                                         AnkiSides sides, QWidget* parent)
    : QDialog(parent), store_(store), transFilter_(transFilter),
      topic_(topic >= 1 && topic < kTopicCount ? topic : 0) {
    setWindowTitle(QStringLiteral("Export Flashcards"));
    setFont(DialogFont());
    CreateControls();
    hintOnFront_->setChecked(sides.hintOnFront);
    contextOnBack_->setChecked(sides.contextOnBack);
    Refresh();
}

void CFlashcardExportDlg::CreateControls() {
    const CDialogUnits units(font());
    auto* layout = new QVBoxLayout(this);

    auto* passages = new QGroupBox(QStringLiteral("Passages"), this);
    passages->setObjectName(QString::number(kChoiceGroup));
    auto* grid = new QGridLayout(passages);
    choice_ = new QButtonGroup(this);
    for (int kind = 0; kind < 4; ++kind) {
        auto* radio = new QRadioButton(QString::fromLatin1(kChoiceTexts[kind]), passages);
        radio->setObjectName(QStringLiteral("%1-%2").arg(kChoiceGroup).arg(kind));
        choice_->addButton(radio, kind);
        grid->addWidget(radio, kind, 0);
    }
    choice_->button(0)->setChecked(true);
    classList_ = new QComboBox(passages);
    classList_->setObjectName(QString::number(kClassList));
    for (int freq = 0; freq < kFreqCount; ++freq)
        classList_->addItem(FromWin1252(FreqGroupText(freq)));
    grid->addWidget(classList_, 2, 1);
    topicButton_ = new QPushButton(TopicButtonText(topic_), passages);
    topicButton_->setObjectName(QString::number(kTopicButton));
    topicButton_->setAutoDefault(false);
    grid->addWidget(topicButton_, 3, 1);
    grid->setColumnStretch(1, 1);
    layout->addWidget(passages);

    auto* programs = new QGroupBox(QStringLiteral("For the program"), this);
    programs->setObjectName(QString::number(kProgramGroup));
    auto* column = new QVBoxLayout(programs);
    auto* row = new QHBoxLayout;
    program_ = new QButtonGroup(this);
    for (int program = 0; program < 2; ++program) {
        auto* radio = new QRadioButton(QString::fromLatin1(kProgramTexts[program]), programs);
        radio->setObjectName(QStringLiteral("%1-%2").arg(kProgramGroup).arg(program));
        program_->addButton(radio, program);
        row->addWidget(radio);
    }
    row->addStretch(1);
    program_->button(0)->setChecked(true);
    column->addLayout(row);
    hintOnFront_ = new QCheckBox(QStringLiteral("&Hint on the front"), programs);
    hintOnFront_->setObjectName(QString::number(kHintOnFront));
    contextOnBack_ = new QCheckBox(QStringLiteral("Context on the &back"), programs);
    contextOnBack_->setObjectName(QString::number(kContextOnBack));
    auto* sides = new QHBoxLayout;
    sides->addWidget(hintOnFront_);
    sides->addWidget(contextOnBack_);
    sides->addStretch(1);
    column->addLayout(sides);
    layout->addWidget(programs);

    note_ = new QLabel(this);
    note_->setObjectName(QString::number(kNote));
    note_->setWordWrap(true);
    note_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    note_->setMinimumHeight(units.Y(40));
    note_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    layout->addWidget(note_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    export_ = new QPushButton(QStringLiteral("&Export..."), this);
    export_->setObjectName(QString::number(kExportButton));
    export_->setDefault(true);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QString::number(kCloseButton));
    close->setAutoDefault(false);
    buttons->addWidget(export_);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    setMinimumWidth(units.X(220));

    passages->setWhatsThis(QStringLiteral(
        "Which passages go into the file: all that the passage list shows in the current "
        "translation, the active ones (the first three groups), one group, or the passages "
        "with one topic. They are written in the order of the list."));
    classList_->setWhatsThis(QStringLiteral("The group whose passages are exported."));
    topicButton_->setWhatsThis(
        QStringLiteral("Chooses the topic whose passages are exported (as first or second "
                       "topic)."));
    programs->setWhatsThis(QStringLiteral(
        "The flashcard program that is to import the file. Anki gets a front (the reference) "
        "and a back (the passage) for its Basic note type, then the reference, hint, passage, "
        "context and tags of each passage; Mnemosyne a question (reference and hint) and an "
        "answer (the passage)."));
    hintOnFront_->setWhatsThis(
        QStringLiteral("Shows the hint beneath the reference on the front of the Anki cards."));
    contextOnBack_->setWhatsThis(
        QStringLiteral("Shows the context beneath the passage on the back of the Anki cards."));
    note_->setWhatsThis(
        QStringLiteral("How many passages the choice takes, and what to do at import."));
    export_->setWhatsThis(
        QStringLiteral("Asks where to save the file and writes it. An existing file is "
                       "replaced only once the new one is complete."));

    connect(choice_, &QButtonGroup::idClicked, this, [this] { Refresh(); });
    connect(program_, &QButtonGroup::idClicked, this, [this] { Refresh(); });
    connect(classList_, &QComboBox::currentIndexChanged, this, [this] {
        choice_->button(static_cast<int>(PassageChoice::Kind::FrequencyClass))->setChecked(true);
        Refresh();
    });
    connect(topicButton_, &QPushButton::clicked, this, &CFlashcardExportDlg::OnTopic);
    connect(export_, &QPushButton::clicked, this, &CFlashcardExportDlg::OnExport);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

PassageChoice CFlashcardExportDlg::Choice() const {
    PassageChoice choice;
    choice.kind = static_cast<PassageChoice::Kind>(std::max(choice_->checkedId(), 0));
    choice.transFilter = transFilter_;
    if (choice.kind == PassageChoice::Kind::FrequencyClass)
        choice.value = classList_->currentIndex();
    else if (choice.kind == PassageChoice::Kind::Topic)
        choice.value = topic_;
    return choice;
}

CFlashcardExport::Program CFlashcardExportDlg::Program() const {
    return static_cast<CFlashcardExport::Program>(std::max(program_->checkedId(), 0));
}

AnkiSides CFlashcardExportDlg::Sides() const {
    return {.hintOnFront = hintOnFront_->isChecked(), .contextOnBack = contextOnBack_->isChecked()};
}

void CFlashcardExportDlg::OnTopic() {
    CTopicChoiceDlg topics(CTopicChoiceDlg::Mode::Choice, topic_, store_, transFilter_, this);
    if (topics.exec() == QDialog::Accepted) {
        topic_ = topics.Topic();
        topicButton_->setText(TopicButtonText(topic_));
        choice_->button(static_cast<int>(PassageChoice::Kind::Topic))->setChecked(true);
    }
    Refresh();
}

void CFlashcardExportDlg::Refresh() {
    const PassageChoice choice = Choice();
    chosen_ = choice.kind == PassageChoice::Kind::Topic && topic_ == 0 ? std::vector<int>()
                                                                       : choice.Passages(store_);
    QString note;
    if (choice.kind == PassageChoice::Kind::Topic && topic_ == 0)
        note = QStringLiteral("Choose a topic.");
    else if (chosen_.empty())
        note = QStringLiteral("The choice takes no passages.");
    else
        note = chosen_.size() == 1 ? QStringLiteral("1 passage.")
                                   : QStringLiteral("%1 passages.").arg(chosen_.size());
    const bool anki = Program() == CFlashcardExport::Program::Anki;
    hintOnFront_->setEnabled(anki);
    contextOnBack_->setEnabled(anki);
    if (!chosen_.empty()) {
        if (anki)
            note += QStringLiteral(" In Anki choose File, Import: with the note type Basic the "
                                   "cards show the reference on the front and the passage on "
                                   "the back. The tags (topics, translation, group) come from "
                                   "the file.");
        else
            note += QStringLiteral(" Mnemosyne files have no tags: in Mnemosyne choose File, "
                                   "Import, \"Tab-separated text files\", and give the cards "
                                   "the tag %1.")
                        .arg(QString::fromUtf8(CFlashcardExport::SuggestedTag(choice)));
    }
    note_->setText(note);
    export_->setEnabled(!chosen_.empty());
}

void CFlashcardExportDlg::OnExport() {
    if (chosen_.empty())
        return;
    const auto program = Program();
    const int which = static_cast<int>(program);
    const QString path = FileDialogs().SaveFileName(
        this,
        QStringLiteral("Export Flashcards for %1").arg(QString::fromLatin1(kProgramNames[which])),
        QString::fromLatin1(kFileNames[which]),
        QStringLiteral("Text files (*.txt);;All files (*)"));
    if (path.isEmpty())
        return;
    if (RefuseProgramFile(this, path, QStringLiteral("flashcards")))
        return;
    FileFault fault;
    if (!CFlashcardExport::Write(QFile::encodeName(path).toStdString(), store_, chosen_, program,
                                 Sides(), fault)) {
        QString reason = fault.error != 0 ? QString::fromLocal8Bit(std::strerror(fault.error))
                                          : QStringLiteral("it cannot be written there");
        MessageBoxes().Show(this, QStringLiteral("Recitor"),
                            QStringLiteral("The flashcards could not be saved to\n%1\n(%2). "
                                           "Nothing was written.")
                                .arg(QDir::toNativeSeparators(path), reason),
                            MsgIcon::Warning, MsgButtons::Ok);
        return;
    }
    written_ = path;
    const QString count = chosen_.size() == 1 ? QStringLiteral("1 passage")
                                              : QStringLiteral("%1 passages").arg(chosen_.size());
    MessageBoxes().Show(
        this, QStringLiteral("Recitor"),
        QStringLiteral("%1 saved for %2 to\n%3")
            .arg(count, QString::fromLatin1(kProgramNames[which]), QDir::toNativeSeparators(path)),
        MsgIcon::Information, MsgButtons::Ok);
    accept();
}
