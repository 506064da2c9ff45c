// SPDX-License-Identifier: GPL-2.0-or-later
// The fast byte kernels against their plain forms: for every input, the same result. The inputs
// cover every length up to four blocks, every byte the kernels treat specially (and its
// neighbours) at every place of those lengths, and random texts from a fixed seed.

#include "ScanPattern.h"
#include "Simd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t kMaxLength = 4 * Simd::kBlock;

// Texts of every length from 0 to kMaxLength of one ordinary byte, with each special byte put at
// each place in turn.
template <typename Check> void ForEveryPlacedByte(std::string_view specials, const Check& check) {
    for (std::size_t length = 0; length <= kMaxLength; ++length) {
        const std::string plain(length, 'x');
        check(plain);
        for (std::size_t at = 0; at < length; ++at)
            for (const char special : specials) {
                std::string text = plain;
                text[at] = special;
                check(text);
            }
    }
}

// The bytes of the stops, the bytes beside them, and bytes at the ends of the signed and unsigned
// ranges, where a comparison of the wrong signedness would show.
std::string SpecialsAround(std::string_view stops) {
    std::string specials = {'\0', '\x7f', '\x80', '\xff', 'x'};
    for (const char stop : stops)
        specials += {stop, static_cast<char>(stop - 1), static_cast<char>(stop + 1)};
    return specials;
}

// Runs both forms of CopyUntil on text, read from where it starts at offset bytes into a buffer
// of exactly its size and copied into buffers of exactly the room the contract allows, so that
// the sanitizer build catches a read or a write beyond them. Both must stop at the same place and
// have copied the same bytes before it.
template <char... stops> void ExpectSameCopy(std::string_view text, std::size_t offset = 0) {
    std::vector<char> input(offset + text.size());
    std::copy(text.begin(), text.end(), input.begin() + static_cast<std::ptrdiff_t>(offset));
    const char* const begin = input.data() + offset;
    const char* const end = begin + text.size();
    std::vector<char> fastOut(text.size());
    std::vector<char> plainOut(text.size());
    const char* const fast = Simd::CopyUntil<stops...>(begin, end, fastOut.data());
    const char* const plain = Simd::Plain::CopyUntil<stops...>(begin, end, plainOut.data());
    ASSERT_EQ(fast - begin, plain - begin) << testing::PrintToString(std::string(text));
    ASSERT_TRUE(std::equal(plainOut.begin(), plainOut.begin() + (plain - begin), fastOut.begin()))
        << testing::PrintToString(std::string(text));
}

// Random texts of up to kMaxLength * 4 bytes: mostly ordinary bytes with specials strewn in, or
// any bytes at all, read from every offset into a block.
template <typename Check>
void ForRandomTexts(std::string_view specials, unsigned seed, const Check& check) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::size_t> length(0, 4 * kMaxLength);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> pick(0, specials.size() - 1);
    for (int round = 0; round < 4000; ++round) {
        std::string text(length(random), '\0');
        const bool anyBytes = round % 4 == 0;
        for (char& c : text)
            c = anyBytes            ? static_cast<char>(byte(random))
                : byte(random) < 16 ? specials[pick(random)]
                                    : static_cast<char>('a' + byte(random) % 26);
        check(text, static_cast<std::size_t>(round) % Simd::kBlock);
    }
}

} // namespace

// The unescaping of a context stops at backslashes and ampersands.
TEST(SimdCopyUntil, UnescapeStopsGiveThePlainResult) {
    const std::string specials = SpecialsAround("\\&");
    ForEveryPlacedByte(specials, [](const std::string& text) { ExpectSameCopy<'\\', '&'>(text); });
    ForRandomTexts(specials, 20240601, [](const std::string& text, std::size_t offset) {
        ExpectSameCopy<'\\', '&'>(text, offset);
    });
}

// The escaping of a context stops at line ends, quotation marks and apostrophes.
TEST(SimdCopyUntil, EscapeStopsGiveThePlainResult) {
    const std::string specials = SpecialsAround("\r\n\"'");
    ForEveryPlacedByte(
        specials, [](const std::string& text) { ExpectSameCopy<'\r', '\n', '"', '\''>(text); });
    ForRandomTexts(specials, 20240602, [](const std::string& text, std::size_t offset) {
        ExpectSameCopy<'\r', '\n', '"', '\''>(text, offset);
    });
}

