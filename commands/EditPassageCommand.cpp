// SPDX-License-Identifier: GPL-2.0-or-later
#include "EditPassageCommand.h"

#include "EditPassageDlg.h"
#include "PassageConfirmation.h"
#include "PassageStore.h"
#include "Preferences.h"
#include "StudySession.h"

void CEditPassageCommand::Run() {
    while (true) {
        const CPassage* passage = context_.session.Current();
        if (!passage) {
            context_.window.Beep();
            return;
        }
        // A revised bundled passage moves into the user file, which must have room for it.
        if (passage->baseline && !context_.store.CheckRoomForUserPassage())
            return;
        if (context_.prefs.PrefConfirmEdit &&
            !ConfirmForPassage(context_.owner,
                               "Are you sure you really want to revise this passage?", *passage))
            return;
        CEditPassageDlg dialog(passage, context_.editNextMode, context_.store,
                               context_.prefs.TransFilter, context_.owner);
        dialog.SetBible(context_.bible, context_.prefs.BibleVersesBefore,
                        context_.prefs.BibleVersesAfter);
        if (dialog.exec() != QDialog::Accepted)
            return;
        if (context_.session.Revise(dialog.Values()) < 0)
            return;
        context_.window.ShowPosition();
        if (!dialog.SaveAndNext() || context_.editNextMode != 1)
            return;
        context_.window.Next();
    }
}
