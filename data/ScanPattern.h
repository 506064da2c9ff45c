#pragma once

#include <array>
#include <cstdint>
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

    Result Match(std::string_view line) const;

private:
    enum class OpKind { Literal, Space, Int, Token };
    struct Op {
        OpKind kind;
        std::string_view literal; // for Literal: a run of ordinary characters
    };
    std::vector<Op> ops_;
};

// Reads a decimal number at the start of text as "%d" does (leading white space, optional sign,
// digits; an out-of-range value is cut to 32 bits as the C library's conversion does). Returns
// false when no number is there; consumed tells how many characters were used.
bool ScanInt(std::string_view text, std::int32_t& value, std::size_t* consumed = nullptr);

// Reads an unsigned decimal number at the start of text the way the C library's strtoul does,
// cut to 32 bits; 0 when there is none.
std::uint32_t ScanUnsigned(std::string_view text);

// Blank, or one of the control characters tab, LF, vertical tab, form feed and CR (9 to 13).
inline bool IsScanSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
