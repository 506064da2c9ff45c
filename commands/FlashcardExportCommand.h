// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "CommandContext.h"

// The File menu's Export Flashcards command: the Export Flashcards window over the collection.
// The Anki cards' sides chosen last are offered again, and the user's new choice is kept in the
// preferences.
class CFlashcardExportCommand {
public:
    explicit CFlashcardExportCommand(const CommandContext& context) : context_(context) {}

    // The command; topic is the topic offered first. True when the user changed the sides.
    bool Run(int topic);

private:
    CommandContext context_;
};
