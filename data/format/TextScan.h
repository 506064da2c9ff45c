// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <string_view>

// The small helpers that read plain ASCII structure in text of any encoding: blanks, digits,
// trimming and ASCII case.
namespace TextScan {

// A space, tab or line-break character.
inline bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// An ASCII digit.
inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// text without the blanks around it.
inline std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// text with its ASCII capitals made small.
inline std::string Lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

} // namespace TextScan
