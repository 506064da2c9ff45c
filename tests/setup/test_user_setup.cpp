// SPDX-License-Identifier: GPL-2.0-or-later
// Tests of the set-up step that prepares a user's working directory and settings. They work in
// temporary directories with their own settings files, never on the user's own.

#include "UserSetup.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The empty files as the program itself writes them, spelled out byte by byte.
const QByteArray kEmptyUser = "<?xml version=\"1.0\" standalone=\"no\" ?>\r\n"
                              "<passages count=\"000\" formatversion=\"20031126\">\r\n"
                              "</passages>";
const QByteArray kEmptyStats = kEmptyUser + "\r\n";

// The Preferences menu's choices that a fresh install allows.
const char* const kChoiceFlags[] = {"Params/PrefFlyoverChoiceAllowed",
                                    "Params/PrefConfirmChoiceAllowed",
                                    "Params/PrefFontChoiceAllowed"};

} // namespace

class TestUserSetup : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void freshUserGetsEverything();
    void existingFilesAreNeverReplaced();
    void emptyFilesWithoutShippedTemplates();
    void shippedTemplatesMatchTheProgramsEmptyFiles();
    void secondRunChangesNothing();
    void runCount_data();
    void runCount();
    void choiceFlags_data();
    void choiceFlags();
    void missingShippedDirIsReported();
    void blockedWorkingDirIsReported();
    void unwritableWorkingDirIsReported();
    void defaultWorkingDir();
    void programPreparesAndPrintsTheWorkingDir();
    void programFailsWithoutShippedFiles();

private:
    QString Shipped(const QString& name) const { return root_->filePath("shipped/" + name); }
    QString Work(const QString& name = {}) const {
        return root_->filePath(name.isEmpty() ? "home/work" : "home/work/" + name);
    }
    QString SettingsPath() const { return root_->filePath("config/Recitor.conf"); }
    void Ship(const QString& name, const QByteArray& bytes) { WriteAll(Shipped(name), bytes); }
    void ShipStandardFiles();
    bool RunSetup(CUserSetup& setup);

    std::unique_ptr<QTemporaryDir> root_;
};

void TestUserSetup::initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
}

void TestUserSetup::init() {
    root_ = std::make_unique<QTemporaryDir>();
    QVERIFY(root_->isValid());
    QVERIFY(QDir(root_->path()).mkpath("shipped"));
}

