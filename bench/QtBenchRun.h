// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QApplication>

// The start and end of a benchmark program that measures windows: the offscreen platform (the
// windows need no display), the application object, and the benchmark library's own arguments.
class CQtBenchRun {
public:
    CQtBenchRun(int& argc, char** argv);
    // False when the command line holds arguments the benchmark library does not know (they have
    // been reported); the program should then end with status 1.
    bool ArgumentsOk() const { return argumentsOk_; }
    // Runs the benchmarks the command line chose.
    void Run();

private:
    QApplication application_;
    bool argumentsOk_ = false;
};
