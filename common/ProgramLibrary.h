// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

// The path of the program's own library named fileName, one of those it opens at their first use:
// beside the program in the build tree, else where the install puts it relative to the program's
// directory.
QString ProgramLibrary(const QString& fileName);
