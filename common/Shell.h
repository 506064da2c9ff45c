// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

class QUrl;

// What the program asks of the desktop: the "open" action on a web or mail address, starting a
// program, and the probes for a library and a file. Tests install one that records and answers from
// its fields, so that nothing is started and every branch can be driven.
class IShell {
public:
    virtual ~IShell() = default;
    // Hands url to the desktop's "open" action and returns at once; false when the desktop
    // refused it.
    virtual bool OpenUrl(const QUrl& url) = 0;
    // Starts the program at path in the current directory, detached: it is not waited for and
    // outlives the program. false, with why in reason, when it could not be started.
    virtual bool StartProgram(const QString& path, QString& reason) = 0;
    // Whether a library of this name can be loaded (it is unloaded again).
    virtual bool LibraryLoads(const QString& name) = 0;
    // Whether the file at path can be opened for reading.
    virtual bool FileOpens(const QString& path) = 0;
};

// The real desktop.
class CDesktopShell : public IShell {
public:
    bool OpenUrl(const QUrl& url) override;
    bool StartProgram(const QString& path, QString& reason) override;
    bool LibraryLoads(const QString& name) override;
    bool FileOpens(const QString& path) override;
};

// The process-wide shell: the real one unless another has been installed.
IShell& Shell();
// Installs shell (not owned) in place of the real one; null restores the real one.
void SetShell(IShell* shell);
