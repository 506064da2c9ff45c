// SPDX-License-Identifier: GPL-2.0-or-later
#include "ReviewSessionDlg.h"

#include "DialogUnits.h"
#include "ListenCommand.h"
#include "MainKeys.h"
#include "PassageStore.h"
#include "RecitationCheck.h"
#include "RecitationDlg.h"
#include "RefTables.h"
#include "ReviewCommands.h"
#include "ReviewRound.h"
#include "ReviewSchedule.h"
#include "StudySession.h"
#include "Win1252.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

constexpr const char* kLevelNames[] = {"&Blank", "&Hint", "&Passage", "&Context"};
// The answers with their keys, in the order of ReviewResult.
constexpr const char* kAnswerNames[] = {"Not yet", "With help", "Recalled"};
constexpr Qt::Key kAnswerKeys[] = {Qt::Key_1, Qt::Key_2, Qt::Key_3};
// The text sizes of the main window's text box: the hint large, longer texts smaller.
constexpr double kHintPoints = 18;
constexpr double kTextPoints = 14;

QPushButton* Button(const QString& text, int id, QWidget* owner) {
    auto* button = new QPushButton(text, owner);
    button->setObjectName(QString::number(id));
    button->setAutoDefault(false);
    return button;
}

} // namespace

CReviewSessionDlg::CReviewSessionDlg(CReviewRound& round, const CPassageStore& store,
                                     const CReviewSchedule& schedule, CStudySession& session,
                                     const QBrush& background, CListenCommand* listen,
                                     QWidget* parent)
    : QDialog(parent), round_(round), store_(store), schedule_(schedule), session_(session),
      background_(background), listen_(listen) {
    setWindowTitle(QStringLiteral("Review Due Passages"));
    setFont(DialogFont());
    const CDialogUnits units;
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    place_ = new QLabel(this);
    place_->setObjectName(QString::number(kPlaceId));
    top->addWidget(place_, 1);
    recallReference_ = new QCheckBox(QStringLiteral("Recall the &reference"), this);
    recallReference_->setObjectName(QString::number(kRecallReferenceId));
    top->addWidget(recallReference_);
    layout->addLayout(top);

    auto* levels = new QHBoxLayout;
    levels_ = new QButtonGroup(this);
    for (int level = kBlank; level <= kContext; ++level) {
        auto* radio = new QRadioButton(QString::fromLatin1(kLevelNames[level]), this);
        radio->setObjectName(QString::number(kFirstVisibilityId + level));
        radio->setToolTip(MainKeys::Text(MainKeys::kVisibility[level]));
        levels_->addButton(radio, level);
        levels->addWidget(radio);
    }
    levels->addStretch(1);
    if (listen_) {
        listenButton_ =
            Button(QStringLiteral("Listen (%1)").arg(MainKeys::Text(CListenCommand::kKey)),
                   kListenId, this);
        levels->addWidget(listenButton_);
        connect(listenButton_, &QPushButton::clicked, this, &CReviewSessionDlg::OnListen);
    }
    layout->addLayout(levels);
    connect(levels_, &QButtonGroup::idClicked, this, &CReviewSessionDlg::ShowLevel);

    text_ = new QTextEdit(this);
    text_->setObjectName(QString::number(kTextBoxId));
    text_->setReadOnly(true);
    text_->setMinimumSize(units.X(300), units.Y(130));
    QPalette palette = text_->palette();
    palette.setBrush(QPalette::Base, background_);
    text_->setPalette(palette);
    layout->addWidget(text_, 1);

    layout->addWidget(BuildAnswerRow());
    layout->addWidget(BuildReferenceRow());

    feedback_ = new QLabel(this);
    feedback_->setObjectName(QString::number(kFeedbackId));
    feedback_->setWordWrap(true);
    layout->addWidget(feedback_);

    suggestionRow_ = new QWidget(this);
    auto* suggestionLayout = new QHBoxLayout(suggestionRow_);
    suggestionLayout->setContentsMargins(0, 0, 0, 0);
    suggestion_ = new QLabel(suggestionRow_);
    suggestion_->setObjectName(QString::number(kSuggestionId));
    suggestion_->setWordWrap(true);
    suggestionLayout->addWidget(suggestion_, 1);
    takeSuggestion_ = Button(QString(), kTakeSuggestionId, suggestionRow_);
    suggestionLayout->addWidget(takeSuggestion_);
    connect(takeSuggestion_, &QPushButton::clicked, this, &CReviewSessionDlg::OnTakeSuggestion);
    suggestionRow_->hide();
    layout->addWidget(suggestionRow_);

    close_ = Button(QStringLiteral("Close"), kCloseId, this);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(close_, 0, Qt::AlignRight);

    connect(recallReference_, &QCheckBox::toggled, this, [this] {
        if (!round_.Finished() && !round_.Answered())
            ShowAsked();
    });
    ShowAsked();
}

