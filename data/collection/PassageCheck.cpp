// SPDX-License-Identifier: GPL-2.0-or-later
#include "PassageCheck.h"

#include "BiblePassage.h"
#include "FileFormat.h"
#include "PassageStore.h"
#include "RefTables.h"
#include "TextFormat.h"

#include <utility>

namespace {

constexpr std::uint32_t kMaxChapter = 150;
constexpr std::uint32_t kMaxVerse = 176;
constexpr int kMaxTopic = 57;
constexpr std::size_t kMinHint = 2;
// Translations up to this one can all be chosen; after it only those with passages.
constexpr int kLastPlainTrans = 14;

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Texts that the passage files would read back as something else.
constexpr std::string_view kReadBackAsOther[] = {"\\n", "&quot;", "&apos;"};

// "U+05D0": at least four hexadecimal digits, as characters are usually named.
void AppendCodePoint(std::string& out, char32_t c) {
    std::string digits;
    for (auto value = static_cast<std::uint32_t>(c); value != 0 || digits.size() < 4; value >>= 4)
        digits.insert(digits.begin(), kHexDigits[value & 0xF]);
    out.append("U+").append(digits);
}

int Find(const std::string& text, const std::string& part) {
    const std::size_t at = text.find(part);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

} // namespace

CPassageCheck::CPassageCheck(IDisplayLineCounter& lines, bool maintainersMode, KeyTaken keyTaken)
    : lines_(lines), maintainersMode_(maintainersMode), keyTaken_(std::move(keyTaken)) {}

std::string CPassageCheck::KeyText(std::uint32_t key, int trans) {
    std::string text;
    AppendUnsigned(text, key, 8, true);
    text.push_back(static_cast<char>(trans > 9 ? 'A' + (trans - 10) : '0' + trans));
    text.push_back('_');
    return text;
}

bool CPassageCheck::ParseNumber(std::string_view text, std::uint32_t& value) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return false;
    std::uint64_t number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + static_cast<std::uint64_t>(c - '0');
        if (number > UINT32_MAX)
            return false;
    }
    value = static_cast<std::uint32_t>(number);
    return true;
}

std::string CPassageCheck::WithCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out.append(kCrLf);
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (c == '\n')
            out.append(kCrLf);
        else
            out.push_back(c);
    }
    return out;
}

int CPassageCheck::Measure(const std::string& text, int pointSize, std::string& measured,
                           int& count) {
    if (count < 0 || text != measured) {
        count = lines_.Lines(text, pointSize);
        measured = text;
    }
    return count;
}

