// SPDX-License-Identifier: GPL-2.0-or-later
#include "Shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QProcess>
#include <QUrl>

namespace {
IShell* installed = nullptr;
} // namespace

bool CDesktopShell::OpenUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

bool CDesktopShell::StartProgram(const QString& path, QString& reason) {
    QProcess process;
    process.setProgram(path);
    process.setWorkingDirectory(QDir::currentPath());
    if (process.startDetached())
        return true;
    reason = process.errorString();
    return false;
}

bool CDesktopShell::LibraryLoads(const QString& name) {
    QLibrary library(name);
    if (!library.load())
        return false;
    library.unload();
    return true;
}

bool CDesktopShell::FileOpens(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

IShell& Shell() {
    static CDesktopShell real;
    return installed ? *installed : real;
}

void SetShell(IShell* shell) {
    installed = shell;
}
