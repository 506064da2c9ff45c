// SPDX-License-Identifier: GPL-2.0-or-later
#include "RecitationCheck.h"

#include "RefTables.h"
#include "ReferenceParser.h"
#include "TextFormat.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <unordered_map>
#include <utility>

namespace {

// What a Windows-1252 byte is to the check. Letters and digits make words; an apostrophe joins
// two letters into one word; everything else parts them, and a line feed also starts a line.
enum CharKind : unsigned char { kSpace, kBreak, kPunct, kApostrophe, kLetter };

constexpr bool IsPunctuation(int c) {
    return (c >= 0x21 && c <= 0x2F) || (c >= 0x3A && c <= 0x40) || (c >= 0x5B && c <= 0x60) ||
           (c >= 0x7B && c <= 0x7E) ||
           // euro sign, quotation marks, ellipsis, daggers, dashes, trade mark, guillemets
           c == 0x80 || c == 0x82 || (c >= 0x84 && c <= 0x89) || c == 0x8B ||
           (c >= 0x93 && c <= 0x99) || c == 0x9B ||
           // inverted marks, currency, signs and fractions, but not the ordinals and micro sign
           (c >= 0xA1 && c <= 0xBF && c != 0xAA && c != 0xB5 && c != 0xBA) || c == 0xD7 ||
           c == 0xF7;
}

constexpr auto kKinds = [] {
    std::array<CharKind, 256> kinds{};
    for (int c = 0; c < 256; ++c) {
        CharKind kind = kLetter; // letters, digits, and the five bytes without a character
        if (c == '\n')
            kind = kBreak;
        else if (c <= 0x20 || c == 0x7F || c == 0xA0)
            kind = kSpace;
        else if (c == '\'' || c == 0x91 || c == 0x92)
            kind = kApostrophe;
        else if (IsPunctuation(c))
            kind = kPunct;
        kinds[static_cast<std::size_t>(c)] = kind;
    }
    return kinds;
}();

// Lower case of the Windows-1252 letters.
constexpr auto kFold = [] {
    std::array<char, 256> fold{};
    for (int c = 0; c < 256; ++c) {
        int folded = c;
        if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
            folded = c + 0x20;
        else if (c == 0x8A || c == 0x8C || c == 0x8E) // S, OE and Z with a caron or joined
            folded = c + 0x10;
        else if (c == 0x9F) // Y with diaeresis
            folded = 0xFF;
        fold[static_cast<std::size_t>(c)] = static_cast<char>(folded);
    }
    return fold;
}();

CharKind Kind(char c) {
    return kKinds[static_cast<unsigned char>(c)];
}

char Fold(char c) {
    return kFold[static_cast<unsigned char>(c)];
}

// A word as it stands in a text, with what is compared: its letters in lower case.
struct Token {
    std::size_t begin;
    std::size_t end;
    std::string key;
    bool firstOnLine;
};

std::vector<Token> Tokens(std::string_view text) {
    std::vector<Token> tokens;
    bool lineStart = true;
    std::size_t i = 0;
    while (i < text.size()) {
        const CharKind kind = Kind(text[i]);
        if (kind != kLetter) {
            lineStart = lineStart || kind == kBreak;
            ++i;
            continue;
        }
        Token token{i, i, {}, lineStart};
        lineStart = false;
        while (i < text.size()) {
            const CharKind next = Kind(text[i]);
            if (next == kLetter)
                token.key.push_back(Fold(text[i]));
            else if (next != kApostrophe || i + 1 == text.size() || Kind(text[i + 1]) != kLetter)
                break;
            ++i;
        }
        token.end = i;
        tokens.push_back(std::move(token));
    }
    return tokens;
}

bool AllDigits(std::string_view key) {
    return std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsTransAbbrev(std::string_view word) {
    for (int trans = 0; trans <= kTransMax; ++trans)
        if (!TransAbbrev(trans).empty() && TransAbbrev(trans) == word)
            return true;
    return false;
}

// Takes out the verse numbers that begin lines, and a translation's abbreviation before one.
void DropVerseLabels(std::vector<Token>& tokens, std::string_view text) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        if (token.firstOnLine) {
            if (AllDigits(token.key))
                continue;
            if (i + 1 < tokens.size() && !tokens[i + 1].firstOnLine &&
                AllDigits(tokens[i + 1].key) &&
                IsTransAbbrev(text.substr(token.begin, token.end - token.begin))) {
                ++i;
                continue;
            }
        }
        if (kept != i)
            tokens[kept] = std::move(tokens[i]);
        ++kept;
    }
    tokens.resize(kept);
}

