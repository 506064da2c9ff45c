// SPDX-License-Identifier: GPL-2.0-or-later
#include "TopicListDlg.h"

#include "DialogUnits.h"
#include "TopicList.h"
#include "Win1252.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

namespace {
constexpr int kListBoxId = 2060;
constexpr double kListPoints = 10.0;
} // namespace

CTopicListDlg::CTopicListDlg(const CTopicList& list, QWidget* parent) : QDialog(parent) {
    setFont(DialogFont());
    const CDialogUnits units(font());
    setFixedSize(units.X(498), units.Y(335));
    setWindowTitle(FromWin1252(list.Caption()));

    listBox_ = new QPlainTextEdit(this);
    listBox_->setObjectName(QString::number(kListBoxId));
    listBox_->setGeometry(units.Rect(7, 7, 484, 321));
    listBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    listBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont listFont = listBox_->font();
    listFont.setPointSizeF(kListPoints);
    listBox_->setFont(listFont);
    listBox_->setPlainText(FromWin1252Lines(list.Text()));
    // Enter closes the list like Escape does; typing is allowed but leads nowhere.
    listBox_->installEventFilter(this);

    listBox_->setFocus();
    QTextCursor top(listBox_->document());
    listBox_->setTextCursor(top);
    listBox_->ensureCursorVisible();
}

bool CTopicListDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == listBox_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(key->modifiers() & Qt::ControlModifier)) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
