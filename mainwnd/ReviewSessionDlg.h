// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "ReviewLog.h"

#include <QBrush>
#include <QDialog>

class CListenCommand;
class CPassage;
class CPassageStore;
class CReviewRound;
class CReviewSchedule;
class CStudySession;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;

// Review Due Passages: steps through a review round, one due passage at a time. Each starts at
// Blank; the learner reveals as much as needed and answers Not yet, With help or Recalled (keys 1
// to 3), or types it in Check Recitation, whose result is the answer. With "Recall the reference"
// the passage is shown without its reference, which the learner types. Each answer is recorded
// by the round at once, so Escape leaves with what was done kept; a class the schedule suggests
// afterwards is offered with a button, and taking it classifies the passage through the session.
class CReviewSessionDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPlaceId = 34060;
    static constexpr int kTextBoxId = 34061;
    static constexpr int kFirstVisibilityId = 34062; // + level Blank..Context
    static constexpr int kNotYetId = 34066;          // + ReviewResult
    static constexpr int kCheckRecitationId = 34069;
    static constexpr int kRecallReferenceId = 34070;
    static constexpr int kReferenceBoxId = 34071;
    static constexpr int kCheckReferenceId = 34072;
    static constexpr int kNextId = 34073;
    static constexpr int kFeedbackId = 34074;
    static constexpr int kSuggestionId = 34075;
    static constexpr int kTakeSuggestionId = 34076;
    static constexpr int kCloseId = 34077;
    static constexpr int kListenId = 34078;

    // Borrows everything for the window's life; session classifies when a suggestion is taken.
    // listen, when given, reads the passage on screen aloud before the learner recites it.
    CReviewSessionDlg(CReviewRound& round, const CPassageStore& store,
                      const CReviewSchedule& schedule, CStudySession& session,
                      const QBrush& background, CListenCommand* listen = nullptr,
                      QWidget* parent = nullptr);

    // The store index of the passage on screen, -1 once the summary shows.
    int Shown() const { return shown_; }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum Visibility { kBlank = 0, kHint = 1, kPassage = 2, kContext = 3 };

    // The button a key of the session stands for, null for other keys.
    QAbstractButton* ButtonOfKey(const QKeyEvent& event) const;
    QWidget* BuildAnswerRow();
    QWidget* BuildReferenceRow();
    // Shows the passage the round asks, or the summary when it is finished.
    void ShowAsked();
    void ShowLevel(int level);
    void ShowSummary();
    // Enables and shows the controls for the question on screen.
    void UpdateControls();
    bool RecallingReference() const;
    void OnAnswer(ReviewResult result);
    void OnCheckRecitation();
    void OnCheckReference();
    // Reads the passage on screen aloud (its context at Context), or stops the reading.
    void OnListen();
    // After an answer: offers the suggested class of the passage answered and asks the next.
    void Answered(int index);
    // Shows the class the schedule suggests for the passage at index, if another.
    void OfferSuggestion(int index);
    void OnTakeSuggestion();
    const CPassage& Passage(int index) const;
    // The reference and translation, as the main window's title names a passage.
    QString Named(int index) const;

    CReviewRound& round_;
    const CPassageStore& store_;
    const CReviewSchedule& schedule_;
    CStudySession& session_;
    QBrush background_;
    CListenCommand* listen_;
    int shown_ = -1;
    int level_ = kBlank;
    bool referenceChecked_ = false; // the reference question's answer is on screen
    int suggestedIndex_ = -1;
    int suggestedFreq_ = -1;

    QLabel* place_ = nullptr;
    QTextEdit* text_ = nullptr;
    QButtonGroup* levels_ = nullptr;
    QPushButton* answers_[3] = {};
    QPushButton* checkRecitation_ = nullptr;
    QPushButton* listenButton_ = nullptr;
    QCheckBox* recallReference_ = nullptr;
    QWidget* referenceRow_ = nullptr;
    QLineEdit* referenceBox_ = nullptr;
    QPushButton* next_ = nullptr;
    QLabel* feedback_ = nullptr;
    QWidget* suggestionRow_ = nullptr;
    QLabel* suggestion_ = nullptr;
    QPushButton* takeSuggestion_ = nullptr;
    QPushButton* close_ = nullptr;
};
