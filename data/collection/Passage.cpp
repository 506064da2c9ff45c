// SPDX-License-Identifier: GPL-2.0-or-later
#include "Passage.h"

#include "FileFormat.h"
#include "MemoryArena.h"
#include "RefTables.h"
#include "ScanPattern.h"
#include "Simd.h"
#include "TextFormat.h"

#include <cstring>

namespace {

// The usual widths are those the element writer gives: a key of eight digits, its suffix and the
// closing quotation mark, then the numbers at their minimum widths.
const CScanPattern kElementPattern(
    "<psg key=\"%s vCount=\"%d\" ctxLines=\"%d\" psgLines=\"%d\" psgStart=\"%d\" psgEnd=\"%d\" "
    "hintStart=\"%d\" hintEnd=\"%d\" topic=\"%d\" context=\"",
    {10, 2, 2, 2, 4, 4, 4, 4, 4});
constexpr int kElementItems = 9;
constexpr std::string_view kContextOpening = "context=\"";
constexpr std::string_view kQuotEntity = "&quot;";
constexpr std::string_view kAposEntity = "&apos;";
constexpr int kMaxTopic = 57;

// What a record's memory begins with: whether it came from an arena. The record follows at the
// largest alignment any type needs.
struct alignas(std::max_align_t) RecordOrigin {
    bool inArena = false;
};

int ValidTopic(int topic) {
    return topic >= 1 && topic <= kMaxTopic ? topic : kTopicMisc;
}

void AppendVerseRef(std::string& out, std::string_view book, int chapter, int verse) {
    out.append(book);
    out.push_back(' ');
    AppendInt(out, chapter);
    out.push_back(':');
    AppendInt(out, verse);
}

void ReportCountWrong(IMessageSink& messages, int items, std::uint32_t keyNumber,
                      std::string_view line) {
    CMessage text;
    text << "Info or User file invalid (count wrong?) for attribute #" << items << " or #"
         << items + 1 << " of key [";
    text.Padded(keyNumber, 9) << "]\n";
    text.Limited(line, 200);
    messages.Show("Recitor ReadInfo Error", text.Text(), MsgIcon::Error);
}

} // namespace

void* CPassage::operator new(std::size_t size) {
    void* memory = ::operator new(sizeof(RecordOrigin) + size);
    return new (memory) RecordOrigin{false} + 1;
}

void* CPassage::operator new(std::size_t size, CMemoryArena& arena) {
    void* memory = arena.allocate(sizeof(RecordOrigin) + size, alignof(RecordOrigin));
    return new (memory) RecordOrigin{true} + 1;
}

void CPassage::operator delete(void* record) {
    if (!record)
        return;
    RecordOrigin* const origin = static_cast<RecordOrigin*>(record) - 1;
    if (!origin->inArena)
        ::operator delete(origin);
}

// Only when a record made in an arena fails to construct, which leaves its memory to the arena.
void CPassage::operator delete(void*, CMemoryArena&) {}

std::string_view TextRange(std::string_view text, int start, int length) {
    if (start < 0 || length <= 0 || static_cast<std::size_t>(start) >= text.size())
        return {};
    return text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(length));
}

CPassage::CPassage(std::string_view keyText) {
    baseline = false;
    key = 1001001;
    ParseKeyText(keyText);
}

bool CPassage::IsValidKeyText(std::string_view keyText) {
    return keyText.size() >= 2 && keyText.size() <= kMaxKeyText;
}

void CPassage::ParseKeyText(std::string_view keyText) {
    if (!IsValidKeyText(keyText))
        return;
    const auto suffix = static_cast<unsigned char>(keyText[keyText.size() - 2]);
    // Read as "%u" reads it: without digits nothing is read and the key keeps its value, so that
    // a statistics line with such a key names Genesis 1:1 (key 1001001) in its translation.
    ScanUnsigned(keyText.substr(0, keyText.size() - 2), key);
    book_ = static_cast<int>(key / 1000000);
    chapter_ = static_cast<int>((key / 1000) % 1000);
    firstVerse_ = static_cast<int>(key % 1000);
    trans = suffix >= 'A' ? suffix - 55 : suffix - 48;
    ComputeSortKey();
}

