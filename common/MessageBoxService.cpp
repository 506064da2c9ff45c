// SPDX-License-Identifier: GPL-2.0-or-later
#include "MessageBoxService.h"

#include "Win1252.h"

#include <QMessageBox>

namespace {

IMessageBoxService* installedService = nullptr;

QMessageBox::Icon IconOf(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Error:
        return QMessageBox::Critical;
    case MsgIcon::Warning:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MsgAnswer CQtMessageBoxService::Show(QWidget* owner, const QString& caption, const QString& text,
                                     MsgIcon icon, MsgButtons buttons) {
    QMessageBox box(IconOf(icon), caption, text, QMessageBox::NoButton, owner);
    box.setTextFormat(Qt::PlainText);
    switch (buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MsgButtons::YesNoDefaultNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return MsgAnswer::Ok;
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    default:
        return MsgAnswer::Cancel;
    }
}

IMessageBoxService& MessageBoxes() {
    static CQtMessageBoxService real;
    return installedService ? *installedService : real;
}

void SetMessageBoxes(IMessageBoxService* service) {
    installedService = service;
}

void CMessageBoxSink::Show(const std::string& caption, const std::string& text, MsgIcon icon) {
    MessageBoxes().Show(nullptr, FromWin1252(caption), FromWin1252(text), icon, MsgButtons::Ok);
}
