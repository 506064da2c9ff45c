// SPDX-License-Identifier: GPL-2.0-or-later
// Listen: what the main window gives the speech engine, when it stops it, the command greyed
// where speech cannot be had, the speed of the Preferences menu, and one reading with the real
// offline engine.

#include "ReviewHistory.h"
#include "ReviewSchedule.h"
#include "ReviewSessionDlg.h"
#include "Speaker.h"
#include "WindowTest.h"

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTimer>

namespace {

// Stands in for the speech engine: records what it is told and answers from its fields.
class CRecordingSpeaker : public ISpeaker {
public:
    bool EngineInstalled() override { return installed; }
    bool Say(const QString& text, double rate) override {
        if (!starts)
            return false;
        said << text;
        rates << rate;
        speaking_ = true;
        emit speaking(true);
        return true;
    }
    void Stop() override {
        if (!speaking_)
            return;
        ++stops;
        speaking_ = false;
        emit speaking(false);
    }
    bool Speaking() const override { return speaking_; }
    QString Problem() const override {
        return starts ? QString() : QStringLiteral("No audio device available");
    }

    bool installed = true;
    bool starts = true;
    QStringList said;
    QList<double> rates;
    int stops = 0;

private:
    bool speaking_ = false;
};

} // namespace

class ListenTest : public CWindowTest {
    Q_OBJECT
private:
    // Opens the window on John 3:16 NIV at Passage, reading through a recording speaker.
    CRecordingSpeaker& OpenListening() {
        Open();
        auto speaker = std::make_unique<CRecordingSpeaker>();
        CRecordingSpeaker& recording = *speaker;
        window_->SetSpeaker(std::move(speaker));
        return recording;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        Sample::WriteFiles(dir_.path());
    }

    void cleanup() { CloseAll(); }

