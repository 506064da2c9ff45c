// SPDX-License-Identifier: GPL-2.0-or-later
#include "ParallelDlg.h"

#include "DialogUnits.h"
#include "ParallelPassages.h"
#include "Win1252.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

constexpr int kPassageBoxId = 1028;
constexpr int kParallelBoxId = 1029;
constexpr int kNextId = 32780;
constexpr double kTextPoints = 10.0;

} // namespace

CParallelDlg::CParallelDlg(const CParallelPassages& parallels, QWidget* parent) : QDialog(parent) {
    setFont(DialogFont());
    const CDialogUnits units(font());
    setFixedSize(units.X(481), units.Y(335));
    setWindowTitle(FromWin1252(parallels.Caption()));
    setWindowIcon(QApplication::windowIcon());

    const auto box = [&](int id, const QRect& rect, const std::string& text) {
        auto* edit = new QPlainTextEdit(this);
        edit->setObjectName(QString::number(id));
        edit->setGeometry(units.Rect(rect.x(), rect.y(), rect.width(), rect.height()));
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        QFont textFont = edit->font();
        textFont.setPointSizeF(kTextPoints);
        edit->setFont(textFont);
        edit->setPlainText(FromWin1252Lines(text));
        // Enter closes the window as OK does; typing is allowed but leads nowhere.
        edit->installEventFilter(this);
        return edit;
    };
    passageBox_ = box(kPassageBoxId, QRect(3, 0, 478, 33), parallels.PassageText());
    passageBox_->setReadOnly(true);
    parallelBox_ = box(kParallelBoxId, QRect(3, 38, 476, 294), parallels.Text());

    auto* next = new QPushButton(QStringLiteral("&Next"), this);
    next->setObjectName(QString::number(kNextId));
    next->setGeometry(units.Rect(430, 316, 32, 14));
    // Enter is OK, not Next.
    next->setAutoDefault(false);
    connect(next, &QPushButton::clicked, this, [this] {
        nextRequested_ = true;
        accept();
    });
}

bool CParallelDlg::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == passageBox_ || watched == parallelBox_) && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(key->modifiers() & Qt::ControlModifier)) {
            nextRequested_ = false;
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
