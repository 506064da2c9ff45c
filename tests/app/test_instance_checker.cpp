// SPDX-License-Identifier: GPL-2.0-or-later
#include "InstanceChecker.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <atomic>
#include <csignal>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Takes the start-up lock with a fresh guard on another thread, so that a test can watch it wait
// and fail instead of hanging when it never gets the lock. A thread still waiting at the end is
// abandoned together with its guard.
class CLockAttempt {
public:
    CLockAttempt()
        : thread_([state = state_] {
              state->guard.LockStartup();
              state->locked = true;
          }) {}
    ~CLockAttempt() {
        if (state_->locked)
            thread_.join();
        else
            thread_.detach();
    }
    bool Locked() const { return state_->locked; }
    CInstanceChecker& Guard() { return state_->guard; }

private:
    struct State {
        CInstanceChecker guard;
        std::atomic<bool> locked{false};
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
    std::thread thread_;
};

int ModeOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return static_cast<int>(st.st_mode & 0777);
}

// Starts the stand-in copy; its one line of output is read with ProbeLine.
void StartProbe(QProcess& probe, const char* mode) {
    probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    probe.start(QStringLiteral(INSTANCE_PROBE_PATH), {QString::fromLatin1(mode)});
}

QString ProbeLine(QProcess& probe) {
    return QString::fromLatin1(probe.readLine()).trimmed();
}

void StopProbe(QProcess& probe) {
    probe.kill();
    probe.waitForFinished(5000);
}

} // namespace

class TestInstanceChecker : public QObject {
    Q_OBJECT

private slots:
    void cleanup();

    void secondGuardSeesFirstOnlyWhilePublished();
    void startupLockWaitsForPublish();
    void requestRestoresAndRaisesMainWindow();
    void requestWithoutWindowAnswersZero();
    void badClientsAreDroppedWithoutHarm();
    void askerThatGivesUpLeavesRunningCopyUnharmed();
    void secondProcessBringsRunningCopyForward();
    void openModalDialogIsBroughtForward();
    void lockIsExclusiveAcrossProcessesAndFreedOnKill();
    void killedInstanceLeavesNothingBlocking();
    void simultaneousStartsYieldOneFirstCopy();
    void nothingRunningAnswersQuickly();
    void hungCopyKeepsItsSocket();
};

void TestInstanceChecker::cleanup() {
    // Leaves no dialog behind to become the active modal widget of the next test.
    for (QWidget* w : QApplication::topLevelWidgets())
        w->close();
    // Killed probes leave their socket behind; each test starts from a clean runtime directory.
    QLocalServer::removeServer(CInstanceChecker().ServerPath());
}

void TestInstanceChecker::secondGuardSeesFirstOnlyWhilePublished() {
    auto first = std::make_unique<CInstanceChecker>();
    first->LockStartup();
    QCOMPARE(ModeOf(first->LockFilePath()), 0600);
    QVERIFY(!first->IsAnotherInstanceRunning());
    QVERIFY(first->PublishMainWindow());
    const QString server = first->ServerPath();
    QVERIFY(QFile::exists(server));
    QCOMPARE(ModeOf(server) & 077, 0); // only this user may connect

    CLockAttempt attempt; // free again: the first released it when it published
    QTRY_VERIFY(attempt.Locked());
    CInstanceChecker& second = attempt.Guard();
    QVERIFY(second.IsAnotherInstanceRunning());
    QVERIFY(!second.PublishMainWindow());
    second.UnlockStartup();

    first.reset();
    QVERIFY(!QFile::exists(server));
    CInstanceChecker third;
    third.LockStartup();
    QVERIFY(!third.IsAnotherInstanceRunning());
}

void TestInstanceChecker::startupLockWaitsForPublish() {
    CInstanceChecker first;
    first.LockStartup();
    CLockAttempt second;
    QTest::qWait(300);
    QVERIFY(!second.Locked());

    QVERIFY(first.PublishMainWindow());
    QTRY_VERIFY(second.Locked());
    // Between the lock and the check nobody can publish, so the waiting copy finds the first.
    QVERIFY(second.Guard().IsAnotherInstanceRunning());
}

void TestInstanceChecker::requestRestoresAndRaisesMainWindow() {
    QWidget window;
    window.showMinimized();
    QVERIFY(window.isMinimized());
    CInstanceChecker guard;
    guard.SetMainWindow(&window);
    guard.LockStartup();
    QVERIFY(guard.PublishMainWindow());
    QSignalSpy spy(&guard, &CInstanceChecker::broughtForward);

    QLocalSocket client;
    client.connectToServer(guard.ServerPath());
    client.write("raise\n");
    QTRY_VERIFY(client.canReadLine());
    QCOMPARE(client.readLine().trimmed().toULongLong(), static_cast<qulonglong>(window.winId()));
    QVERIFY(!window.isMinimized());
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).value<QWidget*>(), &window);
    QTRY_COMPARE(client.state(), QLocalSocket::UnconnectedState); // one request per connection
}

