// SPDX-License-Identifier: GPL-2.0-or-later
#include "FileDialogService.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

namespace {

IFileDialogService* installed = nullptr;

QString StartFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() || !QDir(documents).exists() ? QDir::homePath() : documents;
}

} // namespace

QString CQtFileDialogService::SaveFileName(QWidget* owner, const QString& caption,
                                           const QString& suggestedName, const QString& filter) {
    return QFileDialog::getSaveFileName(owner, caption, QDir(StartFolder()).filePath(suggestedName),
                                        filter);
}

QString CQtFileDialogService::OpenFileName(QWidget* owner, const QString& caption,
                                           const QString& filter) {
    return QFileDialog::getOpenFileName(owner, caption, StartFolder(), filter);
}

IFileDialogService& FileDialogs() {
    static CQtFileDialogService real;
    return installed ? *installed : real;
}

void SetFileDialogs(IFileDialogService* service) {
    installed = service;
}