void CPassage::ComputeSortKey() {
    // Unsigned arithmetic: a damaged key may run the fields into each other, but never overflows.
    const std::uint32_t value =
        (static_cast<std::uint32_t>(book_) << 23) + (static_cast<std::uint32_t>(chapter_) << 15) +
        (static_cast<std::uint32_t>(firstVerse_) << 7) +
        static_cast<std::uint32_t>(trans + 1) * 2u + static_cast<std::uint32_t>(baseline);
    sortKey_ = static_cast<std::int32_t>(value);
    matchKey_ = value & ~1u;
}

void CPassage::SetBaseline(int flag) {
    baseline = flag == 1;
    const std::uint32_t value =
        (static_cast<std::uint32_t>(sortKey_) & ~1u) | static_cast<std::uint32_t>(baseline);
    sortKey_ = static_cast<std::int32_t>(value);
}

char CPassage::SuffixChar() const {
    return static_cast<char>(trans > 9 ? trans + 55 : trans + 48);
}

std::string_view CPassage::PassageText() const {
    return TextRange(context, psgStart, WrapAdd(std::int64_t{psgEnd} - psgStart));
}

std::string_view CPassage::HintText() const {
    return TextRange(context, hintStart, WrapAdd(std::int64_t{hintEnd} - hintStart));
}

std::string_view CPassage::TextBeforePassage() const {
    return TextRange(context, 0, psgStart);
}

std::string_view CPassage::PrimaryTopicName() const {
    return TopicName(primaryTopic);
}
std::string_view CPassage::SecondaryTopicName() const {
    return TopicName(secondaryTopic);
}
std::string_view CPassage::TransName() const {
    return TransAbbrev(trans);
}

void CPassage::SetAll(const Values& values) {
    key = values.key;
    ctxLines = values.ctxLines;
    psgLines = values.psgLines;
    vCount = values.vCount;
    psgStart = values.psgStart;
    psgEnd = values.psgEnd;
    hintStart = values.hintStart;
    hintEnd = values.hintEnd;
    primaryTopic = values.primaryTopic;
    secondaryTopic = values.secondaryTopic;
    trans = values.trans;
    context = values.context;
    ParseKeyText(values.keyText);
    MeasureContext();
    BuildReferences();
}

CPassage::Values CPassage::GetValues() const {
    std::string keyText;
    AppendUnsigned(keyText, key, 8, true);
    keyText.push_back(SuffixChar());
    keyText.push_back('_');
    return {.key = key,
            .ctxLines = ctxLines,
            .psgLines = psgLines,
            .vCount = vCount,
            .psgStart = psgStart,
            .psgEnd = psgEnd,
            .hintStart = hintStart,
            .hintEnd = hintEnd,
            .primaryTopic = primaryTopic,
            .secondaryTopic = secondaryTopic,
            .trans = trans,
            .context = std::string(context),
            .keyText = keyText};
}

Status CPassage::ParseElement(std::string_view line, IMessageSink& messages) {
    const CScanPattern::Result match = kElementPattern.Match(line);
    int items = match.count;
    if (items >= 1 && !IsValidKeyText(match.token))
        items = 0; // a key token the record cannot hold counts as not read
    std::uint32_t keyNumber = 0;
    if (items >= 1)
        ScanUnsigned(match.token, keyNumber);
    if (items < kElementItems) {
        ReportCountWrong(messages, items, keyNumber, line);
        return Status::Fatal;
    }
    vCount = match.ints[0];
    ctxLines = match.ints[1];
    psgLines = match.ints[2];
    psgStart = match.ints[3];
    psgEnd = match.ints[4];
    hintStart = match.ints[5];
    hintEnd = match.ints[6];
    const int topic = match.ints[7];
    primaryTopic = ValidTopic(topic % 100);
    secondaryTopic = ValidTopic(topic / 100);

    if (!line.ends_with(kElementClosing)) {
        CMessage text;
        text << "Info or User file invalid for closing </psg> of key [";
        text.Padded(keyNumber, 9) << "]\n";
        text.Limited(line.substr(line.size() > 50 ? line.size() - 50 : 0), 180);
        messages.Show("Recitor Invalid </psg>", text.Text(), MsgIcon::Error);
        return Status::Fatal;
    }
    const std::size_t opening = line.find(kContextOpening);
    if (opening == std::string_view::npos) {
        // Nine numbers but no context attribute: the tenth attribute is the one missing.
        ReportCountWrong(messages, kElementItems, keyNumber, line);
        return Status::Fatal;
    }
    const std::size_t start = opening + kContextOpening.size();
    const std::size_t end = line.size() - kElementClosing.size();
    TakeEscapedContext(start < end ? line.substr(start, end - start) : std::string_view{});
    ParseKeyText(match.token);
    BuildReferences();
    return Status::Ok;
}

