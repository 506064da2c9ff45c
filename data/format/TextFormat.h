// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Number and text formatting with the exact results of the C printf conversions that the data
// files and messages are defined by ("%08u", "%04d", "%2d", "%.200s", ...), written out by hand
// because the file writers run over tens of thousands of lines on every save.

// "%0<width>d" (zeroPad) or "%<width>d": a minus sign counts towards the width.
void AppendInt(std::string& out, std::int64_t value, int width = 0, bool zeroPad = false);

// "%0<width>u" (zeroPad) or "%<width>u".
void AppendUnsigned(std::string& out, std::uint64_t value, int width = 0, bool zeroPad = false);

// "%.<precision>s": at most precision characters, and never past a NUL byte.
void AppendLimited(std::string& out, std::string_view text, std::size_t precision);

// A message text built from pieces, for readability at the call sites.
class CMessage {
public:
    CMessage& operator<<(std::string_view text) {
        text_.append(text);
        return *this;
    }
    CMessage& operator<<(int value) {
        AppendInt(text_, value);
        return *this;
    }
    CMessage& Padded(std::uint32_t value, int width) {
        AppendUnsigned(text_, value, width, true);
        return *this;
    }
    CMessage& Limited(std::string_view text, std::size_t precision) {
        AppendLimited(text_, text, precision);
        return *this;
    }
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};