// A reference that people say before and after the passage they recite ("John 3:16 ... John
// 3:16", "1 Cor. 13:4-7 KJV"), found among the first or the last typed words as the import reads
// references, with a translation's abbreviation after it or not.
struct FoundReference {
    std::size_t first; // the tokens it takes, the abbreviation included
    std::size_t last;
    std::size_t begin; // where it stands in the text, and where the reference proper ends
    std::size_t end;
    std::size_t referenceEnd;
    WrittenReference reference;
};

// The most words a reference takes: "Song of Solomon 2:10-2:13" has seven.
constexpr std::size_t kMaxReferenceTokens = 8;

bool IsTransAbbrevAnyCase(std::string_view text, const Token& token) {
    return TransFromAbbrev(text.substr(token.begin, token.end - token.begin)) >= 0;
}

// Whether the tokens first to last (exclusive) read as a reference; it ends in a number.
bool ReadsAsReference(std::string_view text, const std::vector<Token>& tokens, std::size_t first,
                      std::size_t last, WrittenReference& reference) {
    if (!AllDigits(tokens[last - 1].key))
        return false;
    std::string written(
        text.substr(tokens[first].begin, tokens[last - 1].end - tokens[first].begin));
    // The reader knows the dashes of UTF-8; a typed en or em dash is a Windows-1252 byte.
    std::replace_if(
        written.begin(), written.end(), [](char c) { return c == '\x96' || c == '\x97'; }, '-');
    std::string reason;
    return ParseReference(written, reference, reason);
}

// The longest reference that begins the tokens from, or that ends them before stop.
bool FindReference(std::string_view text, const std::vector<Token>& tokens, std::size_t from,
                   std::size_t stop, bool atStart, FoundReference& found) {
    bool any = false;
    for (std::size_t count = 1; count <= kMaxReferenceTokens && count <= stop - from; ++count) {
        const std::size_t first = atStart ? from : stop - count;
        WrittenReference reference;
        if (ReadsAsReference(text, tokens, first, first + count, reference)) {
            const std::size_t end = tokens[first + count - 1].end;
            found = {first, first + count, tokens[first].begin, end, end, reference};
            any = true;
        }
    }
    return any;
}

// The references at the start and at the end of the typed tokens, in this order.
std::vector<FoundReference> FindReferences(std::string_view text,
                                           const std::vector<Token>& tokens) {
    std::vector<FoundReference> references;
    FoundReference found{};
    std::size_t from = 0;
    if (FindReference(text, tokens, 0, tokens.size(), true, found)) {
        if (found.last < tokens.size() && IsTransAbbrevAnyCase(text, tokens[found.last]))
            found.end = tokens[found.last++].end;
        references.push_back(found);
        from = found.last;
    }
    const std::size_t stop = tokens.size();
    if (stop > from + 1 && IsTransAbbrevAnyCase(text, tokens[stop - 1]) &&
        FindReference(text, tokens, from, stop - 1, false, found)) {
        found.end = tokens[found.last++].end;
        references.push_back(found);
    } else if (FindReference(text, tokens, from, stop, false, found)) {
        references.push_back(found);
    }
    return references;
}

// What the alignment compares: a word (or a typed letter) and the number standing for it.
struct Unit {
    std::size_t begin;
    std::size_t end;
    int id;
};

class CUnitMaker {
public:
    explicit CUnitMaker(CRecitationCheck::Mode mode) : mode_(mode) {}

    std::vector<Unit> PassageUnits(std::string_view text) {
        std::vector<Token> tokens = Tokens(text);
        DropVerseLabels(tokens, text);
        std::vector<Unit> units;
        units.reserve(tokens.size());
        for (const Token& token : tokens)
            units.push_back({token.begin, token.end, Id(token.key)});
        return units;
    }

