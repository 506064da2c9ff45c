// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "CommandContext.h"

// The File menu's Delete command (DelThis on the maintainers' bar): deletes the passage shown,
// after the confirmation the preferences ask for, and shows the passage after it.
class CDeletePassageCommand {
public:
    explicit CDeletePassageCommand(const CommandContext& context) : context_(context) {}

    // The command; with no passage shown it beeps.
    void Run();

private:
    CommandContext context_;
};
