// SPDX-License-Identifier: GPL-2.0-or-later
#include "SpeechText.h"

#include "RefTables.h"

#include <algorithm>
#include <vector>

namespace {

bool IsNumber(std::string_view word) {
    return !word.empty() &&
           std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsTransAbbrev(std::string_view word) {
    for (int trans = 0; trans <= kTransMax; ++trans)
        if (!TransAbbrev(trans).empty() && TransAbbrev(trans) == word)
            return true;
    return false;
}

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t begin = line.find_first_not_of(" \t\r", at);
        if (begin == std::string_view::npos)
            break;
        const std::size_t end = std::min(line.find_first_of(" \t\r", begin), line.size());
        words.push_back(line.substr(begin, end - begin));
        at = end;
    }
    return words;
}

// A mark the engines pause at, possibly inside closing quotation marks or brackets.
bool EndsInPause(std::string_view word) {
    constexpr std::string_view kClosing = "\"')]\x92\x94";
    while (!word.empty() && kClosing.find(word.back()) != std::string_view::npos)
        word.remove_suffix(1);
    return !word.empty() && std::string_view(".,;:!?").find(word.back()) != std::string_view::npos;
}

} // namespace

std::string SpeechText(std::string_view text) {
    std::string spoken;
    while (!text.empty()) {
        const std::size_t lineEnd = std::min(text.find('\n'), text.size());
        const std::vector<std::string_view> words = Words(text.substr(0, lineEnd));
        text.remove_prefix(std::min(lineEnd + 1, text.size()));

        std::string line;
        for (std::size_t i = 0; i < words.size(); ++i) {
            if (i == 0 && IsNumber(words[i]))
                continue;
            if (i + 1 < words.size() && IsTransAbbrev(words[i]) && IsNumber(words[i + 1])) {
                ++i;
                continue;
            }
            if (!line.empty())
                line.push_back(' ');
            line.append(words[i]);
        }
        if (line.empty())
            continue;
        if (!EndsInPause(line))
            line.push_back(',');
        spoken.append(line).push_back('\n');
    }
    return spoken;
}