void TestInstanceChecker::requestWithoutWindowAnswersZero() {
    auto window = std::make_unique<QWidget>();
    window->show();
    CInstanceChecker guard;
    guard.SetMainWindow(window.get());
    guard.LockStartup();
    QVERIFY(guard.PublishMainWindow());
    window.reset(); // the published window is gone: still running, nothing to bring forward

    QLocalSocket client;
    client.connectToServer(guard.ServerPath());
    client.write("raise\n");
    QTRY_VERIFY(client.canReadLine());
    QCOMPARE(client.readLine().trimmed(), QByteArray("0"));
}

void TestInstanceChecker::badClientsAreDroppedWithoutHarm() {
    QWidget window;
    window.showMinimized();
    CInstanceChecker guard;
    guard.SetMainWindow(&window);
    guard.LockStartup();
    QVERIFY(guard.PublishMainWindow());

    QLocalSocket silent; // connects and never asks: must not hold up anyone else
    silent.connectToServer(guard.ServerPath());
    QVERIFY(silent.waitForConnected(1000));

    QLocalSocket wrongWord;
    wrongWord.connectToServer(guard.ServerPath());
    wrongWord.write("quit\n");
    QLocalSocket flood;
    flood.connectToServer(guard.ServerPath());
    flood.write(QByteArray(100000, 'x'));
    QTRY_COMPARE(wrongWord.state(), QLocalSocket::UnconnectedState);
    QTRY_COMPARE(flood.state(), QLocalSocket::UnconnectedState);
    QVERIFY(wrongWord.readAll().isEmpty());
    QVERIFY(window.isMinimized());

    QLocalSocket good;
    good.connectToServer(guard.ServerPath());
    good.write("raise\n");
    QTRY_VERIFY(good.canReadLine());
    QVERIFY(!window.isMinimized());
}

void TestInstanceChecker::askerThatGivesUpLeavesRunningCopyUnharmed() {
    // The running copy is the probe: this process uses the network module's sockets, which keep
    // broken connections from raising SIGPIPE here, but the program itself does not.
    QProcess probe;
    StartProbe(probe, "serve");
    QTRY_VERIFY_WITH_TIMEOUT(probe.canReadLine(), 10000);
    QCOMPARE(ProbeLine(probe), QStringLiteral("first"));

    // Stopped, the probe sees the request only after the asker has gone, so its answer meets a
    // closed connection.
    const auto pid = static_cast<pid_t>(probe.processId());
    QVERIFY(::kill(pid, SIGSTOP) == 0);
    QLocalSocket gaveUp;
    gaveUp.connectToServer(CInstanceChecker().ServerPath());
    QVERIFY(gaveUp.waitForConnected(1000));
    gaveUp.write("raise\n");
    QVERIFY(gaveUp.waitForBytesWritten(1000));
    gaveUp.abort();
    QVERIFY(::kill(pid, SIGCONT) == 0);

    QLocalSocket next;
    next.connectToServer(CInstanceChecker().ServerPath());
    next.write("raise\n");
    QTRY_VERIFY(next.canReadLine());
    QCOMPARE(probe.state(), QProcess::Running);
    StopProbe(probe);
}

void TestInstanceChecker::secondProcessBringsRunningCopyForward() {
    QWidget window;
    window.showMinimized();
    CInstanceChecker guard;
    guard.SetMainWindow(&window);
    guard.LockStartup();
    QVERIFY(guard.PublishMainWindow());

    QProcess probe;
    StartProbe(probe, "serve");
    // This process must keep serving while the probe asks, so wait by pumping events.
    QTRY_VERIFY_WITH_TIMEOUT(probe.state() == QProcess::NotRunning, 15000);
    QCOMPARE(probe.exitCode(), 0);
    QCOMPARE(ProbeLine(probe),
             QStringLiteral("running %1").arg(static_cast<qulonglong>(window.winId())));
    QVERIFY(!window.isMinimized());
}

void TestInstanceChecker::openModalDialogIsBroughtForward() {
    QWidget window;
    window.showMinimized();
    QDialog dialog(&window);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    QCOMPARE(QApplication::activeModalWidget(), &dialog);
    CInstanceChecker guard;
    guard.SetMainWindow(&window);
    guard.LockStartup();
    QVERIFY(guard.PublishMainWindow());
    QSignalSpy spy(&guard, &CInstanceChecker::broughtForward);

    QProcess probe;
    StartProbe(probe, "serve");
    QTRY_VERIFY_WITH_TIMEOUT(probe.state() == QProcess::NotRunning, 15000);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).value<QWidget*>(), &dialog);
    QVERIFY(!window.isMinimized());
    // The answer still names the main window, whatever was brought forward.
    QCOMPARE(ProbeLine(probe),
             QStringLiteral("running %1").arg(static_cast<qulonglong>(window.winId())));
}

