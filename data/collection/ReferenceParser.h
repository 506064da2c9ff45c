// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// A reference as people write it ("1 John 4:8", "Song of Solomon 2:4-6", "Jude 3", "Jn 3:16"),
// read against the book table: what the import reads in a file and what Check Recitation
// recognises when a reference is typed with the passage.
struct WrittenReference {
    int book = 0;
    std::uint32_t chapter = 0;
    std::uint32_t firstVerse = 0;
    std::uint32_t lastVerse = 0;
};

// Reads text as a reference; false with reason set (UTF-8) when it cannot be read.
bool ParseReference(std::string_view text, WrittenReference& reference, std::string& reason);
