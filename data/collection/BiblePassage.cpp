// SPDX-License-Identifier: GPL-2.0-or-later
#include "BiblePassage.h"

#include "RefTables.h"

#include <algorithm>
#include <vector>

namespace {

std::string JoinedLines(std::vector<std::string>::const_iterator begin,
                        std::vector<std::string>::const_iterator end) {
    std::string joined;
    for (auto line = begin; line != end; ++line)
        joined.append(line == begin ? "" : "\r\n").append(*line);
    return joined;
}

std::string ChapterText(int book, int chapter) {
    return std::string(BookName(book)).append(" ").append(std::to_string(chapter));
}

} // namespace

std::string ChapterNotInBible(int trans, int book, int chapter) {
    return ChapterText(book, chapter) + " is not in the " + std::string(TransAbbrev(trans)) +
           " Bible";
}

std::string VerseNotInBible(int trans, int book, int chapter, int verse, int lastInChapter) {
    return ChapterText(book, chapter) + ":" + std::to_string(verse) + " is not in the " +
           std::string(TransAbbrev(trans)) + " Bible: " + ChapterText(book, chapter) + " has " +
           std::to_string(lastInChapter) + " verses";
}

bool PassageFromBible(IBibleSource& bible, int trans, int book, int chapter, int first, int last,
                      int before, int after, BiblePassage& out, std::string& reason) {
    out = {};
    // The verses around the passage stop at the chapter's ends; the passage's own verses are
    // asked for as they are, so that a verse past the end is refused with the Bible's reason.
    const int lastInChapter = bible.LastVerse(trans, book, chapter);
    const int from = std::min(first, std::max(1, first - std::max(before, 0)));
    const int to = std::max(last, std::min(lastInChapter, last + std::max(after, 0)));
    std::vector<std::string> texts;
    if (!bible.Verses(trans, book, chapter, from, to, texts, reason))
        return false;
    if (texts.size() != static_cast<std::size_t>(to - from + 1)) {
        reason = "The Bible gave a wrong number of verses";
        return false;
    }
    std::vector<std::string> lines;
    lines.reserve(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i)
        lines.push_back(std::to_string(from + static_cast<int>(i)) + " " + texts[i]);
    out.context = JoinedLines(lines.begin(), lines.end());
    out.passage = JoinedLines(lines.begin() + (first - from), lines.begin() + (last - from + 1));
    return true;
}
