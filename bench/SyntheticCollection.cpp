// SPDX-License-Identifier: GPL-2.0-or-later
#include "SyntheticCollection.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" standalone=\"no\" ?>";
constexpr std::string_view kEndLine = "</passages>";
constexpr std::string_view kCrLf = "\r\n";
constexpr int kFormatVersion = 20031126;
constexpr int kMaxPassages = 15000;
constexpr std::size_t kMaxContext = 2320;    // longest context the Edit dialog accepts
constexpr std::size_t kMaxLineLength = 2500; // longest element line the loader takes uncut
// Characters of an element line around its escaped context, with room to spare for wide numbers.
constexpr std::size_t kElementOverhead = 170;
constexpr int kCtxShared = 98;
constexpr int kCtxBeforeOnly = 96;
constexpr int kCtxAfterOnly = 99;
constexpr int kMaxPlainCtxLines = 95; // ordinary line counts stay clear of the marker values

// Books of the Bible as the key numbers them: 1-39, then 51-77.
constexpr int kBookCount = 66;
int BookNumber(int index) {
    return index < 39 ? index + 1 : index - 39 + 51;
}

// SplitMix64: tiny, fast, and fixed for good, unlike the distributions of the standard library,
// whose output may change between library versions.
class CRandom {
public:
    explicit CRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }
    // A number in lo..hi; the modulo bias is far below anything a benchmark could notice.
    int Range(int lo, int hi) {
        return lo + static_cast<int>(Next() % static_cast<std::uint64_t>(hi - lo + 1));
    }
    std::uint64_t Below(std::uint64_t n) { return Next() % n; }
    bool Chance(int num, int den) { return Range(1, den) <= num; }

private:
    std::uint64_t state_;
};

constexpr std::array<std::string_view, 64> kWords = {
    "the",          "and",         "of",        "to",
    "in",           "that",        "he",        "for",
    "his",          "a",           "unto",      "shall",
    "is",           "Lord",        "they",      "be",
    "not",          "him",         "them",      "with",
    "all",          "was",         "God",       "which",
    "my",           "me",          "said",      "but",
    "have",         "you",         "will",      "from",
    "who",          "your",        "people",    "land",
    "heaven",       "earth",       "righteous", "kingdom",
    "mercy",        "grace",       "peace",     "love",
    "faith",        "hope",        "glory",     "spirit",
    "covenant",     "salvation",   "wisdom",    "understanding",
    "commandments", "everlasting", "rejoice",   "forgiveness",
    "Jerusalem",    "Israel",      "brothers",  "servant",
    "light",        "darkness",    "shepherd",  "together"};

enum class Role { BaselineOnly, Revised, UserOnly, ContextRecord, Shared };

struct Element {
    std::uint32_t book = 1;
    std::uint32_t chapter = 1;
    std::uint32_t verse = 1;
    int trans = 0;
    Role role = Role::BaselineOnly;
    int vCount = 1;
    int ctxLines = 1;
    int psgLines = 1;
    int psgStart = 0;
    int psgEnd = 0;
    int hintStart = 0;
    int hintEnd = 0;
    int topic = 0;
    std::string context; // as held in memory: CR LF line breaks, no escapes

    std::uint32_t Key() const { return book * 1000000u + chapter * 1000u + verse; }
    char Suffix() const { return static_cast<char>(trans > 9 ? trans + 55 : trans + 48); }
};

// The verse lines of a context, with the offsets of the passage inside them.
struct ContextText {
    std::string text;
    int psgStart = 0;
    int psgEnd = 0;
    int hintStart = 0;
    int hintEnd = 0;
    int paragraphs = 0;
};

class CGenerator {
public:
    explicit CGenerator(std::uint64_t seed) : random_(seed) {}

