// SPDX-License-Identifier: GPL-2.0-or-later
#include "RecitorApp.h"

#include "CreationTime.h"
#include "MainDlg.h"
#include "PassageStore.h"
#include "Preferences.h"
#include "ReviewHistory.h"
#include "ReviewSchedule.h"
#include "TipDlg.h"
#include "TipSequence.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

namespace {

CRecitorApp* theApp = nullptr;

constexpr int kMaxRestoredPosition = 10000;

} // namespace

CRecitorApp::CRecitorApp(std::unique_ptr<ISettings> settings)
    : guard(QStringLiteral("RecitorMutex")), settings_(std::move(settings)) {}

CRecitorApp::~CRecitorApp() {
    if (theApp == this)
        theApp = nullptr;
}

CRecitorApp* CRecitorApp::Instance() {
    return theApp;
}

bool CRecitorApp::HasAutomationSwitch(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!argument.startsWith(QLatin1Char('-')) && !argument.startsWith(QLatin1Char('/')))
            continue;
        const QString flag = argument.mid(1);
        if (flag.compare(QLatin1String("Embedding"), Qt::CaseInsensitive) == 0 ||
            flag.compare(QLatin1String("Automation"), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool CRecitorApp::ReadStartupSettings() {
    using namespace SettingKey;
    runCount = settings_->ReadNumber(kSectionParams, kRunCount, -1);
    if (runCount < 0) {
        // The installer creates the counter; without it the files may not be in place either.
        MessageBoxes().Show(nullptr, QStringLiteral("Recitor Flawed Setup"),
                            QStringLiteral("Recitor not installed properly (was setup program "
                                           "used?)"),
                            MsgIcon::Error, MsgButtons::Ok);
        return false;
    }
    settings_->WriteNumber(kSectionParams, kRunCount, runCount + 1);
    prefs_.ReadBackground(*settings_);
    const auto now = static_cast<std::int32_t>(clock_.NowSeconds());
    if (runCount == 0)
        settings_->WriteNumber(kSectionParams, kFirstRunTime, now);
    settings_->WriteNumber(kSectionParams, kMostRecentRunTime, now);
    editNextMode = settings_->ReadNumber(kSectionParams, kEditNextMode, 0);
    theApp = this;
    return true;
}

void CRecitorApp::ShowStartupTip(const QStringList& arguments) {
    if (HasAutomationSwitch(arguments))
        return;
    TakeTip(true, nullptr);
}

void CRecitorApp::ShowTip() {
    TakeTip(false, mainWindow);
}

void CRecitorApp::TakeTip(bool startup, QWidget* parent) {
    CTipSequence tips(*settings_, CreationTimeText(CTipSequence::FilePath({})));
    // The tip is taken even when it is not shown, so that every start moves on by one tip.
    if (tips.Next() == CTipSequence::Read::Trouble)
        CTipDlg::ReportTrouble(nullptr);
    if (!startup || tips.ShowAtStartup()) {
        CTipDlg dialog(tips, parent);
        // Only Close confirms the start-up choice; Escape leaves it as it was.
        if (dialog.exec() == QDialog::Accepted)
            tips.SetShowAtStartup(dialog.ShowAtStartup());
    }
    tips.SavePosition();
}

void CRecitorApp::ReadPreferences() {
    prefs_.Read(*settings_);
}

void CRecitorApp::RestoreSelection() {
    int position = settings_->ReadNumber(kSectionParams, SettingKey::kCurSelectorIndex, 0);
    if (position < 0 || position > kMaxRestoredPosition)
        position = 0;
    // The window limits it to its tree; here to the collection, as the position was saved against.
    if (static_cast<unsigned>(position) > static_cast<unsigned>(store->LastIndex()))
        position = store->LastIndex();
    restoredPosition_ = position;
}

bool CRecitorApp::LoadStore() {
    // The store that a new one replaces goes first: the two need not be held at once.
    store.reset();
    store = std::make_unique<CPassageStore>(messages_, *settings_, clock_);
    if (store->Load() == Status::Fatal)
        return false;
    RestoreSelection();
    return true;
}

int CRecitorApp::Run(const QStringList& arguments) {
    if (!ReadStartupSettings())
        return kFatalExitCode;
    ShowStartupTip(arguments);
    if (endRequested_)
        return 0; // ended before anything was loaded: there is nothing to save
    ReadPreferences();
    if (!LoadStore())
        return kFatalExitCode;

    if (editNextMode == 0) {
        guard.LockStartup();
        if (guard.IsAnotherInstanceRunning()) {
            MessageBoxes().Show(nullptr, QStringLiteral("Recitor already running"),
                                QStringLiteral("Recitor will now restore 'original'"),
                                MsgIcon::Error, MsgButtons::Ok);
            guard.BringOtherInstanceForward();
            return 0; // this copy leaves the files to the running one: nothing is saved
        }
        // This copy loaded the files before it took the lock. If it waited there for a copy that
        // ran without publishing its window, that copy has saved since: what was loaded is out of
        // date, and working on it would write the older passages over the newer ones at the end.
        if (store->FilesChangedSinceLoad()) {
            // The other copy's end also wrote its preferences and the place it left off: they go
            // on here as they would after a start that had not waited.
            settings_->Sync();
            ReadPreferences();
            if (!LoadStore())
                return kFatalExitCode;
        }
        // This is the only copy at work on the files: what a save killed midway left behind is
        // of no use to anyone. (Maintainers may run copies side by side, whose saves in progress
        // must not lose their files; they keep the leftovers until a normal start.)
        store->RemoveLeftoverTemporaries();
    }

    // The history only now: a copy that hands over to a running one must not wait for its lock.
    // A history that cannot be used has said why; the program goes on without it.
    history = std::make_unique<CReviewHistory>(messages_, std::filesystem::path{});
    schedule = std::make_unique<CReviewSchedule>(*history, clock_);
    schedule->Read(*settings_);

    auto window = std::make_unique<CMainDlg>(*store, prefs_, editNextMode, restoredPosition_);
    window->SetReview(*history, *schedule, clock_);
    mainWindow = window.get();
    guard.SetMainWindow(mainWindow);
    QObject::connect(mainWindow, &CMainDlg::initialised, mainWindow,
                     [this] { guard.PublishMainWindow(); });
    QObject::connect(mainWindow, &CMainDlg::saveRequested, mainWindow, [this] { Save(); });
    QObject::connect(mainWindow, &CMainDlg::tipRequested, mainWindow, [this] { ShowTip(); });
    QObject::connect(mainWindow, &CMainDlg::exportConfirmationToggled, mainWindow,
                     [this] { prefs_.WriteConfirmExportPpc(*settings_); });
    QObject::connect(mainWindow, &CMainDlg::flashcardChoicesChanged, mainWindow,
                     [this] { prefs_.WriteFlashcardChoices(*settings_); });
    QObject::connect(mainWindow, &CMainDlg::importTranslationChosen, mainWindow,
                     [this] { prefs_.WriteImportTrans(*settings_); });
    QObject::connect(mainWindow, &CMainDlg::listenSpeedChosen, mainWindow,
                     [this] { prefs_.WriteListenSpeed(*settings_); });
    QObject::connect(mainWindow, &CMainDlg::bibleVersesChosen, mainWindow,
                     [this] { prefs_.WriteBibleVerses(*settings_); });
    QObject::connect(mainWindow, &CMainDlg::reviewIntervalsChosen, mainWindow, [this] {
        schedule->Write(*settings_);
        settings_->Sync();
    });

    // An end requested while the files were loading ends the run before the window opens.
    if (!endRequested_) {
        windowRunning_ = true;
        mainWindow->exec();
        windowRunning_ = false;
    }
    if (fatal_)
        return kFatalExitCode;
    const int position = mainWindow->Position();
    const Status saved = store->CloseAtExit();
    if (saved == Status::Ok)
        WriteSettings(position);
    // The window borrows the store: it goes first.
    guard.SetMainWindow(nullptr);
    mainWindow = nullptr;
    window.reset();
    schedule.reset();
    history.reset();
    store.reset();
    return saved == Status::Fatal ? kFatalExitCode : 0;
}

void CRecitorApp::Save() {
    if (store->SaveAll() == Status::Ok) {
        WriteSettings(mainWindow->Position());
        return;
    }
    // A data file could not be written: the program ends after the message, saving nothing more.
    fatal_ = true;
    if (mainWindow)
        mainWindow->reject();
}

void CRecitorApp::SaveForSession() {
    // After a failed save the program is ending already; after an end request its save follows.
    if (!windowRunning_ || fatal_ || endRequested_)
        return;
    Save();
}

void CRecitorApp::WriteSettings(int position) {
    prefs_.Write(*settings_, {.fileTimestamp = store->ExportTimestamp(),
                              .curSelectorIndex = position,
                              .userCount = store->UserCount()});
}

void CRecitorApp::RequestEnd() {
    endRequested_ = true;
    CloseWindowsForEnd();
}

// Closes the innermost window first. Its caller goes on once the window's own event loop has
// returned, and may open another window (a message after a dialog), so each step waits for the
// event loop and looks again, until the main window itself has been closed.
void CRecitorApp::CloseWindowsForEnd() {
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal)
        return; // between windows: the run looks at the request before it opens the next one
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
    else
        modal->close();
    if (modal != mainWindow)
        QTimer::singleShot(0, &endSteps_, [this] { CloseWindowsForEnd(); });
}
