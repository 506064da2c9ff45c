#include "ScanPattern.h"

#include <cstring>
#include <limits>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t SkipSpace(std::string_view text, std::size_t pos) {
    while (pos < text.size() && IsScanSpace(text[pos]))
        ++pos;
    return pos;
}

// Accumulates digits from pos, saturating instead of overflowing.
std::uint64_t ReadDigits(std::string_view text, std::size_t& pos) {
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    // value * 10 + digit exceeds kMax exactly when value is above kMax / 10, or equal to it with a
    // digit above kMax % 10: constants, where the plain bound would divide for every digit.
    constexpr std::uint64_t kLimit = kMax / 10;
    constexpr unsigned kLastDigit = kMax % 10;
    std::uint64_t value = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
        const unsigned digit = static_cast<unsigned>(text[pos] - '0');
        const bool overflows = value > kLimit || (value == kLimit && digit > kLastDigit);
        value = overflows ? kMax : value * 10 + digit;
        ++pos;
    }
    return value;
}

// Whether the first length characters at a and b are equal. Pattern literals are a few characters
// long, so eight are compared at a time in place, which costs less than a call to compare them.
bool SameBytes(const char* a, const char* b, std::size_t length) {
    for (; length >= 8; a += 8, b += 8, length -= 8) {
        std::uint64_t x;
        std::uint64_t y;
        std::memcpy(&x, a, sizeof x);
        std::memcpy(&y, b, sizeof y);
        if (x != y)
            return false;
    }
    for (; length > 0; ++a, ++b, --length)
        if (*a != *b)
            return false;
    return true;
}

enum class IntScan { Ok, NoInput, NoNumber };

// "%d" from pos: the C library converts with a 64-bit strtol (which saturates) and stores the low
// 32 bits.
inline IntScan ScanIntAt(std::string_view text, std::size_t& pos, std::int32_t& value) {
    pos = SkipSpace(text, pos);
    if (pos == text.size())
        return IntScan::NoInput;
    bool negative = false;
    if (text[pos] == '+' || text[pos] == '-') {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos == text.size() || !IsDigit(text[pos]))
        return IntScan::NoNumber;
    const std::uint64_t magnitude = ReadDigits(text, pos);
    constexpr std::uint64_t kLongMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t wide;
    if (negative)
        wide = magnitude > kLongMax ? std::numeric_limits<std::int64_t>::min()
                                    : -static_cast<std::int64_t>(magnitude);
    else
        wide = magnitude > kLongMax ? std::numeric_limits<std::int64_t>::max()
                                    : static_cast<std::int64_t>(magnitude);
    value = static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(wide)));
    return IntScan::Ok;
}

} // namespace

CScanPattern::CScanPattern(std::string_view pattern) {
    std::size_t i = 0;
    while (i < pattern.size()) {
        if (IsScanSpace(pattern[i])) {
            while (i < pattern.size() && IsScanSpace(pattern[i]))
                ++i;
            ops_.push_back({OpKind::Space, {}});
        } else if (pattern[i] == '%' && i + 1 < pattern.size()) {
            ops_.push_back({pattern[i + 1] == 'd' ? OpKind::Int : OpKind::Token, {}});
            i += 2;
        } else {
            const std::size_t start = i;
            while (i < pattern.size() && !IsScanSpace(pattern[i]) && pattern[i] != '%')
                ++i;
            ops_.push_back({OpKind::Literal, pattern.substr(start, i - start)});
        }
    }
}

CScanPattern::Result CScanPattern::Match(std::string_view line) const {
    Result result;
    std::size_t pos = 0;
    int ints = 0;
    const auto inputFailure = [&result] {
        if (result.count == 0)
            result.count = kScanEof;
        return result;
    };
    for (const Op& op : ops_) {
        switch (op.kind) {
        case OpKind::Space:
            pos = SkipSpace(line, pos);
            break;
        case OpKind::Literal: {
            // A differing character stops the match; a line that ends inside the literal after
            // matching all of it that is there is an input failure.
            const std::size_t available = line.size() - pos;
            const std::size_t length = op.literal.size();
            if (available >= length) {
                if (!SameBytes(line.data() + pos, op.literal.data(), length))
                    return result;
                pos += length;
                break;
            }
            if (!SameBytes(line.data() + pos, op.literal.data(), available))
                return result;
            return inputFailure();
        }
        case OpKind::Int: {
            std::int32_t value = 0;
            switch (ScanIntAt(line, pos, value)) {
            case IntScan::NoInput:
                return inputFailure();
            case IntScan::NoNumber:
                return result;
            case IntScan::Ok:
                break;
            }
            if (ints < kMaxInts)
                result.ints[static_cast<std::size_t>(ints++)] = value;
            ++result.count;
            break;
        }
        case OpKind::Token: {
            pos = SkipSpace(line, pos);
            if (pos == line.size())
                return inputFailure();
            const std::size_t start = pos;
            while (pos < line.size() && !IsScanSpace(line[pos]))
                ++pos;
            result.token = line.substr(start, pos - start);
            ++result.count;
            break;
        }
        }
    }
    return result;
}

bool ScanInt(std::string_view text, std::int32_t& value, std::size_t* consumed) {
    std::size_t pos = 0;
    if (ScanIntAt(text, pos, value) != IntScan::Ok)
        return false;
    if (consumed)
        *consumed = pos;
    return true;
}

std::uint32_t ScanUnsigned(std::string_view text) {
    std::size_t pos = SkipSpace(text, 0);
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos == text.size() || !IsDigit(text[pos]))
        return 0;
    std::uint64_t value = ReadDigits(text, pos);
    if (negative)
        value = 0 - value;
    return static_cast<std::uint32_t>(value);
}