    // One verse line: the verse number, a blank and words up to about length characters, now and
    // then a quoted word or a possessive, which the file must escape.
    std::string VerseLine(int verse, int length, bool quotes) {
        std::string line = std::to_string(verse);
        do {
            line.push_back(' ');
            const std::string_view word = kWords[random_.Below(kWords.size())];
            if (quotes && random_.Chance(1, 60)) {
                line.push_back('"');
                line.append(word);
                line.push_back('"');
            } else if (quotes && random_.Chance(1, 60)) {
                line.append(word);
                line.append("'s");
            } else
                line.append(word);
        } while (static_cast<int>(line.size()) < length);
        line.push_back(random_.Chance(1, 4) ? ',' : '.');
        return line;
    }

    // Verse lines first .. last, with the passage first verse passageFirst .. passageLast marked;
    // about target characters in all. Paragraph breaks (a blank line) fall between verses now and
    // then.
    ContextText Lines(int first, int last, int passageFirst, int passageLast, int target,
                      bool quotes) {
        ContextText out;
        const int lines = last - first + 1;
        const int perLine = std::max(12, target / lines);
        for (int verse = first; verse <= last; ++verse) {
            if (verse > first) {
                out.text.append(kCrLf);
                if (random_.Chance(1, 12)) {
                    out.text.append(kCrLf);
                    ++out.paragraphs;
                }
            }
            if (verse == passageFirst)
                out.psgStart = static_cast<int>(out.text.size());
            const int length = std::max(8, perLine + random_.Range(-perLine / 4, perLine / 4));
            out.text.append(VerseLine(verse, length, quotes));
            if (verse == passageLast)
                out.psgEnd = static_cast<int>(out.text.size());
        }
        // The hint is the opening words of the passage, after its verse number.
        std::size_t hint = out.text.find(' ', static_cast<std::size_t>(out.psgStart));
        hint = hint == std::string::npos ? static_cast<std::size_t>(out.psgStart) : hint + 1;
        out.hintStart = std::min(static_cast<int>(hint), out.psgEnd);
        std::size_t hintEnd = hint;
        const int words = random_.Range(2, 4);
        for (int i = 0; i < words; ++i) {
            const std::size_t blank = out.text.find(' ', hintEnd + 1);
            if (blank == std::string::npos || blank >= static_cast<std::size_t>(out.psgEnd))
                break;
            hintEnd = blank;
        }
        out.hintEnd = std::max(out.hintStart, std::min(static_cast<int>(hintEnd), out.psgEnd));
        return out;
    }

    static int DisplayLines(const std::string& text, int lines) {
        return std::min(kMaxPlainCtxLines, lines + static_cast<int>(text.size()) / 80);
    }

    // An ordinary element: its own context around the passage, mostly around 600 characters and
    // now and then right under the limit.
    void FillOrdinary(Element& element) {
        const bool longContext = random_.Chance(1, 50);
        const int verse = static_cast<int>(element.verse);
        element.vCount = random_.Chance(2, 3) ? 1 : random_.Range(2, 4);
        const int spread = longContext ? 6 : 3;
        const int before = std::min(verse - 1, random_.Range(0, spread));
        const int after = random_.Range(longContext ? 2 : 0, spread);
        int target = longContext ? random_.Range(2250, 2320) : random_.Range(220, 920);
        const int first = verse - before;
        const int last = verse + element.vCount - 1 + after;
        ContextText text;
        while (true) {
            text = Lines(first, last, verse, verse + element.vCount - 1, target, true);
            if (text.text.size() <= kMaxContext &&
                EscapedLength(text.text) + kElementOverhead <= kMaxLineLength)
                break;
            target -= 40; // cut the words back until the context fits
        }
        if (longContext)
            ++longContexts_;
        element.context = std::move(text.text);
        element.psgStart = text.psgStart;
        element.psgEnd = text.psgEnd;
        element.hintStart = text.hintStart;
        element.hintEnd = text.hintEnd;
        const int lineCount = last - first + 1 + text.paragraphs;
        element.ctxLines = DisplayLines(element.context, lineCount);
        element.psgLines =
            std::min(kMaxPlainCtxLines, element.vCount + (element.psgEnd - element.psgStart) / 80);
    }

