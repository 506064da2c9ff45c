// SPDX-License-Identifier: GPL-2.0-or-later
#include "UserSetup.h"

#include "FileFormat.h"
#include "PassageStore.h"
#include "Preferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

#include <cstdint>
#include <utility>

namespace {

const QString kUserFile = QString::fromLatin1(CPassageStore::kUserFile);
const QString kStatsFile = QString::fromLatin1(CPassageStore::kStatsFile);
const QString kStatsSpareFile = QString::fromLatin1(CPassageStore::kStatsSpareFile);
// A settings key of section "Params" as QSettings names it.
QString ParamsKey(const char* name) {
    return QStringLiteral("%1/%2").arg(QLatin1String(kSectionParams), QLatin1String(name));
}

const QString kRunCountKey = ParamsKey(SettingKey::kRunCount);
// The Preferences menu offers the flyover, the fixed font sizes and the confirmations only while
// these are 1, and the program never writes them itself: without them a fresh install would keep
// those entries greyed for good.
const QString kChoiceAllowedKeys[] = {ParamsKey(SettingKey::kPrefFlyoverChoiceAllowed),
                                      ParamsKey(SettingKey::kPrefConfirmChoiceAllowed),
                                      ParamsKey(SettingKey::kPrefFontChoiceAllowed)};

} // namespace

CUserSetup::CUserSetup(QString shippedDir, QString workingDir)
    : shippedDir_(std::move(shippedDir)), workingDir_(std::move(workingDir)) {}

QString CUserSetup::DefaultWorkingDir() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Quillmark/Recitor");
}

QByteArray CUserSetup::EmptyUserFile() {
    return QByteArray::fromStdString(EmptyPassageFile());
}

// The program writes its statistics file with a line break after the last line, unlike its user
// file.
QByteArray CUserSetup::EmptyStatsFile() {
    return QByteArray::fromStdString(EmptyPassageFile().append(kCrLf));
}

bool CUserSetup::Run(QSettings& settings) {
    errors_.clear();
    actions_.clear();
    if (PrepareWorkingDir()) {
        CopyShippedFiles();
        CreateFromTemplate(kUserFile, kUserFile, EmptyUserFile());
        CreateFromTemplate(kStatsFile, kStatsSpareFile, EmptyStatsFile());
    }
    PrepareSettings(settings);
    return errors_.isEmpty();
}

bool CUserSetup::PrepareWorkingDir() {
    if (workingDir_.isEmpty()) {
        errors_ << QStringLiteral("No working directory is known for this user.");
        return false;
    }
    const QFileInfo info(workingDir_);
    if (info.isDir())
        return true;
    if (info.exists() || !QDir().mkpath(workingDir_)) {
        errors_ << QStringLiteral("Cannot create the working directory %1.")
                       .arg(QDir::toNativeSeparators(workingDir_));
        return false;
    }
    actions_ << QStringLiteral("Created %1").arg(QDir::toNativeSeparators(workingDir_));
    return true;
}

// Every file installed in the shipped directory belongs in the working directory: the bundled
// passages, the spare statistics file, the tips and the background bitmaps. Only missing ones
// are copied, so a file the user has replaced or edited stays as it is.
void CUserSetup::CopyShippedFiles() {
    const QDir shipped(shippedDir_);
    if (shippedDir_.isEmpty() || !shipped.exists()) {
        errors_ << QStringLiteral("The program's data files are not installed in %1.")
                       .arg(QDir::toNativeSeparators(shippedDir_));
        return;
    }
    const QStringList names =
        shipped.entryList(QDir::Files | QDir::Readable | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        if (ExistsInWorkingDir(name))
            continue;
        QFile source(shipped.filePath(name));
        if (!source.open(QIODevice::ReadOnly)) {
            errors_ << QStringLiteral("Cannot read %1: %2")
                           .arg(QDir::toNativeSeparators(source.fileName()), source.errorString());
            continue;
        }
        WriteFile(name, source.readAll());
    }
}

// The user and statistics files are the user's own from the first start on; when one is
// missing it is started empty, from the shipped copy when there is one.
void CUserSetup::CreateFromTemplate(const QString& name, const QString& templateName,
                                    const QByteArray& fallback) {
    if (ExistsInWorkingDir(name))
        return;
    QFile shipped(QDir(shippedDir_).filePath(templateName));
    const bool isShipped = !shippedDir_.isEmpty() && shipped.exists();
    // A shipped file of the same name was handled, and any failure reported, by the copy.
    if (isShipped && name == templateName)
        return;
    QByteArray bytes = fallback;
    if (isShipped && shipped.open(QIODevice::ReadOnly))
        bytes = shipped.readAll();
    WriteFile(name, bytes);
}

// The program refuses to start without a run count of 0 or more (read as a signed 32-bit
// number, as the program reads it). A missing one is created as 0; so is one the program could
// never accept, since otherwise no amount of setting up would let it start again. A valid count
// is never reset.
bool CUserSetup::IsUsableRunCount(const QVariant& value) {
    if (!value.isValid())
        return false;
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    return ok && static_cast<std::int32_t>(static_cast<std::uint32_t>(number)) >= 0;
}

// The run count, and the Preferences menu's choices allowed where nothing says otherwise. A
// choice flag that is there, whatever its value, was set by the user or an administrator and is
// kept. The settings are written once, and only when something was missing.
void CUserSetup::PrepareSettings(QSettings& settings) {
    const QString file = QDir::toNativeSeparators(settings.fileName());
    if (settings.status() != QSettings::NoError) {
        errors_
            << QStringLiteral("Cannot read the settings %1; they are left as they are.").arg(file);
        return;
    }
    QStringList written;
    const QVariant runCount = settings.value(kRunCountKey);
    if (!IsUsableRunCount(runCount)) {
        settings.setValue(kRunCountKey, 0);
        written << (runCount.isValid() ? QStringLiteral("Reset the unusable run count to 0 in %1")
                                       : QStringLiteral("Set the run count to 0 in %1"))
                       .arg(file);
    }
    for (const QString& key : kChoiceAllowedKeys) {
        if (settings.contains(key))
            continue;
        settings.setValue(key, 1);
        written << QStringLiteral("Set %1 to 1 in %2").arg(key.section(QLatin1Char('/'), 1), file);
    }
    if (written.isEmpty())
        return;
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        errors_ << QStringLiteral("Cannot write the settings %1.").arg(file);
        return;
    }
    actions_ << written;
}

// A name that is taken in any way (a file, a directory, even a dangling link) is the user's
// business; setting up never replaces it.
bool CUserSetup::ExistsInWorkingDir(const QString& name) const {
    const QFileInfo info(QDir(workingDir_).filePath(name));
    return info.exists() || info.isSymLink();
}

// Written to a temporary file and renamed into place only when complete, so an interrupted
// set-up never leaves a half-written data file that the program would reject.
bool CUserSetup::WriteFile(const QString& name, const QByteArray& bytes) {
    QSaveFile file(QDir(workingDir_).filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        errors_ << QStringLiteral("Cannot write %1: %2")
                       .arg(QDir::toNativeSeparators(file.fileName()), file.errorString());
        return false;
    }
    actions_ << QStringLiteral("Created %1").arg(QDir::toNativeSeparators(file.fileName()));
    return true;
}
