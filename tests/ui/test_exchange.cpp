// SPDX-License-Identifier: GPL-2.0-or-later
// Export Flashcards and Import Passages through their real windows: the File menu's commands and
// keys, the export window's choices, its note on the Mnemosyne tag and the file it writes, the
// import's preview of what will and will not be added, Cancel changing nothing, and Add bringing
// the passages into the tree and the counts.

#include "DisplayLines.h"
#include "EditBoxLineCounter.h"
#include "FileDialogService.h"
#include "FlashcardExportDlg.h"
#include "ImportPreviewDlg.h"
#include "PassageCheck.h"
#include "PassageImport.h"
#include "RefTables.h"
#include "TopicChoiceDlg.h"
#include "WindowTest.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>
#include <QTreeView>

#include <functional>

namespace {

// Answers the file dialogs with a path of the test's own, or cancels with an empty one.
class CScriptedFileDialogs : public IFileDialogService {
public:
    CScriptedFileDialogs() { SetFileDialogs(this); }
    ~CScriptedFileDialogs() override { SetFileDialogs(nullptr); }
    CScriptedFileDialogs(const CScriptedFileDialogs&) = delete;
    CScriptedFileDialogs& operator=(const CScriptedFileDialogs&) = delete;

    QString SaveFileName(QWidget*, const QString&, const QString& suggestedName,
                         const QString&) override {
        suggested = suggestedName;
        ++asked;
        return path;
    }
    QString OpenFileName(QWidget*, const QString&, const QString&) override {
        ++asked;
        return path;
    }
    QString path;
    QString suggested;
    int asked = 0;
};

template <typename T> T* Control(const QWidget& dialog, const QString& name) {
    auto* control = dialog.findChild<T*>(name);
    if (!control)
        qFatal("no control %s", qPrintable(name));
    return control;
}
using ExportDlg = CFlashcardExportDlg;
using PreviewDlg = CImportPreviewDlg;

} // namespace

class ExchangeTest : public CWindowTest {
    Q_OBJECT
    // The keys reach the window's commands once it is the active window.
    void Activate() {
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }

private slots:
    void init() {
        Sample::WriteFiles(dir_.path());
        Open();
        prefs_.TransFilter = kTransAll;
        window_->RebuildTree();
    }
    void cleanup() {
        boxes_.shown.clear();
        window_.reset();
        store_.reset();
    }

    void commandsSitBesideTheHandheldExportWithTheirKeys() {
        QAction* exportCards = Action(Id::kExportFlashcards);
        QAction* import = Action(Id::kImportPassages);
        QCOMPARE(exportCards->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
        QCOMPARE(import->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I));
        const QList<QAction*> file =
            Action(Id::kAddPassage)->associatedObjects().isEmpty()
                ? QList<QAction*>()
                : qobject_cast<QMenu*>(Action(Id::kAddPassage)->associatedObjects().constFirst())
                      ->actions();
        const qsizetype pocket = file.indexOf(Action(Id::kExportPocketPc));
        QVERIFY(pocket >= 0);
        QCOMPARE(file.value(pocket + 1), exportCards);
        QCOMPARE(file.value(pocket + 2), import);
        // No other command of the window has these keys.
        for (QAction* action : window_->findChildren<QAction*>())
            if (action != exportCards && action != import)
                for (const QKeySequence& key : {exportCards->shortcut(), import->shortcut()})
                    QVERIFY(action->shortcut() != key);
    }