    // A verse whose translations share one context: the context record (translation -1) holds the
    // verses around the passage, each translation only its own passage text.
    void FillSharedGroup(std::vector<Element>& group) {
        Element& record = group.front();
        const int verse = static_cast<int>(record.verse);
        const int vCount = random_.Chance(2, 3) ? 1 : random_.Range(2, 3);
        const int before = std::min(verse - 1, random_.Range(1, 3));
        const int after = random_.Range(1, 3);
        const int perVerse = random_.Range(60, 110);
        const int afterFirst = verse + vCount;
        int kind = random_.Range(0, 2); // 0: before and after, 1: before only, 2: after only
        if (before == 0)
            kind = 2;
        ContextText beforeText;
        ContextText afterText;
        if (kind != 2)
            beforeText = Lines(verse - before, verse - 1, verse - before, verse - 1,
                               perVerse * before, true);
        if (kind != 1)
            afterText = Lines(afterFirst, afterFirst + after - 1, afterFirst,
                              afterFirst + after - 1, perVerse * after, true);
        record.vCount = vCount;
        if (kind == 1) {
            record.context = beforeText.text;
            record.ctxLines = kCtxBeforeOnly;
            record.psgStart = 0;
            record.psgEnd = static_cast<int>(record.context.size());
        } else if (kind == 2) {
            record.context = afterText.text;
            record.ctxLines = kCtxAfterOnly;
            record.psgStart = 0;
            record.psgEnd = static_cast<int>(record.context.size());
        } else {
            // The text before the passage, then the record's own passage range: the text after.
            record.context = beforeText.text;
            record.context.append(kCrLf);
            record.psgStart = static_cast<int>(record.context.size());
            record.context.append(afterText.text);
            record.psgEnd = static_cast<int>(record.context.size());
            record.ctxLines = DisplayLines(record.context, before + after);
        }
        record.hintStart = record.psgStart;
        record.hintEnd = std::min(record.psgEnd, record.psgStart + 12);
        record.psgLines = std::min(kMaxPlainCtxLines, vCount + 1);
        record.topic = Topic();

        for (std::size_t i = 1; i < group.size(); ++i) {
            Element& element = group[i];
            const ContextText own = Lines(verse, verse + vCount - 1, verse, verse + vCount - 1,
                                          perVerse * vCount, true);
            element.vCount = vCount;
            element.context = own.text;
            element.psgStart = own.psgStart;
            element.psgEnd = own.psgEnd;
            element.hintStart = own.hintStart;
            element.hintEnd = own.hintEnd;
            element.ctxLines = kCtxShared;
            element.psgLines = std::min(kMaxPlainCtxLines, vCount + own.psgEnd / 80);
            element.topic = record.topic;
        }
    }

    int Topic() { return random_.Range(1, 57) + 100 * random_.Range(1, 57); }

    static std::size_t EscapedLength(std::string_view text) {
        std::size_t length = text.size();
        for (const char c : text)
            if (c == '"' || c == '\'')
                length += 5;
        return length;
    }

    CRandom& Random() { return random_; }
    int LongContexts() const { return longContexts_; }

private:
    CRandom random_;
    int longContexts_ = 0;
};

void AppendEscaped(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out.append("\\n");
            ++i;
        } else if (c == '"')
            out.append("&quot;");
        else if (c == '\'')
            out.append("&apos;");
        else
            out.push_back(c);
    }
}

std::string ElementLine(const Element& e) {
    char head[256];
    const int n = std::snprintf(head, sizeof head,
                                "<psg key=\"%08u%c\" vCount=\"%02d\" ctxLines=\"%02d\" "
                                "psgLines=\"%02d\" psgStart=\"%04d\" psgEnd=\"%04d\" "
                                "hintStart=\"%04d\" hintEnd=\"%04d\" topic=\"%04d\" context=\"",
                                static_cast<unsigned>(e.Key()), e.Suffix(), e.vCount, e.ctxLines,
                                e.psgLines, e.psgStart, e.psgEnd, e.hintStart, e.hintEnd, e.topic);
    std::string line(head, static_cast<std::size_t>(n));
    AppendEscaped(line, e.context);
    line.append("\"> </psg>");
    return line;
}