    // In the first-letters mode each letter typed is a unit of its own. The references typed
    // before and after the recitation are no units; a verse number after the first one is read
    // as at the start of a line.
    std::vector<Unit> TypedUnits(std::string_view text, std::vector<FoundReference>& references) {
        std::vector<Token> tokens = Tokens(text);
        references = FindReferences(text, tokens);
        for (auto found = references.rbegin(); found != references.rend(); ++found) {
            tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(found->first),
                         tokens.begin() + static_cast<std::ptrdiff_t>(found->last));
            if (found->first == 0 && !tokens.empty())
                tokens.front().firstOnLine = true;
        }
        DropVerseLabels(tokens, text);
        std::vector<Unit> units;
        units.reserve(tokens.size());
        for (const Token& token : tokens) {
            if (mode_ == CRecitationCheck::Mode::kWords) {
                units.push_back({token.begin, token.end, Id(token.key)});
                continue;
            }
            for (std::size_t at = token.begin; at < token.end; ++at)
                if (Kind(text[at]) == kLetter)
                    units.push_back({at, at + 1, static_cast<unsigned char>(Fold(text[at]))});
        }
        return units;
    }

private:
    int Id(const std::string& key) {
        if (mode_ == CRecitationCheck::Mode::kFirstLetters)
            return static_cast<unsigned char>(key.front());
        return ids_.try_emplace(key, static_cast<int>(ids_.size())).first->second;
    }

    CRecitationCheck::Mode mode_;
    std::unordered_map<std::string, int> ids_;
};

enum Step : unsigned char { kDiagonal, kSkipPassage, kSkipTyped };

// The fewest changes that turn the passage's units into the typed ones, as the steps from the
// start to the end. A missed or extra word costs one gap; a wrong word one gap and a tiny bit
// more, so that among alignments with equally many changes the one with fewer wrong words (and
// so more matched ones) wins.
//
// The costs are those of the rest of both texts from each point on, so that the steps can be
// chosen from the start: of equal ways a match or a wrong word wins, then an extra word, then a
// missed one. A passage word is so matched by the first typed word that can take it, and a
// recitation of the first verse lines up with the first verse even where a later verse repeats
// its words; of "created the" recited as "made", "created" is the wrong word, said in its place,
// and "the" the missed one.
std::vector<Step> Align(const std::vector<Unit>& passage, const std::vector<Unit>& typed) {
    const std::size_t n = passage.size();
    const std::size_t m = typed.size();
    const std::uint64_t gap = std::min(n, m) + 1; // more than the number of wrong words can be
    const std::uint64_t change = gap + 1;
    const std::size_t width = m + 1;
    std::vector<std::uint64_t> next(width); // the costs of the row below
    std::vector<std::uint64_t> current(width);
    std::vector<Step> steps((n + 1) * width);
    for (std::size_t j = 0; j <= m; ++j) {
        next[j] = (m - j) * gap;
        steps[n * width + j] = kSkipTyped;
    }
    for (std::size_t i = n; i-- > 0;) {
        current[m] = (n - i) * gap;
        Step* row = &steps[i * width];
        row[m] = kSkipPassage;
        const int id = passage[i].id;
        for (std::size_t j = m; j-- > 0;) {
            std::uint64_t best = next[j + 1] + (typed[j].id == id ? 0 : change);
            Step step = kDiagonal;
            if (current[j + 1] + gap < best) {
                best = current[j + 1] + gap;
                step = kSkipTyped;
            }
            if (next[j] + gap < best) {
                best = next[j] + gap;
                step = kSkipPassage;
            }
            current[j] = best;
            row[j] = step;
        }
        std::swap(next, current);
    }
    std::vector<Step> path;
    path.reserve(n + m);
    for (std::size_t i = 0, j = 0; i < n || j < m;) {
        const Step step = steps[i * width + j];
        path.push_back(step);
        if (step != kSkipTyped)
            ++i;
        if (step != kSkipPassage)
            ++j;
    }
    return path;
}

void AppendCount(std::string& out, int count, std::string_view what) {
    if (count == 0)
        return;
    out.append(", ");
    AppendInt(out, count);
    out.append(" ").append(what);
}

} // namespace

