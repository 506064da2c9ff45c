// SPDX-License-Identifier: GPL-2.0-or-later
// The settings backend: numbers kept as 32-bit values and read back signed, defaults for what is
// missing or unreadable, the registry-style section names, and the corrections the store applies
// when it reads its preferences through it.

#include "PassageStore.h"
#include "Preferences.h"
#include "QtSettings.h"
#include "UiSupport.h"

#include <QSettings>

namespace {

const QString kOrganization = QStringLiteral("QuillmarkUiTest");
const QString kApplication = QStringLiteral("RecitorSettings");

// The same file as CQtSettings uses, seen through Qt directly.
QSettings Raw() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, kOrganization, kApplication);
}

} // namespace

class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QSettings raw = Raw();
        raw.clear();
        raw.sync();
    }

    void roundTrip() {
        {
            CQtSettings settings(kOrganization, kApplication);
            settings.WriteNumber(kSectionParams, "RunCount", 7);
            settings.WriteNumber(kSectionParams, "CurSelectorIndex", -3);
            settings.WriteText(kSectionParams, "BackgroundFilename", "Caf\xe9 \x93Q\x94.bmp");
            settings.Sync();
        }
        CQtSettings settings(kOrganization, kApplication);
        QCOMPARE(settings.ReadNumber(kSectionParams, "RunCount", -1), 7);
        QCOMPARE(settings.ReadNumber(kSectionParams, "CurSelectorIndex", 0), -3);
        QCOMPARE(settings.ReadText(kSectionParams, "BackgroundFilename", ""),
                 std::string("Caf\xe9 \x93Q\x94.bmp"));
        // Texts are stored as Unicode, not as raw bytes.
        QCOMPARE(Raw().value(QStringLiteral("Params/BackgroundFilename")).toString(),
                 QStringLiteral("Caf\u00e9 \u201cQ\u201d.bmp"));
    }

    void numbersReadAsSigned32Bit() {
        QSettings raw = Raw();
        raw.setValue(QStringLiteral("Params/AllOnes"), 4294967295LL);
        raw.setValue(QStringLiteral("Params/HighBit"), 2147483648LL);
        raw.setValue(QStringLiteral("Params/Largest"), 2147483647LL);
        raw.setValue(QStringLiteral("Params/Text"), QStringLiteral("abc"));
        raw.setValue(QStringLiteral("Params/Empty"), QString());
        raw.sync();
        CQtSettings settings(kOrganization, kApplication);
        QCOMPARE(settings.ReadNumber(kSectionParams, "AllOnes", 0), -1);
        QCOMPARE(settings.ReadNumber(kSectionParams, "HighBit", 0), INT32_MIN);
        QCOMPARE(settings.ReadNumber(kSectionParams, "Largest", 0), INT32_MAX);
        // Missing or unreadable values give the default.
        QCOMPARE(settings.ReadNumber(kSectionParams, "Missing", -1), -1);
        QCOMPARE(settings.ReadNumber(kSectionParams, "Text", 42), 42);
        QCOMPARE(settings.ReadNumber(kSectionParams, "Empty", 42), 42);
        QCOMPARE(settings.ReadText(kSectionParams, "Missing", "dflt"), std::string("dflt"));
    }

    void exportSectionIsANestedGroup() {
        CQtSettings settings(kOrganization, kApplication);
        settings.WriteNumber(kSectionExport, "FileTimestamp", 1700000000);
        settings.Sync();
        QSettings raw = Raw();
        QCOMPARE(raw.value(QStringLiteral("Export/Params/FileTimestamp")).toInt(), 1700000000);
        QVERIFY(!raw.contains(QStringLiteral("Params/FileTimestamp")));
        raw.setValue(QStringLiteral("Export/Params/PrefConfirmExportPpc"), 0);
        raw.sync();
        QCOMPARE(CQtSettings(kOrganization, kApplication)
                     .ReadNumber(kSectionExport, "PrefConfirmExportPpc", 1),
                 0);
    }

    void preferencesCorrectedOnReading_data() {
        QTest::addColumn<QVariant>("transFilter");
        QTest::addColumn<int>("expectedFilter");
        QTest::addColumn<QVariant>("flag"); // stored for every flag value
        QTest::addColumn<bool>("expectedFlag");
        QTest::newRow("above range, flag 2") << QVariant(34) << 33 << QVariant(2) << false;
        QTest::newRow("below range, flag 1") << QVariant(-5) << 33 << QVariant(1) << true;
        QTest::newRow("All, flag 0") << QVariant(33) << 33 << QVariant(0) << false;
        QTest::newRow("ASV, flag -1") << QVariant(0) << 0 << QVariant(-1) << false;
        QTest::newRow("NIV, flag as 2^32+1") << QVariant(8) << 8 << QVariant(4294967297LL) << true;
        QTest::newRow("missing") << QVariant() << 33 << QVariant() << false;
    }

    void preferencesCorrectedOnReading() {
        QFETCH(QVariant, transFilter);
        QFETCH(int, expectedFilter);
        QFETCH(QVariant, flag);
        QFETCH(bool, expectedFlag);
        const char* const flags[] = {"PrefFlyoverChoiceAllowed", "PrefConfirmChoiceAllowed",
                                     "PrefConfirmDelete",        "PrefConfirmEdit",
                                     "PrefFontChoiceAllowed",    "AddPassageAllowed",
                                     "EditPassageAllowed",       "PpcSyncInitialized"};
        QSettings raw = Raw();
        if (transFilter.isValid())
            raw.setValue(QStringLiteral("Params/TransFilter"), transFilter);
        if (flag.isValid()) {
            for (const char* name : flags)
                raw.setValue(QStringLiteral("Params/") + QLatin1String(name), flag);
            raw.setValue(QStringLiteral("Export/Params/PrefConfirmExportPpc"), flag);
        }
        raw.sync();

        CQtSettings settings(kOrganization, kApplication);
        CPreferences prefs;
        prefs.Read(settings);
        QCOMPARE(prefs.TransFilter, expectedFilter);
        const bool missing = !flag.isValid();
        // Missing flags take their defaults: the confirmations and permissions are on.
        QCOMPARE(prefs.PrefFlyoverChoiceAllowed, expectedFlag);
        QCOMPARE(prefs.PrefConfirmChoiceAllowed, expectedFlag);
        QCOMPARE(prefs.PrefConfirmDelete, missing || expectedFlag);
        QCOMPARE(prefs.PrefConfirmEdit, missing || expectedFlag);
        QCOMPARE(prefs.PrefConfirmExportPpc, missing || expectedFlag);
        QCOMPARE(prefs.PrefFontChoiceAllowed, expectedFlag);
        QCOMPARE(prefs.AddPassageAllowed, missing || expectedFlag);
        QCOMPARE(prefs.EditPassageAllowed, missing || expectedFlag);
        QCOMPARE(prefs.PpcSyncInitialized, expectedFlag);

        // The next save writes the values as read: flags as 0 or 1, the filter within range.
        prefs.Write(settings, {});
        settings.Sync();
        raw.sync();
        QCOMPARE(raw.value(QStringLiteral("Params/TransFilter")).toInt(), expectedFilter);
        QCOMPARE(raw.value(QStringLiteral("Params/PrefConfirmDelete")).toInt(),
                 missing || expectedFlag ? 1 : 0);
        QCOMPARE(raw.value(QStringLiteral("Export/Params/PrefConfirmExportPpc")).toInt(),
                 missing || expectedFlag ? 1 : 0);
    }
};

RECITOR_UI_TEST_MAIN(SettingsTest)
#include "test_settings.moc"
