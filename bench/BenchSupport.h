// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "Platform.h"
#include "SyntheticCollection.h"

#include <cstddef>
#include <filesystem>
#include <string>

// What the benchmark programs share. A benchmark that meets a fault stops at once: its figures
// would otherwise measure an error path.

// Any message from the data layer means the collection or the layer is broken: it is printed
// under the program's name and the program aborts.
class CFailingSink : public IMessageSink {
public:
    explicit CFailingSink(const char* program) : program_(program) {}
    void Show(const std::string& caption, const std::string& text, MsgIcon icon) override;

private:
    const char* program_;
};

// Prints what went wrong under the program's name and ends it with a failure status.
[[noreturn]] void BenchFail(const char* program, const std::string& what);

// A new directory for the program's files, below $RECITOR_BENCH_DIR when set (a disk of one's
// choice), else below the system's temporary directory.
std::filesystem::path MakeBenchRoot(const char* program);

// A new directory for the program (MakeBenchRoot) holding the collection options describe, which
// info then describes; a collection that cannot be written ends the program.
std::filesystem::path WriteBenchCollection(const char* program, SyntheticCollectionInfo& info,
                                           const SyntheticCollectionOptions& options = {});

// The process's resident memory in bytes (0 when it cannot be read).
std::size_t ResidentBytes();