void AppendHeader(std::string& out, int count) {
    char head[96];
    const int n = std::snprintf(head, sizeof head, "<passages count=\"%03d\" formatversion=\"%d\">",
                                count, kFormatVersion);
    out.append(kDeclaration).append(kCrLf);
    out.append(head, static_cast<std::size_t>(n)).append(kCrLf);
}

bool WriteWhole(const std::filesystem::path& path, const std::string& bytes, std::string& error) {
    std::FILE* file = std::fopen(path.string().c_str(), "wb");
    if (!file) {
        error = "cannot create " + path.string();
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) {
        error = "cannot write " + path.string();
        return false;
    }
    return true;
}

// Walks through the Bible from Genesis on, a verse or two apart, giving the places of the keys.
class CVerseWalk {
public:
    explicit CVerseWalk(CRandom& random) : random_(random) { NewChapter(); }

    bool Next() {
        verse_ += random_.Range(1, 3);
        if (verse_ > versesInChapter_) {
            ++chapter_;
            NewChapter();
        }
        if (chapter_ > chaptersInBook_) {
            ++bookIndex_;
            chapter_ = 1;
            chaptersInBook_ = random_.Range(8, 27);
        }
        return bookIndex_ < kBookCount;
    }
    std::uint32_t Book() const { return static_cast<std::uint32_t>(BookNumber(bookIndex_)); }
    std::uint32_t Chapter() const { return static_cast<std::uint32_t>(chapter_); }
    std::uint32_t Verse() const { return static_cast<std::uint32_t>(verse_); }

private:
    void NewChapter() {
        verse_ = random_.Range(1, 2);
        versesInChapter_ = random_.Range(20, 80);
    }

    CRandom& random_;
    int bookIndex_ = 0;
    int chapter_ = 1;
    int chaptersInBook_ = 20;
    int verse_ = 1;
    int versesInChapter_ = 40;
};

} // namespace

