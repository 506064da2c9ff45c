// SPDX-License-Identifier: GPL-2.0-or-later
#include "MainKeys.h"

#include "CommandIds.h"
#include "MainMenu.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QKeySequence>
#include <QShortcut>

#include <iterator>
#include <utility>

namespace {

// Keys of the navigation commands and the visibility levels. Alt with the arrow, Home and End keys
// and Ctrl with a digit mean nothing to the tree or the text box, so they work wherever the focus
// is; the menu texts stay as they are and the keys show in tooltips.
struct CommandKey {
    int id;
    QKeyCombination key;
    const char* tip;
};
constexpr CommandKey kNavigationKeys[] = {
    {Id::kFirst, Qt::ALT | Qt::Key_Home, "First passage"},
    {Id::kPrevious, Qt::ALT | Qt::Key_Left, "Previous passage"},
    {Id::kNext, Qt::ALT | Qt::Key_Right, "Next passage"},
    {Id::kLast, Qt::ALT | Qt::Key_End, "Last passage"},
};
// The File menu's commands with keys, which show in the menu. A disabled command (Delete on a
// baseline passage, or one the settings took off the menu) ignores its key too.
constexpr std::pair<int, QKeyCombination> kEditingKeys[] = {
    {Id::kAddPassage, Qt::CTRL | Qt::Key_N},
    {Id::kEditPassage, Qt::CTRL | Qt::Key_E},
    {Id::kDeletePassage, Qt::CTRL | Qt::Key_Delete},
    {Id::kExportFlashcards, Qt::CTRL | Qt::SHIFT | Qt::Key_E},
    {Id::kImportPassages, Qt::CTRL | Qt::SHIFT | Qt::Key_I},
};

} // namespace

QString MainKeys::Text(QKeyCombination key) {
    return QKeySequence(key).toString(QKeySequence::NativeText);
}

void MainKeys::Connect(CMainMenu& menu, QButtonGroup& visibility, QWidget& window) {
    for (const CommandKey& command : kNavigationKeys) {
        QAction* action = menu.Action(command.id);
        action->setShortcut(command.key);
        action->setToolTip(
            QStringLiteral("%1 (%2)").arg(QString::fromLatin1(command.tip), Text(command.key)));
    }
    for (const auto& [id, key] : kEditingKeys)
        menu.Action(id)->setShortcut(key);
    for (int mode = 0; mode < static_cast<int>(std::size(kVisibility)); ++mode) {
        QAbstractButton* radio = visibility.button(mode);
        const QKeyCombination key = kVisibility[mode];
        radio->setToolTip(Text(key));
        QObject::connect(new QShortcut(key, &window), &QShortcut::activated, radio,
                         &QAbstractButton::click);
    }
}