// The session's keys are its own while it is open, also where the main window has the same ones.
QAbstractButton* CReviewSessionDlg::ButtonOfKey(const QKeyEvent& event) const {
    const QKeyCombination key = event.keyCombination();
    for (int level = kBlank; level <= kContext; ++level)
        if (key == MainKeys::kVisibility[level])
            return levels_->button(level);
    for (int result = 0; result < 3; ++result)
        if (key == QKeyCombination(kAnswerKeys[result]) ||
            key == QKeyCombination(Qt::KeypadModifier, kAnswerKeys[result]))
            return answers_[result];
    if (key == CReviewCommands::kRecitationKey)
        return checkRecitation_;
    if (key == CListenCommand::kKey)
        return listenButton_;
    return nullptr;
}

bool CReviewSessionDlg::event(QEvent* event) {
    // A key the reference box takes (a digit typed there) never comes this far.
    if (event->type() == QEvent::ShortcutOverride && ButtonOfKey(*static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QDialog::event(event);
}

void CReviewSessionDlg::keyPressEvent(QKeyEvent* event) {
    // While the passage is read aloud, Escape only stops the reading.
    if (event->key() == Qt::Key_Escape && listen_ && listen_->Stop())
        return;
    QAbstractButton* button = ButtonOfKey(*event);
    if (!button) {
        QDialog::keyPressEvent(event);
        return;
    }
    if (button->isVisibleTo(this) && button->isEnabled())
        button->click();
}

QWidget* CReviewSessionDlg::BuildAnswerRow() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (int result = 0; result < 3; ++result) {
        const QKeySequence key(kAnswerKeys[result]);
        // The key stands in the button's text.
        answers_[result] =
            Button(QStringLiteral("%1  %2").arg(key.toString(QKeySequence::NativeText),
                                                QString::fromLatin1(kAnswerNames[result])),
                   kNotYetId + result, row);
        layout->addWidget(answers_[result]);
        connect(answers_[result], &QPushButton::clicked, this,
                [this, result] { OnAnswer(static_cast<ReviewResult>(result)); });
    }
    layout->addStretch(1);
    checkRecitation_ = Button(QStringLiteral("Check Recitation... (%1)")
                                  .arg(MainKeys::Text(CReviewCommands::kRecitationKey)),
                              kCheckRecitationId, row);
    layout->addWidget(checkRecitation_);
    connect(checkRecitation_, &QPushButton::clicked, this, &CReviewSessionDlg::OnCheckRecitation);
    return row;
}

QWidget* CReviewSessionDlg::BuildReferenceRow() {
    referenceRow_ = new QWidget(this);
    auto* layout = new QHBoxLayout(referenceRow_);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(QStringLiteral("Re&ference:"), referenceRow_);
    referenceBox_ = new QLineEdit(referenceRow_);
    referenceBox_->setObjectName(QString::number(kReferenceBoxId));
    label->setBuddy(referenceBox_);
    auto* check =
        Button(QStringLiteral("Check Reference (Enter)"), kCheckReferenceId, referenceRow_);
    next_ = Button(QStringLiteral("Next (Enter)"), kNextId, referenceRow_);
    layout->addWidget(label);
    layout->addWidget(referenceBox_, 1);
    layout->addWidget(check);
    layout->addWidget(next_);
    connect(check, &QPushButton::clicked, this, &CReviewSessionDlg::OnCheckReference);
    connect(referenceBox_, &QLineEdit::returnPressed, this, [this] {
        if (referenceChecked_)
            next_->click();
        else
            OnCheckReference();
    });
    connect(next_, &QPushButton::clicked, this, [this] {
        referenceChecked_ = false;
        round_.Next();
        ShowAsked();
    });
    return referenceRow_;
}

const CPassage& CReviewSessionDlg::Passage(int index) const {
    return store_.Passage(index);
}

QString CReviewSessionDlg::Named(int index) const {
    const CPassage& passage = Passage(index);
    return FromWin1252(passage.PassageReference()) + QLatin1Char(' ') +
           FromWin1252(passage.TransName());
}

bool CReviewSessionDlg::RecallingReference() const {
    return recallReference_->isChecked();
}

void CReviewSessionDlg::ShowAsked() {
    // What is read aloud belongs to the passage asked until now.
    if (listen_)
        listen_->Stop();
    shown_ = round_.Current();
    if (shown_ < 0) {
        ShowSummary();
        return;
    }
    feedback_->clear();
    referenceBox_->clear();
    referenceChecked_ = false;
    // The reference question shows the passage itself, and nothing on screen names it.
    const QString place =
        QStringLiteral("Passage %1 of %2").arg(round_.Place() + 1).arg(round_.Count());
    setWindowTitle(QStringLiteral("Review Due Passages - ") + place);
    place_->setText(RecallingReference() ? place : place + QStringLiteral(":  ") + Named(shown_));
    ShowLevel(RecallingReference() ? kPassage : kBlank);
    UpdateControls();
    if (RecallingReference())
        referenceBox_->setFocus();
    else
        answers_[static_cast<int>(ReviewResult::Recalled)]->setFocus();
}

void CReviewSessionDlg::ShowLevel(int level) {
    level_ = level;
    if (QAbstractButton* radio = levels_->button(level))
        radio->setChecked(true);
    if (shown_ < 0)
        return;
    const CPassage& passage = Passage(shown_);
    QString text;
    switch (level) {
    case kHint:
        text = FromWin1252Lines(passage.HintText());
        break;
    case kPassage:
        text = FromWin1252Lines(passage.PassageText());
        break;
    case kContext:
        text = FromWin1252Lines(passage.context);
        break;
    default:
        break;
    }
    QFont font = text_->font();
    font.setPointSizeF(level <= kHint ? kHintPoints : kTextPoints);
    text_->setFont(font);
    text_->setPlainText(text);
}

void CReviewSessionDlg::UpdateControls() {
    const bool asking = shown_ >= 0;
    const bool reference = asking && RecallingReference();
    // The answer buttons' keys are digits, which the reference box takes while it is shown.
    for (QPushButton* answer : answers_)
        answer->parentWidget()->setVisible(asking && !reference);
    for (QAbstractButton* radio : levels_->buttons())
        radio->setEnabled(asking && !reference);
    referenceRow_->setVisible(reference);
    referenceBox_->setReadOnly(referenceChecked_);
    next_->setVisible(referenceChecked_);
    referenceRow_->findChild<QPushButton*>(QString::number(kCheckReferenceId))
        ->setVisible(!referenceChecked_);
    recallReference_->setEnabled(asking);
    if (listenButton_)
        listenButton_->setEnabled(asking);
}

void CReviewSessionDlg::OnListen() {
    if (shown_ >= 0 && !listen_->Toggle(&Passage(shown_), level_ == kContext))
        QApplication::beep();
}

void CReviewSessionDlg::OnAnswer(ReviewResult result) {
    if (shown_ < 0 || RecallingReference())
        return;
    round_.Answer(ReviewKind::SelfGraded, result);
    Answered(shown_);
}

// The first check of the opening is the answer; the learner may try again in the window, as
// practice, before closing it.
void CReviewSessionDlg::OnCheckRecitation() {
    if (shown_ < 0 || RecallingReference())
        return;
    CRecitationDlg dialog(Passage(shown_), background_, this);
    connect(&dialog, &CRecitationDlg::checked, this, [&] {
        const CRecitationCheck& check = *dialog.Result();
        round_.Answer(ReviewKind::TypedCheck, ResultOfSuggestedProgress(check.SuggestedProgress()),
                      check.PercentRight());
    });
    dialog.exec();
    if (round_.Answered())
        Answered(shown_);
}

void CReviewSessionDlg::OnCheckReference() {
    if (shown_ < 0 || referenceChecked_ || referenceBox_->text().trimmed().isEmpty())
        return;
    const bool right = round_.AnswerReference(referenceBox_->text().toStdString());
    // Now the reference may show.
    referenceChecked_ = true;
    place_->setText(place_->text() + QStringLiteral(":  ") + Named(shown_));
    feedback_->setText(right ? QStringLiteral("Right: %1.").arg(Named(shown_))
                             : QStringLiteral("Not right: this is %1.").arg(Named(shown_)));
    OfferSuggestion(shown_);
    UpdateControls();
    next_->setFocus();
}

void CReviewSessionDlg::Answered(int index) {
    OfferSuggestion(index);
    round_.Next();
    ShowAsked();
}

void CReviewSessionDlg::OfferSuggestion(int index) {
    const std::optional<CReviewSchedule::Suggestion> suggestion = schedule_.Suggest(Passage(index));
    if (!suggestion || suggestion->freq == Passage(index).freq) {
        suggestionRow_->hide();
        return;
    }
    suggestedIndex_ = index;
    suggestedFreq_ = suggestion->freq;
    suggestion_->setText(Named(index) + QStringLiteral(": ") + FromWin1252(suggestion->reason));
    takeSuggestion_->setText(
        QStringLiteral("&Move to %1").arg(FromWin1252(FreqChoiceText(suggestion->freq))));
    suggestionRow_->show();
}

void CReviewSessionDlg::OnTakeSuggestion() {
    if (suggestedIndex_ >= 0)
        session_.SetFrequencyOf(suggestedIndex_, suggestedFreq_);
    suggestedIndex_ = -1;
    suggestionRow_->hide();
}

void CReviewSessionDlg::ShowSummary() {
    const CReviewRound::Summary summary = round_.Summarise();
    place_->setText(QStringLiteral("Review finished"));
    setWindowTitle(QStringLiteral("Review Due Passages - Finished"));
    levels_->setExclusive(false);
    if (QAbstractButton* checked = levels_->checkedButton())
        checked->setChecked(false);
    levels_->setExclusive(true);
    QFont font = text_->font();
    font.setPointSizeF(kTextPoints);
    text_->setFont(font);
    text_->setPlainText(QStringLiteral("Reviewed: %1\nRecalled: %2\nDue tomorrow: %3")
                            .arg(summary.reviewed)
                            .arg(summary.recalled)
                            .arg(summary.dueTomorrow));
    feedback_->clear();
    UpdateControls();
    close_->setDefault(true);
    close_->setFocus();
}
