// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The fixed pieces of the passage and statistics files that the passage record and the store both
// read and write, and the arithmetic their numbers are kept in. The bytes are those the files have
// always had, so none of them can change.

// First line of the passage and statistics files.
inline constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" standalone=\"no\" ?>";
// Last line of the passage and statistics files.
inline constexpr std::string_view kEndLine = "</passages>";
// End of every line the program writes.
inline constexpr std::string_view kCrLf = "\r\n";
// A line break inside a text that has to stay on one file line.
inline constexpr std::string_view kEscapedBreak = "\\n";
// End of a passage element and of a statistics line.
inline constexpr std::string_view kElementClosing = "\"> </psg>";
// Version in the headers of the user and statistics files and of the handheld export.
inline constexpr int kFormatVersion = 20031126;
// The second line of the passage files, as the loader reads it (count, version), and the same
// line of the statistics file, whose version the loader does not need.
inline constexpr std::string_view kHeaderPattern = "<passages count=\"%d\" formatversion=\"%d\">";
inline constexpr std::string_view kStatsHeaderPattern = "<passages count=\"%d\">";

// Appends the second line of a passage or statistics file for count entries, with its CR LF, as
// the program writes it: the count in at least three digits, the version.
void AppendPassagesHeader(std::string& out, int count);
// A passage file without passages, as the program writes its user file: no CR LF after the last
// line (its statistics file has one).
std::string EmptyPassageFile();

// value cut to its low 32 bits, read as a signed number: offsets, verse numbers and the score wrap
// around as 32-bit numbers rather than overflow when a damaged file makes them huge.
constexpr int WrapAdd(std::int64_t value) {
    return static_cast<int>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}