CRecitationCheck::CRecitationCheck(std::string_view passage, std::string_view typed, Mode mode,
                                   std::string_view reference)
    : mode_(mode), reference_(reference) {
    if (typed.size() > kMaxTypedLength) {
        tooLong_ = true;
        return;
    }
    CUnitMaker maker(mode);
    const std::vector<Unit> passageUnits = maker.PassageUnits(passage);
    std::vector<FoundReference> found;
    const std::vector<Unit> typedUnits = maker.TypedUnits(typed, found);
    WrittenReference own;
    std::string reason;
    const bool ownKnown = !reference.empty() && ParseReference(reference, own, reason);
    for (const FoundReference& said : found) {
        const WrittenReference& other = said.reference;
        const bool same =
            !ownKnown || (other.book == own.book && other.chapter == own.chapter &&
                          other.firstVerse == own.firstVerse && other.lastVerse == own.lastVerse);
        // As typed, but on one line with single blanks.
        std::string written;
        for (const char c : typed.substr(said.begin, said.referenceEnd - said.begin)) {
            const bool blank = Kind(c) == kSpace || Kind(c) == kBreak;
            if (!blank)
                written.push_back(c);
            else if (written.back() != ' ')
                written.push_back(' ');
        }
        references_.push_back({said.first == 0, said.begin, said.end, written, same});
    }
    passageWords_ = static_cast<int>(passageUnits.size());
    typedWords_ = static_cast<int>(typedUnits.size());

    // An extra word goes where the next passage word begins.
    const std::vector<Step> path = Align(passageUnits, typedUnits);
    words_.reserve(path.size());
    std::size_t i = 0;
    std::size_t j = 0;
    for (const Step step : path) {
        if (step == kSkipTyped) {
            const Unit& extra = typedUnits[j++];
            const std::size_t at = i < passageUnits.size() ? passageUnits[i].begin : passage.size();
            words_.push_back({Mark::kExtra, at, at, extra.begin, extra.end});
            ++extra_;
            continue;
        }
        const Unit& word = passageUnits[i++];
        if (step == kSkipPassage) {
            const std::size_t typedAt = j > 0 ? typedUnits[j - 1].end : 0;
            words_.push_back({Mark::kMissed, word.begin, word.end, typedAt, typedAt});
            ++missed_;
            continue;
        }
        const Unit& said = typedUnits[j++];
        const bool right = said.id == word.id;
        words_.push_back(
            {right ? Mark::kMatched : Mark::kWrong, word.begin, word.end, said.begin, said.end});
        ++(right ? matched_ : wrong_);
    }
}

std::string CRecitationCheck::Summary() const {
    if (tooLong_)
        return {};
    std::string out;
    AppendInt(out, matched_);
    out.append(" of ");
    AppendInt(out, passageWords_);
    out.append(passageWords_ == 1 ? " word" : " words");
    AppendCount(out, missed_, "missed");
    AppendCount(out, wrong_, "wrong");
    AppendCount(out, extra_, "extra");
    std::vector<std::string_view> others;
    for (const TypedReference& reference : references_)
        if (!reference.namesPassage &&
            std::find(others.begin(), others.end(), reference.said) == others.end())
            others.push_back(reference.said);
    for (std::size_t i = 0; i < others.size(); ++i)
        out.append(i == 0 ? ". You said " : " and ").append(others[i]);
    if (!others.empty())
        out.append("; this is ").append(reference_).append(".");
    return out;
}

int CRecitationCheck::PercentRight() const {
    const int total = passageWords_ + extra_;
    return total == 0 ? 0 : matched_ * 100 / total;
}

int CRecitationCheck::SuggestedProgress() const {
    if (tooLong_ || typedWords_ == 0 || passageWords_ == 0)
        return -1;
    const int total = passageWords_ + extra_;
    constexpr int kJustStarted = 1, kFair = 2, kGood = 3, kMastered = 4;
    if (matched_ == total)
        return mode_ == Mode::kFirstLetters ? kGood : kMastered;
    if (matched_ * 10 >= total * 9)
        return kGood;
    if (matched_ * 10 >= total * 7)
        return kFair;
    return kJustStarted;
}

std::string CRecitationCheck::Suggestion(int currentProgress, bool active) const {
    const int suggested = SuggestedProgress();
    if (suggested < 0)
        return {};
    std::string out = "Suggested progress: ";
    out.append(ProgText(suggested)).append(" (");
    AppendInt(out, PercentRight());
    out.append("% right");
    if (mode_ == Mode::kFirstLetters && matched_ == passageWords_ + extra_)
        out.append("; first letters alone go no higher");
    out.append(").");
    if (!active)
        out.append(" The passage is Not Started/Inactive: choose how often to recite it first, "
                   "then its progress.");
    else if (suggested == currentProgress)
        out.append(" That is its progress now.");
    else
        out.append(" It is ")
            .append(ProgText(currentProgress))
            .append(" now; choose the new level under Progress if you agree.");
    return out;
}
