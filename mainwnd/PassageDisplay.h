// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "ReviewSchedule.h"

class CMainLayout;
class CPassageStore;
class CPreferences;
class CStudySession;
class QWidget;

// What the main window shows of the session's passage: the text box at the visibility level
// chosen (its text, its font size and, at Context, the passage marked in its context), the radios
// of the passage's frequency class, progress and the level, and the window's title with the score;
// and under the text box what the review has due today.
class CPassageDisplay {
public:
    enum Visibility { kBlank = 0, kHint = 1, kPassage = 2, kContext = 3 };

    // Borrows everything for its whole life; shows at visibilityMode until SetVisibilityMode.
    CPassageDisplay(const CStudySession& session, const CPassageStore& store,
                    const CPreferences& prefs, CMainLayout& layout, QWidget& window,
                    int visibilityMode);

    // Shows the session's passage (nothing when none is shown) in the text box, the radios and
    // the title.
    void Show();
    void ShowTitle();
    // Shows in the status line how many passages are due today, how many were reviewed today and
    // the first due; due is null when there is no review history this run.
    void ShowReviewStatus(const CReviewSchedule::DueToday* due);
    // Checks the radios of the choices kept (none in a group whose value has no radio).
    void PushChoices();

    int VisibilityMode() const { return visibilityMode_; }
    void SetVisibilityMode(int mode) { visibilityMode_ = mode; }
    // The choices the radios show at the next PushChoices.
    void SetFrequencyChoice(int choice) { frequencyChoice_ = choice; }
    void SetProgressChoice(int choice) { progressChoice_ = choice; }

private:
    // Font size in tenths of a point for the passage and context levels, for a text of lineCount
    // display lines.
    int ChooseSize(int lineCount) const;

    const CStudySession& session_;
    const CPassageStore& store_;
    const CPreferences& prefs_;
    CMainLayout& layout_;
    QWidget& window_;
    int visibilityMode_;
    int frequencyChoice_ = -1;
    int progressChoice_ = 0;
};
