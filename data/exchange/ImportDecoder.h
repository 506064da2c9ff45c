// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <string_view>

// The bytes of a file to import as UTF-8 text, and how they were read.
//
// A byte-order mark decides (UTF-8, or UTF-16 in either byte order); without one, each line that
// is well-formed UTF-8 is read as UTF-8 and any other line as Windows-1252, so that a file pieced
// together from both reads right.
struct DecodedImport {
    std::string text; // UTF-8, without the byte-order mark
    // "UTF-8", "Windows-1252", "UTF-16", with a note of the lines read otherwise in a file that
    // mixes the two.
    std::string encoding;
};

// Decodes bytes as above. Unpaired UTF-16 surrogates become U+FFFD.
DecodedImport DecodeImport(std::string_view bytes);