// A stop is found wherever it lies, and the first of several is the one found: a second stop in
// the same block or a later one must not hide it.
TEST(SimdCopyUntil, FirstOfTwoStopsAtEveryPairOfPlaces) {
    for (std::size_t length = 2; length <= kMaxLength; ++length)
        for (std::size_t first = 0; first < length; ++first)
            for (std::size_t second = first + 1; second < length; ++second) {
                std::string text(length, 'x');
                text[first] = '&';
                text[second] = '\\';
                ExpectSameCopy<'\\', '&'>(text);
                std::swap(text[first], text[second]);
                ExpectSameCopy<'\\', '&'>(text);
            }
}

namespace {

using Block = std::array<char, Simd::kBlock>;

void ExpectSameClasses(const Block& text, const Block& usual) {
    const Simd::BlockClasses fast = Simd::ClassifyBlock(text.data(), usual.data());
    const Simd::BlockClasses plain = Simd::Plain::ClassifyBlock(text.data(), usual.data());
    const std::string shown = testing::PrintToString(std::string(text.begin(), text.end())) +
                              " against " +
                              testing::PrintToString(std::string(usual.begin(), usual.end()));
    ASSERT_EQ(fast.equal, plain.equal) << shown;
    ASSERT_EQ(fast.digit, plain.digit) << shown;
    ASSERT_EQ(fast.space, plain.space) << shown;
}

} // namespace

// The usual-form matcher classifies blocks of a line as digits, white space and bytes equal to
// the usual line's: every byte value at every place, equal to the usual byte there or not.
TEST(SimdClassifyBlock, EveryByteAtEveryPlaceGivesThePlainResult) {
    constexpr std::string_view kUsual = "<psg key=\"01234 ";
    static_assert(kUsual.size() == Simd::kBlock);
    Block usual;
    std::copy(kUsual.begin(), kUsual.end(), usual.begin());
    for (std::size_t at = 0; at < Simd::kBlock; ++at)
        for (int value = 0; value < 256; ++value) {
            Block text = usual;
            text[at] = static_cast<char>(value);
            ExpectSameClasses(text, usual);
            Block other = usual;
            other[at] = static_cast<char>(value ^ 1);
            ExpectSameClasses(text, other);
        }
}

// The plain form is the definition the step-by-step matcher shares: its digits are '0' to '9' and
// its white space is what the scan functions skip.
TEST(SimdClassifyBlock, PlainClassesAreThoseOfTheScanFunctions) {
    for (int first = 0; first < 256; first += static_cast<int>(Simd::kBlock)) {
        Block text;
        for (std::size_t i = 0; i < Simd::kBlock; ++i)
            text[i] = static_cast<char>(first + static_cast<int>(i));
        const Simd::BlockClasses classes = Simd::Plain::ClassifyBlock(text.data(), text.data());
        EXPECT_EQ(classes.equal, 0xffffu);
        for (std::size_t i = 0; i < Simd::kBlock; ++i) {
            const char c = text[i];
            EXPECT_EQ((classes.digit >> i) & 1u, c >= '0' && c <= '9' ? 1u : 0u)
                << static_cast<int>(c);
            EXPECT_EQ((classes.space >> i) & 1u, IsScanSpace(c) ? 1u : 0u) << static_cast<int>(c);
        }
    }
}

TEST(SimdClassifyBlock, RandomBlocksGiveThePlainResult) {
    std::mt19937 random(20240603);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 20000; ++round) {
        Block text;
        Block usual;
        for (std::size_t i = 0; i < Simd::kBlock; ++i) {
            text[i] = static_cast<char>(byte(random));
            // Half the places agree, as in a line near the usual form.
            usual[i] = byte(random) < 128 ? text[i] : static_cast<char>(byte(random));
        }
        ExpectSameClasses(text, usual);
    }
}
