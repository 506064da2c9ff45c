// SPDX-License-Identifier: GPL-2.0-or-later
#include "ImportDecoder.h"

#include "TextEncoding.h"

#include <algorithm>
#include <vector>

namespace {

// The lines of a mixed file named in its encoding text; more are shown as "...".
constexpr std::size_t kNamedLines = 10;

std::string DecodeUtf16(std::string_view bytes, bool littleEndian) {
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 8);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const auto unit = [&](std::size_t at) -> char32_t {
            const auto a = static_cast<unsigned char>(bytes[at]);
            const auto b = static_cast<unsigned char>(bytes[at + 1]);
            return littleEndian ? char32_t(a | (b << 8)) : char32_t((a << 8) | b);
        };
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (c >= 0xD800 && c <= 0xDFFF)
            c = 0xFFFD;
        AppendUtf8(text, c);
    }
    return text;
}

} // namespace

DecodedImport DecodeImport(std::string_view bytes) {
    DecodedImport decoded;
    const bool utf16le = bytes.starts_with("\xFF\xFE");
    const bool utf16be = bytes.starts_with("\xFE\xFF");
    if (utf16le || utf16be) {
        decoded.encoding = "UTF-16";
        decoded.text = DecodeUtf16(bytes, utf16le);
        return decoded;
    }
    std::string& text = decoded.text;
    text.reserve(bytes.size() + bytes.size() / 8);
    const bool bom = bytes.starts_with("\xEF\xBB\xBF");
    if (bom)
        bytes.remove_prefix(3);
    std::vector<int> win1252Lines;
    bool utf8Seen = false;
    int line = 1;
    for (std::size_t at = 0; at < bytes.size(); ++line) {
        std::size_t end = bytes.find('\n', at);
        end = end == std::string_view::npos ? bytes.size() : end + 1;
        const std::string_view piece = bytes.substr(at, end - at);
        const bool ascii =
            std::all_of(piece.begin(), piece.end(), [](char c) { return (c & 0x80) == 0; });
        if (ascii || IsValidUtf8(piece)) {
            text.append(piece);
            utf8Seen = utf8Seen || !ascii;
        } else {
            AppendUtf8FromWin1252(text, piece);
            win1252Lines.push_back(line);
        }
        at = end;
    }
    std::string& encoding = decoded.encoding;
    if (win1252Lines.empty())
        encoding = "UTF-8";
    else if (!utf8Seen && !bom)
        encoding = "Windows-1252";
    else {
        encoding = "UTF-8, with lines that are not UTF-8 read as Windows-1252 (line";
        encoding.append(win1252Lines.size() > 1 ? "s " : " ");
        for (std::size_t i = 0; i < win1252Lines.size() && i < kNamedLines; ++i)
            encoding.append(i > 0 ? ", " : "").append(std::to_string(win1252Lines[i]));
        encoding.append(win1252Lines.size() > kNamedLines ? ", ...)" : ")");
    }
    return decoded;
}
