// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QHash>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

// The main window's menu bar with every pop-up, item, id and caption, in the states the menu has
// before the settings are applied. Each command is a QAction whose data and object name carry its
// id, so that handlers, tests and the help find it by number.
class CMainMenu {
public:
    // Builds the menus into bar; the actions are children of owner.
    CMainMenu(QMenuBar& bar, QWidget& owner);

    QAction* Action(int id) const { return actions_.value(id, nullptr); }
    // Greys a command and takes it off its menu or the bar.
    void Remove(int id);
    // Takes the "EE Options" sub-menu, position 7 of Preferences, off the menu.
    void RemoveEeOptions();
    // Gives the Help pop-up and the Preferences sub-menus the context ids by which a help request
    // on them finds its topic (the property kHelpContextProperty).
    void SetHelpContextIds();
    static constexpr const char* kHelpContextProperty = "helpContextId";
    QMenu* View() const { return view_; }
    QMenu* Preferences() const { return preferences_; }
    QMenu* Help() const { return help_; }

private:
    QHash<int, QAction*> actions_;
    QMenu* view_ = nullptr;
    QMenu* preferences_ = nullptr;
    QMenu* help_ = nullptr;
};