bool WriteSyntheticCollection(const std::filesystem::path& directory,
                              const SyntheticCollectionOptions& options,
                              SyntheticCollectionInfo& info, std::string& error) {
    info = {};
    const SyntheticCollectionOptions& o = options;
    if (o.baselineCount < 0 || o.userCount < 0 || o.revisedCount < 0 || o.statsCount < 0 ||
        o.baselineCount > kMaxPassages || o.userCount > kMaxPassages ||
        o.statsCount > kMaxPassages || o.revisedCount > std::min(o.baselineCount, o.userCount) ||
        o.statsCount > o.baselineCount + o.userCount - o.revisedCount) {
        error = "inconsistent collection sizes";
        return false;
    }

    CGenerator generator(o.seed);
    CRandom& random = generator.Random();
    CVerseWalk walk(random);

    // Every key of the merged collection, in ascending order, with the file or files it is in.
    // Each place gets a role drawn in proportion to what is still wanted of each kind, so that
    // revised and new user passages are spread evenly between the baseline ones.
    int wantBaseline = o.baselineCount - o.revisedCount;
    int wantRevised = o.revisedCount;
    int wantUser = o.userCount - o.revisedCount;
    std::vector<Element> elements;
    elements.reserve(static_cast<std::size_t>(o.baselineCount + o.userCount));
    while (wantBaseline + wantRevised + wantUser > 0) {
        if (!walk.Next()) {
            error = "ran out of verses";
            return false;
        }
        Element place;
        place.book = walk.Book();
        place.chapter = walk.Chapter();
        place.verse = walk.Verse();

        if (wantBaseline >= 4 && random.Chance(1, 40)) {
            std::vector<Element> group;
            place.trans = -1;
            place.role = Role::ContextRecord;
            group.push_back(place);
            const int translations = random.Range(2, 3);
            int trans = random.Range(0, 4);
            for (int i = 0; i < translations; ++i) {
                place.trans = trans;
                place.role = Role::Shared;
                group.push_back(place);
                trans += random.Range(1, 4); // translations 0..16, all with an abbreviation
            }
            generator.FillSharedGroup(group);
            wantBaseline -= static_cast<int>(group.size());
            ++info.contextRecords;
            info.sharedCount += translations;
            for (Element& element : group)
                elements.push_back(std::move(element));
            continue;
        }

        const int translations = random.Chance(1, 5) ? 2 : 1;
        int trans = random.Range(0, 20);
        for (int i = 0; i < translations && wantBaseline + wantRevised + wantUser > 0; ++i) {
            const auto pick =
                random.Below(static_cast<std::uint64_t>(wantBaseline + wantRevised + wantUser));
            if (pick < static_cast<std::uint64_t>(wantBaseline)) {
                place.role = Role::BaselineOnly;
                --wantBaseline;
            } else if (pick < static_cast<std::uint64_t>(wantBaseline + wantRevised)) {
                place.role = Role::Revised;
                --wantRevised;
            } else {
                place.role = Role::UserOnly;
                --wantUser;
            }
            place.trans = trans;
            generator.FillOrdinary(place);
            place.topic = generator.Topic();
            elements.push_back(place);
            trans += random.Range(1, 12);
        }
    }

    // The files. A revised passage is in both: the baseline one as installed, the user one with
    // its own, rewritten context.
    std::string infoText;
    std::string userText;
    AppendHeader(infoText, o.baselineCount);
    AppendHeader(userText, o.userCount);
    double contextTotal = 0.0;
    int contextCount = 0;
    const auto add = [&](std::string& out, const Element& element) {
        const std::string line = ElementLine(element);
        info.maxLineLength = std::max(info.maxLineLength, static_cast<int>(line.size()));
        contextTotal += static_cast<double>(element.context.size());
        ++contextCount;
        out.append(line).append(kCrLf);
    };
    for (const Element& element : elements) {
        if (element.role == Role::UserOnly) {
            add(userText, element);
            continue;
        }
        add(infoText, element);
        if (element.role == Role::Revised) {
            Element revision = element;
            generator.FillOrdinary(revision);
            revision.topic = generator.Topic();
            add(userText, revision);
        }
    }
    infoText.append(kEndLine).append(kCrLf);
    userText.append(kEndLine); // the program ends the user file without a line break
    if (info.maxLineLength > static_cast<int>(kMaxLineLength)) {
        error = "an element line came out too long";
        return false;
    }

    // Statistics for a spread of passages, in store order as a save writes them (selection
    // sampling picks exactly the wanted number).
    std::string statsText;
    AppendHeader(statsText, o.statsCount);
    std::size_t needed = static_cast<std::size_t>(o.statsCount);
    for (std::size_t i = 0; i < elements.size() && needed > 0; ++i) {
        if (random.Below(elements.size() - i) >= needed)
            continue;
        --needed;
        const Element& element = elements[i];
        char line[96];
        const int n = std::snprintf(line, sizeof line,
                                    "<psg key=\"%08u%c\" prog=\"%d\" freq=\"%d\"> </psg>\r\n",
                                    static_cast<unsigned>(element.Key()), element.Suffix(),
                                    random.Range(0, 4), random.Range(0, 2));
        statsText.append(line, static_cast<std::size_t>(n));
    }
    statsText.append(kEndLine).append(kCrLf);

    std::string spareText;
    AppendHeader(spareText, 0);
    spareText.append(kEndLine).append(kCrLf);

    if (!WriteWhole(directory / "RctInfo.xml", infoText, error) ||
        !WriteWhole(directory / "RctUser.xml", userText, error) ||
        !WriteWhole(directory / "RctStats.xml", statsText, error) ||
        !WriteWhole(directory / "RctStatsSpare.xml", spareText, error))
        return false;

    info.passageCount = static_cast<int>(elements.size());
    info.longContexts = generator.LongContexts();
    info.activeCount = o.statsCount;
    info.meanContext = contextCount > 0 ? contextTotal / contextCount : 0.0;
    info.infoBytes = infoText.size();
    info.userBytes = userText.size();
    info.statsBytes = statsText.size();
    return true;
}
