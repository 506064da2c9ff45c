// SPDX-License-Identifier: GPL-2.0-or-later
#include "InstanceChecker.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace {

// The only request a later copy sends, and the most it may send before being dropped.
constexpr char kRaiseRequest[] = "raise";
constexpr qsizetype kMaxRequest = 64;

// A later copy waits at most this long for each step; the running copy answers at once unless it
// is hung, and then the later copy must not hang with it.
constexpr int kConnectTimeoutMs = 1000;
constexpr int kAnswerTimeoutMs = 2000;
// How often a later copy tries again while the running copy's queue of connections is full.
constexpr int kConnectRetryMs = 10;
// A client that connects and never asks anything is dropped after this.
constexpr int kIdleClientMs = 5000;
// How long the running copy stops accepting when it cannot take a connection (out of descriptors):
// the connection stays queued, and trying again at once would spin.
constexpr int kAcceptPauseMs = 100;

// Owns a descriptor: closed when the holder goes, so that no path leaks it.
class CFd {
public:
    explicit CFd(int fd) : fd_(fd) {}
    ~CFd() { Reset(); }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;

    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }
    void Reset() {
        if (fd_ >= 0)
            ::close(std::exchange(fd_, -1));
    }

private:
    int fd_;
};

// The socket address of path; false when the path is too long for one.
bool MakeAddress(const QByteArray& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (static_cast<size_t>(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    return true;
}

const sockaddr* AsSockaddr(const sockaddr_un& address) {
    return reinterpret_cast<const sockaddr*>(&address);
}

// Connects to the socket at path within a later copy's time limit. Returns the connected
// non-blocking descriptor, or -1 with the reason in error: ENOENT or ECONNREFUSED when nobody
// listens there, ETIMEDOUT when the listener did not take the connection in time.
int ConnectToServer(const QByteArray& path, int& error) {
    sockaddr_un address;
    if (!MakeAddress(path, address)) {
        error = ENAMETOOLONG;
        return -1;
    }
    CFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (fd.Get() < 0) {
        error = errno;
        return -1;
    }
    const QDeadlineTimer deadline(kConnectTimeoutMs);
    while (::connect(fd.Get(), AsSockaddr(address), sizeof address) != 0) {
        error = errno;
        if (error == EISCONN)
            break; // an interrupted attempt that got through
        if (error == EINTR)
            continue;
        if (error != EAGAIN)
            return -1;
        // The listener's queue is full: a copy that is busy for a moment takes its connections
        // soon, a hung copy never does.
        if (deadline.hasExpired()) {
            error = ETIMEDOUT;
            return -1;
        }
        ::poll(nullptr, 0, kConnectRetryMs);
    }
    return fd.Release();
}

// Sends a short message over a fresh connection, whose buffer always has room for it. False when
// the peer has gone: MSG_NOSIGNAL keeps that from ending this program with SIGPIPE.
bool Send(int fd, const QByteArray& message) {
    ssize_t sent;
    do {
        sent = ::send(fd, message.constData(), static_cast<size_t>(message.size()), MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent == message.size();
}

enum class LineState { Complete, Incomplete, Failed };

// Adds to line what has arrived on the non-blocking fd, without waiting. Once the end of the line
// is there, line is cut to its trimmed text and the result is Complete. Failed when the peer
// closed first, or sent kMaxRequest bytes without a line end.
LineState ReadLine(int fd, QByteArray& line) {
    for (;;) {
        const qsizetype end = line.indexOf('\n');
        if (end >= 0) {
            line = line.left(end).trimmed();
            return LineState::Complete;
        }
        if (line.size() >= kMaxRequest)
            return LineState::Failed;
        char buffer[kMaxRequest];
        const ssize_t got = ::recv(fd, buffer, static_cast<size_t>(kMaxRequest - line.size()), 0);
        if (got > 0)
            line.append(buffer, got);
        else if (got == 0)
            return LineState::Failed;
        else if (errno == EAGAIN)
            return LineState::Incomplete;
        else if (errno != EINTR)
            return LineState::Failed;
    }
}

// One later copy's connection to the running copy. Its request is read as it arrives, never
// waited for, and it gets one answer: anything else, too much or nothing for too long drops it,
// so no client can stall or flood the running copy.
class CGuardClient : public QObject {
public:
    CGuardClient(int fd, std::function<quintptr()> bringForward, QObject* parent)
        : QObject(parent), fd_(fd), notifier_(fd, QSocketNotifier::Read),
          bringForward_(std::move(bringForward)) {
        connect(&notifier_, &QSocketNotifier::activated, this, &CGuardClient::Read);
        QTimer::singleShot(kIdleClientMs, this, &CGuardClient::Drop);
    }

private:
    void Read() {
        switch (ReadLine(fd_.Get(), request_)) {
        case LineState::Incomplete:
            return;
        case LineState::Failed:
            Drop();
            return;
        case LineState::Complete:
            break;
        }
        if (request_ == kRaiseRequest) {
            const quintptr id = bringForward_();
            // An asking copy that has given up already is no concern.
            Send(fd_.Get(), QByteArray::number(static_cast<qulonglong>(id)) + '\n');
        }
        Drop(); // one request per connection
    }

    // Closes the connection at once, so the other end sees it, and goes at the next chance.
    void Drop() {
        notifier_.setEnabled(false);
        fd_.Reset();
        deleteLater();
    }

    CFd fd_;
    QSocketNotifier notifier_;
    std::function<quintptr()> bringForward_;
    QByteArray request_;
};

} // namespace

CInstanceChecker::CInstanceChecker(const QString& mutexName, QObject* parent)
    : QObject(parent), mutexName_(mutexName) {}

CInstanceChecker::~CInstanceChecker() {
    UnlockStartup();
    if (serverFd_ >= 0) {
        // The file goes first: a copy starting in between then finds no socket, rather than a
        // dead one that it would replace with its own, which this would then remove.
        ::unlink(serverFile_.constData());
        delete serverNotifier_;
        ::close(serverFd_);
    }
    // The clients still connected are children: they close their connections as they go.
}

QString CInstanceChecker::SharedMemoryName() const {
    return QStringLiteral("CInstanceChecker_MMF_") + QCoreApplication::applicationName();
}

QWidget* CInstanceChecker::WindowToPublish() const {
    return mainWindow_;
}

// The user's private runtime directory: only this user can reach the lock file and the socket
// there, and it is emptied at log-out, so nothing stale outlives the session.
QString CInstanceChecker::RuntimeDir() const {
    // Looked up once: the lock file and the socket must stay in the same place for the whole
    // run, and a rejected directory is then reported only once.
    if (runtimeDir_.isEmpty())
        runtimeDir_ = FindRuntimeDir();
    return runtimeDir_;
}

QString CInstanceChecker::FindRuntimeDir() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!dir.isEmpty()) {
        if (!QFileInfo::exists(dir))
            ::mkdir(QFile::encodeName(dir).constData(), 0700);
        return dir;
    }
    // No usable runtime directory (wrong owner or permissions): a private one of our own in the
    // temporary directory, provided nobody else made or can enter it.
    dir = QDir::tempPath() + QStringLiteral("/recitor-") + QString::number(::getuid());
    const QByteArray path = QFile::encodeName(dir);
    ::mkdir(path.constData(), 0700);
    struct stat st {};
    if (::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
        (st.st_mode & 077) == 0)
        return dir;
    // Last resort: the shared temporary directory. The lock file refuses links and other users'
    // files, so the worst that can happen there is a copy that runs unguarded.
    return QDir::tempPath();
}

QString CInstanceChecker::LockFilePath() const {
    return RuntimeDir() + QLatin1Char('/') + mutexName_;
}

QString CInstanceChecker::ServerPath() const {
    return RuntimeDir() + QLatin1Char('/') + SharedMemoryName();
}

void CInstanceChecker::LockStartup() {
    if (lockFd_ >= 0)
        return;
    const QByteArray path = QFile::encodeName(LockFilePath());
    // O_CLOEXEC: a program started from here (the exporter) must not inherit the lock and keep
    // it after we end. O_NOFOLLOW: never follow a link planted in place of the lock file.
    int fd;
    do {
        fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return;
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(fd);
            return;
        }
    }
    lockFd_ = fd;
}

