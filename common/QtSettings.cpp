// SPDX-License-Identifier: GPL-2.0-or-later
#include "QtSettings.h"

#include "Win1252.h"

CQtSettings::CQtSettings(const QString& organization, const QString& application)
    : settings_(QSettings::NativeFormat, QSettings::UserScope, organization, application) {}

// The data layer names sections as the registry does ("Export\Params"); Qt separates groups
// with a slash.
QString CQtSettings::KeyOf(const std::string& section, const std::string& name) {
    QString key = QString::fromStdString(section);
    key.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return key + QLatin1Char('/') + QString::fromStdString(name);
}

std::int32_t CQtSettings::ReadNumber(const std::string& section, const std::string& name,
                                     std::int32_t defaultValue) {
    const QVariant value = settings_.value(KeyOf(section, name));
    if (!value.isValid())
        return defaultValue;
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    if (!ok)
        return defaultValue;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(number));
}

void CQtSettings::WriteNumber(const std::string& section, const std::string& name,
                              std::int32_t value) {
    settings_.setValue(KeyOf(section, name), value);
}

std::string CQtSettings::ReadText(const std::string& section, const std::string& name,
                                  const std::string& defaultValue) {
    const QVariant value = settings_.value(KeyOf(section, name));
    if (!value.isValid())
        return defaultValue;
    std::string bytes;
    ToWin1252(value.toString(), bytes);
    return bytes;
}

void CQtSettings::WriteText(const std::string& section, const std::string& name,
                            const std::string& value) {
    settings_.setValue(KeyOf(section, name), FromWin1252(value));
}
