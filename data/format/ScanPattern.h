// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// Matches a text line against a fixed pattern with the rules of the C scanf family, which the
// data files are defined by: "%d" is a decimal number of any width with optional leading white
// space and sign, "%s" a blank-delimited token, a blank in the pattern matches any run of white
// space (including none), and every other pattern character must match itself. Matching stops at
// the first mismatch; the result counts the items converted until then, or is kScanEof when the
// line ended before the first conversion, as scanf's EOF.
class CScanPattern {
public:
    static constexpr int kScanEof = -1;
    static constexpr int kMaxInts = 9;

    struct Result {
        int count = 0;                             // items converted, or kScanEof
        std::array<std::int32_t, kMaxInts> ints{}; // the "%d" values, in order
        std::string_view token;                    // the "%s" token (one per pattern at most)
    };

    explicit CScanPattern(std::string_view pattern);
    // A pattern whose lines nearly always come in the one form the program writes: each blank of
    // the pattern as one blank and each conversion as exactly its usual width of digits (for "%d",
    // at most nine) or of characters other than white space (for "%s"). Lines of that form are
    // checked in one pass over fixed places; any other line is matched step by step.
    CScanPattern(std::string_view pattern, std::initializer_list<int> usualWidths);

    Result Match(std::string_view line) const;
    // The step-by-step match, which Match gives the same result as for every line.
    Result MatchStepwise(std::string_view line) const;

private:
    enum class OpKind { Literal, Space, Int, Token };
    struct Op {
        OpKind kind;
        std::string_view literal; // for Literal: a run of ordinary characters
    };
    // A conversion's place in a line of the usual form.
    struct UsualField {
        std::size_t start;
        std::size_t width;
        bool number;
    };
    bool MatchUsual(std::string_view line, Result& result) const;

    std::vector<Op> ops_;
    // The usual form: its characters (conversion places hold anything) and, for each place,
    // whether it must be that character ('='), a digit ('d') or not white space ('t').
    std::string usualText_;
    std::string usualKind_;
    std::vector<UsualField> usualFields_;
    // usualKind_ as bit masks, one bit a place, for each whole block of sixteen places.
    struct BlockMasks {
        std::uint16_t exact = 0;
        std::uint16_t digit = 0;
        std::uint16_t token = 0;
    };
    std::vector<BlockMasks> usualBlocks_;
};

// Reads a decimal number at the start of text as "%d" does (leading white space, optional sign,
// digits; an out-of-range value is cut to 32 bits as the C library's conversion does). Returns
// false when no number is there; consumed tells how many characters were used.
bool ScanInt(std::string_view text, std::int32_t& value, std::size_t* consumed = nullptr);

// Reads an unsigned decimal number at the start of text as "%u" does: leading white space, an
// optional sign (a minus negates modulo 2^32), then the digits up to the first other character,
// cut to 32 bits as the C library's conversion does. Without a digit nothing is read: it returns
// false and value keeps what it held.
bool ScanUnsigned(std::string_view text, std::uint32_t& value);

// Blank, or one of the control characters tab, LF, vertical tab, form feed and CR (9 to 13).
inline bool IsScanSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
