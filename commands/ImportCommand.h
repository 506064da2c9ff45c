// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "CommandContext.h"

// The File menu's Import Passages command: asks for a text file of passages, reads it, shows
// what it will add and what it will not, and on the user's confirmation adds the passages to the
// collection as passages of the user's own (saved, as every added passage is, at the next save).
// The translation the user chooses in the preview for the lines without one is kept in the
// preferences.
class CImportCommand {
public:
    explicit CImportCommand(const CommandContext& context) : context_(context) {}

    // The command; returns the number of passages added.
    int Run();

private:
    CommandContext context_;
};
