// SPDX-License-Identifier: GPL-2.0-or-later
#include "CreationTime.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>

std::string CreationTimeText(const std::filesystem::path& file) {
    const QFileInfo info(QString::fromStdString(file.string()));
    QDateTime created = info.birthTime();
    if (!created.isValid())
        created = info.lastModified(); // a file system that keeps no creation time
    created = created.toLocalTime();
    const QLocale c = QLocale::c();
    const QString text = c.toString(created, QStringLiteral("ddd MMM ")) +
                         QStringLiteral("%1").arg(created.date().day(), 2, 10, QLatin1Char(' ')) +
                         c.toString(created, QStringLiteral(" hh:mm:ss yyyy"));
    return text.toStdString();
}