    void readsWithoutVerseNumbersUntilThePassageChanges() {
        CRecordingSpeaker& speaker = OpenListening();
        QAction* listen = Action(Id::kListen);
        QCOMPARE(listen->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
        for (QAction* other : window_->findChildren<QAction*>())
            QVERIFY(other == listen || other->shortcut() != listen->shortcut());
        listen->trigger();
        QCOMPARE(speaker.said, QStringList({"For God so loved the world,\n"}));
        QCOMPARE(speaker.rates, QList<double>({0.0}));
        QVERIFY(listen->isChecked());
        // Another level shows the same passage: the reading goes on.
        Radio(Id::kFirstVisibilityRadio + CMainDlg::kContext)->click();
        QVERIFY(speaker.Speaking());
        listen->trigger();
        QVERIFY(!speaker.Speaking());
        QVERIFY(!listen->isChecked());
        // At Context the verses around the passage.
        listen->trigger();
        QCOMPARE(speaker.said.last(), "that everyone who believes,\nFor God so loved the world "
                                      "that he gave,\nFor God did not send,\n");
        Action(Id::kNext)->trigger();
        QVERIFY(!speaker.Speaking());
        QVERIFY(!listen->isChecked());
        listen->trigger();
        QVERIFY(speaker.Speaking());
        Tree()->setCurrentIndex(Model()->IndexOfPassage(Sample::kRomans828));
        QVERIFY(!speaker.Speaking());
        QCOMPARE(speaker.stops, 3);
    }

    // In the review session Ctrl+L reads the passage asked; the next passage stops the reading,
    // and Escape stops it before it leaves the session.
    void theReviewSessionReadsThePassageAsked() {
        CRecordingSpeaker& speaker = OpenListening();
        for (const char* end : {"", "-wal", "-shm"})
            QFile::remove(dir_.filePath(QStringLiteral("RctHistory.sqlite") + QLatin1String(end)));
        CReviewHistory history(sink_, dir_.path().toStdString());
        CReviewSchedule schedule(history, clock_);
        window_->SetReview(history, schedule, clock_);
        bool left = false;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<CReviewSessionDlg*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QTest::keyClick(dialog, Qt::Key_L, Qt::ControlModifier);
            QCOMPARE(speaker.said, QStringList({"For God so loved the world,\n"}));
            QTest::keyClick(dialog, Qt::Key_3); // Recalled
            QVERIFY(!speaker.Speaking());
            QTest::keyClick(dialog, Qt::Key_L, Qt::ControlModifier);
            QTest::keyClick(dialog, Qt::Key_Escape);
            QVERIFY(!speaker.Speaking());
            QVERIFY(dialog->isVisible());
            QTest::keyClick(dialog, Qt::Key_Escape);
            left = true;
        });
        Action(Id::kReviewDue)->trigger();
        QVERIFY(left);
        QCOMPARE(speaker.said.size(), 2);
        QCOMPARE(speaker.stops, 2);
        CloseAll();
    }

    void keyAndEscapeStopOnlyTheReading() {
        CRecordingSpeaker& speaker = OpenListening();
        window_->show();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        QTest::keyClick(TextBox(), Qt::Key_L, Qt::ControlModifier);
        QVERIFY(speaker.Speaking());
        QTest::keyClick(TextBox(), Qt::Key_L, Qt::ControlModifier);
        QVERIFY(!speaker.Speaking());
        QTest::keyClick(TextBox(), Qt::Key_L, Qt::ControlModifier);
        QTest::keyClick(TextBox(), Qt::Key_Escape);
        QVERIFY(!speaker.Speaking());
        QVERIFY(window_->isVisible());
        QCOMPARE(speaker.said.size(), 2);
        // Without reading, Escape ends the window as before.
        QTest::keyClick(TextBox(), Qt::Key_Escape);
        QCOMPARE(window_->result(), int(QDialog::Rejected));
        QVERIFY(!window_->isVisible());
    }

    void greyedWhereSpeechCannotBeHad() {
        CRecordingSpeaker& speaker = OpenListening();
        speaker.installed = false;
        QAction* listen = Action(Id::kListen);
        QVERIFY(listen->isEnabled());
        QMenu* view = window_->findChild<QMenuBar*>()->actions()[1]->menu();
        QVERIFY(view->toolTipsVisible());
        emit view->aboutToShow();
        QVERIFY(!listen->isEnabled());
        QCOMPARE(listen->toolTip(), "Listening needs a speech engine: install the package "
                                    "qt6-speech-flite-plugin.");

        // An engine that is installed but does not start greys it with its reason.
        CRecordingSpeaker& failing = OpenListening();
        failing.starts = false;
        QSignalSpy beeps(window_.get(), &CMainDlg::beeped);
        Action(Id::kListen)->trigger();
        QCOMPARE(beeps.size(), 1);
        QVERIFY(!Action(Id::kListen)->isEnabled());
        QVERIFY(!Action(Id::kListen)->isChecked());
        QCOMPARE(Action(Id::kListen)->toolTip(),
                 "Listening is not possible: No audio device available");
    }

    // Without the speech library the item is greyed with the reason the library gave.
    void greyedWithoutTheSpeechLibrary() {
        Open();
        window_->SetSpeaker(std::make_unique<CSpeaker>(
            QStringList{QStringLiteral("flite")}, dir_.filePath(QStringLiteral("missing.so"))));
        emit window_->findChild<QMenuBar*>()->actions()[1]->menu()->aboutToShow();
        QVERIFY(!Action(Id::kListen)->isEnabled());
        QVERIFY2(
            Action(Id::kListen)
                ->toolTip()
                .startsWith("Listening is not possible: The speech library could not be loaded: "),
            qPrintable(Action(Id::kListen)->toolTip()));
    }

    void speedIsAPreferenceKeptAtOnce() {
        CRecordingSpeaker& speaker = OpenListening();
        QVERIFY(Action(Id::kFirstListenSpeed + 2)->isChecked());
        QSignalSpy chosen(window_.get(), &CMainDlg::listenSpeedChosen);
        Action(Id::kFirstListenSpeed + 4)->trigger();
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(prefs_.ListenSpeed, 4);
        Action(Id::kListen)->trigger();
        QCOMPARE(speaker.rates, QList<double>({0.5}));
    }

    // The offline engine needs an audio output (Qt's flite plugin says "No audio device
    // available" without one); where there is none the test says so and is skipped.
    void theOfflineEngineReadsToTheEnd() {
        CSpeaker flite({QStringLiteral("flite")}, QStringLiteral(RECITOR_SPEECH_LIBRARY));
        if (!flite.EngineInstalled())
            QSKIP("the flite engine (qt6-speech-flite-plugin) is not installed");
        QSignalSpy speaking(&flite, &ISpeaker::speaking);
        if (!flite.Say(QStringLiteral("Jesus wept."), 0.0))
            QSKIP(qPrintable(QStringLiteral("flite cannot speak here: %1").arg(flite.Problem())));
        QVERIFY(flite.Speaking());
        QTRY_VERIFY_WITH_TIMEOUT(!flite.Speaking(), 20000);
        QCOMPARE(speaking.size(), 2);
        QCOMPARE(flite.Problem(), QString());
    }
};

int main(int argc, char** argv) {
    // The test keeps its runtime files private; the desktop's sound server, found through the
    // runtime directory, stays reachable for the offline engine.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        qputenv("PULSE_SERVER", "unix:" + runtime + "/pulse/native");
    PrepareUiTestEnvironment();
    QApplication application(argc, argv);
    ListenTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_listen.moc"
