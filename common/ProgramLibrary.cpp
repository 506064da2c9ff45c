// SPDX-License-Identifier: GPL-2.0-or-later
#include "ProgramLibrary.h"

#include <QCoreApplication>
#include <QFileInfo>

QString ProgramLibrary(const QString& fileName) {
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString beside = programDir + QLatin1Char('/') + fileName;
    if (QFileInfo::exists(beside))
        return beside;
    return programDir + QStringLiteral("/" RECITOR_LIBRARY_FROM_BIN "/") + fileName;
}
