// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "CommandContext.h"

// The File menu's Edit command (EdThis on the maintainers' bar): revises the passage shown in the
// Edit Passage dialog, after the confirmation the preferences ask for. In the maintainers' mode
// the dialog's Save-and-next goes on with the next passage.
class CEditPassageCommand {
public:
    explicit CEditPassageCommand(const CommandContext& context) : context_(context) {}

    // The command; with no passage shown it beeps.
    void Run();

private:
    CommandContext context_;
};
