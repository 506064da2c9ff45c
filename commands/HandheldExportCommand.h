// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "CommandContext.h"

// The File menu's "Export Pocket PC" command: the user's active passages go to the companion
// program on a handheld through the desktop program "Export.exe", which carries the export file
// over. The command guides the user, brings the export file up to date and starts the exporter;
// what the exporter does is its own business. Probes and launch go through the shell service.
class CHandheldExportCommand {
public:
    // Whether the command can work here: the handheld synchronisation library "rapi" loads and
    // "Export.exe" can be opened in the working directory.
    static bool Available();

    explicit CHandheldExportCommand(const CommandContext& context) : context_(context) {}

    // The command: on the first use the instructions (OK sets PpcSyncInitialized in the
    // preferences, Cancel ends the command), then the export file when it is out of date, then the
    // connection reminder, whose OK starts the exporter without waiting for it (a message names it
    // and the reason when it cannot be started).
    void Run();

private:
    CommandContext context_;
};
