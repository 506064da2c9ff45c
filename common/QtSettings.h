// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "Platform.h"

#include <QSettings>

// The program's settings in the platform's native store: organization "Quillmark", application
// "Recitor" (the registry on Windows, $XDG_CONFIG_HOME/Quillmark/Recitor.conf on Linux). Numbers
// are kept as 32-bit values and read back as signed, so 4294967295 reads as -1; texts are kept
// as Unicode and handed to the data layer as Windows-1252 bytes.
class CQtSettings : public ISettings {
public:
    explicit CQtSettings(const QString& organization = QStringLiteral("Quillmark"),
                         const QString& application = QStringLiteral("Recitor"));

    std::int32_t ReadNumber(const std::string& section, const std::string& name,
                            std::int32_t defaultValue) override;
    void WriteNumber(const std::string& section, const std::string& name,
                     std::int32_t value) override;
    std::string ReadText(const std::string& section, const std::string& name,
                         const std::string& defaultValue) override;
    void WriteText(const std::string& section, const std::string& name,
                   const std::string& value) override;

    void Sync() override { settings_.sync(); }

private:
    static QString KeyOf(const std::string& section, const std::string& name);
    QSettings settings_;
};