    void exportWindowCountsTheChoiceAndWritesTheFile() {
        CScriptedFileDialogs files;
        files.path = dir_.filePath(QStringLiteral("cards.txt"));
        Activate();
        bool checked = false;
        OnNextModal([&](QDialog* dialog) {
            auto* exportDlg = qobject_cast<ExportDlg*>(dialog);
            QVERIFY(exportDlg);
            auto* note = Control<QLabel>(*dialog, ExportDlg::kNote);
            // Every passage the list shows: all but the context record.
            QVERIFY2(note->text().startsWith(QStringLiteral("19 passages.")),
                     qPrintable(note->text()));
            // The active ones: four of the sample.
            Control<QRadioButton>(*dialog, QStringLiteral("34012-1"))->click();
            QVERIFY(note->text().startsWith(QStringLiteral("4 passages.")));
            // A class by its list: choosing in it chooses the class.
            Control<QComboBox>(*dialog, ExportDlg::kClassList)->setCurrentIndex(1);
            QCOMPARE(exportDlg->Choice().kind, PassageChoice::Kind::FrequencyClass);
            QVERIFY(note->text().startsWith(QStringLiteral("1 passage.")));
            // Mnemosyne: the note names the tag to give at import.
            Control<QRadioButton>(*dialog, QStringLiteral("34015-1"))->click();
            QVERIFY2(note->text().contains(QStringLiteral("the tag Recitor::Less_Frequent")),
                     qPrintable(note->text()));
            // A topic through the topic list.
            OnNextModal([](QDialog* topics) {
                QVERIFY(qobject_cast<CTopicChoiceDlg*>(topics));
                topics->findChild<QRadioButton*>(QStringLiteral("2018"))->click(); // Love
            });
            Control<QPushButton>(*dialog, ExportDlg::kTopicButton)->click();
            QCOMPARE(exportDlg->Choice().kind, PassageChoice::Kind::Topic);
            QCOMPARE(exportDlg->Choice().value, 18);
            QCOMPARE(Control<QPushButton>(*dialog, ExportDlg::kTopicButton)->text(),
                     QStringLiteral("Love..."));
            Control<QRadioButton>(*dialog, QStringLiteral("34012-1"))->click();
            Control<QPushButton>(*dialog, ExportDlg::kExportButton)->click();
            checked = true;
        });
        QTest::keyClick(Tree(), Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(checked);
        QCOMPARE(files.suggested, QStringLiteral("Recitor-Mnemosyne.txt"));
        const QByteArray written = ReadFile(files.path);
        QCOMPARE(written.count('\n'), 4);
        QVERIFY(!written.contains("&#"));
        QCOMPARE(boxes_.shown.size(), 1);
        QVERIFY(boxes_.shown[0].text.startsWith(QStringLiteral("4 passages saved for Mnemosyne")));
    }

    // The Anki cards' sides: offered as chosen last, written into the file, kept when changed.
    void exportWindowPutsTheChosenSidesOnTheCards() {
        CScriptedFileDialogs files;
        files.path = dir_.filePath(QStringLiteral("cards.txt"));
        prefs_.FlashcardContextOnBack = true;
        bool checked = false;
        OnNextModal([&](QDialog* dialog) {
            auto* hint = Control<QCheckBox>(*dialog, ExportDlg::kHintOnFront);
            auto* context = Control<QCheckBox>(*dialog, ExportDlg::kContextOnBack);
            QVERIFY(!hint->isChecked());
            QVERIFY(context->isChecked());
            hint->click();
            context->click();
            // Mnemosyne's cards have no such sides.
            Control<QRadioButton>(*dialog, QStringLiteral("34015-1"))->click();
            QVERIFY(!hint->isEnabled());
            Control<QRadioButton>(*dialog, QStringLiteral("34015-0"))->click();
            QVERIFY(hint->isEnabled());
            Control<QRadioButton>(*dialog, QStringLiteral("34012-1"))->click();
            Control<QPushButton>(*dialog, ExportDlg::kExportButton)->click();
            checked = true;
        });
        Action(Id::kExportFlashcards)->trigger();
        QVERIFY(checked);
        QVERIFY(prefs_.FlashcardHintOnFront);
        QVERIFY(!prefs_.FlashcardContextOnBack);
        const QList<QByteArray> lines = ReadFile(files.path).split('\n');
        QCOMPARE(lines.value(2), QByteArray("#columns:Front\tBack\tReference\tHint\tPassage\t"
                                            "Context\tTags"));
        const QList<QByteArray> note = lines.value(4).split('\t');
        QCOMPARE(note.size(), 7);
        QCOMPARE(note[0], note[2] + "<br>" + note[3]); // the hint beneath the reference
        QCOMPARE(note[1], note[4]);                    // the passage alone
    }

    void exportThatCannotWriteSaysSoAndStaysOpen() {
        CScriptedFileDialogs files;
        files.path = dir_.filePath(QStringLiteral("no-such-folder/cards.txt"));
        bool open = false;
        OnNextModal([&](QDialog* dialog) {
            Control<QPushButton>(*dialog, ExportDlg::kExportButton)->click();
            open = dialog->isVisible();
            dialog->reject();
        });
        Action(Id::kExportFlashcards)->trigger();
        QVERIFY(open);
        QCOMPARE(boxes_.shown.size(), 1);
        QCOMPARE(boxes_.shown[0].icon, MsgIcon::Warning);
        QVERIFY(boxes_.shown[0].text.contains(QStringLiteral("No such file or directory")));
    }

    // The flashcards never replace one of the program's own files.
    void exportRefusesTheProgramsOwnFiles() {
        CScriptedFileDialogs files;
        const QString working = QDir::currentPath();
        QDir::setCurrent(dir_.path());
        files.path = dir_.filePath(QStringLiteral("RctUser.xml"));
        const auto before = Snapshot(dir_.path());
        bool open = false;
        OnNextModal([&](QDialog* dialog) {
            Control<QPushButton>(*dialog, ExportDlg::kExportButton)->click();
            open = dialog->isVisible();
            dialog->reject();
        });
        Action(Id::kExportFlashcards)->trigger();
        QVERIFY(open);
        QCOMPARE(boxes_.shown.size(), 1);
        QVERIFY(boxes_.shown[0].text.contains(QStringLiteral("one of Recitor's own files")));
        QCOMPARE(Snapshot(dir_.path()), before);
        QDir::setCurrent(working);
    }

    void importPreviewListsBothAndCancelChangesNothing() {
        CScriptedFileDialogs files;
        files.path = dir_.filePath(QStringLiteral("new.txt"));
        WriteFile(files.path, "reference,translation,passage,topics\r\n"
                              "Jhon 1:1,KJV,word,\r\n"
                              "John 3:16,NIV,again,\r\n"
                              "Ps 23:1,KJV,The LORD is my shepherd,Faith\r\n");
        const auto before = Snapshot(dir_.path());
        Activate();
        bool previewed = false;
        OnNextModal([&](QDialog* dialog) {
            QVERIFY(qobject_cast<PreviewDlg*>(dialog));
            auto* added = Control<QTreeView>(*dialog, PreviewDlg::kAddedList);
            auto* refused = Control<QTreeView>(*dialog, PreviewDlg::kRefusedList);
            QAbstractItemModelTester addedTester(added->model());
            QAbstractItemModelTester refusedTester(refused->model());
            QCOMPARE(added->model()->rowCount(), 1);
            QCOMPARE(added->model()->index(0, 1).data().toString(),
                     QStringLiteral("Psalm 23:1 KJV"));
            QCOMPARE(refused->model()->rowCount(), 2);
            QCOMPARE(refused->model()->index(0, 0).data().toString(), QStringLiteral("2"));
            QCOMPARE(refused->model()->index(0, 1).data().toString(),
                     QStringLiteral("Unknown book \"Jhon\""));
            QCOMPARE(refused->model()->index(1, 1).data().toString(),
                     QStringLiteral("Duplicate: the collection already holds John 3:16 NIV"));
            auto* summary = Control<QLabel>(*dialog, PreviewDlg::kSummary);
            QVERIFY2(summary->text().contains(QStringLiteral("1 passage will be added; 2 lines "
                                                             "will not")),
                     qPrintable(summary->text()));
            QCOMPARE(Control<QPushButton>(*dialog, PreviewDlg::kAddButton)->text(),
                     QStringLiteral("&Add 1 Passage"));
            previewed = true;
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QTest::keyClick(Tree(), Qt::Key_I, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(previewed);
        QCOMPARE(store_->PassageCount(), Sample::kPassages);
        QVERIFY(!store_->UserFileChanged());
        QVERIFY(boxes_.shown.isEmpty());
        QCOMPARE(Snapshot(dir_.path()), before);
    }

    // Lines without a translation take the one chosen in the preview: at first the filter's,
    // then the one last chosen, which the window hands on to be written to the settings.
    void importPreviewTakesATranslationForLinesWithoutOne() {
        CScriptedFileDialogs files;
        files.path = dir_.filePath(QStringLiteral("new.txt"));
        WriteFile(files.path, "Reference\tPassage\tNotes\r\n"
                              "Ps 23:1\tThe LORD is my shepherd\tfavourite\r\n"
                              "Rev 22:21 ASV\tThe grace of our Lord\t\r\n");
        const int niv = TransFromAbbrev("NIV");
        const int kjv = TransFromAbbrev("KJV");
        prefs_.TransFilter = niv;
        QSignalSpy chosen(window_.get(), &CMainDlg::importTranslationChosen);
        bool previewed = false;
        OnNextModal([&](QDialog* dialog) {
            auto* trans = Control<QComboBox>(*dialog, PreviewDlg::kTransChoice);
            auto* added = Control<QTreeView>(*dialog, PreviewDlg::kAddedList);
            QAbstractItemModelTester tester(added->model());
            QCOMPARE(trans->currentData().toInt(), niv);
            QCOMPARE(added->model()->rowCount(), 2);
            QCOMPARE(added->model()->index(0, 1).data().toString(),
                     QStringLiteral("Psalm 23:1 NIV"));
            QCOMPARE(Control<QLabel>(*dialog, PreviewDlg::kIgnoredColumns)->text(),
                     QStringLiteral("Columns not read: Notes"));
            trans->setCurrentIndex(trans->findData(kjv));
            QCOMPARE(added->model()->index(0, 1).data().toString(),
                     QStringLiteral("Psalm 23:1 KJV"));
            QCOMPARE(added->model()->index(1, 1).data().toString(),
                     QStringLiteral("Revelation 22:21 ASV"));
            previewed = true;
            Control<QPushButton>(*dialog, PreviewDlg::kAddButton)->click();
        });
        Action(Id::kImportPassages)->trigger();
        QVERIFY(previewed);
        bool psalm = false;
        for (int i = 0; i < store_->PassageCount(); ++i)
            psalm = psalm || (store_->Passage(i).PassageReference() == "Psalm 23:1" &&
                              store_->Passage(i).trans == kjv);
        QVERIFY(psalm);
        QCOMPARE(prefs_.ImportTrans, kjv);
        QCOMPARE(chosen.count(), 1);
        // The next import offers the translation chosen last.
        WriteFile(files.path, "Reference\tPassage\r\nPs 23:2\tHe maketh me to lie down\r\n");
        OnNextModal([&](QDialog* dialog) {
            QCOMPARE(Control<QComboBox>(*dialog, PreviewDlg::kTransChoice)->currentData().toInt(),
                     kjv);
            QVERIFY(Control<QLabel>(*dialog, PreviewDlg::kIgnoredColumns)->isHidden());
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        Action(Id::kImportPassages)->trigger();
        QCOMPARE(chosen.count(), 1);
    }

    void importAddsThePassagesToTheTreeAndTheCounts() {
        CScriptedFileDialogs files;
        files.path = dir_.filePath(QStringLiteral("new.txt"));
        WriteFile(files.path, "reference\ttranslation\tpassage\r\n"
                              "Ps 23:1\tKJV\tThe LORD is my shepherd\r\n"
                              "Rev 22:21\tKJV\tThe grace of our Lord\r\n");
        const int userBefore = store_->UserCount();
        const int shown = window_->CurrentPassageIndex();
        const std::uint32_t shownKey = store_->Passage(shown).MatchKey();
        OnNextModal([](QDialog* dialog) {
            Control<QPushButton>(*dialog, PreviewDlg::kAddButton)->click();
        });
        Action(Id::kImportPassages)->trigger();
        QCOMPARE(store_->PassageCount(), Sample::kPassages + 2);
        QCOMPARE(store_->UserCount(), userBefore + 2);
        QVERIFY(store_->UserFileChanged());
        QCOMPARE(boxes_.shown.size(), 1);
        QVERIFY(boxes_.shown[0].text.startsWith(QStringLiteral("2 passages added")));
        // The tree lists them under Not Started/Inactive, and the shown passage stays.
        QCOMPARE(Model()->PositionCount(), Sample::kPassages - 1 + 2);
        QCOMPARE(store_->Passage(window_->CurrentPassageIndex()).MatchKey(), shownKey);
        const int revelation = store_->Find(CPassage("770220213\"").MatchKey());
        QVERIFY(revelation >= 0);
        QVERIFY(Model()->PositionOf(revelation) >= 0);
    }

    void importIsOffWhereAddingIsNotAllowed() {
        prefs_.AddPassageAllowed = 0;
        window_ = std::make_unique<CMainDlg>(*store_, prefs_);
        QVERIFY(!Action(Id::kImportPassages)->isEnabled());
        QVERIFY(Action(Id::kExportFlashcards)->isEnabled());
    }

    // The import's measure, which keeps each paragraph's count, counts as the Edit Passage
    // dialog's: also for a paragraph met again, at another size, or first met inside a longer
    // text.
    void rememberingMeasureCountsAsTheDialogs() {
        const QString verse = QStringLiteral(
            "16 For God so loved the world, that he gave his only begotten Son, that whosoever "
            "believeth in him should not perish, but have everlasting life.");
        const QStringList texts = {
            verse,
            QStringLiteral("15 That whosoever believeth\r\n") + verse +
                QStringLiteral("\r\n\r\n17 x"),
            verse + QStringLiteral("\n") + verse,
            QString(400, QLatin1Char('w')),
            QStringLiteral("short"),
            verse,
        };
        for (const int points :
             {CPassageCheck::kContextMeasurePoints, CPassageCheck::kPassageMeasurePoints}) {
            const CDisplayLineMeasure remembering(points, CPassageCheck::kBoxWidth, true);
            for (int round = 0; round < 2; ++round)
                for (const QString& text : texts)
                    QCOMPARE(remembering.Count(text),
                             CountDisplayLines(text, points, CPassageCheck::kBoxWidth));
        }
        QVERIFY(CountDisplayLines(texts[2], CPassageCheck::kPassageMeasurePoints,
                                  CPassageCheck::kBoxWidth) >= 4);
    }

    void cancelledFileChoiceDoesNothing() {
        CScriptedFileDialogs files; // answers with an empty path
        Action(Id::kImportPassages)->trigger();
        QCOMPARE(files.asked, 1);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(boxes_.shown.isEmpty());
    }
};

RECITOR_UI_TEST_MAIN(ExchangeTest)
#include "test_exchange.moc"
