// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "Shell.h"

#include <QList>
#include <QStringList>
#include <QUrl>

// Stands in for the desktop while it lives: records what would have been opened and answers the
// probes from its fields. Nothing is started.
class CRecordingShell : public IShell {
public:
    CRecordingShell() { SetShell(this); }
    ~CRecordingShell() override { SetShell(nullptr); }
    CRecordingShell(const CRecordingShell&) = delete;
    CRecordingShell& operator=(const CRecordingShell&) = delete;

    bool OpenUrl(const QUrl& url) override {
        opened << url;
        return opens;
    }
    bool StartProgram(const QString& path, QString& reason) override {
        started << path;
        if (!starts)
            reason = startFailure;
        return starts;
    }
    bool LibraryLoads(const QString& name) override {
        libraries << name;
        return libraryLoads;
    }
    bool FileOpens(const QString& path) override {
        files << path;
        return fileOpens;
    }

    QList<QUrl> opened;
    QStringList started;
    QStringList libraries;
    QStringList files;
    bool opens = true;
    bool starts = true;
    QString startFailure = QStringLiteral("Permission denied");
    bool libraryLoads = true;
    bool fileOpens = true;
};
