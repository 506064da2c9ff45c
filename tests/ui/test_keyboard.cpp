// SPDX-License-Identifier: GPL-2.0-or-later
// What the user meets with the mouse and the keyboard in the main window: one highlighted passage
// in the tree whatever was clicked before, a click that chooses exactly the clicked passage, the
// arrow keys that go on stepping through the tree, the tab order through the radio groups, and
// the keys of the navigation commands and the visibility levels.

#include "CommandIds.h"
#include "MainDlg.h"
#include "PassageStore.h"
#include "UiSupport.h"
#include "WindowTest.h"

#include <QAction>
#include <QImage>
#include <QRadioButton>
#include <QTextEdit>
#include <QTreeView>

#include <memory>

class KeyboardTest : public CWindowTest {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        Sample::WriteFiles(dir_.path());
    }

    void cleanup() { CloseAll(); }

    // The passage clicked last must not keep a highlight of its own after Next: only the passage
    // shown looks current, and clicking the one clicked before shows it again.
    void onlyTheShownPassageIsHighlighted() {
        Open();
        Click(Sample::kPhil413);
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kPhil413);
        QCOMPARE(HighlightedRows(), QList<int>({Sample::kPhil413}));
        Action(Id::kNext)->trigger();
        Action(Id::kNext)->trigger();
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kRomans828);
        TextBox()->setFocus();
        QCOMPARE(HighlightedRows(), QList<int>({Sample::kRomans828}));

        Click(Sample::kPhil413);
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kPhil413);
        QCOMPARE(window_->Position(), 1);
        QCOMPARE(HighlightedRows(), QList<int>({Sample::kPhil413}));
        // A group heading is selected without changing the passage or its highlight.
        Tree()->setCurrentIndex(Tree()->model()->index(3, 0));
        QCOMPARE(HighlightedRows(), QList<int>({Sample::kPhil413}));
    }

    // In the maintainers' mode a click scrolls the chosen passage to the top of the tree, under
    // the pointer; the release that follows lands on another row and must not choose it.
    void clickChoosesExactlyTheClickedPassage() {
        Open(1);
        Tree()->resize(Tree()->width(), 120); // short enough to scroll
        Tree()->expand(Tree()->model()->index(3, 0));
        const int target = Sample::kGenesisFirst + 6;
        const QPoint point = Tree()->visualRect(ItemOf(target)).center();
        QTest::mousePress(Tree()->viewport(), Qt::LeftButton, {}, point);
        QVERIFY(Tree()->visualRect(ItemOf(target)).top() <= 1); // scrolled to the top
        QVERIFY(Tree()->indexAt(point) != ItemOf(target));
        QTest::mouseMove(Tree()->viewport(), point + QPoint(0, 3));
        QTest::mouseRelease(Tree()->viewport(), Qt::LeftButton, {}, point + QPoint(0, 3));
        QCOMPARE(window_->CurrentPassageIndex(), target);
        QCOMPARE(Tree()->currentIndex(), ItemOf(target));
        QCOMPARE(HighlightedRows(), QList<int>({target}));
    }

    // Context mode gives the text box the focus to mark the passage; after a choice in the tree
    // the arrow keys still step through the tree, and the text box has no caret to move.
    void arrowKeysStayInTheTreeInContextMode() {
        Open();
        Activate();
        Radio(33012)->click();
        Click(Sample::kJohn16Niv);
        QCOMPARE(QApplication::focusWidget(), Tree());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kPhil413);
        QVERIFY(!TextBox()->textCursor().selectedText().isEmpty());

        TextBox()->setFocus();
        const QTextCursor before = TextBox()->textCursor();
        QTest::keyClick(TextBox(), Qt::Key_Right);
        QTest::keyClick(TextBox(), Qt::Key_Down);
        QCOMPARE(TextBox()->textCursor().position(), before.position());
        QCOMPARE(TextBox()->textCursor().anchor(), before.anchor());
    }

    // Tab visits the radio groups, the tree and the text box in turn, and enters each group at
    // its checked radio, so that Space there never changes a value the user did not aim at.
    void tabOrderEntersGroupsAtTheirCheckedRadio() {
        Open();
        Activate();
        Action(Id::kNext)->trigger(); // Philippians 4:13: Most Frequent, Mastered
        Radio(33014)->setFocus(Qt::TabFocusReason);
        const QList<QWidget*> expected = {Radio(33008), Radio(33011), Tree(), TextBox(),
                                          Radio(33014)};
        for (QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(store_->Passage(Sample::kPhil413).freq, 0);

        // The arrow keys move within a group and choose as they go. (Space on the frequency
        // went back to the first passage, John 3:16 NIV, which is Fair.)
        QCOMPARE(window_->CurrentPassageIndex(), Sample::kJohn16Niv);
        Radio(33006)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(Radio(33006), Qt::Key_Up);
        QCOMPARE(QApplication::focusWidget(), Radio(33005));
        QCOMPARE(store_->Passage(Sample::kJohn16Niv).prog, 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), Radio(33011));
    }

    // The navigation commands and the visibility levels have keys that work wherever the focus
    // is, without taking a key that the tree or the text box needs; the keys show in tooltips.
    void commandKeys() {
        Open();
        Activate();
        for (QWidget* focus : {static_cast<QWidget*>(Tree()), static_cast<QWidget*>(TextBox())}) {
            focus->setFocus();
            QTest::keyClick(focus, Qt::Key_End, Qt::AltModifier);
            QCOMPARE(window_->Position(), window_->LastPosition());
            QTest::keyClick(focus, Qt::Key_Left, Qt::AltModifier);
            QCOMPARE(window_->Position(), window_->LastPosition() - 1);
            QTest::keyClick(focus, Qt::Key_Home, Qt::AltModifier);
            QCOMPARE(window_->Position(), 0);
            QTest::keyClick(focus, Qt::Key_Right, Qt::AltModifier);
            QCOMPARE(window_->Position(), 1);
        }
        const std::pair<Qt::Key, int> levels[] = {{Qt::Key_1, CMainDlg::kBlank},
                                                  {Qt::Key_4, CMainDlg::kContext},
                                                  {Qt::Key_2, CMainDlg::kHint},
                                                  {Qt::Key_3, CMainDlg::kPassage}};
        for (const auto& [key, mode] : levels) {
            QTest::keyClick(Tree(), key, Qt::ControlModifier);
            QCOMPARE(window_->VisibilityMode(), mode);
            QVERIFY(Radio(Id::kFirstVisibilityRadio + mode)->isChecked());
        }
        QVERIFY(Action(Id::kNext)->toolTip().contains(QStringLiteral("Alt+Right")));
        QVERIFY(Radio(33009)->toolTip().contains(QStringLiteral("Ctrl+1")));
    }

    // "Several Words" is the only hint style there is: choosing it again keeps it checked.
    void severalWordsStaysChecked() {
        Open();
        QAction* severalWords = Action(Id::kHintSeveralWords);
        QVERIFY(severalWords->isChecked());
        severalWords->trigger();
        QVERIFY(severalWords->isChecked());
        QVERIFY(!Action(Id::kHintLetters)->isEnabled());
    }

