// SPDX-License-Identifier: GPL-2.0-or-later
#include "TextFormat.h"

#include <charconv>
#include <cstring>

namespace {

void AppendDigits(std::string& out, bool negative, std::string_view digits, int width,
                  bool zeroPad) {
    const int length = static_cast<int>(digits.size()) + (negative ? 1 : 0);
    const int fill = width > length ? width - length : 0;
    if (!zeroPad)
        out.append(static_cast<std::size_t>(fill), ' ');
    if (negative)
        out.push_back('-');
    if (zeroPad)
        out.append(static_cast<std::size_t>(fill), '0');
    out.append(digits);
}

} // namespace

void AppendInt(std::string& out, std::int64_t value, int width, bool zeroPad) {
    char buffer[24];
    const bool negative = value < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude);
    AppendDigits(out, negative, std::string_view(buffer, result.ptr - buffer), width, zeroPad);
}

void AppendUnsigned(std::string& out, std::uint64_t value, int width, bool zeroPad) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    AppendDigits(out, false, std::string_view(buffer, result.ptr - buffer), width, zeroPad);
}

void AppendLimited(std::string& out, std::string_view text, std::size_t precision) {
    text = text.substr(0, precision);
    if (text.empty())
        return;
    if (const void* nul = std::memchr(text.data(), '\0', text.size()))
        text = text.substr(0, static_cast<const char*>(nul) - text.data());
    out.append(text);
}
