// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class QSettings;
class QVariant;

// Prepares one user's working directory and settings so that Recitor can start: the program
// reads and writes its data files in its current working directory and refuses to start without
// the "RunCount" setting, and its Preferences menu offers the flyover, the fixed font sizes and
// the confirmations only where the settings allow them. The launcher runs this step before every
// start, so it must be cheap when everything is already in place and must never touch what the
// user has made: existing files are left alone, an existing valid run count is kept, and so is
// every choice flag that is already there.
class CUserSetup {
public:
    // shippedDir holds the data files installed with the program; workingDir is the user's
    // working directory (created when missing).
    CUserSetup(QString shippedDir, QString workingDir);

    // Runs every step; returns true when the working directory and the settings are ready.
    // Each problem is described in Errors(); the steps after a failed one still run where
    // they can, so that one message lists everything that is wrong.
    bool Run(QSettings& settings);

    const QStringList& Errors() const { return errors_; }
    // Files created or copied, and settings values written, by the last Run (for the user's
    // information only).
    const QStringList& Actions() const { return actions_; }

    // The working directory used when none is given: the per-user data location
    // ($XDG_DATA_HOME/Quillmark/Recitor on Linux).
    static QString DefaultWorkingDir();

    // What the program writes when it creates its empty user and statistics files; used when
    // the shipped copies are not installed.
    static QByteArray EmptyUserFile();
    static QByteArray EmptyStatsFile();

private:
    bool PrepareWorkingDir();
    void CopyShippedFiles();
    void CreateFromTemplate(const QString& name, const QString& templateName,
                            const QByteArray& fallback);
    void PrepareSettings(QSettings& settings);
    static bool IsUsableRunCount(const QVariant& value);
    bool ExistsInWorkingDir(const QString& name) const;
    bool WriteFile(const QString& name, const QByteArray& bytes);

    QString shippedDir_;
    QString workingDir_;
    QStringList errors_;
    QStringList actions_;
};