void TestInstanceChecker::lockIsExclusiveAcrossProcessesAndFreedOnKill() {
    CInstanceChecker guard;
    guard.LockStartup();
    QProcess probe;
    StartProbe(probe, "hold-lock");
    QVERIFY(probe.waitForStarted());
    QTest::qWait(500);
    QVERIFY(!probe.canReadLine());

    // Also shows that the probe did not inherit our lock: it would then wait for itself.
    guard.UnlockStartup();
    QTRY_VERIFY_WITH_TIMEOUT(probe.canReadLine(), 10000);
    QCOMPARE(ProbeLine(probe), QStringLiteral("locked"));

    CLockAttempt attempt;
    QTest::qWait(200);
    QVERIFY(!attempt.Locked());
    StopProbe(probe); // SIGKILL: the system must release its lock
    QTRY_VERIFY(attempt.Locked());
}

void TestInstanceChecker::killedInstanceLeavesNothingBlocking() {
    QProcess probe;
    StartProbe(probe, "serve");
    QTRY_VERIFY_WITH_TIMEOUT(probe.canReadLine(), 10000);
    QCOMPARE(ProbeLine(probe), QStringLiteral("first"));
    StopProbe(probe);

    CLockAttempt next;
    QTRY_VERIFY(next.Locked());
    CInstanceChecker& guard = next.Guard();
    QVERIFY(QFile::exists(guard.ServerPath())); // the killed copy's socket is still there
    QVERIFY(!guard.IsAnotherInstanceRunning());
    QVERIFY(guard.PublishMainWindow());

    CInstanceChecker later;
    later.LockStartup();
    QVERIFY(later.IsAnotherInstanceRunning());
}

void TestInstanceChecker::simultaneousStartsYieldOneFirstCopy() {
    for (int round = 0; round < 5; ++round) {
        QProcess a;
        QProcess b;
        StartProbe(a, "serve");
        StartProbe(b, "serve");
        QTRY_VERIFY_WITH_TIMEOUT(a.canReadLine() && b.canReadLine(), 15000);
        const QStringList lines{ProbeLine(a), ProbeLine(b)};
        QCOMPARE(lines.count(QStringLiteral("first")), 1);
        const QString other = lines.at(lines.at(0) == QLatin1String("first") ? 1 : 0);
        QVERIFY2(other.startsWith(QLatin1String("running ")), qPrintable(other));
        QVERIFY2(other != QLatin1String("running 0"), "the first copy's window was not reported");
        StopProbe(a);
        StopProbe(b);
    }
}

void TestInstanceChecker::nothingRunningAnswersQuickly() {
    CInstanceChecker guard;
    guard.LockStartup();
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!guard.IsAnotherInstanceRunning());
    QCOMPARE(guard.BringOtherInstanceForward(), quintptr(0));

    // A leftover file that is no socket at all is neither a running copy nor an obstacle.
    QFile junk(guard.ServerPath());
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.close();
    QVERIFY(!guard.IsAnotherInstanceRunning());
    QCOMPARE(guard.BringOtherInstanceForward(), quintptr(0));
    QVERIFY(clock.elapsed() < 1000);
    QVERIFY(guard.PublishMainWindow());
}

void TestInstanceChecker::hungCopyKeepsItsSocket() {
    CInstanceChecker guard;
    guard.LockStartup();
    // A copy that listens but never accepts: once its backlog is full, connections are neither
    // accepted nor refused.
    const QByteArray path = QFile::encodeName(guard.ServerPath());
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    QVERIFY(static_cast<size_t>(path.size()) < sizeof address.sun_path);
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    const auto* name = reinterpret_cast<const sockaddr*>(&address);
    const int hung = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(hung >= 0);
    QVERIFY(::bind(hung, name, sizeof address) == 0);
    QVERIFY(::listen(hung, 0) == 0);
    std::vector<int> waiting;
    for (int i = 0; i < 16; ++i) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        waiting.push_back(fd);
        if (::connect(fd, name, sizeof address) != 0)
            break;
    }
    struct stat before {};
    QVERIFY(::stat(path.constData(), &before) == 0);

    QVERIFY(!guard.PublishMainWindow());
    struct stat after {};
    QVERIFY(::stat(path.constData(), &after) == 0);
    QCOMPARE(after.st_ino, before.st_ino);                    // still the hung copy's socket
    QCOMPARE(guard.BringOtherInstanceForward(), quintptr(0)); // gives up instead of hanging

    for (int fd : waiting)
        ::close(fd);
    ::close(hung);
}

int main(int argc, char** argv) {
    // A private runtime directory for this run, inherited by the probes, so the tests never meet
    // a real running copy or a previous run's leftovers.
    QTemporaryDir runtime;
    if (!runtime.isValid())
        return 1;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("RecitorGuardTest"));
    TestInstanceChecker test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_instance_checker.moc"
