// SPDX-License-Identifier: GPL-2.0-or-later
// The application object's whole run: the start-up counters, the flawed-setup stop, the restored
// position, a damaged data file, the tip of the day across starts, the save after the main window
// closes, the desktop's session save, the end requested by logout, shutdown and their signals,
// and a copy that waited at the start-up lock while another ran.

#include "CommandIds.h"
#include "CreationTime.h"
#include "EndSignals.h"
#include "MainDlg.h"
#include "PassageStore.h"
#include "RecitorApp.h"
#include "ReviewIntervalsDlg.h"
#include "ReviewSchedule.h"
#include "TipDlg.h"
#include "UiSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <csignal>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kOrganization = QStringLiteral("QuillmarkUiTest");
const QString kApplication = QStringLiteral("RecitorStartup");

// Runs the application and, once its main window runs modally, calls during (if given) and
// closes the window. Any other modal window met on the way (the start-up tip) is noted and
// closed. The timer belongs to the call, so a run that stops before the window never leaves it
// behind for a later test. The default command line keeps the start-up tip away.
struct RunResult {
    int status = -1;
    bool windowShown = false;
    QStringList otherDialogs;
};

RunResult RunApp(CRecitorApp& app, const std::function<void(CMainDlg&)>& during = {},
                 const QStringList& arguments = {QStringLiteral("Recitor"),
                                                 QStringLiteral("-Embedding")}) {
    RunResult result;
    QTimer closer;
    closer.setInterval(0);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        CRecitorApp* instance = CRecitorApp::Instance();
        CMainDlg* window = instance ? instance->mainWindow : nullptr;
        if (modal && modal != window) {
            result.otherDialogs << QString::fromLatin1(modal->metaObject()->className());
            modal->close();
            return;
        }
        if (!window || modal != window)
            return; // not running yet
        closer.stop();
        result.windowShown = true;
        if (during)
            during(*window);
        if (window->isVisible())
            window->reject();
    });
    closer.start();
    result.status = app.Run(arguments);
    return result;
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        Sample::WriteFiles(dir_->path());
        QVERIFY(QDir::setCurrent(dir_->path()));
        boxes_ = std::make_unique<CScriptedMessageBoxes>();
        settings_ = new CMemorySettings;
        app_ = std::make_unique<CRecitorApp>(std::unique_ptr<ISettings>(settings_));
    }

    void cleanup() {
        app_.reset();
        boxes_.reset();
        QDir::setCurrent(QDir::tempPath());
        dir_.reset();
    }

    // The installer creates the counter; a missing one, or one that reads as negative, stops the
    // program before anything is created or written.
    void flawedSetup_data() {
        QTest::addColumn<QVariant>("runCount");
        QTest::newRow("missing") << QVariant();
        QTest::newRow("2147483648") << QVariant(2147483648LL);
        QTest::newRow("4294967295") << QVariant(4294967295LL);
    }

    void flawedSetup() {
        QFETCH(QVariant, runCount);
        QSettings raw(QSettings::NativeFormat, QSettings::UserScope, kOrganization, kApplication);
        raw.clear();
        if (runCount.isValid())
            raw.setValue(QStringLiteral("Params/RunCount"), runCount);
        raw.sync();
        const QStringList keysBefore = raw.allKeys();
        const auto filesBefore = Snapshot(dir_->path());

        app_ = std::make_unique<CRecitorApp>(
            std::make_unique<CQtSettings>(kOrganization, kApplication));
        settings_ = nullptr;
        const RunResult result = RunApp(*app_);
        app_.reset();

        QCOMPARE(result.status, 5);
        QVERIFY(!result.windowShown);
        QCOMPARE(boxes_->shown.size(), 1);
        QCOMPARE(boxes_->shown[0].caption, QStringLiteral("Recitor Flawed Setup"));
        QCOMPARE(boxes_->shown[0].text,
                 QStringLiteral("Recitor not installed properly (was setup program used?)"));
        QCOMPARE(boxes_->shown[0].icon, MsgIcon::Error);
        QCOMPARE(boxes_->shown[0].buttons, MsgButtons::Ok);
        QVERIFY(!boxes_->owners[0]);
        raw.sync();
        QCOMPARE(raw.allKeys(), keysBefore);
        if (runCount.isValid())
            QCOMPARE(raw.value(QStringLiteral("Params/RunCount")), runCount);
        QCOMPARE(Snapshot(dir_->path()), filesBefore);
    }

    // The intervals chosen in Review Intervals are in the settings at once, and the schedule read
    // at the next start has them; Cancel keeps what there was.
    void reviewIntervalsAreKeptAtOnce() {
        settings_->Set("RunCount", 1);
        settings_->WriteNumber(kSectionReview, SettingKey::kDayChangeHour, 6);
        const auto choose = [](int days, QDialogButtonBox::StandardButton button) {
            OnNextModal([days, button](QDialog* dialog) {
                auto* box = Control<QSpinBox>(*dialog, CReviewIntervalsDlg::kFirstInterval + 1);
                QCOMPARE(box->value(), 7);
                box->setValue(days);
                dialog->findChild<QDialogButtonBox*>()->button(button)->click();
            });
        };
        const RunResult result = RunApp(*app_, [this, &choose](CMainDlg& window) {
            QVERIFY(window.Action(Id::kReviewIntervals)->isEnabled());
            CSystemClock clock;
            CReviewSchedule kept(*app_->history, clock);
            choose(12, QDialogButtonBox::Cancel);
            window.Action(Id::kReviewIntervals)->trigger();
            kept.Read(*settings_);
            QCOMPARE(kept.Interval(1), 7);
            choose(10, QDialogButtonBox::Ok);
            window.Action(Id::kReviewIntervals)->trigger();
            kept.Read(*settings_);
            QCOMPARE(kept.Interval(1), 10);
            QCOMPARE(kept.Interval(0), 1);
            QCOMPARE(kept.DayChangeHour(), 6);
        });
        QCOMPARE(result.status, 0);
        QVERIFY(QFile::exists(dir_->filePath(QString::fromLatin1(CReviewHistory::kFile))));
    }

    void firstRunAndNormalClose() {
        settings_->Set("RunCount", 0);
        settings_->Set("TransFilter", 34);
        settings_->Set("PrefConfirmDelete", 2);
        settings_->Set("CurSelectorIndex", 2);
        const QByteArray info = ReadFile(QStringLiteral("RctInfo.xml"));
        const QByteArray user = ReadFile(QStringLiteral("RctUser.xml"));
        const auto before = std::chrono::system_clock::now();
        const RunResult result = RunApp(*app_, [](CMainDlg& window) {
            // Position 2 is John 3:17; one step on is Romans 8:28, which becomes Mastered.
            window.Action(Id::kNext)->trigger();
            window.findChild<QAbstractButton*>(QStringLiteral("33008"))->click();
        });
        QCOMPARE(result.status, 0);
        QVERIFY(result.windowShown);
        QVERIFY(boxes_->shown.isEmpty());

        QCOMPARE(settings_->Get("RunCount"), 1);
        const std::int32_t first = settings_->Get("FirstRunTime");
        QCOMPARE(settings_->Get("MostRecentRunTime"), first);
        const auto seconds =
            std::chrono::duration_cast<std::chrono::seconds>(before.time_since_epoch()).count();
        QVERIFY(first >= seconds && first <= seconds + 60);

        // The save at the end writes the eleven values last, in their order, normalised.
        const std::vector<std::string>& order = kSavedSettingsOrder;
        QVERIFY(settings_->writes.size() >= order.size());
        QVERIFY(std::equal(order.begin(), order.end(), settings_->writes.end() - 11));
        QCOMPARE(settings_->Get("CurSelectorIndex"), 3);
        QCOMPARE(settings_->Get("UserCount"), 2);
        QCOMPARE(settings_->Get("TransFilter"), 33);
        QCOMPARE(settings_->Get("PrefConfirmDelete"), 0);
        QCOMPARE(settings_->ReadNumber(kSectionExport, "PrefConfirmExportPpc", -1), 1);
        QCOMPARE(settings_->ReadText(kSectionParams, "BackgroundFilename", "?"), std::string());

        QCOMPARE(ReadFile(QStringLiteral("RctStats.xml")),
                 QByteArray("<?xml version=\"1.0\" standalone=\"no\" ?>\r\n"
                            "<passages count=\"004\" formatversion=\"20031126\">\r\n"
                            "<psg key=\"540030168\" prog=\"2\" freq=\"0\"> </psg>\r\n"
                            "<psg key=\"540030178\" prog=\"1\" freq=\"1\"> </psg>\r\n"
                            "<psg key=\"560080283\" prog=\"4\" freq=\"2\"> </psg>\r\n"
                            "<psg key=\"610040138\" prog=\"4\" freq=\"0\"> </psg>\r\n"
                            "</passages>\r\n"));
        QCOMPARE(ReadFile(QStringLiteral("RctInfo.xml")), info);
        QCOMPARE(ReadFile(QStringLiteral("RctUser.xml")), user);
        QVERIFY(!app_->store);
    }

    // Out-of-range positions start at the first passage; one beyond the tree shows the last.
    void restoredPosition_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("passage");
        QTest::newRow("10001") << 10001 << 0 << Sample::kJohn16Niv;
        QTest::newRow("-1") << -1 << 0 << Sample::kJohn16Niv;
        QTest::newRow("10000") << 10000 << 18 << Sample::kPhil419;
        QTest::newRow("3") << 3 << 3 << Sample::kRomans828;
    }

    void restoredPosition() {
        QFETCH(int, stored);
        QFETCH(int, position);
        QFETCH(int, passage);
        settings_->Set("RunCount", 1);
        settings_->Set("CurSelectorIndex", stored);
        int shown = -1;
        const RunResult result =
            RunApp(*app_, [&shown](CMainDlg& window) { shown = window.CurrentPassageIndex(); });
        QCOMPARE(result.status, 0);
        QCOMPARE(shown, passage);
        QCOMPARE(settings_->Get("CurSelectorIndex"), position);
        QCOMPARE(settings_->Get("RunCount"), 2);
        QCOMPARE(settings_->Get("FirstRunTime"), INT32_MIN); // only the first run writes it
    }

    void damagedBaselineStops() {
        settings_->Set("RunCount", 1);
        QByteArray info = ReadFile(QStringLiteral("RctInfo.xml"));
        info.replace("psgLines=\"01\" psgStart=\"0000\"", "psgLines=\"01\" psgStart=\"x\"");
        WriteFile(QStringLiteral("RctInfo.xml"), info);
        const auto before = Snapshot(dir_->path());

        const RunResult result = RunApp(*app_);
        QCOMPARE(result.status, 5);
        QVERIFY(!result.windowShown);
        QCOMPARE(boxes_->shown.size(), 1);
        QCOMPARE(boxes_->shown[0].caption, QStringLiteral("Recitor ReadInfo Error"));
        QVERIFY(boxes_->shown[0].text.startsWith(
            QStringLiteral("Info or User file invalid (count wrong?) for attribute #4 or #5")));
        QCOMPARE(boxes_->shown[0].icon, MsgIcon::Error);
        QCOMPARE(Snapshot(dir_->path()), before);
        // Only the start-up counters were written; nothing was saved.
        QCOMPARE(settings_->Get("CurSelectorIndex"), INT32_MIN);
    }

    // A file that cannot be written at File "Save" ends the program with status 5, with no
    // second save at the close.
    void failedSaveEndsWithStatus5() {
        settings_->Set("RunCount", 1);
        const QString workDir = dir_->path();
        QTemporaryDir parked;
        const RunResult result = RunApp(*app_, [&](CMainDlg& window) {
            // The working directory disappears: nothing can be written into it.
            for (const QString& name : QDir(workDir).entryList(QDir::Files))
                QVERIFY(QFile::rename(workDir + QLatin1Char('/') + name,
                                      parked.path() + QLatin1Char('/') + name));
            QVERIFY(QDir().rmdir(workDir));
            window.Action(Id::kSave)->trigger();
        });
        QCOMPARE(result.status, 5);
        QCOMPARE(boxes_->shown.size(), 1);
        QCOMPARE(boxes_->shown[0].caption, QStringLiteral("Recitor Cannot write Stats file"));
        QCOMPARE(settings_->Get("CurSelectorIndex"), INT32_MIN);
        QDir().mkpath(workDir);
    }

    // Temporary files of a save that was killed are removed once this copy knows it is the only
    // one at work; names of other patterns stay, and so does everything in the maintainers' mode,
    // where copies run side by side.
    void leftoverTemporariesRemoved() {
        const QStringList leftovers = {"RctStats.xml.tmp-0123abcd", "RctUser.xml.tmp-ffffffff",
                                       "PpcXport.txt.tmp-9a8b7c6d"};
        const QStringList others = {"RctStats.xml.tmp-0123abc", "RctStats.xml.bak",
                                    "RctInfo.xml.tmp-0123abcd"};
        for (const QString& name : leftovers + others)
            WriteFile(name, "partial");
        settings_->Set("RunCount", 1);
        settings_->Set("EditNextMode", 1);
        QCOMPARE(RunApp(*app_).status, 0);
        for (const QString& name : leftovers + others)
            QVERIFY2(QFile::exists(name), qPrintable(name));

        settings_->Set("EditNextMode", 0);
        auto* again = new CMemorySettings(*settings_);
        app_ = std::make_unique<CRecitorApp>(std::unique_ptr<ISettings>(again));
        settings_ = again;
        QCOMPARE(RunApp(*app_).status, 0);
        for (const QString& name : leftovers)
            QVERIFY2(!QFile::exists(name), qPrintable(name));
        for (const QString& name : others)
            QVERIFY2(QFile::exists(name), qPrintable(name));
    }

    // The start-up tip runs before the main window unless a switch keeps it away.
    void startupTip() {
        settings_->Set("RunCount", 1);
        RunResult result = RunApp(*app_, {}, {QStringLiteral("Recitor")});
        QCOMPARE(result.status, 0);
        QVERIFY(result.windowShown);
        QCOMPARE(result.otherDialogs.size(), 1);

        auto* again = new CMemorySettings(*settings_);
        app_ = std::make_unique<CRecitorApp>(std::unique_ptr<ISettings>(again));
        settings_ = again;
        result = RunApp(*app_, {}, {QStringLiteral("Recitor"), QStringLiteral("/AUTOMATION")});
        QCOMPARE(result.status, 0);
        QVERIFY(result.otherDialogs.isEmpty());
    }

    // Every start takes the next tip, shown or not, and "Tip of the Day" shows the one after it,
    // over the main window. The start-up choice is stored when the tip is closed with Close.
    void everyStartMovesOnByOneTip() {
        WriteFile(QStringLiteral("RctTips.txt"), "one\ntwo\nthree\nfour\nfive\n");
        settings_->Set("RunCount", 1);
        settings_->numbers[{kSectionTip, "RctStartUp"}] = 1;
        for (int start = 0; start < 3; ++start) {
            const RunResult result = RunApp(*app_, {}, {QStringLiteral("Recitor")});
            QCOMPARE(result.status, 0);
            QVERIFY(result.otherDialogs.isEmpty());
            Restart();
        }
        QCOMPARE(TipNumber("RctFilePos"), 14);
        QCOMPARE(settings_->ReadText(kSectionTip, "RctTimeStamp", ""),
                 CreationTimeText("RctTips.txt"));

        const auto tipOfTheDay = [](bool showAtStartup, bool close, QString& shown) {
            return [showAtStartup, close, &shown](CMainDlg& window) {
                QTimer::singleShot(0, [&window, showAtStartup, close, &shown] {
                    auto* tip = qobject_cast<CTipDlg*>(QApplication::activeModalWidget());
                    QVERIFY(tip);
                    QVERIFY(tip->parentWidget() == &window);
                    shown = tip->findChild<QLabel*>(QStringLiteral("1004"))->text();
                    tip->findChild<QCheckBox*>(QStringLiteral("1001"))->setChecked(showAtStartup);
                    if (close)
                        tip->findChild<QPushButton*>(QStringLiteral("1"))->click();
                    else
                        QTest::keyClick(tip, Qt::Key_Escape);
                });
                window.Action(Id::kTipOfTheDay)->trigger();
            };
        };
        QString shown;
        QCOMPARE(RunApp(*app_, tipOfTheDay(true, true, shown)).status, 0);
        QCOMPARE(shown, QStringLiteral("four\n"));
        QCOMPARE(TipNumber("RctStartUp"), 0);
        QCOMPARE(TipNumber("RctFilePos"), 19);

        // Escape leaves the start-up choice as it was; the tip is taken all the same.
        Restart();
        QCOMPARE(RunApp(*app_, tipOfTheDay(false, false, shown)).status, 0);
        QCOMPARE(shown, QStringLiteral("five\n"));
        QCOMPARE(TipNumber("RctStartUp"), 0);
        QCOMPARE(TipNumber("RctFilePos"), 24);
    }

    // A stored position the file cannot reach is told, without an owner window, even when the
    // tip is not shown; the next start begins at the top.
    void unreachableTipPositionIsReported() {
        WriteFile(QStringLiteral("RctTips.txt"), "one\ntwo\n");
        settings_->Set("RunCount", 1);
        settings_->texts[{kSectionTip, "RctTimeStamp"}] = CreationTimeText("RctTips.txt");
        settings_->numbers[{kSectionTip, "RctStartUp"}] = 1;
        settings_->numbers[{kSectionTip, "RctFilePos"}] = -1;
        const RunResult result = RunApp(*app_, {}, {QStringLiteral("Recitor")});
        QCOMPARE(result.status, 0);
        QVERIFY(result.otherDialogs.isEmpty());
        QCOMPARE(boxes_->shown.size(), 1);
        QCOMPARE(boxes_->shown[0].caption, QStringLiteral("Recitor"));
        QCOMPARE(boxes_->shown[0].text, QStringLiteral("Trouble reading the tips file"));
        QCOMPARE(boxes_->shown[0].icon, MsgIcon::None);
        QVERIFY(!boxes_->owners[0]);
        QCOMPARE(TipNumber("RctFilePos"), 0);
    }

    // What tells a replaced tips file: its creation time in local time, in the fixed
    // 24-character form, the same for as long as the file stays and new for a new file.
    void tipsFileCreationTime() {
        WriteFile(QStringLiteral("RctTips.txt"), "one\n");
        const std::string stamp = CreationTimeText("RctTips.txt");
        const QString text = QString::fromStdString(stamp);
        QVERIFY2(QRegularExpression(QStringLiteral("^[A-Z][a-z]{2} [A-Z][a-z]{2} [ 1-3]\\d "
                                                   "\\d\\d:\\d\\d:\\d\\d \\d{4}$"))
                     .match(text)
                     .hasMatch(),
                 qPrintable(text));
        const QDateTime read =
            QLocale::c().toDateTime(text.simplified(), QStringLiteral("ddd MMM d hh:mm:ss yyyy"));
        QVERIFY2(read.isValid(), qPrintable(text));
        QVERIFY2(qAbs(read.secsTo(QDateTime::currentDateTime())) < 60, qPrintable(text));
        QCOMPARE(CreationTimeText("RctTips.txt"), stamp);

        QTest::qWait(1100); // the text counts whole seconds
        QVERIFY(QFile::remove(QStringLiteral("RctTips.txt")));
        WriteFile(QStringLiteral("RctTips.txt"), "one\n");
        QVERIFY(CreationTimeText("RctTips.txt") != stamp);
    }

    // Logout and shutdown end the run as Exit does, from behind a dialog and its message box:
    // everything is saved and the status is that of a normal end.
    void endRequestClosesWindowsAndSaves() {
        settings_->Set("RunCount", 1);
        QStringList steps;
        QTimer driver;
        driver.setInterval(0);
        QObject::connect(&driver, &QTimer::timeout, [&] {
            CMainDlg* window = app_->mainWindow;
            if (!window || QApplication::activeModalWidget() != window)
                return;
            driver.stop();
            window->Action(Id::kLast)->trigger(); // Philippians 4:19, inactive
            window->findChild<QAbstractButton*>(QStringLiteral("33014"))->click();
            // The topic filter runs modally; the end request arrives while it is open.
            QTimer::singleShot(0, [&] {
                steps << QString::fromLatin1(
                    QApplication::activeModalWidget()->metaObject()->className());
                app_->RequestEnd();
            });
            window->Action(Id::kTopicFilter)->trigger();
            steps << QStringLiteral("topic dialog closed");
            // Should the main window stay open, the test ends it and fails.
            QTimer::singleShot(5000, window, [&steps, window] {
                steps << QStringLiteral("main window left open");
                window->reject();
            });
        });
        driver.start();
        const int status = app_->Run({QStringLiteral("Recitor"), QStringLiteral("-Embedding")});
        QCOMPARE(status, 0);
        QCOMPARE(steps, QStringList({"CTopicChoiceDlg", "topic dialog closed"}));
        QVERIFY(ReadFile(QStringLiteral("RctStats.xml"))
                    .contains("<psg key=\"610040198\" prog=\"0\" freq=\"0\"> </psg>"));
        QCOMPARE(settings_->Get("UserCount"), 2);
        QVERIFY(!app_->store);
    }

    // A session save of the desktop (a checkpoint) saves as File "Save" does and the program goes
    // on; the end that may follow saves once more and ends normally.
    void sessionSaveKeepsRunning() {
        settings_->Set("RunCount", 1);
        const QByteArray line = "<psg key=\"610040198\" prog=\"0\" freq=\"0\"> </psg>";
        bool savedWhileOpen = false;
        bool stillRunning = false;
        const RunResult result = RunApp(*app_, [&](CMainDlg& window) {
            window.Action(Id::kLast)->trigger(); // Philippians 4:19, inactive
            window.findChild<QAbstractButton*>(QStringLiteral("33014"))->click();
            app_->SaveForSession();
            QTest::qWait(50);
            savedWhileOpen = ReadFile(QStringLiteral("RctStats.xml")).contains(line) &&
                             settings_->Get("UserCount") == 2 &&
                             settings_->Get("CurSelectorIndex") != INT32_MIN;
            stillRunning = window.isVisible() && QApplication::activeModalWidget() == &window &&
                           !boxes_->shown.size();
            app_->RequestEnd();
        });
        QCOMPARE(result.status, 0);
        QVERIFY(savedWhileOpen);
        QVERIFY(stillRunning);
        QVERIFY(ReadFile(QStringLiteral("RctStats.xml")).contains(line));
        QVERIFY(!app_->store);
    }

    // Before the passages are loaded there is nothing to save: an end request (or a session save)
    // during the start-up tip leaves every file as it was.
    void endRequestDuringTipSavesNothing() {
        settings_->Set("RunCount", 1);
        const auto before = Snapshot(dir_->path());
        bool tipShown = false;
        QTimer requester;
        requester.setInterval(0);
        QObject::connect(&requester, &QTimer::timeout, [&] {
            if (!QApplication::activeModalWidget())
                return;
            tipShown = true;
            requester.stop();
            app_->SaveForSession();
            app_->RequestEnd();
        });
        requester.start();
        const int status = app_->Run({QStringLiteral("Recitor")});
        QCOMPARE(status, 0);
        QVERIFY(tipShown);
        QVERIFY(!app_->mainWindow);
        QVERIFY(!app_->store);
        QCOMPARE(Snapshot(dir_->path()), before);
        QCOMPARE(settings_->Get("CurSelectorIndex"), INT32_MIN);
    }

    // A copy that waited at the start-up lock for another copy's whole run (one that could not
    // publish its window) loaded the files before that copy saved them: it loads them again,
    // shows what the other copy saved and saves that at its end, not what it first read.
    void waitingCopyLoadsTheNewerFiles() {
        settings_->Set("RunCount", 1);
        const QByteArray lockPath = QFile::encodeName(app_->guard.LockFilePath());
        const int lock = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        QVERIFY(lock >= 0);
        QCOMPARE(::flock(lock, LOCK_EX), 0); // the other copy, through a descriptor of its own
        struct stat info {};
        QCOMPARE(::fstat(lock, &info), 0);
        const QByteArray line = "<psg key=\"610040198\" prog=\"3\" freq=\"0\"> </psg>";
        QByteArray newer = ReadFile(QStringLiteral("RctStats.xml"));
        newer.replace("count=\"004\"", "count=\"005\"");
        newer.replace("</passages>", line + "\r\n</passages>");
        // A waiter shows in the kernel's list of locks as "->" before the lock file's inode.
        const std::string inode =
            (':' + QByteArray::number(static_cast<qulonglong>(info.st_ino)) + ' ').toStdString();
        bool waited = false;
        std::thread other([&] {
            // Once this copy waits at the lock, the other one saves its statistics and ends.
            for (int tries = 0; tries < 1000 && !waited; ++tries) {
                std::ifstream locks("/proc/locks");
                for (std::string entry; std::getline(locks, entry);)
                    waited = waited || (entry.find("->") != std::string::npos &&
                                        entry.find(inode) != std::string::npos);
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            std::ofstream(dir_->filePath(QStringLiteral("RctStats.xml")).toStdString(),
                          std::ios::binary | std::ios::trunc)
                << newer.toStdString();
            settings_->Set("PrefConfirmEdit", 0); // a preference changed in the other session
            ::close(lock);
        });
        int activeShown = -1;
        const RunResult result =
            RunApp(*app_, [&](CMainDlg&) { activeShown = app_->store->StatsCount(); });
        other.join();
        QVERIFY(waited);
        QCOMPARE(result.status, 0);
        QVERIFY(boxes_->shown.isEmpty());
        QCOMPARE(activeShown, 5);
        QVERIFY(ReadFile(QStringLiteral("RctStats.xml")).contains(line));
        QCOMPARE(settings_->Get("PrefConfirmEdit"), 0); // not written back as it was before
    }

    // The signals reach the event loop as one request however many arrive; once the watcher is
    // gone they have their usual effect again.
    void endSignalsBecomeOneRequest() {
        {
            CEndSignals watcher;
            QSignalSpy requests(&watcher, &CEndSignals::endRequested);
            std::raise(SIGTERM);
            std::raise(SIGHUP);
            std::raise(SIGINT);
            QTRY_COMPARE(requests.size(), 1);
            QTest::qWait(20);
            QCOMPARE(requests.size(), 1);
        }
        struct sigaction now = {};
        QCOMPARE(::sigaction(SIGTERM, nullptr, &now), 0);
        QVERIFY(now.sa_handler == SIG_DFL);
    }

    void automationSwitch_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("expected");
        const QString program = QStringLiteral("Recitor");
        QTest::newRow("-Embedding") << QStringList{program, QStringLiteral("-Embedding")} << true;
        QTest::newRow("/AUTOMATION") << QStringList{program, QStringLiteral("/AUTOMATION")} << true;
        QTest::newRow("-automation after others")
            << QStringList{program, QStringLiteral("file.txt"), QStringLiteral("-automation")}
            << true;
        QTest::newRow("no prefix") << QStringList{program, QStringLiteral("Embedding")} << false;
        QTest::newRow("double dash")
            << QStringList{program, QStringLiteral("--automation")} << false;
        QTest::newRow("longer word")
            << QStringList{program, QStringLiteral("-Embeddings")} << false;
        QTest::newRow("program name only") << QStringList{QStringLiteral("/Automation")} << false;
        QTest::newRow("none") << QStringList{program} << false;
    }

    void automationSwitch() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, expected);
        QCOMPARE(CRecitorApp::HasAutomationSwitch(arguments), expected);
    }

private:
    // The next start of the program, with the settings as the last one left them.
    void Restart() {
        auto* again = new CMemorySettings(*settings_);
        app_ = std::make_unique<CRecitorApp>(std::unique_ptr<ISettings>(again));
        settings_ = again;
    }
    std::int32_t TipNumber(const char* name) const {
        return settings_->ReadNumber(kSectionTip, name, INT32_MIN);
    }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<CScriptedMessageBoxes> boxes_;
    CMemorySettings* settings_ = nullptr; // owned by app_
    std::unique_ptr<CRecitorApp> app_;
};

RECITOR_UI_TEST_MAIN(StartupTest)
#include "test_startup.moc"
