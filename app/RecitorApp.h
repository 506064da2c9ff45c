// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "InstanceChecker.h"
#include "MessageBoxService.h"
#include "Platform.h"
#include "Preferences.h"
#include "QtSettings.h"

#include <QObject>
#include <QStringList>

#include <memory>
#include <string>

class CMainDlg;
class CPassageStore;
class CReviewHistory;
class CReviewSchedule;
class QWidget;

// The one process-wide object that owns everything else: the passage store, the single-instance
// guard and the few start-up values the windows read. Run is the start-up routine: it reads the
// settings, loads the passages, hands over to a copy that already runs, or runs the main window
// and saves everything when it closes.
class CRecitorApp {
public:
    explicit CRecitorApp(std::unique_ptr<ISettings> settings = std::make_unique<CQtSettings>());
    ~CRecitorApp();
    CRecitorApp(const CRecitorApp&) = delete;
    CRecitorApp& operator=(const CRecitorApp&) = delete;

    // The start-up routine; returns the process's exit status (kFatalExitCode after a fatal
    // fault in the data files or the flawed-setup message).
    int Run(const QStringList& arguments);

    // The application object, once the start-up settings have been read.
    static CRecitorApp* Instance();

    // Whether the command line holds "Embedding" or "Automation" (any letter case, after "-" or
    // "/"), which suppress the start-up tip.
    static bool HasAutomationSwitch(const QStringList& arguments);

    // File "Save": writes everything; a file that cannot be written ends the program.
    void Save();
    // The desktop's session save (a checkpoint, or the first step of a logout): saves as File
    // "Save" does and keeps running; an end, if one follows, comes as a request of its own.
    // Nothing is saved unless the main window runs: before it the files are not loaded yet (or
    // this copy is handing over to one that runs), and after it the end's own save follows.
    void SaveForSession();
    // "Tip of the Day": the tip dialog, whatever its start-up setting.
    void ShowTip();
    // Ends the run as the Exit command does, from wherever it stands: the windows open above the
    // main window are closed one by one, then the main window, and the run saves what a normal
    // end saves at that point (nothing before the passages are loaded). For logout, shutdown and
    // the signals that stand for them.
    void RequestEnd();

    int runCount = 0;
    int editNextMode = 0;
    std::unique_ptr<CPassageStore> store;
    // The review history of the run, opened after the passages load, and the schedule over it.
    std::unique_ptr<CReviewHistory> history;
    std::unique_ptr<CReviewSchedule> schedule;
    CInstanceChecker guard;
    CMainDlg* mainWindow = nullptr;

private:
    bool ReadStartupSettings();
    // A new store over the files as they are now, and the position the run goes on from; false
    // after the message of a fatal fault in the files.
    bool LoadStore();
    void ShowStartupTip(const QStringList& arguments);
    // Reads the tip that is due and shows it, at start-up only when the user wants the tips
    // then; stores the start-up choice the user confirmed and where the next tip starts.
    void TakeTip(bool startup, QWidget* parent);
    void ReadPreferences();
    // The settings of a save that worked: the preferences, the position and the collection's
    // counters.
    void WriteSettings(int position);
    void RestoreSelection();
    void CloseWindowsForEnd();

    std::unique_ptr<ISettings> settings_;
    CMessageBoxSink messages_;
    CSystemClock clock_;
    CPreferences prefs_;
    int restoredPosition_ = 0; // where the last run left off, for the main window to go on
    bool fatal_ = false;
    bool endRequested_ = false;
    bool windowRunning_ = false; // the main window runs: the session's work can be saved
    // Owns the steps of closing the windows at an end request, so that none outlives the run.
    QObject endSteps_;
};
