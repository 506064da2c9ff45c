// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QObject>

class CMainMenu;
class CPreferences;

// The Preferences menu: it shows the preferences read at start-up (the checked choices, the greyed
// ones the settings do not allow, the backgrounds whose picture is missing) and keeps each choice
// made on it in the preferences at once. The window shows what a choice changes when told so.
class CPreferenceMenu : public QObject {
    Q_OBJECT
public:
    // Borrows menu and prefs for its whole life.
    CPreferenceMenu(CMainMenu& menu, CPreferences& prefs);

    // The background picture chosen, by index in kBackgrounds: the one the settings name, Plain
    // when its picture is missing.
    int BackgroundIndex() const { return backgroundIndex_; }

signals:
    void fontSizeChosen();
    void backgroundChosen();
    void translationChosen();
    // The export confirmation was toggled; it is written to the settings at once.
    void exportConfirmationToggled();
    // A speed of reading aloud was chosen; it is written to the settings at once.
    void listenSpeedChosen();

private:
    void SetUp();
    void OnChoice(int id);

    CMainMenu& menu_;
    CPreferences& prefs_;
    int backgroundIndex_ = 0;
};
