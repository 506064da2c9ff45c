// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "CommandContext.h"

// The maintainers' EdNx command: steps to the next passage and revises it as Edit does.
class CEditNextCommand {
public:
    explicit CEditNextCommand(const CommandContext& context) : context_(context) {}

    void Run();

private:
    CommandContext context_;
};
