// SPDX-License-Identifier: GPL-2.0-or-later
#include "FlashcardExportCommand.h"

#include "FlashcardExportDlg.h"
#include "Preferences.h"

bool CFlashcardExportCommand::Run(int topic) {
    CPreferences& prefs = context_.prefs;
    CFlashcardExportDlg dialog(
        context_.store, prefs.TransFilter, topic,
        {.hintOnFront = prefs.FlashcardHintOnFront, .contextOnBack = prefs.FlashcardContextOnBack},
        context_.owner);
    dialog.exec();
    const AnkiSides sides = dialog.Sides();
    if (sides.hintOnFront == prefs.FlashcardHintOnFront &&
        sides.contextOnBack == prefs.FlashcardContextOnBack)
        return false;
    prefs.FlashcardHintOnFront = sides.hintOnFront;
    prefs.FlashcardContextOnBack = sides.contextOnBack;
    return true;
}
