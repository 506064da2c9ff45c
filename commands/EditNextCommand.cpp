// SPDX-License-Identifier: GPL-2.0-or-later
#include "EditNextCommand.h"

#include "EditPassageCommand.h"

void CEditNextCommand::Run() {
    context_.window.Next();
    CEditPassageCommand(context_).Run();
}
