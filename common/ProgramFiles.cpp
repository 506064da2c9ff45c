// SPDX-License-Identifier: GPL-2.0-or-later
#include "ProgramFiles.h"

#include "MessageBoxService.h"
#include "PassageStore.h"
#include "TipSequence.h"

#include <QDir>
#include <QFileInfo>

namespace {

constexpr const char* kProgramFiles[] = {CPassageStore::kInfoFile,   CPassageStore::kUserFile,
                                         CPassageStore::kStatsFile,  CPassageStore::kStatsSpareFile,
                                         CPassageStore::kExportFile, CPassageStore::kSaveRecordFile,
                                         CTipSequence::kFileName};

} // namespace

bool IsProgramFile(const QString& path) {
    const QFileInfo chosen(path);
    for (const char* name : kProgramFiles) {
        if (chosen.fileName().compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return true;
        const QFileInfo own(QDir::current().filePath(QString::fromLatin1(name)));
        if (chosen.absoluteFilePath() == own.absoluteFilePath() ||
            (chosen.exists() && own.exists() &&
             chosen.canonicalFilePath() == own.canonicalFilePath()))
            return true;
    }
    return false;
}

bool RefuseProgramFile(QWidget* owner, const QString& path, const QString& what) {
    if (!IsProgramFile(path))
        return false;
    MessageBoxes().Show(owner, QStringLiteral("Recitor"),
                        QStringLiteral("%1\nis one of Recitor's own files. Choose another name "
                                       "for the %2.")
                            .arg(QDir::toNativeSeparators(path), what),
                        MsgIcon::Warning, MsgButtons::Ok);
    return true;
}
