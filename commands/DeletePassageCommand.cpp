// SPDX-License-Identifier: GPL-2.0-or-later
#include "DeletePassageCommand.h"

#include "PassageConfirmation.h"
#include "Preferences.h"
#include "StudySession.h"

void CDeletePassageCommand::Run() {
    const CPassage* passage = context_.session.Current();
    if (!passage) {
        context_.window.Beep();
        return;
    }
    if (context_.prefs.PrefConfirmDelete &&
        !ConfirmForPassage(context_.owner, "Are you sure you really want to delete this passage?",
                           *passage))
        return;
    if (!context_.session.Remove())
        return;
    // The position now holds the passage after the deleted one (or is cut to the last); a step
    // back and one forward settle there, beeping where a step cannot be taken.
    context_.window.ShowPosition();
    context_.window.Previous();
    context_.window.Next();
}
