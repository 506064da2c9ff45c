// SPDX-License-Identifier: GPL-2.0-or-later
// Writes the maximum synthetic collection into a directory, so that the whole program can be
// started on it (the start-up measurement does that).

#include "SyntheticCollection.h"

#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 2;
    }
    const std::filesystem::path directory = argv[1];
    std::error_code ignored;
    std::filesystem::create_directories(directory, ignored);
    SyntheticCollectionInfo info;
    std::string error;
    if (!WriteSyntheticCollection(directory, SyntheticCollectionOptions{}, info, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::printf("%d passages, %d active, %ju bytes\n", info.passageCount, info.activeCount,
                info.TotalBytes());
    return 0;
}