void TestUserSetup::cleanup() {
    // Undo a test's read-only directory so the temporary tree can be removed.
    QFile::setPermissions(Work(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    root_.reset();
}

void TestUserSetup::ShipStandardFiles() {
    Ship("RctInfo.xml", "bundled passages\r\n");
    Ship("RctStatsSpare.xml", kEmptyStats);
    Ship("RctUser.xml", kEmptyUser);
    Ship("Plain.bmp", QByteArray("BM\0\x01\x02\xff", 6));
}

bool TestUserSetup::RunSetup(CUserSetup& setup) {
    QSettings settings(SettingsPath(), QSettings::IniFormat);
    return setup.Run(settings);
}

void TestUserSetup::freshUserGetsEverything() {
    ShipStandardFiles();
    CUserSetup setup(root_->filePath("shipped"), Work());
    QVERIFY2(RunSetup(setup), qPrintable(setup.Errors().join('\n')));
    QVERIFY(setup.Errors().isEmpty());

    for (const char* name : {"RctInfo.xml", "RctStatsSpare.xml", "RctUser.xml", "Plain.bmp"})
        QCOMPARE(ReadAll(Work(name)), ReadAll(Shipped(name)));
    QCOMPARE(ReadAll(Work("RctStats.xml")), kEmptyStats);
    // Nothing else lands there: no temporary files left behind by the atomic writes.
    QCOMPARE(QDir(Work()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
             QStringList(
                 {"Plain.bmp", "RctInfo.xml", "RctStats.xml", "RctStatsSpare.xml", "RctUser.xml"}));

    QSettings settings(SettingsPath(), QSettings::IniFormat);
    QCOMPARE(settings.value("Params/RunCount").toInt(), 0);
    for (const char* flag : kChoiceFlags)
        QCOMPARE(settings.value(flag).toString(), QString("1"));
    QCOMPARE(settings.allKeys().size(), 4);
    // Each value written is told, by its name.
    const QString actions = setup.Actions().join('\n');
    for (const char* name : {"run count", "PrefFlyoverChoiceAllowed", "PrefConfirmChoiceAllowed",
                             "PrefFontChoiceAllowed"})
        QVERIFY2(actions.contains(name), qPrintable(actions));
}

void TestUserSetup::existingFilesAreNeverReplaced() {
    ShipStandardFiles();
    QVERIFY(QDir().mkpath(Work()));
    const QByteArray mine = "the user's own\r\n";
    for (const char* name : {"RctInfo.xml", "RctUser.xml", "RctStats.xml", "Plain.bmp"})
        WriteAll(Work(name), mine + name);
    // A name taken by a dangling link is left alone too.
    QVERIFY(QFile::link(root_->filePath("nowhere"), Work("RctStatsSpare.xml")));

    CUserSetup setup(root_->filePath("shipped"), Work());
    QVERIFY2(RunSetup(setup), qPrintable(setup.Errors().join('\n')));

    for (const char* name : {"RctInfo.xml", "RctUser.xml", "RctStats.xml", "Plain.bmp"})
        QCOMPARE(ReadAll(Work(name)), mine + name);
    QVERIFY(QFileInfo(Work("RctStatsSpare.xml")).isSymLink());
    QVERIFY(!QFile::exists(root_->filePath("nowhere")));
}

void TestUserSetup::emptyFilesWithoutShippedTemplates() {
    Ship("RctInfo.xml", "bundled passages\r\n");
    CUserSetup setup(root_->filePath("shipped"), Work());
    QVERIFY2(RunSetup(setup), qPrintable(setup.Errors().join('\n')));
    QCOMPARE(ReadAll(Work("RctUser.xml")), kEmptyUser);
    QCOMPARE(ReadAll(Work("RctStats.xml")), kEmptyStats);
    QVERIFY(!QFile::exists(Work("RctStatsSpare.xml")));
}

void TestUserSetup::shippedTemplatesMatchTheProgramsEmptyFiles() {
    const QString res = QStringLiteral(RECITOR_SOURCE_DIR "/res/");
    QCOMPARE(ReadAll(res + "RctUser.xml"), kEmptyUser);
    QCOMPARE(ReadAll(res + "RctStatsSpare.xml"), kEmptyStats);
    QCOMPARE(CUserSetup::EmptyUserFile(), kEmptyUser);
    QCOMPARE(CUserSetup::EmptyStatsFile(), kEmptyStats);
}

void TestUserSetup::secondRunChangesNothing() {
    ShipStandardFiles();
    CUserSetup setup(root_->filePath("shipped"), Work());
    QVERIFY(RunSetup(setup));
    QVERIFY(!setup.Actions().isEmpty());
    {
        QSettings settings(SettingsPath(), QSettings::IniFormat);
        settings.setValue("Params/RunCount", 3);
        settings.setValue("Params/PrefFontChoiceAllowed", 0);
    }
    const QByteArray settingsBefore = ReadAll(SettingsPath());
    QVERIFY(RunSetup(setup));
    QCOMPARE(setup.Actions(), QStringList());
    QCOMPARE(ReadAll(SettingsPath()), settingsBefore);
}

void TestUserSetup::runCount_data() {
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("expected");
    QTest::newRow("absent") << QVariant() << 0;
    QTest::newRow("zero kept") << QVariant(0) << 0;
    QTest::newRow("count kept") << QVariant(41) << 41;
    QTest::newRow("largest kept") << QVariant(2147483647) << 2147483647;
    // Values the program reads as negative would stop it for good; they start over at 0.
    QTest::newRow("negative") << QVariant(-1) << 0;
    QTest::newRow("wraps to negative") << QVariant(Q_INT64_C(4294967295)) << 0;
    QTest::newRow("not a number") << QVariant("many") << 0;
}

void TestUserSetup::runCount() {
    QFETCH(QVariant, stored);
    QFETCH(int, expected);
    ShipStandardFiles();
    {
        QSettings settings(SettingsPath(), QSettings::IniFormat);
        settings.setValue("Params/Other", "kept");
        if (stored.isValid())
            settings.setValue("Params/RunCount", stored);
    }
    CUserSetup setup(root_->filePath("shipped"), Work());
    QVERIFY2(RunSetup(setup), qPrintable(setup.Errors().join('\n')));
    QSettings settings(SettingsPath(), QSettings::IniFormat);
    QCOMPARE(settings.value("Params/RunCount").toLongLong(), qlonglong(expected));
    QCOMPARE(settings.value("Params/Other").toString(), QString("kept"));
}

void TestUserSetup::choiceFlags_data() {
    // Flyover, confirmations, font: each as stored beforehand (invalid when absent) and as
    // expected afterwards.
    QTest::addColumn<QVariantList>("stored");
    QTest::addColumn<QStringList>("expected");
    const QVariant absent;
    QTest::newRow("all absent") << QVariantList{absent, absent, absent}
                                << QStringList{"1", "1", "1"};
    QTest::newRow("one switched off")
        << QVariantList{0, absent, absent} << QStringList{"0", "1", "1"};
    QTest::newRow("0, 2 and 1 kept") << QVariantList{0, 2, 1} << QStringList{"0", "2", "1"};
    // Whatever is there is somebody's choice, even a value the program reads as "not allowed".
    QTest::newRow("odd values kept") << QVariantList{"no", "", -1} << QStringList{"no", "", "-1"};
}

void TestUserSetup::choiceFlags() {
    QFETCH(QVariantList, stored);
    QFETCH(QStringList, expected);
    ShipStandardFiles();
    bool allStored = true;
    {
        QSettings settings(SettingsPath(), QSettings::IniFormat);
        settings.setValue("Params/RunCount", 7);
        for (int i = 0; i < 3; ++i) {
            if (stored[i].isValid())
                settings.setValue(kChoiceFlags[i], stored[i]);
            else
                allStored = false;
        }
    }
    const QByteArray before = ReadAll(SettingsPath());
    CUserSetup setup(root_->filePath("shipped"), Work());
    QVERIFY2(RunSetup(setup), qPrintable(setup.Errors().join('\n')));
    QSettings settings(SettingsPath(), QSettings::IniFormat);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(settings.value(kChoiceFlags[i]).toString(), expected[i]);
    QCOMPARE(settings.value("Params/RunCount").toInt(), 7);
    // With everything in place the settings file is not even rewritten.
    if (allStored)
        QCOMPARE(ReadAll(SettingsPath()), before);
    QCOMPARE(setup.Actions().join('\n').contains("Allowed"), !allStored);
}

void TestUserSetup::missingShippedDirIsReported() {
    CUserSetup setup(root_->filePath("not-installed"), Work());
    QVERIFY(!RunSetup(setup));
    QCOMPARE(setup.Errors().size(), 1);
    QVERIFY2(setup.Errors().first().contains("not-installed"), qPrintable(setup.Errors().first()));
    // What can be done is still done.
    QCOMPARE(ReadAll(Work("RctUser.xml")), kEmptyUser);
    QCOMPARE(ReadAll(Work("RctStats.xml")), kEmptyStats);
    QSettings settings(SettingsPath(), QSettings::IniFormat);
    QCOMPARE(settings.value("Params/RunCount").toInt(), 0);
}

void TestUserSetup::blockedWorkingDirIsReported() {
    ShipStandardFiles();
    QVERIFY(QDir().mkpath(root_->filePath("home")));
    WriteAll(Work(), "a file where the directory belongs");
    CUserSetup setup(root_->filePath("shipped"), Work());
    QVERIFY(!RunSetup(setup));
    QCOMPARE(setup.Errors().size(), 1);
    QVERIFY2(setup.Errors().first().contains("home/work"), qPrintable(setup.Errors().first()));
    QCOMPARE(ReadAll(Work()), QByteArray("a file where the directory belongs"));
}

void TestUserSetup::unwritableWorkingDirIsReported() {
    if (geteuid() == 0)
        QSKIP("root writes into read-only directories");
    ShipStandardFiles();
    QVERIFY(QDir().mkpath(Work()));
    QVERIFY(QFile::setPermissions(Work(), QFile::ReadOwner | QFile::ExeOwner));
    CUserSetup setup(root_->filePath("shipped"), Work());
    QVERIFY(!RunSetup(setup));
    // Each of the five files is named in its own message.
    QCOMPARE(setup.Errors().size(), 5);
    QVERIFY(setup.Errors().join('\n').contains("RctStats.xml"));
}

void TestUserSetup::defaultWorkingDir() {
    const QString expected = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                             "/Quillmark/Recitor";
    QCOMPARE(CUserSetup::DefaultWorkingDir(), expected);
}

void TestUserSetup::programPreparesAndPrintsTheWorkingDir() {
    ShipStandardFiles();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", root_->filePath("config"));
    environment.insert("XDG_DATA_HOME", root_->filePath("home"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(RECITOR_SETUP_PATH, {"--print-working-dir", root_->filePath("shipped")});
    QVERIFY(process.waitForFinished(30000));
    const QByteArray errors = process.readAllStandardError();
    QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
             errors.constData());
    const QString workingDir = root_->filePath("home/Quillmark/Recitor");
    QCOMPARE(QString::fromLocal8Bit(process.readAllStandardOutput()), workingDir + "\n");
    QCOMPARE(errors, QByteArray());
    QCOMPARE(ReadAll(workingDir + "/RctInfo.xml"), QByteArray("bundled passages\r\n"));
    QCOMPARE(ReadAll(workingDir + "/RctStats.xml"), kEmptyStats);
    // The program's own settings store: $XDG_CONFIG_HOME/Quillmark/Recitor.conf.
    QSettings settings(root_->filePath("config/Quillmark/Recitor.conf"), QSettings::IniFormat);
    QCOMPARE(settings.value("Params/RunCount").toString(), QString("0"));
    for (const char* flag : kChoiceFlags)
        QCOMPARE(settings.value(flag).toString(), QString("1"));
}

void TestUserSetup::programFailsWithoutShippedFiles() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", root_->filePath("config"));
    environment.insert("XDG_DATA_HOME", root_->filePath("home"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(RECITOR_SETUP_PATH, {"--print-working-dir", root_->filePath("missing"), Work()});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 1);
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
    QVERIFY(process.readAllStandardError().contains("missing"));
}

QTEST_GUILESS_MAIN(TestUserSetup)
#include "test_user_setup.moc"
