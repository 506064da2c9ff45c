// SPDX-License-Identifier: GPL-2.0-or-later
#include "BenchSupport.h"

#include <cstdio>
#include <cstdlib>

#include <stdlib.h>

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