void CInstanceChecker::UnlockStartup() {
    if (lockFd_ < 0)
        return;
    // Closing the descriptor drops the flock. The file itself stays: removing it would let a
    // waiting copy lock the removed file while a newer copy locks a new one.
    ::close(lockFd_);
    lockFd_ = -1;
}

// Tells a listening server from a socket file that nobody serves any more (a copy that was
// killed) and from a server that does not take connections in time (a hung copy).
CInstanceChecker::Probe CInstanceChecker::ProbeServer() const {
    int error = 0;
    const CFd fd(ConnectToServer(QFile::encodeName(ServerPath()), error));
    if (fd.Get() >= 0)
        return Probe::Running;
    return error == ENOENT || error == ECONNREFUSED ? Probe::NotRunning : Probe::Unknown;
}

bool CInstanceChecker::IsAnotherInstanceRunning() const {
    return ProbeServer() == Probe::Running;
}

bool CInstanceChecker::PublishMainWindow() {
    if (serverFd_ >= 0)
        return true;
    // A copy that holds its socket but does not take connections in time may still be running:
    // taking its socket over would let two copies work on the same files, so this copy then
    // stays unpublished and keeps the start-up lock, as when the server cannot be set up.
    if (ProbeServer() != Probe::NotRunning)
        return false;
    const QByteArray path = QFile::encodeName(ServerPath());
    sockaddr_un address;
    if (!MakeAddress(path, address))
        return false;
    // Nobody answers, so any file left here belongs to a copy that was killed.
    ::unlink(path.constData());
    CFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (fd.Get() < 0 || ::bind(fd.Get(), AsSockaddr(address), sizeof address) != 0)
        return false;
    // Only this user may connect. The directory is private as a rule; this also holds in the
    // shared temporary directory, the last resort.
    if (::chmod(path.constData(), 0600) != 0 || ::listen(fd.Get(), SOMAXCONN) != 0) {
        ::unlink(path.constData());
        return false;
    }
    serverFd_ = fd.Release();
    serverFile_ = path;
    serverNotifier_ = new QSocketNotifier(serverFd_, QSocketNotifier::Read, this);
    connect(serverNotifier_, &QSocketNotifier::activated, this,
            &CInstanceChecker::AcceptConnections);
    published_ = WindowToPublish();
    UnlockStartup();
    return true;
}

