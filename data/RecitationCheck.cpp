#include "RecitationCheck.h"

#include "RefTables.h"
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

    // In the first-letters mode each letter typed is a unit of its own.
    std::vector<Unit> TypedUnits(std::string_view text) {
        std::vector<Token> tokens = Tokens(text);
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

// The fewest changes that turn the passage's units into the typed ones, as the steps from the end
// back to the start. A missed or extra word costs one gap; a wrong word one gap and a tiny bit
// more, so that among alignments with equally many changes the one with fewer wrong words (and
// so more matched ones) wins. Of equal ways a match wins, then a missed word, then an extra one,
// then a wrong word.
std::vector<Step> Align(const std::vector<Unit>& passage, const std::vector<Unit>& typed) {
    const std::size_t n = passage.size();
    const std::size_t m = typed.size();
    const std::uint64_t gap = std::min(n, m) + 1; // more than the number of wrong words can be
    const std::uint64_t change = gap + 1;
    const std::size_t width = m + 1;
    std::vector<std::uint64_t> previous(width);
    std::vector<std::uint64_t> current(width);
    std::vector<Step> steps((n + 1) * width);
    for (std::size_t j = 0; j <= m; ++j) {
        previous[j] = j * gap;
        steps[j] = kSkipTyped;
    }
    for (std::size_t i = 1; i <= n; ++i) {
        current[0] = i * gap;
        Step* row = &steps[i * width];
        row[0] = kSkipPassage;
        const int id = passage[i - 1].id;
        for (std::size_t j = 1; j <= m; ++j) {
            const bool same = typed[j - 1].id == id;
            std::uint64_t best = previous[j - 1] + (same ? 0 : change);
            Step step = kDiagonal;
            // A wrong word gives way to a gap of the same cost here, so that on the way back
            // from the end the gap comes first: of "created the" recited as "made", "created" is
            // the wrong word and "the" the missed one.
            const auto better = [same](std::uint64_t cost, std::uint64_t than, Step current) {
                return cost < than || (cost == than && current == kDiagonal && !same);
            };
            if (better(previous[j] + gap, best, step)) {
                best = previous[j] + gap;
                step = kSkipPassage;
            }
            if (better(current[j - 1] + gap, best, step)) {
                best = current[j - 1] + gap;
                step = kSkipTyped;
            }
            current[j] = best;
            row[j] = step;
        }
        std::swap(previous, current);
    }
    std::vector<Step> path;
    path.reserve(n + m);
    for (std::size_t i = n, j = m; i > 0 || j > 0;) {
        const Step step = steps[i * width + j];
        path.push_back(step);
        if (step != kSkipTyped)
            --i;
        if (step != kSkipPassage)
            --j;
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

CRecitationCheck::CRecitationCheck(std::string_view passage, std::string_view typed, Mode mode)
    : mode_(mode) {
    if (typed.size() > kMaxTypedLength) {
        tooLong_ = true;
        return;
    }
    CUnitMaker maker(mode);
    const std::vector<Unit> passageUnits = maker.PassageUnits(passage);
    const std::vector<Unit> typedUnits = maker.TypedUnits(typed);
    passageWords_ = static_cast<int>(passageUnits.size());
    typedWords_ = static_cast<int>(typedUnits.size());

    // The path runs from the end; an extra word goes where the next passage word begins.
    const std::vector<Step> path = Align(passageUnits, typedUnits);
    words_.reserve(path.size());
    std::size_t i = passageUnits.size();
    std::size_t j = typedUnits.size();
    std::size_t nextWord = passage.size();
    for (const Step step : path) {
        if (step == kSkipTyped) {
            const Unit& extra = typedUnits[--j];
            words_.push_back({Mark::kExtra, nextWord, nextWord, extra.begin, extra.end});
            ++extra_;
            continue;
        }
        const Unit& word = passageUnits[--i];
        nextWord = word.begin;
        if (step == kSkipPassage) {
            const std::size_t typedAt = j > 0 ? typedUnits[j - 1].end : 0;
            words_.push_back({Mark::kMissed, word.begin, word.end, typedAt, typedAt});
            ++missed_;
            continue;
        }
        const Unit& said = typedUnits[--j];
        const bool right = said.id == word.id;
        words_.push_back(
            {right ? Mark::kMatched : Mark::kWrong, word.begin, word.end, said.begin, said.end});
        ++(right ? matched_ : wrong_);
    }
    std::reverse(words_.begin(), words_.end());
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
