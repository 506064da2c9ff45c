// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "CommandContext.h"
#include "InstalledBibles.h"
#include "MainLayout.h"
#include "PassageDisplay.h"
#include "PassageStore.h"
#include "Preferences.h"
#include "StudySession.h"

#include <QDialog>

#include <memory>

class CHelpCommands;
class CListenCommand;
class CMainMenu;
class CPassage;
class CPassageTree;
class CPassageTreeModel;
class CPreferenceMenu;
class CReviewCommands;
class CReviewHistory;
class CReviewSchedule;
class ISpeaker;
class QAction;

// The program's one top-level window: it shows the current passage at one of four visibility
// levels, classifies it by how often it is to be recited and how well it is known, and lists all
// passages in a tree grouped by frequency class. The study session holds the position and the
// passage shown; the layout holds the controls, the display shows the passage in them, and the
// window wires the menus, keys, radios and the tree to the session and the commands.
class CMainDlg : public QDialog, public ISessionWindow, private ISessionView {
    Q_OBJECT
public:
    using enum CPassageDisplay::Visibility;

    // Borrows the store and the preferences for its whole life. editNextMode is the maintainers'
    // mode setting, position the navigation position to start at (limited to the tree).
    CMainDlg(CPassageStore& store, CPreferences& prefs, int editNextMode = 0, int position = 0,
             QWidget* parent = nullptr);
    ~CMainDlg() override;

    // Lists the passages of the translation filter anew.
    void RebuildTree();
    // Shows the passage at the session's position: the tree's highlight, the menus and the display.
    void SelectCurrent();
    void RefreshDisplay();
    void First();
    void Previous() override;
    void Next() override;
    void Last();

    // Takes what the Edit Passage dialog gave into the collection as a new passage and shows it
    // when the tree lists it. False when the store refused it (it has said why); nothing has
    // changed then.
    bool TakeNewPassage(const CPassage::Values& values);

    // Wires the review (CReviewCommands): the changes of class and progress made here are
    // recorded in history when it is available, and the status line, the tree's marks and Review
    // Due Passages show what schedule has due today, counted again after every change of the
    // listing and when the review day changes. All three are borrowed for the window's life.
    // Until then the status line says there is no review history.
    void SetReview(CReviewHistory& history, CReviewSchedule& schedule, IClock& clock);
    // Counts again what is due today (after a review was recorded, say).
    void RefreshReview();

    void RefreshTitle() { display_->ShowTitle(); }
    void BringTextBoxToFront() { layout_->BringTextBoxToFront(); }
    // The flyover rule for a mouse position in the window's client area.
    void OnMouseMove(const QPoint& clientPosition);

    QAction* Action(int id) const;
    int BackgroundIndex() const;
    int CurrentPassageIndex() const { return session_.CurrentIndex(); }
    // The navigation position, saved with the settings so that the next start goes on there.
    int Position() { return session_.Position(); }
    int LastPosition() const;
    // The topic of the topic filter and the same-topic list: the one listed last.
    int Topic() const { return topic_; }
    // Sets the navigation position, limited to the tree; SelectCurrent then shows it.
    void SetPosition(int position);
    int VisibilityMode() const { return display_->VisibilityMode(); }
    bool TreeInFront() const { return layout_->TreeInFront(); }
    QWidget* Client() const { return layout_->Client(); }
    CHelpCommands& Help() const { return *help_; }
    // Listen reads aloud through speaker from now on (the desktop's speech until then).
    void SetSpeaker(std::unique_ptr<ISpeaker> speaker);

signals:
    // Commands the application handles: File "Save" and "Tip of the Day".
    void saveRequested();
    void tipRequested();
    // The default beep sounded (stepping past either end).
    void beeped();
    // The window has been shown for the first time and can be brought forward by a second start.
    void initialised();
    // The export confirmation was toggled; it is written to the settings at once.
    void exportConfirmationToggled();
    // The Export Flashcards window's choices changed; they are written to the settings at once.
    void flashcardChoicesChanged();
    // An import's translation for lines without one was chosen; it is written at once.
    void importTranslationChosen();
    // New review intervals or day-change hour were set in the schedule; they are written at once.
    void reviewIntervalsChosen();
    // A speed of reading aloud was chosen; it is written at once.
    void listenSpeedChosen();
    // The verses around a passage taken from the Bible were chosen; they are kept at once.
    void bibleVersesChosen();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectCommands();
    void UpdateCategoryMenu();
    void UpdateNavigationMenu();
    void ConnectPreferences();
    // Takes the commands the settings do not allow off the menu.
    void ApplyCommandSettings();
    void OnCommand(int id);
    void OnFrequency(int choice);
    void OnProgress(int choice);
    void OnVisibility(int mode);
    void OnViewCategory(int freq);
    void OnTreeItemChosen(const QModelIndex& item);
    void Beep() override;
    void ShowPosition() override;
    const CPassage* Current() const { return session_.Current(); }
    CommandContext Context();
    void ListingAboutToChange() override;
    void ListingChanged() override;
    void ShownPassageFound() override;
    // Printing, the handheld export, the parallel passages, help and web links.
    void ConnectOutputCommands();
    void OnPrint();
    void OnParallelPassages();
    void OnExportFlashcards();
    void OnBibleVerses();
    // Listen: reads the passage shown aloud until it is done, the passage changes, or the user
    // stops it with the command's key or Escape.
    void OnListen();

    CPassageStore& store_;
    CPreferences& prefs_;
    // Opened at its first use, by a command that takes passages from the Bible.
    CInstalledBibles bible_;
    const int editNextMode_;
    CStudySession session_;
    std::unique_ptr<CPassageTreeModel> model_;
    std::unique_ptr<CMainMenu> menu_;
    std::unique_ptr<CMainLayout> layout_;
    std::unique_ptr<CPassageDisplay> display_;
    std::unique_ptr<CPreferenceMenu> preferenceMenu_;

    int topic_ = 0; // the topic listed last; at first the one of the settings
    bool shown_ = false;
    bool followingCurrent_ = false; // the tree's current item is being moved to the shown passage
    std::unique_ptr<CHelpCommands> help_;
    std::unique_ptr<CReviewCommands> review_; // borrows the parts above: it goes first
    std::unique_ptr<CListenCommand> listen_;  // borrows the menu and the preferences
};
