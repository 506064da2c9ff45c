// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "CommandContext.h"
#include "Passage.h"

// The File menu's Add command: the Edit Passage dialog for a new passage, whose values go into
// the collection as a passage of the user's own, shown when the tree lists it.
class CAddPassageCommand {
public:
    explicit CAddPassageCommand(const CommandContext& context) : context_(context) {}

    // The command. A full user file is told before anything is typed into the dialog.
    void Run();
    // Takes values into the collection as a new passage and shows it when the listing holds it
    // (else the position stays). False when the store refused it (it has said why); nothing has
    // changed then.
    bool Take(const CPassage::Values& values);

private:
    CommandContext context_;
};
