// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

class QSocketNotifier;

// Keeps the program to one running copy per user, so that only one copy ever works on the data
// files. Two things in the user's runtime directory make this work:
//  - a lock file taken with an exclusive flock: it orders two copies that reach the check at the
//    same moment, and the system releases it however the holder ends;
//  - a local stream socket that the first copy keeps listening on while it runs: a successful
//    connection means "another copy is running", and a "raise" request over it asks that copy to
//    bring its open modal dialog, or else its main window, to the front.
//
// Start-up uses it in this order: LockStartup, IsAnotherInstanceRunning, then either
// BringOtherInstanceForward (second copy, which then ends holding the lock) or, once the main
// window is ready, PublishMainWindow (first copy, which releases the lock).
class CInstanceChecker : public QObject {
    Q_OBJECT

public:
    explicit CInstanceChecker(const QString& mutexName = QStringLiteral("RecitorMutex"),
                              QObject* parent = nullptr);
    ~CInstanceChecker() override;

    // Name of the listening socket: "CInstanceChecker_MMF_" and the application name.
    QString SharedMemoryName() const;
    // The window that a later copy asks to bring forward; null when there is none.
    QWidget* WindowToPublish() const;
    void SetMainWindow(QWidget* window) { mainWindow_ = window; }

    // Takes the start-up lock, waiting without time limit while another copy holds it. Without a
    // usable runtime directory the program runs unguarded and this returns at once.
    void LockStartup();
    // True when a copy has published and still runs.
    bool IsAnotherInstanceRunning() const;
    // Starts answering later copies and releases the start-up lock. Returns false, keeping the
    // lock, when another copy already runs or the server cannot be set up.
    bool PublishMainWindow();
    // Asks the running copy to bring its window forward. Returns that copy's main window id, or 0
    // when it had no window or did not answer in time.
    quintptr BringOtherInstanceForward();
    // Releases the start-up lock if this object holds it.
    void UnlockStartup();

    // Full paths of the lock file and the server socket.
    QString LockFilePath() const;
    QString ServerPath() const;

signals:
    // A later copy's request was served; window is what was brought forward (the modal dialog or
    // the main window).
    void broughtForward(QWidget* window);

private:
    enum class Probe { Running, NotRunning, Unknown };
    Probe ProbeServer() const;
    QString RuntimeDir() const;
    static QString FindRuntimeDir();
    void AcceptConnections();
    quintptr BringForward();

    QString mutexName_;
    mutable QString runtimeDir_;
    QPointer<QWidget> mainWindow_;
    QPointer<QWidget> published_;
    // The listening socket while this copy is published, and the file it is bound to.
    int serverFd_ = -1;
    QSocketNotifier* serverNotifier_ = nullptr;
    QByteArray serverFile_;
    int lockFd_ = -1;
};
