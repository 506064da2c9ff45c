// SPDX-License-Identifier: GPL-2.0-or-later
// The decoding of a file to import: UTF-16 of either byte order with its surrogate pairs, and the
// lines of a mixed file that are read as Windows-1252, named up to ten.

#include "ImportDecoder.h"

#include <gtest/gtest.h>

TEST(ImportDecoderTest, Utf16OfEitherOrderAndTheLinesOfAMixedFile) {
    // Big-endian: "A", U+1F600 as a surrogate pair, and a high surrogate standing alone.
    const std::string be("\xFE\xFF\x00\x41\xD8\x3D\xDE\x00\xD8\x3D\x00\x42", 12);
    const DecodedImport big = DecodeImport(be);
    EXPECT_EQ(big.encoding, "UTF-16");
    EXPECT_EQ(big.text, "A\xF0\x9F\x98\x80\xEF\xBF\xBD"
                        "B");
    EXPECT_EQ(DecodeImport(std::string("\xFF\xFE\x41\x00", 4)).text, "A");

    std::string mixed = "caf\xC3\xA9\n";
    for (int line = 2; line <= 13; ++line)
        mixed += "caf\xE9\n";
    const DecodedImport read = DecodeImport("\xEF\xBB\xBF" + mixed);
    EXPECT_EQ(read.encoding, "UTF-8, with lines that are not UTF-8 read as Windows-1252 (lines 2, "
                             "3, 4, 5, 6, 7, 8, 9, 10, 11, ...)");
    EXPECT_EQ(read.text.substr(0, 12), "caf\xC3\xA9\ncaf\xC3\xA9\n");
    // A byte-order mark makes a file of Windows-1252 lines only a mixed one.
    EXPECT_EQ(DecodeImport("\xEF\xBB\xBF"
                           "caf\xE9\n")
                  .encoding,
              "UTF-8, with lines that are not UTF-8 read as Windows-1252 (line 1)");
}
