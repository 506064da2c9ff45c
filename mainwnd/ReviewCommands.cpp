// SPDX-License-Identifier: GPL-2.0-or-later
#include "ReviewCommands.h"

#include "CommandIds.h"
#include "ListenCommand.h"
#include "MainLayout.h"
#include "MainMenu.h"
#include "PassageDisplay.h"
#include "PassageTreeModel.h"
#include "ProgressDlg.h"
#include "ProgressSeries.h"
#include "RecitationCheck.h"
#include "RecitationDlg.h"
#include "ReviewHistory.h"
#include "ReviewIntervalsDlg.h"
#include "ReviewRound.h"
#include "ReviewSchedule.h"
#include "ReviewSessionDlg.h"
#include "StudySession.h"

#include <QAction>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <memory>

CReviewCommands::CReviewCommands(QWidget& window, CPassageStore& store, CStudySession& session,
                                 CMainMenu& menu, CMainLayout& layout, CPassageTreeModel& model,
                                 CPassageDisplay& display)
    : window_(window), store_(store), session_(session), menu_(menu), layout_(layout),
      model_(model), display_(display) {
    dayChange_ = new QTimer(this);
    dayChange_->setSingleShot(true);
    dayChange_->setTimerType(Qt::VeryCoarseTimer);
    connect(dayChange_, &QTimer::timeout, this, &CReviewCommands::Refresh);
    // Review Intervals sets the schedule, which there is from SetReview on.
    connect(menu_.Action(Id::kReviewIntervals), &QAction::triggered, this,
            &CReviewCommands::OnReviewIntervals);
    menu_.Action(Id::kReviewIntervals)->setEnabled(false);
    connect(menu_.Action(Id::kProgressOverTime), &QAction::triggered, this,
            &CReviewCommands::OnProgressOverTime);
    connect(menu_.Action(Id::kCheckRecitation), &QAction::triggered, this,
            &CReviewCommands::OnCheckRecitation);
    menu_.Action(Id::kCheckRecitation)->setShortcut(kRecitationKey);
    connect(layout_.RecitationButton(), &QPushButton::clicked, this,
            &CReviewCommands::OnCheckRecitation);
    QAction* reviewDue = menu_.Action(Id::kReviewDue);
    reviewDue->setShortcut(Qt::CTRL | Qt::Key_D);
    connect(reviewDue, &QAction::triggered, this, &CReviewCommands::OnReviewDue);
}

bool CReviewCommands::Available() const {
    return schedule_ && history_->Available();
}

void CReviewCommands::SetReview(CReviewHistory& history, CReviewSchedule& schedule, IClock& clock) {
    history_ = &history;
    schedule_ = &schedule;
    clock_ = &clock;
    // Without a history nothing is recorded; the session goes on as before.
    session_.SetRecorder(history.Available() ? &history : nullptr, &clock);
    menu_.Action(Id::kReviewIntervals)->setEnabled(true);
    menu_.Action(Id::kProgressOverTime)->setEnabled(history.Available());
    Refresh();
}

void CReviewCommands::Refresh() {
    QAction* reviewDue = menu_.Action(Id::kReviewDue);
    if (!Available()) {
        display_.ShowReviewStatus(nullptr);
        reviewDue->setText(QStringLiteral("Review Due Passages"));
        reviewDue->setEnabled(false);
        return;
    }
    const CReviewSchedule::DueToday due = schedule_->Due(store_, session_.Listing());
    model_.SetDue(due.passages);
    display_.ShowReviewStatus(&due);
    reviewDue->setText(QStringLiteral("Review Due Passages (%1)").arg(due.passages.size()));
    reviewDue->setEnabled(!due.passages.empty());
    // Counted again when the next review day begins (a second late, to be past its start).
    const std::int64_t now = clock_->NowSeconds();
    const std::int64_t next = schedule_->DayStart(schedule_->ReviewDay(now) + 1);
    constexpr std::int64_t kLongestWait = 86400 * 2;
    dayChange_->start(
        static_cast<int>(std::clamp<std::int64_t>(next - now + 1, 1, kLongestWait) * 1000));
}

