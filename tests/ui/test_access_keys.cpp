// SPDX-License-Identifier: GPL-2.0-or-later
// The access keys of every window: no two controls of one window answer the same Alt+letter
// (Qt then only moves the focus between them and the user's choice is never made), and no two
// items of one menu share their letter.

#include "AboutDlg.h"
#include "EditBoxLineCounter.h"
#include "EditPassageDlg.h"
#include "FlashcardExportDlg.h"
#include "ImportPreviewDlg.h"
#include "ParallelDlg.h"
#include "ParallelPassages.h"
#include "PassageImport.h"
#include "PrintCardsDlg.h"
#include "RecitationDlg.h"
#include "ReviewIntervalsDlg.h"
#include "TipDlg.h"
#include "TipSequence.h"
#include "TopicChoiceDlg.h"
#include "TopicList.h"
#include "TopicListDlg.h"
#include "WindowTest.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>

namespace {

// Who answers which key: the text of each control, by the key its & letter gives.
using Keys = QMap<QKeySequence, QStringList>;

void Add(Keys& keys, const QString& text, const QString& owner) {
    const QKeySequence key = QKeySequence::mnemonic(text);
    if (!key.isEmpty())
        keys[key] << owner;
}

// The keys of the controls of window that are not hidden: buttons (push, radio, check), group
// boxes, tabs, and labels with a buddy, which give their key to the buddy; with the window's
// menu bar, whose menus open with Alt and their letter as well.
Keys WindowKeys(QWidget& window) {
    Keys keys;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&window) || widget->window() != &window)
            continue;
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            Add(keys, button->text(), button->text());
        else if (auto* group = qobject_cast<QGroupBox*>(widget))
            Add(keys, group->title(), group->title());
        else if (auto* label = qobject_cast<QLabel*>(widget); label && label->buddy())
            Add(keys, label->text(), label->text() + " (" + label->buddy()->objectName() + ")");
        else if (auto* tabs = qobject_cast<QTabBar*>(widget))
            for (int i = 0; i < tabs->count(); ++i)
                Add(keys, tabs->tabText(i), tabs->tabText(i));
        else if (auto* bar = qobject_cast<QMenuBar*>(widget))
            for (QAction* action : bar->actions())
                if (action->isVisible())
                    Add(keys, action->text(), action->text());
    }
    return keys;
}

QStringList Clashes(const Keys& keys, const QString& where) {
    QStringList clashes;
    for (auto it = keys.begin(); it != keys.end(); ++it)
        if (it.value().size() > 1)
            clashes << QStringLiteral("%1: %2 is the key of %3")
                           .arg(where, it.key().toString(), it.value().join(QStringLiteral(", ")));
    return clashes;
}

// Each menu of the bar and its submenus, item by item.
QStringList MenuClashes(QMenu& menu, const QString& where) {
    Keys keys;
    QStringList clashes;
    for (QAction* action : menu.actions()) {
        if (!action->isVisible() || action->isSeparator())
            continue;
        Add(keys, action->text(), action->text());
        if (QMenu* sub = action->menu())
            clashes << MenuClashes(*sub, where + " > " + action->text());
    }
    return clashes << Clashes(keys, where);
}

} // namespace

class AccessKeysTest : public CWindowTest {
    Q_OBJECT

private slots:
    void init() {
        Sample::WriteFiles(dir_.path());
        Open();
    }
    void cleanup() {
        window_.reset();
        store_.reset();
    }

    void noTwoControlsOfAWindowShareAKey() {
        QStringList clashes;
        const auto check = [&clashes](QWidget& window) {
            clashes << Clashes(WindowKeys(window), window.windowTitle());
        };

        check(*window_);
        for (QAction* top : window_->findChild<QMenuBar*>()->actions())
            if (top->menu())
                clashes << MenuClashes(*top->menu(), top->text());

        const CPassage& passage = store_->Passage(Sample::kJohn16Niv);
        for (const int editNextMode : {0, 1}) {
            CEditPassageDlg add(nullptr, editNextMode, *store_, kTransAll);
            check(add);
            CEditPassageDlg revise(&passage, editNextMode, *store_, kTransAll);
            check(revise);
        }
        CFlashcardExportDlg flashcards(*store_, kTransAll, 0, {});
        check(flashcards);

        CEditBoxLineCounter lines;
        CPassageImport import(*store_, lines);
        import.Read("reference\ttranslation\tpassage\nPs 23:1\tKJV\tThe LORD is my shepherd\n"
                    "Jhon 1:1\tKJV\tword\n");
        CImportPreviewDlg preview(import, QStringLiteral("new.txt"), 0, [](int) {});
        check(preview);

        CPrintCardsDlg print(*store_, kTransAll, 0, QPageSize::A4);
        check(print);
        CRecitationDlg recitation(passage, QBrush(Qt::white));
        check(recitation);
        CParallelDlg parallel(CParallelPassages(*store_, Sample::kJohn16Niv));
        check(parallel);
        for (const auto mode : {CTopicChoiceDlg::Mode::Filter, CTopicChoiceDlg::Mode::Choice}) {
            CTopicChoiceDlg topics(mode, 1, *store_, kTransAll);
            check(topics);
        }
        CTopicListDlg topicList(CTopicList(*store_, 9, Sample::kNiv));
        check(topicList);
        CReviewIntervalsDlg intervals({});
        check(intervals);
        CAboutDlg about(CAboutDlg::Values{});
        check(about);
        CTipSequence tips(settings_, "Wed Jun 30 21:49:08 1993", dir_.path().toStdString());
        CTipDlg tip(tips);
        check(tip);

        QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join(QLatin1Char('\n'))));
    }
};

RECITOR_UI_TEST_MAIN(AccessKeysTest)
#include "test_access_keys.moc"
