// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QKeyCombination>
#include <QObject>
#include <QString>

#include <memory>

class CMainMenu;
class CPassage;
class CPreferences;
class ISpeaker;

// Listen on the View menu: reads a passage aloud, at the speed the preferences give, until it is
// done or stopped. The item is checked while it reads, and greyed, with a tooltip that says why,
// where no speech engine can be had. Whether one is installed is looked up when the View menu
// opens or Listen is used, never at start-up.
class CListenCommand : public QObject {
    Q_OBJECT
public:
    // Listen's key, on the View menu and in the review session.
    static constexpr QKeyCombination kKey = Qt::CTRL | Qt::Key_L;

    // Borrows menu and prefs for its life; reads through the desktop's speech until SetSpeaker.
    CListenCommand(CMainMenu& menu, const CPreferences& prefs);
    ~CListenCommand() override;

    // Reads through speaker from now on.
    void SetSpeaker(std::unique_ptr<ISpeaker> speaker);
    // Stops a reading when one is under way; false when nothing was being read.
    bool Stop();
    // Offers Listen for current (none: greyed).
    void Update(const CPassage* current);
    // The command: stops a reading under way, else reads passage aloud (its context when context
    // is true). False when it could not read; the item is greyed from then on with the reason.
    bool Toggle(const CPassage* passage, bool context);

private:
    // Whether an engine is installed (looked up until it is known that none is) and none failed
    // to start this run.
    bool Possible();
    // Greys the item when no passage is shown or speech cannot be had, with the reason.
    void ShowState();

    CMainMenu& menu_;
    const CPreferences& prefs_;
    std::unique_ptr<ISpeaker> speaker_;
    QString problem_; // why Listen is greyed for the rest of the run; empty while it works
    bool passageShown_ = false;
};