void CReviewCommands::UpdateRecitationCommand() {
    const bool shown = session_.Current() != nullptr;
    menu_.Action(Id::kCheckRecitation)->setEnabled(shown);
    const int mode = display_.VisibilityMode();
    layout_.RecitationButton()->setVisible(
        shown && (mode == CPassageDisplay::kBlank || mode == CPassageDisplay::kHint));
}

// The window borrows the passage only while it is open; the user classifies afterwards as always.
void CReviewCommands::OnCheckRecitation() {
    const CPassage* passage = session_.Current();
    if (!passage)
        return;
    CRecitationDlg dialog(*passage, layout_.Background(), &window_);
    RecordFirstCheck(dialog, *passage);
    dialog.exec();
}

// The first check of each opening is the passage's review; checking again after Try Again is
// practice and is not recorded.
void CReviewCommands::RecordFirstCheck(CRecitationDlg& dialog, const CPassage& passage) {
    if (!Available())
        return;
    const std::int64_t opened = clock_->NowSeconds();
    const std::uint32_t matchKey = passage.MatchKey();
    auto recorded = std::make_shared<bool>(false);
    connect(&dialog, &CRecitationDlg::checked, this, [this, &dialog, opened, matchKey, recorded] {
        if (*recorded)
            return;
        *recorded = true;
        const CRecitationCheck& check = *dialog.Result();
        const std::int64_t now = clock_->NowSeconds();
        history_->Record({.when = now,
                          .matchKey = matchKey,
                          .kind = ReviewKind::TypedCheck,
                          .result = ResultOfSuggestedProgress(check.SuggestedProgress()),
                          .percent = check.PercentRight(),
                          .seconds = static_cast<int>(std::max<std::int64_t>(now - opened, 0))});
        Refresh();
    });
}

// The round takes the passages due as the session begins; the main window follows once it ends.
void CReviewCommands::OnReviewDue() {
    if (!Available())
        return;
    CReviewRound round(store_, *history_, *schedule_, *clock_);
    if (round.Count() == 0)
        return;
    CReviewSessionDlg dialog(round, store_, *schedule_, session_, layout_.Background(), listen_,
                             &window_);
    // Nothing behind the session may name the passage asked: it covers the main window, whose
    // title keeps only the score until the session ends and the window shows its passage again.
    dialog.setGeometry(window_.geometry());
    window_.setWindowTitle(window_.windowTitle().section(QStringLiteral("  "), 0, 1));
    dialog.exec();
    if (listen_)
        listen_->Stop();
    Refresh();
    emit sessionEnded();
}

// The dialog shows the schedule's values; those chosen go into the schedule and are kept at once.
void CReviewCommands::OnReviewIntervals() {
    if (!schedule_)
        return;
    CReviewIntervalsDlg::Values values;
    for (int freq = 0; freq < CReviewSchedule::kActiveClasses; ++freq)
        values.intervals[static_cast<std::size_t>(freq)] = schedule_->Interval(freq);
    values.dayChangeHour = schedule_->DayChangeHour();
    CReviewIntervalsDlg dialog(values, &window_);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const CReviewIntervalsDlg::Values chosen = dialog.Chosen();
    for (int freq = 0; freq < CReviewSchedule::kActiveClasses; ++freq)
        schedule_->SetInterval(freq, chosen.intervals[static_cast<std::size_t>(freq)]);
    schedule_->SetDayChangeHour(chosen.dayChangeHour);
    emit intervalsChosen();
    Refresh();
}

// The series are computed afresh at each opening, from the whole history as it stands.
void CReviewCommands::OnProgressOverTime() {
    if (!Available())
        return;
    const CProgressSeries series(history_->ReviewMoments(), history_->Changes(), store_, *schedule_,
                                 clock_->NowSeconds());
    CProgressDlg dialog(series, &window_);
    dialog.exec();
}
