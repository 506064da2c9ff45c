// SPDX-License-Identifier: GPL-2.0-or-later
#include "TextEncoding.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

// Characters of the bytes 0x80-0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Decodes the character at text[at]; its length in bytes, or 0 when the bytes there are not
// well-formed UTF-8.
std::size_t DecodeOne(std::string_view text, std::size_t at, char32_t& c) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        c = lead;
        return 1;
    }
    std::size_t length = 0;
    char32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
        min = 0x10000;
    } else
        return 0;
    if (at + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(at + i);
        if ((next & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (next & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

char32_t CharOfWin1252(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : char32_t{byte};
}

bool Win1252OfChar(char32_t c, char& byte) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        byte = static_cast<char>(c);
        return true;
    }
    const auto found = std::find(kHighControls.begin(), kHighControls.end(), c);
    if (found == kHighControls.end())
        return false;
    byte = static_cast<char>(0x80 + (found - kHighControls.begin()));
    return true;
}

void AppendUtf8(std::string& out, char32_t c) {
    const auto put = [&out](std::uint32_t value) { out.push_back(static_cast<char>(value)); };
    const auto value = static_cast<std::uint32_t>(c);
    if (value < 0x80)
        put(value);
    else if (value < 0x800) {
        put(0xC0 | (value >> 6));
        put(0x80 | (value & 0x3F));
    } else if (value < 0x10000) {
        put(0xE0 | (value >> 12));
        put(0x80 | ((value >> 6) & 0x3F));
        put(0x80 | (value & 0x3F));
    } else {
        put(0xF0 | (value >> 18));
        put(0x80 | ((value >> 12) & 0x3F));
        put(0x80 | ((value >> 6) & 0x3F));
        put(0x80 | (value & 0x3F));
    }
}

void AppendUtf8FromWin1252(std::string& out, std::string_view bytes) {
    for (const char byte : bytes) {
        if (static_cast<unsigned char>(byte) < 0x80)
            out.push_back(byte);
        else
            AppendUtf8(out, CharOfWin1252(static_cast<unsigned char>(byte)));
    }
}

bool IsValidUtf8(std::string_view text) {
    char32_t c = 0;
    for (std::size_t at = 0; at < text.size();) {
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            ++at;
            continue;
        }
        const std::size_t length = DecodeOne(text, at, c);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

void Win1252FromUtf8(std::string_view utf8, std::string& out, std::vector<char32_t>& unavailable) {
    out.clear();
    out.reserve(utf8.size());
    char32_t c = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        if (static_cast<unsigned char>(utf8[at]) < 0x80) {
            out.push_back(utf8[at++]);
            continue;
        }
        std::size_t length = DecodeOne(utf8, at, c);
        if (length == 0) { // not expected of checked text: a stray byte counts as U+FFFD
            length = 1;
            c = 0xFFFD;
        }
        at += length;
        char byte = '?';
        if (!Win1252OfChar(c, byte) &&
            std::find(unavailable.begin(), unavailable.end(), c) == unavailable.end())
            unavailable.push_back(c);
        out.push_back(byte);
    }
}