// The context begins with its first verse (or, after a word such as a translation name, with
// it); the field keeps its value when neither is there.
void CPassage::ReadFirstVerse(std::string_view escaped) {
    std::int32_t number = 0;
    if (ScanInt(escaped, number)) {
        contextFirstVerse_ = number;
        return;
    }
    std::size_t pos = 0;
    while (pos < escaped.size() && IsScanSpace(escaped[pos]))
        ++pos;
    const std::size_t wordStart = pos;
    while (pos < escaped.size() && !IsScanSpace(escaped[pos]))
        ++pos;
    if (pos > wordStart && ScanInt(escaped.substr(pos), number))
        contextFirstVerse_ = number;
}

// The last line begins with the last verse: the number two characters after the last backslash
// (at lastBackslash, npos for none).
void CPassage::ReadLastVerse(std::string_view escaped, std::size_t lastBackslash) {
    std::int32_t number = 0;
    if (lastBackslash == std::string_view::npos)
        contextLastVerse_ = contextFirstVerse_;
    else if (lastBackslash + 2 <= escaped.size() &&
             ScanInt(escaped.substr(lastBackslash + 2), number))
        contextLastVerse_ = number;
}

void CPassage::MeasureContext() {
    std::string escaped;
    AppendEscapedContext(escaped, context);
    ReadFirstVerse(escaped);
    // Line breaks, less the paragraph breaks ("\n\n" pairs, counted without overlap).
    int breaks = 0;
    int paragraphs = 0;
    bool paired = true;
    std::size_t previousEnd = std::string::npos;
    for (std::size_t at = escaped.find(kEscapedBreak); at != std::string::npos;
         at = escaped.find(kEscapedBreak, at + 2)) {
        ++breaks;
        if (at == previousEnd && !paired) {
            ++paragraphs;
            paired = true;
        } else
            paired = false;
        previousEnd = at + 2;
    }
    contextLineCount_ = breaks - paragraphs + 1;
    ReadLastVerse(escaped, escaped.rfind('\\'));
}

void CPassage::TakeEscapedContext(std::string_view escaped) {
    ReadFirstVerse(escaped);
    // Unescape in one pass, counting line breaks and paragraph breaks ("\n\n" pairs, counted
    // without overlap) on the way. Every escape is at least as long as what it stands for, so the
    // text is written straight into a context of the escaped length, cut to size at the end.
    context.resize(escaped.size());
    char* out = context.data();
    const char* p = escaped.data();
    const char* const end = p + escaped.size();
    const char* lastBackslash = nullptr; // found on the way, for the last verse
    int breaks = 0;
    int paragraphs = 0;
    const char* previousBreakEnd = nullptr;
    bool previousBreakPaired = true;
    while (true) {
        // Backslashes and ampersands start every escape; unescaping never lengthens the text,
        // so out never runs ahead of p and the context has room for the bytes from p to end.
        const char* const q = Simd::CopyUntil<'\\', '&'>(p, end, out);
        out += q - p;
        if (q == end)
            break;
        if (*q == '\\') {
            lastBackslash = q;
            if (q + 1 < end && q[1] == 'n') {
                *out++ = '\r';
                *out++ = '\n';
                ++breaks;
                if (q == previousBreakEnd && !previousBreakPaired) {
                    ++paragraphs;
                    previousBreakPaired = true;
                } else
                    previousBreakPaired = false;
                p = q + 2;
                previousBreakEnd = p;
            } else {
                *out++ = '\\';
                p = q + 1;
            }
        } else {
            const std::string_view rest(q, static_cast<std::size_t>(end - q));
            if (rest.starts_with(kQuotEntity)) {
                *out++ = '"';
                p = q + kQuotEntity.size();
            } else if (rest.starts_with(kAposEntity)) {
                *out++ = '\'';
                p = q + kAposEntity.size();
            } else {
                *out++ = '&';
                p = q + 1;
            }
        }
    }
    context.resize(static_cast<std::size_t>(out - context.data()));
    contextLineCount_ = breaks - paragraphs + 1;

    ReadLastVerse(escaped, lastBackslash ? static_cast<std::size_t>(lastBackslash - escaped.data())
                                         : std::string_view::npos);
}

