// SPDX-License-Identifier: GPL-2.0-or-later
// The "Export Pocket PC" command in every branch: when it is available, the first-use
// instructions and the flag they set (kept across a save and a new start), the export file
// written only when it is out of date (and the command going on when it cannot be written), the
// connection reminder, and the exporter started only after OK there.

#include "Preferences.h"
#include "RecordingShell.h"
#include "WindowTest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kInstructionsStart = QStringLiteral(
    "Prior to using 'Export Pocket PC' function:\n* Install RecitorPpcSetup On Pocket-PC by "
    "selecting:\n   Start + Program + Recitor Folder + Install Pocket-PC\n\n");
const QString kInstructionsEnd =
    QStringLiteral("* Up to 16 passages from 'Most Frequent/Daily',\n  'Less Frequent/Weekly' and "
                   "'Least Frequent/Monthly'\n  will be synched with Pocket PC");
const QString kReminder = QStringLiteral(
    "Make sure Pocket PC is connected, and ActiveSync\nis 'alive' and working. 'Exit' from "
    "Recitor-PPC.\n\nNote: Recitor on PPC-2002 must be closed with 'Exit'\non lower menu bar, "
    "rather than 'Smart-Minimize X' \nin upper right. Otherwise, changes won't be 'seen'\nuntil "
    "actual 'Exit' done from Recitor-PPC. \n\nThen click 'OK'.\n\n(Recitor 'hangs' until Pocket "
    "PC connected, but\nwill 'recover' and sync if Pocket PC connected belatedly)");

} // namespace

class ExportTest : public CWindowTest {
    Q_OBJECT

private slots:
    void init() {
        QFile::remove(ExportFile());
        QDir(ExportFile()).removeRecursively();
        Sample::WriteFiles(dir_.path());
    }
    void cleanup() {
        window_.reset();
        boxes_.shown.clear();
        boxes_.answers.clear();
        boxes_.owners.clear();
    }

    void availableWithTheLibraryAndTheExporter() {
        for (const bool library : {false, true})
            for (const bool exporter : {false, true}) {
                CRecordingShell shell;
                shell.libraryLoads = library;
                shell.fileOpens = exporter;
                Open();
                QCOMPARE(Action(Id::kExportPocketPc)->isEnabled(), library && exporter);
                // The library is looked for only where the exporter is.
                QCOMPARE(shell.files, QStringList{ExporterPath()});
                if (exporter)
                    QCOMPARE(shell.libraries, QStringList{QStringLiteral("rapi")});
                else
                    QVERIFY(shell.libraries.isEmpty());
            }
    }

    void firstUseInstructsThenRemindsAndStartsTheExporter() {
        CRecordingShell shell;
        Open();
        QVERIFY(!prefs_.PpcSyncInitialized);
        boxes_.answers = {MsgAnswer::Ok, MsgAnswer::Ok};
        Action(Id::kExportPocketPc)->trigger();
        QCOMPARE(boxes_.shown.size(), 2);
        for (const ShownBox& box : boxes_.shown) {
            QCOMPARE(box.caption, QStringLiteral("Recitor"));
            QCOMPARE(box.buttons, MsgButtons::OkCancel);
        }
        QCOMPARE(boxes_.owners[0], window_.get());
        QVERIFY(boxes_.shown[0].text.startsWith(kInstructionsStart));
        QVERIFY(boxes_.shown[0].text.endsWith(kInstructionsEnd));
        QVERIFY(boxes_.shown[0].text.contains(
            QStringLiteral("  (Recitor 'hangs' if Pocket PC not connected, but will \n")));
        QCOMPARE(boxes_.shown[1].text, kReminder);
        QVERIFY(prefs_.PpcSyncInitialized);
        // Started as a program, not handed to the desktop's "open" action.
        QCOMPARE(shell.started, QStringList{ExporterPath()});
        QVERIFY(shell.opened.isEmpty());

        // The flag is kept with the settings: the next run goes straight to the reminder.
        prefs_.Write(settings_, {});
        CPreferences next;
        next.Read(settings_);
        QVERIFY(next.PpcSyncInitialized);
        boxes_.shown.clear();
        shell.started.clear();
        boxes_.answers = {MsgAnswer::Ok};
        RunWith(next);
        QCOMPARE(boxes_.shown.size(), 1);
        QCOMPARE(boxes_.shown[0].text, kReminder);
        QCOMPARE(shell.started.size(), 1);
    }

