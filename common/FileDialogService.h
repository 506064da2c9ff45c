// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

class QWidget;

// Asks the user for a file to write or to read: the real one shows the platform's file dialog;
// tests install one that answers with a path of their own or cancels.
class IFileDialogService {
public:
    virtual ~IFileDialogService() = default;
    // The path chosen to write, or an empty text when the user cancelled. suggestedName is the
    // file name offered; filter lists the kinds of file as QFileDialog takes them.
    virtual QString SaveFileName(QWidget* owner, const QString& caption,
                                 const QString& suggestedName, const QString& filter) = 0;
    // The path of an existing file chosen to read, or an empty text when the user cancelled.
    virtual QString OpenFileName(QWidget* owner, const QString& caption, const QString& filter) = 0;
};

// The platform's file dialogs, opening in the user's documents folder.
class CQtFileDialogService : public IFileDialogService {
public:
    QString SaveFileName(QWidget* owner, const QString& caption, const QString& suggestedName,
                         const QString& filter) override;
    QString OpenFileName(QWidget* owner, const QString& caption, const QString& filter) override;
};

// The process-wide service: the real one unless another has been installed.
IFileDialogService& FileDialogs();
// Installs service (not owned) in place of the real one; null restores the real one.
void SetFileDialogs(IFileDialogService* service);
