// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

class QWidget;

// The short texts that say what a control or a command of the main window does: the What's This
// pop-ups of Shift+F1 and of F1 on a menu. A control is known by its id, a menu command by its
// id plus kMenuBase.
namespace ContextHelp {

inline constexpr int kMenuBase = 0x10000;

// The text for a context id; empty when there is none.
QString Text(int contextId);

// Gives the window's controls (found by their id as object name) and its commands' actions their
// texts.
void Apply(QWidget& window);

} // namespace ContextHelp
