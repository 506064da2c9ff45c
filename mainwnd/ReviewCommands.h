// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QKeyCombination>
#include <QObject>

class CListenCommand;
class CMainLayout;
class CMainMenu;
class CPassage;
class CPassageDisplay;
class CPassageStore;
class CPassageTreeModel;
class CRecitationDlg;
class CReviewHistory;
class CReviewSchedule;
class CStudySession;
class IClock;
class QTimer;
class QWidget;

// The main window's review: what is due today in the status line, the tree's marks and the View
// menu's Review Due Passages, counted again after every change and when the review day changes;
// the review session; Check Recitation, whose first check of an opening is the passage's review;
// Review Intervals and Progress Over Time. Until SetReview the window runs without a history.
class CReviewCommands : public QObject {
    Q_OBJECT
public:
    // Check Recitation's key, on the View menu, the main window's button and the session's.
    static constexpr QKeyCombination kRecitationKey = Qt::CTRL | Qt::Key_R;

    // Borrows everything for its life; window owns the dialogs it opens.
    CReviewCommands(QWidget& window, CPassageStore& store, CStudySession& session, CMainMenu& menu,
                    CMainLayout& layout, CPassageTreeModel& model, CPassageDisplay& display);

    // The changes of class and progress the session makes are recorded in history when it is
    // available, and schedule counts what is due. All three are borrowed for the window's life.
    void SetReview(CReviewHistory& history, CReviewSchedule& schedule, IClock& clock);
    // The review session offers listen for the passage it asks (none until then).
    void SetListen(CListenCommand& listen) { listen_ = &listen; }
    // Counts again what is due today (after a review was recorded, say).
    void Refresh();
    // Offers Check Recitation for the passage shown: the View menu's command, and the button in
    // the text box at the levels where the passage is hidden.
    void UpdateRecitationCommand();

signals:
    // New review intervals or day-change hour were set in the schedule.
    void intervalsChosen();
    // A review session ended: the passages' classes may have changed.
    void sessionEnded();

private:
    bool Available() const;
    void OnCheckRecitation();
    // Records the first check of an opening of Check Recitation for passage as its review.
    void RecordFirstCheck(CRecitationDlg& dialog, const CPassage& passage);
    void OnReviewDue();
    void OnReviewIntervals();
    void OnProgressOverTime();

    QWidget& window_;
    CPassageStore& store_;
    CStudySession& session_;
    CMainMenu& menu_;
    CMainLayout& layout_;
    CPassageTreeModel& model_;
    CPassageDisplay& display_;
    CReviewHistory* history_ = nullptr;
    CReviewSchedule* schedule_ = nullptr;
    IClock* clock_ = nullptr;
    QTimer* dayChange_ = nullptr; // fires when the next review day begins
    CListenCommand* listen_ = nullptr;
};