    void cancelOnTheInstructionsEndsTheCommand() {
        CRecordingShell shell;
        Open();
        store_->SetFrequency(Sample::kGenesisFirst, 0);
        QVERIFY(store_->ExportDue());
        boxes_.answers = {MsgAnswer::Cancel};
        Action(Id::kExportPocketPc)->trigger();
        QCOMPARE(boxes_.shown.size(), 1);
        QVERIFY(!prefs_.PpcSyncInitialized);
        QVERIFY(!QFile::exists(ExportFile()));
        QVERIFY(store_->ExportDue());
        QVERIFY(shell.started.isEmpty());
        prefs_.Write(settings_, {});
        CPreferences next;
        next.Read(settings_);
        QVERIFY(!next.PpcSyncInitialized); // the instructions come again next time
    }

    void anOutOfDateExportIsWrittenEvenWhenTheReminderIsCancelled() {
        CRecordingShell shell;
        Open();
        prefs_.PpcSyncInitialized = true;
        store_->SetFrequency(Sample::kGenesisFirst, 0);
        boxes_.answers = {MsgAnswer::Cancel};
        Action(Id::kExportPocketPc)->trigger();
        QCOMPARE(boxes_.shown.size(), 1);
        QCOMPARE(boxes_.shown[0].text, kReminder);
        QVERIFY(QFile::exists(ExportFile()));
        QVERIFY(!store_->ExportDue());
        QVERIFY(ReadFile(ExportFile()).contains("1 Verse text")); // Genesis 1:1, now active
        QVERIFY(shell.started.isEmpty());
    }

    void anUpToDateExportIsNotWrittenAgain() {
        CRecordingShell shell;
        Open();
        prefs_.PpcSyncInitialized = true;
        QVERIFY(!store_->ExportDue());
        boxes_.answers = {MsgAnswer::Ok};
        Action(Id::kExportPocketPc)->trigger();
        QVERIFY(!QFile::exists(ExportFile()));
        QCOMPARE(shell.started.size(), 1);
    }

    void anExportThatCannotBeWrittenIsReportedAndTheCommandGoesOn() {
        CRecordingShell shell;
        Open();
        prefs_.PpcSyncInitialized = true;
        store_->SetFrequency(Sample::kGenesisFirst, 0);
        QVERIFY(QDir(dir_.path()).mkdir(QStringLiteral("PpcXport.txt")));
        boxes_.answers = {MsgAnswer::Ok, MsgAnswer::Ok};
        Action(Id::kExportPocketPc)->trigger();
        QCOMPARE(boxes_.shown.size(), 2);
        QCOMPARE(boxes_.shown[0].caption,
                 QStringLiteral("Recitor Cannot write SpecialHandling file"));
        QCOMPARE(boxes_.shown[1].text, kReminder);
        QVERIFY(store_->ExportDue()); // still to be written
        QCOMPARE(shell.started.size(), 1);
        // A failed start names the exporter and the reason.
        shell.starts = false;
        boxes_.shown.clear();
        boxes_.answers = {MsgAnswer::Ok, MsgAnswer::Ok};
        QVERIFY(QDir(ExportFile()).removeRecursively());
        Action(Id::kExportPocketPc)->trigger();
        QCOMPARE(boxes_.shown.size(), 2);
        QCOMPARE(boxes_.shown[1].text,
                 QStringLiteral("Export.exe could not be started:\n%1\n(Permission denied)")
                     .arg(QDir::toNativeSeparators(ExporterPath())));
        QCOMPARE(boxes_.shown[1].icon, MsgIcon::Warning);
        QVERIFY(!store_->ExportDue());
    }

private:
    QString ExportFile() const { return dir_.filePath(QStringLiteral("PpcXport.txt")); }
    static QString ExporterPath() { return QDir::current().filePath(QStringLiteral("Export.exe")); }
    // The command in a window over the same store with other preferences, as in a later run.
    void RunWith(CPreferences& prefs) {
        window_ = std::make_unique<CMainDlg>(*store_, prefs, 0);
        Action(Id::kExportPocketPc)->trigger();
    }
};

RECITOR_UI_TEST_MAIN(ExportTest)
#include "test_export.moc"
