// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// What the main-window tests share: the sample collection's directory, message boxes answered
// from a script, settings in memory, and the store and main window under test, with the lookups
// of the window's commands and controls by id.

#include "CommandIds.h"
#include "MainDlg.h"
#include "PassageStore.h"
#include "PassageTreeModel.h"
#include "Preferences.h"
#include "UiSupport.h"

#include <QAction>
#include <QObject>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTreeView>

#include <memory>

class CWindowTest : public QObject {
protected:
    // Closes any window and makes a new store over the directory, not loaded yet.
    void NewStore() {
        window_.reset();
        prefs_ = CPreferences();
        store_ =
            std::make_unique<CPassageStore>(sink_, settings_, clock_, dir_.path().toStdString());
    }
    // A new store, loaded, and a main window over it in the given maintainers' mode.
    void Open(int editNextMode = 0) {
        NewStore();
        QCOMPARE(store_->Load(), Status::Ok);
        window_ = std::make_unique<CMainDlg>(*store_, prefs_, editNextMode);
    }
    // Closes the window and the store; no message box may have been shown meanwhile.
    void CloseAll() {
        window_.reset();
        store_.reset();
        QVERIFY2(boxes_.shown.isEmpty(), qPrintable(boxes_.shown.value(0).caption));
    }

    template <typename T> T* Find(int id) const {
        auto* widget = window_->findChild<T*>(QString::number(id));
        if (!widget)
            qFatal("no control %d", id);
        return widget;
    }
    QAction* Action(int id) const { return window_->Action(id); }
    QAbstractButton* Radio(int id) const { return Find<QRadioButton>(id); }
    // A passage of the store to shape directly, as a hand-edited file would have it; the store's
    // counts are not kept in step.
    CPassage& Shape(int index) const { return const_cast<CPassage&>(store_->Passage(index)); }
    QTextEdit* TextBox() const { return Find<QTextEdit>(Id::kTextBox); }
    QTreeView* Tree() const { return Find<QTreeView>(Id::kPassageTree); }
    CPassageTreeModel* Model() const { return static_cast<CPassageTreeModel*>(Tree()->model()); }

    QTemporaryDir dir_;
    CScriptedMessageBoxes boxes_;
    CMessageBoxSink sink_;
    CMemorySettings settings_;
    CPreferences prefs_;
    CSystemClock clock_;
    std::unique_ptr<CPassageStore> store_;
    std::unique_ptr<CMainDlg> window_;
};
