// SPDX-License-Identifier: GPL-2.0-or-later
// The main window over the sample collection: its controls and menus found by id, the title
// line, the four visibility levels and their font sizes, the two front states, navigation, the
// View categories, the frequency and progress radios, and the passage tree with its filter.

#include "CommandIds.h"
#include "MainDlg.h"
#include "PassageStore.h"
#include "UiSupport.h"
#include "WindowTest.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTreeView>

#include <memory>

// The captions of the radios and their frames, and of the commands whose menus are checked by id.
constexpr FixedText kMainWindowTexts[] = {
    {33014, "text", "Most Frequent/Daily"},
    {33015, "text", "Less Frequent"},
    {33016, "text", "Least Frequent"},
    {33017, "text", "Not Started/Inactive"},
    {33004, "text", "Not Started"},
    {33005, "text", "Just Started"},
    {33006, "text", "Fair"},
    {33007, "text", "Good"},
    {33008, "text", "Mastered"},
    {33009, "text", "Blank"},
    {33010, "text", "Hint"},
    {33011, "text", "Passage"},
    {33012, "text", "Context"},
    {1002, "title", "How Often To Recite"},
    {1008, "title", "Progress"},
    {1004, "title", "Visibility"},
    {32779, "text", "Not Started/Inactive"},
    {33025, "text", "Enable"},
    {33124, "text", "World Map"},
    {33491, "text", "Export Ppc"},
    {16, "text", "About Recitor 3.6d"},
    {33145, "text", "AMP (1987 Amplified Bible-500 verses max)"},
    {33168, "text", "All (no 'filtering' .. includes KJV,NASB,NIV,etc)"},
    {34000, "text", "Check Recitation..."},
    {33031, "whatsThis", "Prints the passage shown as a pocket card."}};