void CInstanceChecker::AcceptConnections() {
    for (;;) {
        const int fd = ::accept4(serverFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd >= 0) {
            new CGuardClient(
                fd, [this] { return BringForward(); }, this);
            continue;
        }
        if (errno == EINTR || errno == ECONNABORTED)
            continue;
        if (errno != EAGAIN) {
            serverNotifier_->setEnabled(false);
            QTimer::singleShot(kAcceptPauseMs, serverNotifier_,
                               [notifier = serverNotifier_] { notifier->setEnabled(true); });
        }
        return;
    }
}

// Restores the main window if it is minimised and brings the open modal dialog, or else the main
// window, to the front: with a dialog open, the main window cannot take input anyway.
quintptr CInstanceChecker::BringForward() {
    QWidget* window = published_;
    if (!window)
        return 0;
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    QWidget* front = QApplication::activeModalWidget();
    if (!front)
        front = window;
    if (front != window && front->isMinimized())
        front->setWindowState(front->windowState() & ~Qt::WindowMinimized);
    front->raise();
    front->activateWindow();
    emit broughtForward(front);
    return static_cast<quintptr>(window->winId());
}

quintptr CInstanceChecker::BringOtherInstanceForward() {
    int error = 0;
    const CFd fd(ConnectToServer(QFile::encodeName(ServerPath()), error));
    if (fd.Get() < 0 || !Send(fd.Get(), QByteArray(kRaiseRequest) + '\n'))
        return 0;
    const QDeadlineTimer deadline(kAnswerTimeoutMs);
    QByteArray answer;
    for (;;) {
        const LineState state = ReadLine(fd.Get(), answer);
        if (state == LineState::Failed)
            return 0;
        if (state == LineState::Complete)
            break;
        pollfd waiting{fd.Get(), POLLIN, 0};
        const int ready = ::poll(&waiting, 1, static_cast<int>(deadline.remainingTime()));
        if (ready == 0 || (ready < 0 && errno != EINTR))
            return 0; // no answer in time
    }
    bool ok = false;
    const qulonglong id = answer.toULongLong(&ok);
    return ok ? static_cast<quintptr>(id) : 0;
}
