// SPDX-License-Identifier: GPL-2.0-or-later
#include "VerseText.h"

#include "TextEncoding.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

// Characters outside Windows-1252 that the Bible modules use, with their plain stand-in.
constexpr std::array<std::pair<char32_t, std::string_view>, 12> kStandIns = {{
    {U'\u2010', "-"},
    {U'\u2011', "-"},
    {U'\u2012', "-"},
    {U'\u2015', "--"},
    {U'\u2032', "'"},
    {U'\u2033', "\""},
    {U'\u2212', "-"},
    {U'\u2044', "/"},
    {U'\u200b', ""},
    {U'\u200c', ""},
    {U'\u200d', ""},
    {U'\ufeff', ""},
}};

// UTF-8 to characters; a malformed sequence gives U+FFFD, which has no Windows-1252 form.
std::u32string Decoded(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    std::size_t at = 0;
    while (at < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        const int extra = lead < 0x80    ? 0
                          : lead >= 0xF0 ? 3
                          : lead >= 0xE0 ? 2
                          : lead >= 0xC0 ? 1
                                         : -1;
        char32_t c = extra == 0   ? lead
                     : extra == 1 ? lead & 0x1F
                     : extra == 2 ? lead & 0x0F
                                  : lead & 0x07;
        bool ok = extra >= 0 && at + static_cast<std::size_t>(extra) < utf8.size() + (extra == 0);
        for (int i = 1; ok && i <= extra; ++i) {
            const auto next = static_cast<unsigned char>(utf8[at + static_cast<std::size_t>(i)]);
            ok = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        out.push_back(ok ? c : U'\ufffd');
        at += ok ? static_cast<std::size_t>(extra) + 1 : 1;
    }
    return out;
}

bool IsWordChar(char32_t c) {
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9') ||
           c == U'_';
}

bool StartsWith(const std::u32string& text, std::size_t at, std::u32string_view what) {
    return text.compare(at, what.size(), what) == 0;
}

// Whether an element named name opens at at: "<name" followed by no further letter of a name.
bool OpensElement(const std::u32string& text, std::size_t at, std::u32string_view name) {
    return text[at] == U'<' && StartsWith(text, at + 1, name) &&
           (at + 1 + name.size() >= text.size() || !IsWordChar(text[at + 1 + name.size()]));
}

// Drops every element name written as <name .../>.
void DropEmptyElements(std::u32string& text, std::u32string_view name) {
    std::u32string out;
    std::size_t at = 0;
    while (at < text.size()) {
        if (OpensElement(text, at, name)) {
            const std::size_t close = text.find(U'>', at);
            if (close != std::u32string::npos && text[close - 1] == U'/') {
                at = close + 1;
                continue;
            }
        }
        out.push_back(text[at++]);
    }
    text = std::move(out);
}

// Drops every element name from its opening tag to the nearest closing tag, with what it holds.
void DropElements(std::u32string& text, std::u32string_view name) {
    const std::u32string closing = std::u32string(U"</").append(name).append(U">");
    std::u32string out;
    std::size_t at = 0;
    while (at < text.size()) {
        if (OpensElement(text, at, name)) {
            const std::size_t close = text.find(closing, at);
            if (close != std::u32string::npos) {
                at = close + closing.size();
                continue;
            }
        }
        out.push_back(text[at++]);
    }
    text = std::move(out);
}

// Each remaining tag, and each \marker with an optional trailing star, becomes a blank.
void BlankTagsAndMarkers(std::u32string& text) {
    std::u32string out;
    std::size_t at = 0;
    while (at < text.size()) {
        const char32_t c = text[at];
        if (c == U'<') {
            const std::size_t close = text.find(U'>', at);
            if (close != std::u32string::npos) {
                out.push_back(U' ');
                at = close + 1;
                continue;
            }
        } else if (c == U'\\' && at + 1 < text.size() && text[at + 1] >= U'a' &&
                   text[at + 1] <= U'z') {
            std::size_t end = at + 1;
            while (end < text.size() && text[end] >= U'a' && text[end] <= U'z')
                ++end;
            while (end < text.size() && text[end] >= U'0' && text[end] <= U'9')
                ++end;
            if (end < text.size() && text[end] == U'*')
                ++end;
            out.push_back(U' ');
            at = end;
            continue;
        }
        out.push_back(c);
        ++at;
    }
    text = std::move(out);
}

// The character entities of XML and numeric references.
void ReadEntities(std::u32string& text) {
    static constexpr std::pair<std::u32string_view, char32_t> kNamed[] = {
        {U"&amp;", U'&'}, {U"&lt;", U'<'}, {U"&gt;", U'>'}, {U"&quot;", U'"'}, {U"&apos;", U'\''}};
    std::u32string out;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] == U'&') {
            const auto named =
                std::find_if(std::begin(kNamed), std::end(kNamed),
                             [&](const auto& e) { return StartsWith(text, at, e.first); });
            if (named != std::end(kNamed)) {
                out.push_back(named->second);
                at += named->first.size();
                continue;
            }
            if (StartsWith(text, at, U"&#")) {
                const bool hex =
                    at + 2 < text.size() && (text[at + 2] == U'x' || text[at + 2] == U'X');
                std::size_t end = at + (hex ? 3 : 2);
                char32_t value = 0;
                const std::size_t digitsStart = end;
                for (; end < text.size() && end - digitsStart < 7; ++end) {
                    const char32_t d = text[end];
                    if (d >= U'0' && d <= U'9')
                        value = value * (hex ? 16 : 10) + (d - U'0');
                    else if (hex && ((d >= U'a' && d <= U'f') || (d >= U'A' && d <= U'F')))
                        value = value * 16 + ((d | 0x20) - U'a' + 10);
                    else
                        break;
                }
                if (end > digitsStart && end < text.size() && text[end] == U';' &&
                    value <= 0x10FFFF) {
                    out.push_back(value);
                    at = end + 1;
                    continue;
                }
            }
        }
        out.push_back(text[at++]);
    }
    text = std::move(out);
}