bool CPassageCheck::Run(const Entry& entry) {
    std::string& out = problems_;
    out.clear();
    line_.clear();
    const auto problem = [&out](std::string_view message) { out.append(message).append(kCrLf); };

    const int book = BookFromListPosition(entry.bookPosition);
    const bool chapterValid = entry.chapter != 0 && entry.chapter <= kMaxChapter;
    const bool firstVerseValid = entry.firstVerse != 0 && entry.firstVerse <= kMaxVerse;
    const bool transValid =
        entry.trans != -1 && (entry.trans <= kLastPlainTrans || TransEditable(entry.trans));
    if (book < 0)
        problem("Must select from 'Book of Bible' list");
    if (!chapterValid)
        problem("Chapter number must be between 1 and 150");
    if (!firstVerseValid)
        problem("1st Verse # must be between 1 and 176");
    if (entry.lastVerse == 0 || entry.lastVerse > kMaxVerse || entry.lastVerse < entry.firstVerse)
        problem("Last Verse # must be between 1 and 176 and not less than 1st Verse");
    if (entry.context.empty())
        problem("Context in top box cannot be blank");
    if (entry.context.size() > kMaxContext)
        problem("Context exceeds maximum length");
    if (entry.hint.empty())
        problem("Hint in lower box cannot be blank");
    if (entry.trans == -1)
        problem("Translation option cannot be blank");
    if (entry.trans > kLastPlainTrans && !TransEditable(entry.trans))
        problem("Invalid translation choice");
    if (entry.primaryTopic < 0 || entry.primaryTopic > kMaxTopic)
        problem("Primary Topic selection invalid or cannot be blank");
    if (entry.secondaryTopic < 0 || entry.secondaryTopic > kMaxTopic)
        problem("Secondary Topic selection invalid or cannot be blank");
    if (entry.passage.empty())
        problem("Passage box cannot be blank");
    const int psgStart = Find(entry.context, entry.passage);
    if (psgStart < 0)
        problem("Passage not found in Context");
    if (entry.passage.find(entry.hint) == std::string::npos)
        problem("Hint not found in Passage");
    // The hint is looked for in the whole context, as the passage files have always had it.
    const int hintStart = Find(entry.context, entry.hint);
    if (entry.hint.size() < kMinHint)
        problem("Hint cannot have length less than 2");
    // The files write a line break as backslash n and quotation marks and apostrophes as
    // entities; these texts typed as they are would read back as what they stand for, and the
    // offsets after them would no longer fit.
    for (const std::string_view escape : kReadBackAsOther)
        if (entry.context.find(escape) != std::string::npos)
            problem(std::string("Text \"").append(escape).append(
                "\" in the Context cannot be kept in the passage files"));
    for (const char32_t c : entry.unavailable) {
        std::string message;
        AppendCodePoint(message, c);
        problem(message.append(" not available in the passage files"));
    }
    const std::uint32_t key =
        static_cast<std::uint32_t>(book) * 1000000u + entry.chapter * 1000u + entry.firstVerse;
    // Told while typing, by the reference the user reads in the tree ("John 3:16 KJV"); the
    // store's refusal of a duplicate stays the last guard at Save.
    if (keyTaken_ && book >= 0 && chapterValid && firstVerseValid && transValid &&
        keyTaken_(CPassage(KeyText(key, entry.trans)).MatchKey())) {
        std::string message(BookName(book));
        message.push_back(' ');
        AppendUnsigned(message, entry.chapter);
        message.push_back(':');
        AppendUnsigned(message, entry.firstVerse);
        if (const std::string_view trans = TransAbbrev(entry.trans); !trans.empty())
            message.append(" ").append(trans);
        problem(message.append(" is already in your collection"));
    }
    // Asked only once the VerseKey is complete, so that the Bible is opened by what the user
    // typed, and once per run.
    if (bible_ && book >= 0 && chapterValid && firstVerseValid && transValid &&
        entry.lastVerse >= entry.firstVerse && entry.lastVerse <= kMaxVerse) {
        const int chapter = static_cast<int>(entry.chapter);
        const int lastInChapter = bible_->LastVerse(entry.trans, book, chapter);
        if (lastInChapter == 0)
            problem(ChapterNotInBible(entry.trans, book, chapter));
        else if (lastInChapter > 0 && entry.lastVerse > static_cast<std::uint32_t>(lastInChapter))
            problem(VerseNotInBible(entry.trans, book, chapter, static_cast<int>(entry.lastVerse),
                                    lastInChapter));
    }
    if (!out.empty())
        return false;

    CPassage::Values& v = values_;
    v.key = key;
    v.trans = entry.trans;
    v.keyText = KeyText(key, entry.trans);
    v.ctxLines = Measure(entry.context, kContextMeasurePoints, measuredContext_, contextLines_);
    v.psgLines = Measure(entry.passage, kPassageMeasurePoints, measuredPassage_, passageLines_);
    v.vCount = static_cast<int>(entry.lastVerse - entry.firstVerse + 1);
    v.psgStart = psgStart;
    v.psgEnd = psgStart + static_cast<int>(entry.passage.size());
    v.hintStart = hintStart;
    v.hintEnd = hintStart + static_cast<int>(entry.hint.size());
    v.primaryTopic = entry.primaryTopic;
    v.secondaryTopic = entry.secondaryTopic;
    v.context = entry.context;

    // The line comes from the element writer of the user file itself.
    CPassage record;
    record.SetAll(v);
    if (maintainersMode_)
        record.ctxLines = kSharedContext;
    record.AppendElement(line_);
    line_.resize(line_.size() - kCrLf.size());
    // Quotation marks and apostrophes grow when written; a line longer than the files' longest
    // would be cut when it is read again, so such a context is too long as well.
    if (line_.size() > CPassageStore::kMaxLineLength) {
        line_.clear();
        problem("Context exceeds maximum length");
        return false;
    }
    return true;
}
