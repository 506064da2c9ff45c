// SPDX-License-Identifier: GPL-2.0-or-later
#include "InstanceChecker.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The only request a later copy sends, and the most it may send before being dropped.
constexpr char kRaiseRequest[] = "raise";
constexpr qint64 kMaxRequest = 64;

// A later copy waits at most this long for each step; the running copy answers at once unless it
// is hung, and then the later copy must not hang with it.
constexpr int kConnectTimeoutMs = 1000;
constexpr int kAnswerTimeoutMs = 2000;
// A client that connects and never asks anything is dropped after this.
constexpr int kIdleClientMs = 5000;

} // namespace

CInstanceChecker::CInstanceChecker(const QString& mutexName, QObject* parent)
    : QObject(parent), mutexName_(mutexName) {}

CInstanceChecker::~CInstanceChecker() {
    UnlockStartup();
    // The server (a child) closes and removes its socket when it is deleted, so later copies see
    // no running instance from then on.
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
    QLocalSocket socket;
    socket.connectToServer(ServerPath());
    if (socket.waitForConnected(kConnectTimeoutMs))
        return Probe::Running;
    switch (socket.error()) {
    case QLocalSocket::ServerNotFoundError:
    case QLocalSocket::ConnectionRefusedError:
        return Probe::NotRunning;
    default:
        return Probe::Unknown;
    }
}

bool CInstanceChecker::IsAnotherInstanceRunning() const {
    return ProbeServer() == Probe::Running;
}

bool CInstanceChecker::PublishMainWindow() {
    if (server_)
        return true;
    // A copy that holds its socket but does not take connections in time may still be running:
    // taking its socket over would let two copies work on the same files, so this copy then
    // stays unpublished and keeps the start-up lock, as when the server cannot be set up.
    if (ProbeServer() != Probe::NotRunning)
        return false;
    // Nobody answers, so any socket file left here belongs to a copy that was killed.
    QLocalServer::removeServer(ServerPath());
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(ServerPath())) {
        delete server;
        return false;
    }
    server_ = server;
    published_ = WindowToPublish();
    connect(server_, &QLocalServer::newConnection, this, &CInstanceChecker::AcceptConnections);
    UnlockStartup();
    return true;
}

void CInstanceChecker::AcceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ServeRequest(socket); });
        QTimer::singleShot(kIdleClientMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        // The request may have arrived together with the connection.
        if (socket->bytesAvailable() > 0)
            ServeRequest(socket);
    }
}

// Reads whatever has arrived without waiting; a later copy is served once its whole request
// line is there. Anything else is dropped, so no client can stall or flood the running copy.
void CInstanceChecker::ServeRequest(QLocalSocket* socket) {
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() >= kMaxRequest) {
            socket->abort();
            socket->deleteLater();
        }
        return;
    }
    const QByteArray request = socket->readLine(kMaxRequest).trimmed();
    socket->disconnect(this); // one request per connection
    if (request != kRaiseRequest) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    const quintptr id = BringForward();
    if (socket->state() != QLocalSocket::ConnectedState)
        return; // the asking copy has given up already
    socket->write(QByteArray::number(static_cast<qulonglong>(id)) + '\n');
    socket->disconnectFromServer(); // sends the answer first, then emits disconnected
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
    QLocalSocket socket;
    socket.connectToServer(ServerPath());
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return 0;
    socket.write(QByteArray(kRaiseRequest) + '\n');
    socket.flush();
    QElapsedTimer clock;
    clock.start();
    while (!socket.canReadLine()) {
        const qint64 left = kAnswerTimeoutMs - clock.elapsed();
        if (left <= 0 || !socket.waitForReadyRead(static_cast<int>(left)))
            break;
    }
    if (!socket.canReadLine())
        return 0;
    bool ok = false;
    const qulonglong id = socket.readLine(kMaxRequest).trimmed().toULongLong(&ok);
    return ok ? static_cast<quintptr>(id) : 0;
}