bool IsSpace(char32_t c) {
    return (c >= U'\t' && c <= U'\r') || (c >= U'\x1c' && c <= U' ') || c == U'\x85' ||
           c == U'\xa0' || c == U'\u1680' || (c >= U'\u2000' && c <= U'\u200a') || c == U'\u2028' ||
           c == U'\u2029' || c == U'\u202f' || c == U'\u205f' || c == U'\u3000';
}

// White space collapsed to single blanks, none at either end, none before closing punctuation or
// after an opening quotation mark or parenthesis.
std::u32string Collapsed(const std::u32string& text) {
    std::u32string words;
    bool blank = false;
    for (const char32_t c : text) {
        if (IsSpace(c)) {
            blank = !words.empty();
            continue;
        }
        if (blank)
            words.push_back(U' ');
        blank = false;
        words.push_back(c);
    }
    static constexpr std::u32string_view kClosing = U",.;:?!\u2019\u201d)";
    static constexpr std::u32string_view kOpening = U"\u2018\u201c(";
    std::u32string out;
    for (std::size_t at = 0; at < words.size(); ++at) {
        if (words[at] == U' ' && at + 1 < words.size() &&
            kClosing.find(words[at + 1]) != std::u32string_view::npos)
            continue;
        out.push_back(words[at]);
        if (kOpening.find(words[at]) != std::u32string_view::npos && at + 1 < words.size() &&
            words[at + 1] == U' ')
            ++at;
    }
    return out;
}

} // namespace

bool PlainVerseText(std::string_view osis, std::string& out, char32_t& unconvertible) {
    std::u32string text = Decoded(osis);
    // The stored text's own line breaks carry nothing: a verse is one line.
    std::erase(text, U'\n');
    DropEmptyElements(text, U"note");
    DropElements(text, U"note");
    DropEmptyElements(text, U"title");
    DropElements(text, U"title");
    DropElements(text, U"speaker");
    BlankTagsAndMarkers(text);
    ReadEntities(text);
    // Paragraph marks.
    std::replace(text.begin(), text.end(), U'\u00b6', U' ');
    std::replace(text.begin(), text.end(), U'\u204b', U' ');
    text = Collapsed(text);

    out.clear();
    for (const char32_t c : text) {
        char byte = 0;
        if (Win1252OfChar(c, byte)) {
            out.push_back(byte);
            continue;
        }
        const auto standIn = std::find_if(kStandIns.begin(), kStandIns.end(),
                                          [c](const auto& entry) { return entry.first == c; });
        if (standIn == kStandIns.end()) {
            unconvertible = c;
            return false;
        }
        out.append(standIn->second);
    }
    return true;
}