void AppendEscapedContext(std::string& out, std::string_view context) {
    // Escaping makes a text at most six times as long (an apostrophe becomes six characters). It
    // is built in a buffer of that size, kept for the next context of this thread, and appended
    // whole: a save escapes every user passage. What is still to be copied always fits behind
    // what is written, since the bytes before it took at most six places each.
    thread_local std::string buffer;
    const std::size_t room = context.size() * kAposEntity.size();
    if (buffer.size() < room)
        buffer.resize(room);
    char* const start = buffer.data();
    char* to = start;
    const char* p = context.data();
    const char* const end = p + context.size();
    const auto put = [&to](std::string_view text) {
        std::memcpy(to, text.data(), text.size());
        to += text.size();
    };
    while (true) {
        const char* const q = Simd::CopyUntil<'\r', '\n', '"', '\''>(p, end, to);
        to += q - p;
        if (q == end)
            break;
        p = q + 1;
        if (*q == '\r') {
            if (p == end || *p != '\n') {
                *to++ = '\r'; // a lone CR stays as it is
                continue;
            }
            ++p;
            put(kEscapedBreak);
        } else if (*q == '\n')
            put(kEscapedBreak);
        else
            put(*q == '"' ? kQuotEntity : kAposEntity);
    }
    out.append(start, static_cast<std::size_t>(to - start));
}

std::string CPassage::ElementLine() const {
    std::string line;
    AppendElement(line);
    return line;
}

void CPassage::AppendElement(std::string& out) const {
    out.reserve(out.size() + context.size() + context.size() / 8 + 200);
    out.append("<psg key=\"");
    AppendUnsigned(out, key, 8, true);
    out.push_back(SuffixChar());
    out.append("\" vCount=\"");
    AppendInt(out, vCount, 2, true);
    out.append("\" ctxLines=\"");
    AppendInt(out, ctxLines, 2, true);
    out.append("\" psgLines=\"");
    AppendInt(out, psgLines, 2, true);
    out.append("\" psgStart=\"");
    AppendInt(out, psgStart, 4, true);
    out.append("\" psgEnd=\"");
    AppendInt(out, psgEnd, 4, true);
    out.append("\" hintStart=\"");
    AppendInt(out, hintStart, 4, true);
    out.append("\" hintEnd=\"");
    AppendInt(out, hintEnd, 4, true);
    out.append("\" topic=\"");
    AppendInt(out, std::int64_t{primaryTopic} + 100 * std::int64_t{secondaryTopic}, 4, true);
    out.append("\" context=\"");
    AppendEscapedContext(out, context);
    out.append(kElementClosing);
    out.append(kCrLf);
}

int CPassage::LastVerse() const {
    return WrapAdd(std::int64_t{firstVerse_} + vCount - 1);
}

// A context that starts after the passage's first verse starts in the chapter before.
int CPassage::ContextStartChapter() const {
    return contextFirstVerse_ > firstVerse_ ? chapter_ - 1 : chapter_;
}

// A context whose last verse lies before the passage's last one ends in the chapter after.
int CPassage::ContextEndChapter() const {
    return contextLastVerse_ < LastVerse() ? chapter_ + 1 : chapter_;
}

void CPassage::BuildReferences() {
    versesBeforePassage_ = contextFirstVerse_ > firstVerse_
                               ? 1
                               : WrapAdd(std::int64_t{firstVerse_} - contextFirstVerse_);
    contextStartKey_ = WrapAdd(std::int64_t{book_} * 1000000 +
                               std::int64_t{ContextStartChapter()} * 1000 + contextFirstVerse_);
}

std::string CPassage::Reference() const {
    std::string text;
    AppendVerseRef(text, BookName(book_), chapter_, firstVerse_);
    return text;
}

std::string CPassage::PassageReference() const {
    std::string text = Reference();
    if (vCount != 1) {
        text.push_back('-');
        AppendInt(text, LastVerse());
    }
    return text;
}

std::string CPassage::ContextStartReference() const {
    std::string text;
    AppendVerseRef(text, BookName(book_), ContextStartChapter(), contextFirstVerse_);
    return text;
}

std::string CPassage::ContextReference() const {
    std::string text = ContextStartReference();
    if (contextLineCount_ < 2)
        return text;
    text.push_back('-');
    if (contextLastVerse_ < LastVerse() || contextFirstVerse_ > firstVerse_) {
        AppendInt(text, ContextEndChapter());
        text.push_back(':');
        AppendInt(text, contextLastVerse_);
    } else
        AppendInt(text, WrapAdd(std::int64_t{contextFirstVerse_} + contextLineCount_ - 1));
    return text;
}