private:
    void Activate() {
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }

    QModelIndex ItemOf(int passage) const {
        const QAbstractItemModel* model = Tree()->model();
        for (int root = 0; root < model->rowCount(); ++root) {
            const QModelIndex parent = model->index(root, 0);
            for (int row = 0; row < model->rowCount(parent); ++row)
                if (model->index(row, 0, parent).data(Qt::UserRole).toInt() == passage)
                    return model->index(row, 0, parent);
        }
        return {};
    }

    void Click(int passage) {
        Tree()->scrollTo(ItemOf(passage));
        QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {},
                          Tree()->visualRect(ItemOf(passage)).center());
    }

    // The passages whose rows are drawn with a coloured background, whatever draws it: the
    // tree's own selection as much as the highlight of the passage shown.
    QList<int> HighlightedRows() const {
        const QImage image = Tree()->viewport()->grab().toImage();
        const QColor plain = image.pixelColor(image.width() - 2, image.height() - 2);
        QList<int> highlighted;
        const QAbstractItemModel* model = Tree()->model();
        for (int root = 0; root < model->rowCount(); ++root) {
            const QModelIndex parent = model->index(root, 0);
            for (int row = 0; row < model->rowCount(parent); ++row) {
                const QModelIndex item = model->index(row, 0, parent);
                const QRect rect = Tree()->visualRect(item);
                if (rect.isEmpty() || !image.rect().contains(rect.center()))
                    continue;
                const QPoint probe(std::min(rect.right(), image.width() - 1) - 1,
                                   rect.center().y());
                if (image.pixelColor(probe) != plain)
                    highlighted << item.data(Qt::UserRole).toInt();
            }
        }
        return highlighted;
    }
};

RECITOR_UI_TEST_MAIN(KeyboardTest)
#include "test_keyboard.moc"
