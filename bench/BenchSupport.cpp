// SPDX-License-Identifier: GPL-2.0-or-later
#include "BenchSupport.h"

#include <cstdio>
#include <cstdlib>

#include <stdlib.h>
#include <unistd.h>

void CFailingSink::Show(const std::string& caption, const std::string& text, MsgIcon) {
    std::fprintf(stderr, "%s: unexpected message [%s]\n%s\n", program_, caption.c_str(),
                 text.c_str());
    std::abort();
}

void BenchFail(const char* program, const std::string& what) {
    std::fprintf(stderr, "%s: %s\n", program, what.c_str());
    std::exit(EXIT_FAILURE);
}

std::filesystem::path MakeBenchRoot(const char* program) {
    const char* parent = std::getenv("RECITOR_BENCH_DIR");
    std::string pattern = ((parent && *parent) ? std::filesystem::path(parent)
                                               : std::filesystem::temp_directory_path()) /
                          program;
    pattern += "-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        BenchFail(program, "cannot create a directory from " + pattern);
    return pattern;
}

std::size_t ResidentBytes() {
    long pages = 0;
    long resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<std::size_t>(resident) * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

std::filesystem::path WriteBenchCollection(const char* program, SyntheticCollectionInfo& info,
                                           const SyntheticCollectionOptions& options) {
    const std::filesystem::path root = MakeBenchRoot(program);
    std::string error;
    if (!WriteSyntheticCollection(root, options, info, error))
        BenchFail(program, "cannot generate the collection: " + error);
    return root;
}
