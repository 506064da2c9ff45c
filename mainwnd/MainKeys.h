// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QKeyCombination>
#include <QString>

class CMainMenu;
class QButtonGroup;
class QWidget;

// The main window's keys that are not in its menu texts: the navigation commands, the File menu's
// commands and the visibility levels.
namespace MainKeys {

// Blank, Hint, Passage and Context; the review session shows its passages with them too.
inline constexpr QKeyCombination kVisibility[] = {Qt::CTRL | Qt::Key_1, Qt::CTRL | Qt::Key_2,
                                                  Qt::CTRL | Qt::Key_3, Qt::CTRL | Qt::Key_4};

// A key as menus, buttons and tooltips show it.
QString Text(QKeyCombination key);

// Gives menu's commands their keys and the radios of visibility (ids Blank..Context) theirs, as
// shortcuts of window.
void Connect(CMainMenu& menu, QButtonGroup& visibility, QWidget& window);

} // namespace MainKeys
