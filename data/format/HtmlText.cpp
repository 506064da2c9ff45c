// SPDX-License-Identifier: GPL-2.0-or-later
#include "HtmlText.h"

#include "TextEncoding.h"

#include <charconv>
#include <cstdint>
#include <utility>

namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A tag at html[at] ('<'): its name in lower case and whether it closes, and where it ends
// (after its '>'). False when what follows '<' is no tag ("a < b") or the tag never ends.
struct Tag {
    std::string name;
    bool closing = false;
    std::size_t end = 0;
};
bool ReadTag(std::string_view html, std::size_t at, Tag& tag) {
    std::size_t i = at + 1;
    tag.closing = i < html.size() && html[i] == '/';
    if (tag.closing)
        ++i;
    const bool comment = i < html.size() && html[i] == '!';
    if (!comment && (i >= html.size() || !IsAsciiLetter(html[i])))
        return false;
    // A tag holds no '<': looking no further keeps a text of many '<' linear.
    const std::size_t close = html.find_first_of("<>", i);
    if (close == std::string_view::npos || html[close] != '>')
        return false;
    tag.name.clear();
    while (i < close && (IsAsciiLetter(html[i]) || (html[i] >= '0' && html[i] <= '9')))
        tag.name.push_back(Lower(html[i++]));
    tag.end = close + 1;
    return true;
}

// The character an entity ("amp", "#39", "#x41") stands for, or 0.
char32_t EntityCharacter(std::string_view name) {
    constexpr std::pair<std::string_view, char32_t> kEntities[] = {
        {"amp", U'&'}, {"lt", U'<'}, {"gt", U'>'}, {"quot", U'"'}, {"apos", U'\''}, {"nbsp", 0xA0}};
    for (const auto& [entity, character] : kEntities)
        if (name == entity)
            return character;
    if (name.size() < 2 || name[0] != '#')
        return 0;
    std::uint32_t value = 0;
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const char* first = name.data() + (hex ? 2 : 1);
    const char* last = name.data() + name.size();
    const auto [end, error] = std::from_chars(first, last, value, hex ? 16 : 10);
    if (error != std::errc() || end != last || first == last || value == 0 || value > 0x10FFFF ||
        (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    return value;
}

// The longest entity name looked at: "&#x10FFFF;" and the named ones are shorter.
constexpr std::size_t kMaxEntityLength = 10;

} // namespace

std::string TextFromHtml(std::string_view html) {
    std::string out;
    out.reserve(html.size());
    const auto lineBreakUnlessAtLineStart = [&out] {
        if (!out.empty() && out.back() != '\n')
            out.push_back('\n');
    };
    Tag tag;
    for (std::size_t i = 0; i < html.size();) {
        const char c = html[i];
        if (c == '<' && ReadTag(html, i, tag)) {
            if (tag.name == "br")
                out.push_back('\n');
            else if (tag.name == "div" || tag.name == "p")
                // A block begins and ends on a line of its own: one break between two blocks.
                lineBreakUnlessAtLineStart();
            i = tag.end;
            continue;
        }
        if (c == '&') {
            const std::size_t semi = html.find(';', i);
            if (semi != std::string_view::npos && semi - i <= kMaxEntityLength) {
                if (const char32_t decoded = EntityCharacter(html.substr(i + 1, semi - i - 1))) {
                    AppendUtf8(out, decoded);
                    i = semi + 1;
                    continue;
                }
            }
        }
        out.push_back(c);
        ++i;
    }
    // A block's end at the very end is no line break of the text.
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

bool HoldsHtmlTags(std::string_view text) {
    constexpr std::string_view kNames[] = {"br",   "div", "p",      "b",   "i",   "u",
                                           "span", "em",  "strong", "sup", "sub", "font"};
    Tag tag;
    for (std::size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at + 1))
        if (ReadTag(text, at, tag))
            for (const std::string_view name : kNames)
                if (tag.name == name)
                    return true;
    return false;
}
