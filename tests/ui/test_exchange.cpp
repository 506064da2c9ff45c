// Export Flashcards through its real window: the File menu's command and key, the window's
// choices, its note on the Mnemosyne tag, the file it writes and a file it cannot write.

#include "FileDialogService.h"
#include "FlashcardExportDlg.h"
#include "TopicChoiceDlg.h"
#include "WindowTest.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
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

// Runs action on the active modal dialog as soon as the event loop of the next modal run starts.
void OnNextModal(const std::function<void(QDialog*)>& action) {
    QTimer::singleShot(0, [action] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        action(dialog);
    });
}

template <typename T> T* Control(const QWidget& dialog, const QString& name) {
    auto* control = dialog.findChild<T*>(name);
    if (!control)
        qFatal("no control %s", qPrintable(name));
    return control;
}
template <typename T> T* Control(const QWidget& dialog, int id) {
    return Control<T>(dialog, QString::number(id));
}

using ExportDlg = CFlashcardExportDlg;

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

    void commandSitsBesideTheHandheldExportWithItsKey() {
        QAction* exportCards = Action(Id::kExportFlashcards);
        QCOMPARE(exportCards->text(), QStringLiteral("Export Flashcards..."));
        QCOMPARE(exportCards->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
        const QList<QAction*> file =
            Action(Id::kAddPassage)->associatedObjects().isEmpty()
                ? QList<QAction*>()
                : qobject_cast<QMenu*>(Action(Id::kAddPassage)->associatedObjects().constFirst())
                      ->actions();
        const qsizetype pocket = file.indexOf(Action(Id::kExportPocketPc));
        QVERIFY(pocket >= 0);
        QCOMPARE(file.value(pocket + 1), exportCards);
        // No other command of the window has this key.
        for (QAction* action : window_->findChildren<QAction*>())
            if (action != exportCards)
                QVERIFY(action->shortcut() != exportCards->shortcut());
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
};

RECITOR_UI_TEST_MAIN(ExchangeTest)
#include "test_exchange.moc"