class MainWindowTest : public CWindowTest {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        Sample::WriteFiles(dir_.path());
    }

    void cleanup() { CloseAll(); }

    void controlsById() {
        Open();
        QCOMPARE(TextsNotShown(*window_, kMainWindowTexts), QString());
        QVERIFY(Tree());
        QVERIFY(TextBox()->isReadOnly());
        // John 3:16 NIV at position 0: class 0, Fair, shown at the Passage level.
        QVERIFY(Radio(33014)->isChecked());
        QVERIFY(Radio(33006)->isChecked());
        QVERIFY(Radio(33011)->isChecked());
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kJohn16Niv);
    }

    void titleLine() {
        Open();
        QCOMPARE(window_->windowTitle(),
                 QStringLiteral("Recitor  Score: 13  John 3:16  <Topics: Assurance -- Faith> NIV"));
        Action(Id::kNext)->trigger(); // a user passage: square brackets
        QCOMPARE(window_->windowTitle(),
                 QStringLiteral("Recitor  Score: 13  Philip 4:13  "
                                "[Topics: Forgiveness -- Forgiveness] NIV"));
        CPassage& shown = Shape(Sample::kPhil413);
        shown.primaryTopic = 0;
        shown.secondaryTopic = 0;
        window_->RefreshTitle();
        QCOMPARE(window_->windowTitle(),
                 QStringLiteral("Recitor  Score: 13  Philip 4:13  [Topics: n/a -- n/a] NIV"));
    }

    void visibilityLevels() {
        Open();
        QCOMPARE(TextBox()->toPlainText(), QLatin1String(Sample::kJohnPassage));
        Radio(33009)->click();
        QCOMPARE(TextBox()->toPlainText(), QString());
        Radio(33010)->click();
        QCOMPARE(TextBox()->toPlainText(), QLatin1String(Sample::kJohnHint));
        QCOMPARE(TextBox()->font().pointSizeF(), 18.0);
        Radio(33012)->click();
        QCOMPARE(TextBox()->toPlainText(),
                 QString::fromLatin1(Sample::kJohnContext)
                     .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        // The level stays as the user moves on.
        Action(Id::kNext)->trigger();
        QCOMPARE(window_->VisibilityMode(), int(CMainDlg::kContext));
        QCOMPARE(TextBox()->toPlainText(), QStringLiteral("13 I can do all this"));
    }

    void fontSize_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("fontChoice");
        QTest::addColumn<int>("lines");
        QTest::addColumn<double>("points");
        QTest::newRow("blank, fixed large") << 0 << 3 << 1 << 18.0;
        QTest::newRow("hint, fixed small") << 1 << 1 << 20 << 18.0;
        QTest::newRow("auto 12 lines") << 2 << 0 << 12 << 14.0;
        QTest::newRow("auto 13 lines") << 2 << 0 << 13 << 12.0;
        QTest::newRow("auto 15 lines") << 2 << 0 << 15 << 12.0;
        QTest::newRow("auto 16 lines") << 2 << 0 << 16 << 10.0;
        QTest::newRow("context auto 16 lines") << 3 << 0 << 16 << 10.0;
        QTest::newRow("fixed small") << 2 << 1 << 1 << 10.0;
        QTest::newRow("fixed medium") << 3 << 2 << 20 << 12.0;
        QTest::newRow("fixed large") << 2 << 3 << 20 << 14.0;
        QTest::newRow("choice 4 as auto") << 2 << 4 << 16 << 10.0;
        QTest::newRow("choice -1 as auto") << 2 << -1 << 13 << 12.0;
        QTest::newRow("huge choice as auto") << 3 << INT32_MAX << 12 << 14.0;
    }

    void fontSize() {
        QFETCH(int, mode);
        QFETCH(int, fontChoice);
        QFETCH(int, lines);
        QFETCH(double, points);
        Open();
        CPassage& shown = Shape(Sample::kJohn16Niv);
        shown.psgLines = lines;
        shown.ctxLines = lines;
        prefs_.PrefFontChoice = fontChoice;
        Radio(33009 + mode)->click();
        QCOMPARE(TextBox()->font().pointSizeF(), points);
    }

    // The context shows the passage selected together with the one character after it. The
    // passage begins on the second line: each CR LF before it is one position in the text box.
    void contextSelection() {
        Open();
        Radio(33012)->click();
        QCOMPARE(TextBox()->textCursor().selectedText(),
                 QLatin1String(Sample::kJohnPassage) + QLatin1Char(' '));
        QCOMPARE(window_->focusWidget(), static_cast<QWidget*>(TextBox()));
        QVERIFY(!window_->TreeInFront());

        // A passage that ends its line: the character after it is half of the line break, which
        // the text box holds as one; the selection stops at the end of the line.
        CPassage& shown = Shape(Sample::kJohn16Niv);
        shown.psgEnd = static_cast<int>(shown.context.find("\r\n17"));
        window_->RefreshDisplay();
        QCOMPARE(TextBox()->textCursor().selectedText(),
                 QStringLiteral("For God so loved the world that he gave"));

        // A hand-edited end as large as the file holds wraps in 32 bits, before the context.
        shown.psgEnd = 2147483647;
        window_->RefreshDisplay();
        QCOMPARE(TextBox()->textCursor().position(), 0);
    }

    void frontStates() {
        Open();
        QVERIFY(!window_->TreeInFront()); // after start-up
        const QObjectList& stack = window_->Client()->children();
        QVERIFY(stack.indexOf(TextBox()) > stack.indexOf(Tree()));
        Action(Id::kNext)->trigger(); // a display refresh ends with the tree in front
        QVERIFY(window_->TreeInFront());
        QVERIFY(stack.indexOf(Tree()) > stack.indexOf(TextBox()));
        Radio(33010)->click();
        QVERIFY(!window_->TreeInFront());

        // The maintainers' mode starts at the Context level and keeps the text box in front.
        Open(1);
        QCOMPARE(window_->VisibilityMode(), int(CMainDlg::kContext));
        QVERIFY(Radio(33012)->isChecked());
        Action(Id::kNext)->trigger();
        QVERIFY(!window_->TreeInFront());
    }

    void navigation() {
        Open();
        QSignalSpy beeps(window_.get(), &CMainDlg::beeped);
        ExpectNavigation(false, true);
        // The greyed items cannot be chosen; the other commands that step reach the ends.
        window_->Previous();
        QCOMPARE(beeps.count(), 1);
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kJohn16Niv);

        Action(Id::kNext)->trigger();
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kPhil413);
        ExpectNavigation(true, true);
        Action(Id::kLast)->trigger();
        QCOMPARE(window_->Position(), 18);
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kPhil419);
        ExpectNavigation(true, false);
        window_->Next();
        QCOMPARE(beeps.count(), 2);
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kPhil419);
        Action(Id::kPrevious)->trigger();
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kJohn16Kjv);
        Action(Id::kFirst)->trigger();
        QCOMPARE(window_->Position(), 0);
        QCOMPARE(beeps.count(), 2);
    }

    void singleAndNoPassages() {
        Open();
        for (int i = 0; i < store_->PassageCount(); ++i)
            Shape(i).freq = 3;
        Shape(Sample::kJohn16Niv).freq = 0;
        prefs_.TransFilter = Sample::kAsv;
        window_->RebuildTree();
        window_->First();
        QSignalSpy beeps(window_.get(), &CMainDlg::beeped);
        ExpectNavigation(false, true);
        window_->Next();
        window_->Previous();
        QCOMPARE(beeps.count(), 2);
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kJohn16Niv);

        // Every passage filtered out: nothing is shown and every step is refused.
        Shape(Sample::kJohn16Niv).freq = 3;
        window_->RebuildTree();
        window_->First();
        QCOMPARE(window_->LastPosition(), -1);
        QCOMPARE(window_->CurrentPassageIndex(), -1);
        QCOMPARE(TextBox()->toPlainText(), QString());
        QVERIFY(store_->ExportList().empty());
        window_->Next();
        window_->Previous();
        window_->Last();
        window_->Previous();
        window_->Next();
        QCOMPARE(beeps.count(), 6);
        Radio(33014)->click();
        Radio(33008)->click();
        QCOMPARE(store_->Score(), Sample::kScore);
        QCOMPARE(store_->StatsCount(), Sample::kStatsCount);
        QVERIFY(window_->Position() >= -1);
    }

    void viewCategories() {
        Open();
        Action(Id::kFirstCategory + 1)->trigger();
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kJohn17Niv);
        QCOMPARE(window_->Position(), 2);
        QVERIFY(Action(Id::kFirstCategory + 1)->isChecked());

        // An empty category shows the first passage of the next one below it.
        Shape(Sample::kJohn17Niv).freq = 2;
        window_->RebuildTree();
        Action(Id::kFirstCategory + 1)->trigger();
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kJohn17Niv);
        QCOMPARE(window_->Position(), 2);
        QVERIFY(Action(Id::kFirstCategory + 2)->isChecked());
        Action(Id::kFirstCategory + 3)->trigger();
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kGenesisFirst);
        QCOMPARE(window_->Position(), 4);
    }

    void frequencyRadio() {
        Open();
        // Into "Not Started/Inactive": progress back to Not Started, score down by 1 x 2.
        Radio(33017)->click();
        CPassage& john = Shape(Sample::kJohn16Niv);
        QCOMPARE(john.freq, 3);
        QCOMPARE(john.prog, 0);
        QCOMPARE(store_->Score(), Sample::kScore - 2);
        QCOMPARE(store_->StatsCount(), Sample::kStatsCount - 1);
        QVERIFY(store_->ExportDue());
        QVERIFY(ItemTexts(3).contains(QStringLiteral("John 3:16 NIV")));
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kPhil413); // First
        QVERIFY(window_->windowTitle().startsWith(QStringLiteral("Recitor  Score: 11  ")));

        // Out of it again: counted, export due, progress unchanged.
        QVERIFY(store_->WriteExport()); // the export written: not due
        Action(Id::kLast)->trigger();
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kPhil419);
        Radio(33015)->click();
        QCOMPARE(store_->Passage(Sample::kPhil419).freq, 1);
        QCOMPARE(store_->StatsCount(), Sample::kStatsCount);
        QVERIFY(store_->ExportDue());
        QCOMPARE(store_->Score(), Sample::kScore - 2);
        QCOMPARE(ItemTexts(1), QStringList({"John 3:17 NIV", "Philip 4:19 NIV"}));

        // The radio already checked still rebuilds and goes to the first passage.
        Action(Id::kNext)->trigger();
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kJohn17Niv);
        QVERIFY(store_->WriteExport()); // the export written: not due
        Radio(33015)->click();
        QCOMPARE(window_->Position(), 0);
        QVERIFY(!store_->ExportDue());
        QCOMPARE(store_->StatsCount(), Sample::kStatsCount);
    }

    // With as many active passages as the statistics file can keep, one more is refused with a
    // warning, and the radios go back to the class the passage kept.
    void frequencyRadioAtTheLimit() {
        QTemporaryDir full;
        QVERIFY(WriteSynthetic(full.path(), 15000, 1000, 15000));
        store_ =
            std::make_unique<CPassageStore>(sink_, settings_, clock_, full.path().toStdString());
        QCOMPARE(store_->Load(), Status::Ok);
        window_ = std::make_unique<CMainDlg>(*store_, prefs_);
        Action(Id::kLast)->trigger(); // the last group is the inactive one
        const int shown = window_->CurrentPassageIndex();
        QCOMPARE(store_->Passage(shown).freq, 3);
        QVERIFY(Radio(33017)->isChecked());

        boxes_.answers.push_back(MsgAnswer::Ok);
        Radio(33014)->click();
        QCOMPARE(boxes_.shown.size(), 1);
        QCOMPARE(boxes_.shown.takeFirst().caption,
                 QStringLiteral("Recitor Too Many Active Passages"));
        QVERIFY(Radio(33017)->isChecked());
        QCOMPARE(store_->Passage(shown).freq, 3);
        QCOMPARE(window_->CurrentPassageIndex(), shown);
        QCOMPARE(store_->StatsCount(), 15000);
        QVERIFY(!store_->ExportDue());
    }

    // A passage added or removed elsewhere moves the others in the collection's order; the window
    // keeps showing the same passage, found again by its VerseKey, with the tree rebuilt.
    void shownPassageSurvivesChangesOfTheCollection() {
        Open();
        window_->SetPosition(3);
        window_->SelectCurrent();
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kRomans828);
        const QString title = window_->windowTitle();
        QVERIFY(store_->Remove(Sample::kJohn16Kjv));
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kRomans828 - 1);
        QCOMPARE(window_->windowTitle(), title);
        QCOMPARE(window_->Position(), 3);
        QCOMPARE(ItemTexts(0), QStringList({"John 3:16 NIV", "Philip 4:13 NIV"}));

        const qsizetype inactive = ItemTexts(3).size();
        auto added = std::make_unique<CPassage>("010000018\"");
        QCOMPARE(store_->Add(added), 0);
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kRomans828);
        QCOMPARE(window_->windowTitle(), title);
        QCOMPARE(ItemTexts(3).size(), inactive + 1);
    }

    void progressRadio() {
        Open();
        window_->SetPosition(3);
        window_->SelectCurrent();
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kRomans828);
        Radio(33005)->click(); // Good to Just Started, two verses
        QCOMPARE(store_->Score(), Sample::kScore - 4);
        QCOMPARE(store_->Passage(Sample::kRomans828).prog, 1);
        QCOMPARE(window_->Position(), 3);
        QVERIFY(window_->windowTitle().startsWith(QStringLiteral("Recitor  Score: 9  Romans")));

        // An inactive passage stays Not Started.
        Action(Id::kLast)->trigger();
        Radio(33007)->click();
        QVERIFY(Radio(33004)->isChecked());
        QCOMPARE(store_->Passage(Sample::kPhil419).prog, 0);
        QCOMPARE(store_->Score(), Sample::kScore - 4);
    }

    // Inactive passages of other translations leave the tree; active ones stay whatever their
    // translation. The model is checked through every rebuild.
    void translationFilter() {
        Open();
        QAbstractItemModelTester tester(Tree()->model(),
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
        QCOMPARE(ItemTexts(0), QStringList({"John 3:16 NIV", "Philip 4:13 NIV"}));
        QCOMPARE(ItemTexts(2), QStringList({"Romans 8:28 KJV"}));
        QStringList inactive = ItemTexts(3);
        QCOMPARE(inactive.size(), 15);
        QCOMPARE(inactive.first(), QStringLiteral("Genesis 1:1 KJV"));
        QCOMPARE(inactive.mid(13), QStringList({"John 3:16 KJV", "Philip 4:19 NIV"}));
        QCOMPARE(window_->LastPosition(), 18);
        QCOMPARE(store_->ExportList(), std::vector<int>({Sample::kJohn16Niv, Sample::kPhil413,
                                                         Sample::kJohn17Niv, Sample::kRomans828}));
        QCOMPARE(Model()->TransFilterName(), std::string("All"));

        prefs_.TransFilter = Sample::kNiv;
        window_->RebuildTree();
        QCOMPARE(ItemTexts(0), QStringList({"John 3:16", "Philip 4:13"}));
        QCOMPARE(ItemTexts(2), QStringList({"Romans 8:28"}));
        QCOMPARE(ItemTexts(3), QStringList({"Philip 4:19"}));
        QCOMPARE(window_->LastPosition(), 4);
        QCOMPARE(store_->ExportList().size(), std::size_t(4));
        QCOMPARE(Model()->TransPassageCount(), 4);
        QCOMPARE(Model()->TransVerseCount(), 4);
        QCOMPARE(Model()->TransFilterName(), std::string("NIV"));

        // Context records are listed only in the maintainers' mode.
        Open(1);
        QAbstractItemModelTester tester1(Tree()->model(),
                                         QAbstractItemModelTester::FailureReportingMode::Fatal);
        QVERIFY(ItemTexts(3).contains(QStringLiteral("Psalm 23:1 Context")));
        prefs_.TransFilter = Sample::kNiv;
        window_->RebuildTree();
        QVERIFY(!ItemTexts(3).contains(QStringLiteral("Psalm 23:1")));
        Shape(Sample::kPsalmRecord).freq = 0;
        window_->RebuildTree();
        QCOMPARE(ItemTexts(0), QStringList({"Psalm 23:1", "John 3:16", "Philip 4:13"}));
        Open(0);
        Shape(Sample::kPsalmRecord).freq = 0;
        window_->RebuildTree();
        QCOMPARE(ItemTexts(0), QStringList({"John 3:16 NIV", "Philip 4:13 NIV"}));
    }

    void treeSelection() {
        Open();
        QAbstractItemModel* model = Tree()->model();
        Action(Id::kNext)->trigger();
        Radio(33009)->click();
        Tree()->setCurrentIndex(model->index(0, 0, model->index(1, 0)));
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kJohn17Niv);
        QCOMPARE(window_->Position(), 2);
        QVERIFY(window_->TreeInFront());
        ExpectNavigation(true, true);

        Radio(33011)->click(); // text box in front again
        Tree()->setCurrentIndex(model->index(3, 0));
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kJohn17Niv);
        QCOMPARE(window_->Position(), 2);
        QVERIFY(window_->TreeInFront());
    }

    void enterAndEscape() {
        Open();
        window_->show();
        QTest::keyClick(TextBox(), Qt::Key_Return);
        QCOMPARE(window_->result(), int(QDialog::Accepted));
        QVERIFY(!window_->isVisible());
        Open();
        window_->show();
        QTest::keyClick(TextBox(), Qt::Key_Escape);
        QCOMPARE(window_->result(), int(QDialog::Rejected));
        QVERIFY(!window_->isVisible());
        Open();
        window_->show();
        Action(Id::kExit)->trigger();
        QCOMPARE(window_->result(), int(QDialog::Rejected));
    }

    void menuBar() {
        Open();
        auto* bar = window_->findChild<QMenuBar*>();
        // The bar stays in the window and never asks the desktop for a global menu.
        QVERIFY(!bar->isNativeMenuBar());
        QVERIFY(QCoreApplication::testAttribute(Qt::AA_DontUseNativeMenuBar));
        QCOMPARE(TextsOf(bar), QStringList({"&File", "&View", "&Preferences", "&Help", "<< First",
                                            "< Previous", "Next >", "Last >>"}));
        QCOMPARE(IdsOf(bar->actions()[0]->menu()),
                 QList<int>(
                     {33036, 33132, 33037, 0, 33465, 34010, 34011, 0, 33031, 34020, 57603, 33030}));
        QCOMPARE(IdsOf(bar->actions()[1]->menu()),
                 QList<int>(
                     {32776, 32777, 32778, 32779, 0, 33466, 33494, 33489, 0, 34000, 34047, 34050, 34051}));
        QCOMPARE(IdsOf(bar->actions()[3]->menu()),
                 QList<int>({57670, 33035, 0, 33018, 33019, 33462, 0, 33129, 33130, 33464, 33463, 0,
                             33044, 33495, 16}));
        QCOMPARE(TextsOf(bar->actions()[0]->menu()),
                 QStringList({"Add Passage", "Delete Passage", "Edit Passage", "-",
                              "Export Pocket PC", "Export Flashcards...", "Import Passages...", "-",
                              "Print", "Print Cards...", "Save", "Exit"}));

        QMenu* preferences = bar->actions()[2]->menu();
        QCOMPARE(TextsOf(preferences),
                 QStringList({"Flyover", "Font Size", "Background", "Hint Options", "-",
                              "Translation", "Confirmations", "Topic Filter ...", "-",
                              "Reset Defaults", "Review Intervals...", "Listening Speed",
                              "Bible Verses..."}));
        QList<int> translations;
        for (const int id : IdsOf(preferences->actions()[5]->menu()))
            if (id >= Id::kFirstTranslation && id <= Id::kLastTranslation)
                translations << id - Id::kFirstTranslation;
        QCOMPARE(translations, QList<int>({10, 0, 11, 12, 13, 16, 14, 1, 20, 3,  21, 24, 17,
                                           22, 5, 23, 6,  8,  9,  7,  2, 4,  29, 32, 33}));
        for (const int missing : {15, 18, 19, 25, 26, 27, 28, 30, 31})
            QVERIFY(!Action(Id::kFirstTranslation + missing));

        // Greyed: the export without its exporter, Delete on a bundled passage, and the commands
        // that do nothing; the working ones are not.
        for (const int id : {33132, 33465, 33489, 33497, 33026})
            QVERIFY2(!Action(id)->isEnabled(), qPrintable(QString::number(id)));
        for (const int id :
             {33036, 33037, 57603, 33030, 32776, 32779, 32774, 32775, 16,    33044, 33493, 33494,
              33031, 57670, 33035, 33018, 33019, 33462, 33129, 33130, 33464, 33463, 33454, 33455})
            QVERIFY2(Action(id)->isEnabled(), qPrintable(QString::number(id)));
        // Delete is for the user's own passages; the one shown first is a baseline passage.
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kJohn16Niv);
        QVERIFY(!Action(33132)->isEnabled());

        // The maintainers' one-click editing commands are on the bar only in their mode.
        Open(1);
        QCOMPARE(TextsOf(window_->findChild<QMenuBar*>()).mid(4, 3),
                 QStringList({"EdThis", "EdNx", "DelThis"}));
        for (const int id : {33453, 33452, 33460})
            QVERIFY(Action(id)->isEnabled());
    }

private:
    QStringList ItemTexts(int root) const {
        const QAbstractItemModel* model = Tree()->model();
        const QModelIndex parent = model->index(root, 0);
        QStringList texts;
        for (int row = 0; row < model->rowCount(parent); ++row)
            texts << model->index(row, 0, parent).data().toString();
        return texts;
    }

    static QStringList TextsOf(const QWidget* menu) {
        QStringList texts;
        for (const QAction* item : menu->actions())
            texts << (item->isSeparator() ? QStringLiteral("-") : item->text());
        return texts;
    }

    static QList<int> IdsOf(const QMenu* menu) {
        QList<int> ids;
        for (const QAction* item : menu->actions())
            ids << (item->isSeparator() ? 0 : item->data().toInt());
        return ids;
    }

    void ExpectNavigation(bool backward, bool forward) const {
        QCOMPARE(Action(Id::kFirst)->isEnabled(), backward);
        QCOMPARE(Action(Id::kPrevious)->isEnabled(), backward);
        QCOMPARE(Action(Id::kNext)->isEnabled(), forward);
        QCOMPARE(Action(Id::kLast)->isEnabled(), forward);
    }
};

RECITOR_UI_TEST_MAIN(MainWindowTest)
#include "test_mainwnd.moc"
