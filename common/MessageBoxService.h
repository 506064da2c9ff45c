// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "Platform.h"

#include <QString>

class QWidget;

// YesNoDefaultNo: Yes and No with No as the default, for a question whose Yes throws work away.
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoDefaultNo };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// Every message box of the program goes through this service, so that tests can answer them
// without a real modal window.
class IMessageBoxService {
public:
    virtual ~IMessageBoxService() = default;
    // Shows the message and returns the user's answer. owner may be null (no owner window).
    virtual MsgAnswer Show(QWidget* owner, const QString& caption, const QString& text,
                           MsgIcon icon, MsgButtons buttons) = 0;
};

// The real message boxes.
class CQtMessageBoxService : public IMessageBoxService {
public:
    MsgAnswer Show(QWidget* owner, const QString& caption, const QString& text, MsgIcon icon,
                   MsgButtons buttons) override;
};

// The process-wide service: the real one unless another has been installed.
IMessageBoxService& MessageBoxes();
// Installs service (not owned) in place of the real one; null restores the real one.
void SetMessageBoxes(IMessageBoxService* service);

// Passes the data layer's messages (Windows-1252 texts) to the message-box service, as OK-only
// boxes without an owner window.
class CMessageBoxSink : public IMessageSink {
public:
    void Show(const std::string& caption, const std::string& text, MsgIcon icon) override;
};
