// SPDX-License-Identifier: GPL-2.0-or-later
// The Edit Passage dialog's controls as its tests reach them, a passage to fill it with, and the
// sample collection the tests start from.
#pragma once

#include "EditPassageDlg.h"
#include "RefTables.h"
#include "UiSupport.h"
#include "WindowTest.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using Dlg = CEditPassageDlg;

inline QPlainTextEdit* Box(const QWidget& dialog, int id) {
    return Control<QPlainTextEdit>(dialog, id);
}
inline QLineEdit* Line(const QWidget& dialog, int id) {
    return Control<QLineEdit>(dialog, id);
}
inline QComboBox* List(const QWidget& dialog, int id) {
    return Control<QComboBox>(dialog, id);
}
inline QPushButton* Button(const QWidget& dialog, int id) {
    return Control<QPushButton>(dialog, id);
}
inline QString Verify(const QWidget& dialog) {
    return Box(dialog, Dlg::kVerifyBox)->toPlainText();
}

inline const QString kContext = QStringLiteral("15 that everyone who believes\n"
                                               "16 For God so loved the world that he gave\n"
                                               "17 For God did not send");

// Fills a dialog with John 3:16 in the given translation.
inline void FillJohn(QWidget& dialog, int trans = 11) {
    List(dialog, Dlg::kBookList)->setCurrentIndex(42);
    Line(dialog, Dlg::kChapter)->setText(QStringLiteral("3"));
    Line(dialog, Dlg::kFirstVerse)->setText(QStringLiteral("16"));
    Line(dialog, Dlg::kLastVerse)->setText(QStringLiteral("16"));
    List(dialog, Dlg::kTransList)->setCurrentIndex(trans);
    Box(dialog, Dlg::kContextBox)->setPlainText(kContext);
    Box(dialog, Dlg::kPassageBox)->setPlainText(QStringLiteral("For God so loved the world"));
    Box(dialog, Dlg::kHintBox)->setPlainText(QStringLiteral("For God so"));
}

// The edit tests' start and end: the sample collection loaded, every translation listed; at the
// end no window left and no message box unanswered.
class CEditTest : public CWindowTest {
protected:
    void LoadSample() {
        Sample::WriteFiles(dir_.path());
        NewStore();
        QCOMPARE(store_->Load(), Status::Ok);
        prefs_.TransFilter = kTransAll;
    }
    void CloseAndForgetBoxes() {
        CloseAll();
        boxes_.shown.clear();
        boxes_.answers.clear();
    }
};
