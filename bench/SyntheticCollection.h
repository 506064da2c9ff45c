// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

// Writes a synthetic passage collection at the largest size the files may have: a baseline file,
// a user file and a statistics file (with an empty spare) whose element counts, line lengths and
// context texts are those of a well-used collection at its limits. The output depends only on the
// options: the generator has its own random sequence, so the same options give the same bytes on
// every machine and with every standard library.
//
// The files are written exactly as the program itself writes them, so a store that loads the
// collection and saves it again reproduces the user and statistics files byte for byte.

struct SyntheticCollectionOptions {
    int baselineCount = 15000; // elements of the baseline file
    int userCount = 15000;     // elements of the user file
    int revisedCount = 5000;   // user elements that carry the VerseKey of a baseline element
    int statsCount = 15000;    // statistics lines, each for a distinct passage of the collection
    std::uint64_t seed = 0x5265636974u;
};

struct SyntheticCollectionInfo {
    int passageCount = 0;     // passages after merging: baseline + user - revised
    int sharedCount = 0;      // baseline elements that take their context from a context record
    int contextRecords = 0;   // the context records they take it from
    int longContexts = 0;     // contexts close to the 2,320-character limit
    int activeCount = 0;      // passages with a statistics line (frequency class 0-2)
    int maxLineLength = 0;    // longest element line, without its line break
    double meanContext = 0.0; // mean context length in characters, as held in memory
    std::uintmax_t infoBytes = 0;
    std::uintmax_t userBytes = 0;
    std::uintmax_t statsBytes = 0;

    std::uintmax_t TotalBytes() const { return infoBytes + userBytes + statsBytes; }
};

// Writes RctInfo.xml, RctUser.xml, RctStats.xml and RctStatsSpare.xml into directory, which must
// exist. Returns false with a reason in error when the options cannot be met or a file cannot be
// written.
bool WriteSyntheticCollection(const std::filesystem::path& directory,
                              const SyntheticCollectionOptions& options,
                              SyntheticCollectionInfo& info, std::string& error);
