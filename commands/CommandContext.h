// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

class CPassageStore;
class IBibleSource;
class CPreferences;
class CStudySession;
class QWidget;

// What a command needs of the window that shows the study session: showing the session's
// position anew, and the navigation steps, which beep at either end as the window's own do.
class ISessionWindow {
public:
    virtual ~ISessionWindow() = default;
    // Shows the passage at the session's position, with the tree and the navigation commands.
    virtual void ShowPosition() = 0;
    virtual void Previous() = 0;
    virtual void Next() = 0;
    virtual void Beep() = 0;
};

// What the main window's commands work on: the collection, the study session over it, the
// preferences, the maintainers' mode setting, the window showing the session, and the window that
// owns the dialogs, and the installed Bibles. All are borrowed for the command's run.
struct CommandContext {
    CPassageStore& store;
    CStudySession& session;
    CPreferences& prefs;
    int editNextMode;
    ISessionWindow& window;
    QWidget* owner;
    IBibleSource* bible = nullptr;
};
