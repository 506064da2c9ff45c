// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

class QWidget;

// Whether path is, or could become, one of the files the program keeps its collection, its
// statistics, its pending save or its tips in: the same file as one of the working directory's,
// or a file named like one of them in any case, anywhere (a copy moved into the working
// directory later would stand in for the real one). A file a command saves must never be one.
bool IsProgramFile(const QString& path);

// When path is one of the program's files, says so over owner ("Choose another name for the
// <what>.") and gives true: the caller then saves nothing.
bool RefuseProgramFile(QWidget* owner, const QString& path, const QString& what);
