// SPDX-License-Identifier: GPL-2.0-or-later
#include "ScanPattern.h"

#include "Simd.h"

#include <algorithm>
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
    // Eighteen digits never exceed the limit, so the usual short numbers need no check.
    const std::size_t unchecked = std::min(text.size(), pos + 18);
    while (pos < unchecked && IsDigit(text[pos]))
        value = value * 10 + static_cast<unsigned>(text[pos++] - '0');
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

CScanPattern::CScanPattern(std::string_view pattern, std::initializer_list<int> usualWidths)
    : CScanPattern(pattern) {
    // A conversion has a usual form only where the step-by-step match would end it at the same
    // place: a number before a blank or a literal that does not begin with a digit, a token
    // before a blank. Anything else, or a width missing, leaves the pattern without one.
    const auto endsConversion = [this](std::size_t next, bool number) {
        if (next == ops_.size())
            return false;
        const Op& op = ops_[next];
        return op.kind == OpKind::Space ||
               (number && op.kind == OpKind::Literal && !IsDigit(op.literal.front()));
    };
    const int* width = usualWidths.begin();
    int numbers = 0;
    for (std::size_t i = 0; i < ops_.size(); ++i) {
        const Op& op = ops_[i];
        if (op.kind == OpKind::Literal) {
            usualText_.append(op.literal);
            usualKind_.append(op.literal.size(), '=');
        } else if (op.kind == OpKind::Space) {
            usualText_.push_back(' ');
            usualKind_.push_back('=');
        } else {
            const bool number = op.kind == OpKind::Int;
            const int places = width < usualWidths.end() ? *width++ : 0;
            numbers += number ? 1 : 0;
            if (places <= 0 || (number && places > 9) || numbers > kMaxInts ||
                !endsConversion(i + 1, number)) {
                usualText_.clear();
                usualKind_.clear();
                usualFields_.clear();
                return;
            }
            const auto count = static_cast<std::size_t>(places);
            usualFields_.push_back({usualText_.size(), count, number});
            usualText_.append(count, '0');
            usualKind_.append(count, number ? 'd' : 't');
        }
    }
    for (std::size_t block = 0; block + Simd::kBlock <= usualKind_.size(); block += Simd::kBlock) {
        BlockMasks masks;
        for (std::size_t i = 0; i < Simd::kBlock; ++i) {
            const auto bit = static_cast<std::uint16_t>(1u << i);
            const char kind = usualKind_[block + i];
            if (kind == '=')
                masks.exact |= bit;
            else if (kind == 'd')
                masks.digit |= bit;
            else
                masks.token |= bit;
        }
        usualBlocks_.push_back(masks);
    }
}

CScanPattern::Result CScanPattern::Match(std::string_view line) const {
    Result result;
    if (MatchUsual(line, result))
        return result;
    return MatchStepwise(line);
}

// Every place of the usual form at once, sixteen at a time: in such a line each blank of the
// pattern is one blank, each number has no sign or blanks before it and ends where the next
// literal character begins, and each token ends at the blank after it, so the step-by-step match
// would convert exactly these fields.
bool CScanPattern::MatchUsual(std::string_view line, Result& result) const {
    const std::size_t size = usualKind_.size();
    if (size == 0 || line.size() < size)
        return false;
    std::size_t i = 0;
    for (const BlockMasks& masks : usualBlocks_) {
        const Simd::BlockClasses classes =
            Simd::ClassifyBlock(line.data() + i, usualText_.data() + i);
        i += Simd::kBlock;
        if ((classes.equal & masks.exact) != masks.exact ||
            (classes.digit & masks.digit) != masks.digit || (classes.space & masks.token) != 0)
            return false;
    }
    for (; i < size; ++i) {
        const char c = line[i];
        const char kind = usualKind_[i];
        if (kind == '=' ? c != usualText_[i] : kind == 'd' ? !IsDigit(c) : IsScanSpace(c))
            return false;
    }
    int ints = 0;
    for (const UsualField& field : usualFields_) {
        const std::string_view text = line.substr(field.start, field.width);
        if (field.number) {
            std::int32_t value = 0;
            for (const char c : text)
                value = value * 10 + (c - '0');
            result.ints[static_cast<std::size_t>(ints++)] = value;
        } else
            result.token = text;
    }
    result.count = static_cast<int>(usualFields_.size());
    return true;
}

CScanPattern::Result CScanPattern::MatchStepwise(std::string_view line) const {
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

bool ScanUnsigned(std::string_view text, std::uint32_t& value) {
    std::size_t pos = SkipSpace(text, 0);
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos == text.size() || !IsDigit(text[pos]))
        return false;
    const std::uint64_t digits = ReadDigits(text, pos);
    value = static_cast<std::uint32_t>(negative ? 0 - digits : digits);
    return true;
}
