// SPDX-License-Identifier: GPL-2.0-or-later
#include "ReferenceParser.h"

#include "RefTables.h"
#include "TextScan.h"

#include <charconv>

using namespace TextScan;

namespace {

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool ReadNumber(std::string_view text, std::size_t& at, std::uint32_t& value) {
    const std::size_t start = at;
    while (at < text.size() && IsDigit(text[at]))
        ++at;
    if (at == start || at - start > 6)
        return false;
    std::from_chars(text.data() + start, text.data() + at, value);
    return true;
}

// The dashes a range is written with: hyphen, en dash and em dash (UTF-8).
std::size_t DashLength(std::string_view text, std::size_t at) {
    if (at < text.size() && text[at] == '-')
        return 1;
    for (const std::string_view dash :
         {std::string_view("\xE2\x80\x93"), std::string_view("\xE2\x80\x94")})
        if (text.substr(at).starts_with(dash))
            return dash.size();
    return 0;
}

std::string Quoted(std::string_view text) {
    return std::string("\"").append(text).append("\"");
}

} // namespace

bool ParseReference(std::string_view text, WrittenReference& reference, std::string& reason) {
    text = Trimmed(text);
    // The chapter begins at the first digit that follows a letter of the book's name.
    std::size_t chapterAt = std::string_view::npos;
    bool letterSeen = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsLetter(text[i]))
            letterSeen = true;
        else if (IsDigit(text[i]) && letterSeen) {
            chapterAt = i;
            break;
        }
    }
    if (chapterAt == std::string_view::npos) {
        reason = "Reference " + Quoted(text) + " names no chapter and verse";
        return false;
    }
    const std::string_view bookName = Trimmed(text.substr(0, chapterAt));
    reference.book = BookFromName(bookName);
    if (reference.book == 0) {
        reason = "Unknown book " + Quoted(bookName);
        return false;
    }
    const std::string_view numbers = text.substr(chapterAt);
    const std::string unreadable = "Reference " + Quoted(text) + " cannot be read";
    std::size_t at = 0;
    std::uint32_t first = 0;
    if (!ReadNumber(numbers, at, first)) {
        reason = unreadable;
        return false;
    }
    if (at < numbers.size() && (numbers[at] == ':' || numbers[at] == '.')) {
        reference.chapter = first;
        ++at;
        if (!ReadNumber(numbers, at, reference.firstVerse)) {
            reason = unreadable;
            return false;
        }
    } else if (BookHasOneChapter(reference.book)) {
        reference.chapter = 1;
        reference.firstVerse = first;
    } else {
        reason = "Reference " + Quoted(text) + " names no verse";
        return false;
    }
    reference.lastVerse = reference.firstVerse;
    if (const std::size_t dash = DashLength(numbers, at); dash > 0) {
        at += dash;
        std::uint32_t last = 0;
        if (!ReadNumber(numbers, at, last)) {
            reason = unreadable;
            return false;
        }
        if (at < numbers.size() && (numbers[at] == ':' || numbers[at] == '.')) {
            // "3:16-3:18" stays in its chapter; "3:36-4:2" does not.
            ++at;
            std::uint32_t lastOfOther = 0;
            if (!ReadNumber(numbers, at, lastOfOther)) {
                reason = unreadable;
                return false;
            }
            if (last != reference.chapter) {
                reason = "Reference " + Quoted(text) +
                         " runs into another chapter; a passage lies within one chapter";
                return false;
            }
            last = lastOfOther;
        }
        reference.lastVerse = last;
    }
    if (!Trimmed(numbers.substr(at)).empty()) {
        reason = unreadable;
        return false;
    }
    return true;
}
