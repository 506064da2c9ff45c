// SPDX-License-Identifier: GPL-2.0-or-later
#include "QtBenchRun.h"

#include <benchmark/benchmark.h>

namespace {
// Before the application object exists, which reads it.
int& OffscreenArgc(int& argc) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return argc;
}
} // namespace

CQtBenchRun::CQtBenchRun(int& argc, char** argv) : application_(OffscreenArgc(argc), argv) {
    benchmark::Initialize(&argc, argv);
    argumentsOk_ = !benchmark::ReportUnrecognizedArguments(argc, argv);
}

void CQtBenchRun::Run() {
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
