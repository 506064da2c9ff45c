// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A recitation typed from memory, held against the passage word by word. The typed words are
// aligned with the passage's words by the fewest changes (a word matched, typed wrong, missed or
// typed extra; of the alignments with the fewest changes the one with the most matched words, and
// of those the one that matches the earliest words of the passage, so that a recitation of the
// first verse alone lines up with the first verse). A reference said before or after the passage
// ("John 3:16 ... John 3:16", "1 Cor 13:4-7 KJV"), in any form the import reads, is no word of the
// recitation.
// Case and punctuation do not count, and neither do the verse numbers at the start of a line
// (with a translation's abbreviation before them, as the maintainers' context records have).
// Hyphens and dashes part words; apostrophes inside a word do not ("God's" and "God’s" are the
// word "gods"). In the first-letters mode each letter or digit typed stands for one word and is
// held against the word's first letter, so "F G s l t w" and "FGsltw" both recite "For God so
// loved the world".
//
// Both texts are Windows-1252 bytes with CR LF or LF line breaks. Nothing is kept but the result.
class CRecitationCheck {
public:
    enum class Mode { kWords, kFirstLetters };
    enum class Mark { kMatched, kMissed, kWrong, kExtra };

    // Longer typed texts are not checked: the alignment's work grows with the number of passage
    // words times the number of typed ones. Four times the longest context leaves room for any
    // honest attempt.
    static constexpr std::size_t kMaxTypedLength = 10000;
    // What a caller puts into the typed text for a character that has no Windows-1252 form: it
    // counts as a letter that no passage holds, so that such a word is never lost.
    static constexpr char kForeignChar = '\x81';

    struct Word {
        Mark mark;
        // The word in the passage text. An extra word has an empty range at the place where it
        // belongs: the start of the next passage word, or the end of the passage.
        std::size_t passageBegin;
        std::size_t passageEnd;
        // What was typed in its place (in the first-letters mode one letter); an empty range for
        // a missed word.
        std::size_t typedBegin;
        std::size_t typedEnd;
    };

    // A reference typed before or after the recitation, with the translation's abbreviation
    // after it where one was typed.
    struct TypedReference {
        bool beforePassage; // else after it
        std::size_t typedBegin;
        std::size_t typedEnd;
        std::string said; // the reference as typed, without the abbreviation
        // It names the passage checked, or the passage's own reference is not known.
        bool namesPassage;
    };

    // reference is the passage's own ("John 3:16-18", as the collection writes it), against
    // which a typed reference is held; empty when not known.
    CRecitationCheck(std::string_view passage, std::string_view typed, Mode mode,
                     std::string_view reference = {});

    // The typed text was longer than kMaxTypedLength and has not been checked: there are no
    // words and no summary.
    bool TooLong() const { return tooLong_; }
    Mode GetMode() const { return mode_; }

    // Every passage word and every extra typed word, in reading order.
    const std::vector<Word>& Words() const { return words_; }
    // The references typed before and after the recitation, in reading order; at most two.
    const std::vector<TypedReference>& References() const { return references_; }
    int PassageWords() const { return passageWords_; }
    int TypedWords() const { return typedWords_; }
    int Matched() const { return matched_; }
    int Missed() const { return missed_; }
    int Wrong() const { return wrong_; }
    int Extra() const { return extra_; }

    // "41 of 44 words, 2 missed, 1 wrong, 1 extra": the matched words of the passage's words,
    // then each kind of fault that occurred; "1 of 1 word" for a passage of one word. A typed
    // reference that names another passage is told after it: "25 of 25 words. You said John
    // 3:17; this is John 3:16." Windows-1252, as typed.
    std::string Summary() const;

    // Matched words in whole percent (rounded down) of the passage's words and the extra ones,
    // so that typing more than the passage never scores better; 0 when there are none.
    int PercentRight() const;
    // The progress level the result suggests: Mastered when every word is right and nothing is
    // extra, Good from 90 percent, Fair from 70 percent, Just Started below; in the first-letters
    // mode no higher than Good, since first letters alone do not show the words. -1 when nothing
    // was typed or the passage has no words: there is nothing to judge.
    int SuggestedProgress() const;
    // The suggestion as the check window says it, measured against the passage's progress now;
    // an inactive passage cannot take a progress, which the text says. Empty without suggestion.
    std::string Suggestion(int currentProgress, bool active) const;

private:
    Mode mode_;
    bool tooLong_ = false;
    std::string reference_;
    std::vector<Word> words_;
    std::vector<TypedReference> references_;
    int passageWords_ = 0;
    int typedWords_ = 0;
    int matched_ = 0;
    int missed_ = 0;
    int wrong_ = 0;
    int extra_ = 0;
};
