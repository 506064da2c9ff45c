// SPDX-License-Identifier: GPL-2.0-or-later
// The typed recitation check: how typed words are aligned with a passage's words, what counts as
// the same word, the first-letters mode, the summary and the suggested progress, on real verses.

#include "RecitationCheck.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using Mode = CRecitationCheck::Mode;
using Mark = CRecitationCheck::Mark;

// John 3:16, Psalm 40:1-3 and Genesis 1:1 as the bundled King James passages hold them.
constexpr const char* kJohn316 =
    "16 For God so loved the world, that he gave his only begotten Son, that whosoever believeth "
    "in him should not perish, but have everlasting life.";
constexpr const char* kJohnTyped = "For God so loved the world that he gave his only begotten Son "
                                   "that whosoever believeth in him should not perish but have "
                                   "everlasting life";
constexpr const char* kPsalm40 =
    "1 I waited patiently for the LORD; and he inclined unto me, and heard my cry.\r\n"
    "2 He brought me up also out of an horrible pit, out of the miry clay, and set my feet upon a "
    "rock, and established my goings.\r\n"
    "3 And he hath put a new song in my mouth, even praise unto our God: many shall see it, and "
    "fear, and shall trust in the LORD.";
constexpr const char* kGenesis11 = "1 In the beginning God created the heaven and the earth.";

// The result in one line: a matched word as it stands in the passage, -missed-, wrong/typed and
// +extra, separated by blanks.
std::string Marks(const CRecitationCheck& check, std::string_view passage, std::string_view typed) {
    std::string out;
    for (const CRecitationCheck::Word& word : check.Words()) {
        if (!out.empty())
            out += ' ';
        const auto inPassage =
            passage.substr(word.passageBegin, word.passageEnd - word.passageBegin);
        const auto inTyped = typed.substr(word.typedBegin, word.typedEnd - word.typedBegin);
        switch (word.mark) {
        case Mark::kMatched:
            out.append(inPassage);
            break;
        case Mark::kMissed:
            out.append("-").append(inPassage).append("-");
            break;
        case Mark::kWrong:
            out.append(inPassage).append("/").append(inTyped);
            break;
        case Mark::kExtra:
            out.append("+").append(inTyped);
            break;
        }
    }
    return out;
}

std::string Marks(std::string_view passage, std::string_view typed, Mode mode = Mode::kWords) {
    return Marks(CRecitationCheck(passage, typed, mode), passage, typed);
}

} // namespace

TEST(RecitationCheckTest, AWordPerfectRecitationIsMastered) {
    // Lower case, no punctuation and no verse number: every word is right.
    const CRecitationCheck check(kJohn316, kJohnTyped, Mode::kWords);
    EXPECT_EQ(check.Summary(), "25 of 25 words");
    EXPECT_EQ(check.PassageWords(), 25);
    EXPECT_EQ(check.TypedWords(), 25);
    EXPECT_EQ(check.Matched(), 25);
    EXPECT_EQ(check.PercentRight(), 100);
    EXPECT_EQ(check.SuggestedProgress(), 4);
    // Each word's range is the word alone, without the verse number or the punctuation.
    const std::string_view passage = kJohn316;
    EXPECT_EQ(check.Words().front().passageBegin, 3u);
    EXPECT_EQ(passage.substr(check.Words()[5].passageBegin, 5), "world");
    EXPECT_EQ(check.Words()[5].passageEnd, passage.find(','));
    EXPECT_EQ(check.Words().back().passageEnd, passage.size() - 1);
}

TEST(RecitationCheckTest, MissedWrongAndExtraWordsAreFoundWhereTheyAre) {
    // Two words left out.
    std::string typed = "For God so loved the world that he gave his Son that whosoever believeth "
                        "in him should not perish but have everlasting life";
    CRecitationCheck check(kJohn316, typed, Mode::kWords);
    EXPECT_EQ(check.Summary(), "23 of 25 words, 2 missed");
    EXPECT_EQ(Marks(check, kJohn316, typed),
              "For God so loved the world that he gave his -only- -begotten- Son that whosoever "
              "believeth in him should not perish but have everlasting life");
    EXPECT_EQ(check.SuggestedProgress(), 3); // 92 percent

    // One word said differently: wrong, not missed and extra.
    typed = "For God so loved the earth that he gave his only begotten Son that whosoever "
            "believeth in him should not perish but have eternal life";
    check = CRecitationCheck(kJohn316, typed, Mode::kWords);
    EXPECT_EQ(check.Summary(), "23 of 25 words, 2 wrong");
    EXPECT_EQ(Marks(check, kJohn316, typed).substr(0, 37), "For God so loved the world/earth that");
    EXPECT_NE(Marks(check, kJohn316, typed).find("everlasting/eternal life"), std::string::npos);

    // A word said differently and the next one left out: the wrong word is the first of them,
    // as it was said in its place.
    EXPECT_EQ(Marks(kGenesis11, "In the beginning God made heaven and earth"),
              "In the beginning God created/made -the- heaven and -the- earth");
    EXPECT_EQ(Marks(kGenesis11, "In the beginning God made it all the heaven and the earth"),
              "In the beginning God created/made +it +all the heaven and the earth");

    // A word put in: it belongs before the word it was typed before.
    typed = std::string("For God so very loved") + (kJohnTyped + 16);
    check = CRecitationCheck(kJohn316, typed, Mode::kWords);
    EXPECT_EQ(check.Summary(), "25 of 25 words, 1 extra");
    EXPECT_EQ(Marks(check, kJohn316, typed).substr(0, 26), "For God so +very loved the");
    const CRecitationCheck::Word& extra = check.Words()[3];
    EXPECT_EQ(extra.passageBegin, std::string_view(kJohn316).find("loved"));
    EXPECT_EQ(extra.passageEnd, extra.passageBegin);
    // An extra word spoils a perfect score: 25 of 26 is Good, not Mastered.
    EXPECT_EQ(check.PercentRight(), 96);
    EXPECT_EQ(check.SuggestedProgress(), 3);

    // Words said after the end go at the end of the passage, after its full stop.
    typed = std::string(kJohnTyped) + " amen";
    check = CRecitationCheck(kJohn316, typed, Mode::kWords);
    EXPECT_EQ(check.Words().back().mark, Mark::kExtra);
    EXPECT_EQ(check.Words().back().passageBegin, std::string_view(kJohn316).size());
}

TEST(RecitationCheckTest, SwappedWordsCountAsOneMissedAndOneExtra) {
    // Two wrong words would be as many changes; the alignment keeps more words matched.
    const std::string typed = "For God loved so the world";
    const std::string passage = "16 For God so loved the world,";
    const CRecitationCheck check(passage, typed, Mode::kWords);
    EXPECT_EQ(check.Summary(), "5 of 6 words, 1 missed, 1 extra");
    EXPECT_EQ(Marks(check, passage, typed), "For God +loved so -loved- the world");

    // Two verses recited in the wrong order: the longer verse stays matched.
    const std::string psalm = "1 The LORD is my shepherd; I shall not want.\r\n"
                              "2 He maketh me to lie down in green pastures: he leadeth me beside "
                              "the still waters.";
    EXPECT_EQ(Marks(psalm, "He maketh me to lie down in green pastures he leadeth me beside the "
                           "still waters the LORD is my shepherd I shall not want"),
              "-The- -LORD- -is- -my- -shepherd- -I- -shall- -not- -want- He maketh me to lie "
              "down in green pastures he leadeth me beside the still waters +the +LORD +is +my "
              "+shepherd +I +shall +not +want");
}

TEST(RecitationCheckTest, CasePunctuationApostrophesAndDashesDoNotCount) {
    EXPECT_EQ(
        CRecitationCheck(kJohn316,
                         "FOR GOD SO LOVED THE WORLD!!! That he gave his only-begotten Son... "
                         "(that) whosoever; believeth -- in him \"should\" not perish, but "
                         "have everlasting life?",
                         Mode::kWords)
            .Summary(),
        "25 of 25 words");
    // A curly apostrophe in the passage, a straight one or none typed; "well-pleasing" is two
    // words however it is typed with a blank or a hyphen.
    const std::string web = "22 All the saints greet you, especially those who are of Caesar\x92s "
                            "household.";
    EXPECT_EQ(CRecitationCheck(web,
                               "All the saints greet you especially those who are of "
                               "Caesar's household",
                               Mode::kWords)
                  .Summary(),
              "12 of 12 words");
    EXPECT_EQ(CRecitationCheck(web,
                               "all the saints greet you especially those who are of "
                               "caesars household",
                               Mode::kWords)
                  .Summary(),
              "12 of 12 words");
    const std::string pleasing = "an acceptable and well-pleasing sacrifice to God.";
    EXPECT_EQ(
        CRecitationCheck(pleasing, "an acceptable and well pleasing sacrifice to God", Mode::kWords)
            .Summary(),
        "8 of 8 words");
    // Quotation marks around a word are not part of it; letters with accents fold their case.
    EXPECT_EQ(Marks("3 God said, \x93Let there be light,\x94 and there was light.",
                    "God said let there be light and there was light"),
              "God said Let there be light and there was light");
    EXPECT_EQ(CRecitationCheck("\xC9lan na\xEFve", "\xE9LAN NA\xCFVE", Mode::kWords).Summary(),
              "2 of 2 words");
    // But a different letter is a different word: no accent is taken off.
    EXPECT_EQ(CRecitationCheck("na\xEFve", "naive", Mode::kWords).Summary(),
              "0 of 1 word, 1 wrong");
}

TEST(RecitationCheckTest, VerseNumbersAtLineStartsDoNotCount) {
    // Typed on one line without numbers, or line by line with them: all right either way.
    const std::string plain =
        "I waited patiently for the LORD and he inclined unto me and heard my "
        "cry He brought me up also out of an horrible pit out of the miry "
        "clay and set my feet upon a rock and established my goings And he "
        "hath put a new song in my mouth even praise unto our God many shall "
        "see it and fear and shall trust in the LORD";
    CRecitationCheck check(kPsalm40, plain, Mode::kWords);
    EXPECT_EQ(check.Summary(), "68 of 68 words");
    std::string numbered = kPsalm40;
    for (std::size_t at = numbered.find("\r\n"); at != std::string::npos;
         at = numbered.find("\r\n", at + 1))
        numbered.erase(at, 1); // LF alone, as the typing box gives it
    check = CRecitationCheck(kPsalm40, "  " + numbered, Mode::kWords);
    EXPECT_EQ(check.Summary(), "68 of 68 words");
    EXPECT_EQ(check.SuggestedProgress(), 4);

    // A number typed in the middle of a line is a word like any other.
    EXPECT_EQ(Marks("1 The LORD is my shepherd;\r\n2 He maketh me",
                    "The LORD is my shepherd 2 He maketh me"),
              "The LORD is my shepherd +2 He maketh me");
    // A number in the passage that does not start a line is one of its words.
    EXPECT_EQ(
        CRecitationCheck("14 and he fasted 40 days", "and he fasted days", Mode::kWords).Summary(),
        "4 of 5 words, 1 missed");
    // The maintainers' context records begin their lines with the translation and the verse.
    const std::string record = "WEB 2 The earth was formless and empty.\r\n3 God said, \x93Let "
                               "there be light,\x94 and there was light.";
    EXPECT_EQ(CRecitationCheck(record,
                               "The earth was formless and empty God said let there be light and "
                               "there was light",
                               Mode::kWords)
                  .Summary(),
              "16 of 16 words");
    // A capitalised word that is no translation's abbreviation is a word.
    EXPECT_EQ(CRecitationCheck("GOD 2 is love", "is love", Mode::kWords).Summary(),
              "2 of 4 words, 2 missed");
}

TEST(RecitationCheckTest, FirstLettersStandForTheirWords) {
    // With blanks or without, in any case; the verse number is still left out.
    for (const char* typed :
         {"F G s l t w t h g h o b S t w b i h s n p b h e l", "16 FGSLTWTHGHOBSTWBIHSNPBHEL",
          "f. g. s. l. t. w. t. h. g. h. o. b. "
          "s. t. w. b. i. h. s. n. p. b. h. "
          "e. l."}) {
        const CRecitationCheck check(kJohn316, typed, Mode::kFirstLetters);
        EXPECT_EQ(check.Summary(), "25 of 25 words") << typed;
        // First letters alone never suggest more than Good.
        EXPECT_EQ(check.SuggestedProgress(), 3) << typed;
    }
    // One letter wrong, one left out, one too many; each mark covers the whole passage word and
    // the one letter typed.
    const std::string typed = "I t b G c t h a e x";
    const CRecitationCheck check(kGenesis11, typed, Mode::kFirstLetters);
    EXPECT_EQ(check.Summary(), "9 of 10 words, 1 missed, 1 extra");
    EXPECT_EQ(Marks(check, kGenesis11, typed),
              "In the beginning God created the heaven and -the- earth +x");
    EXPECT_EQ(Marks(kGenesis11, "ItbGcthatq", Mode::kFirstLetters),
              "In the beginning God created the heaven and the earth/q");
    // Whole words typed in this mode are a letter each.
    EXPECT_EQ(CRecitationCheck("For God", "For God", Mode::kFirstLetters).Summary(),
              "2 of 2 words, 4 extra");
}

TEST(RecitationCheckTest, NothingTypedMissesEveryWordAndSuggestsNothing) {
    for (const char* typed : {"", "   \r\n\t", "...!?", "\r\n16 "}) {
        const CRecitationCheck check(kGenesis11, typed, Mode::kWords);
        EXPECT_EQ(check.Summary(), "0 of 10 words, 10 missed") << typed;
        EXPECT_EQ(check.TypedWords(), 0);
        EXPECT_EQ(check.SuggestedProgress(), -1);
        EXPECT_EQ(check.Suggestion(2, true), "");
        ASSERT_EQ(check.Words().size(), 10u);
        for (const CRecitationCheck::Word& word : check.Words())
            EXPECT_EQ(word.mark, Mark::kMissed);
    }
    // A passage without words (only its verse number) has nothing to judge either.
    const CRecitationCheck empty("16 ", "For God", Mode::kWords);
    EXPECT_EQ(empty.Summary(), "0 of 0 words, 2 extra");
    EXPECT_EQ(empty.SuggestedProgress(), -1);
    EXPECT_EQ(CRecitationCheck("", "", Mode::kFirstLetters).Summary(), "0 of 0 words");
}

TEST(RecitationCheckTest, APassageOfOneWord) {
    EXPECT_EQ(CRecitationCheck("Amen.", "amen", Mode::kWords).Summary(), "1 of 1 word");
    EXPECT_EQ(CRecitationCheck("Amen.", "amen", Mode::kWords).SuggestedProgress(), 4);
    EXPECT_EQ(CRecitationCheck("Amen.", "", Mode::kWords).Summary(), "0 of 1 word, 1 missed");
    EXPECT_EQ(CRecitationCheck("Amen.", "Selah", Mode::kWords).Summary(), "0 of 1 word, 1 wrong");
    const CRecitationCheck twice("Amen.", "Amen amen", Mode::kWords);
    EXPECT_EQ(twice.Summary(), "1 of 1 word, 1 extra");
    EXPECT_EQ(twice.PercentRight(), 50);
    EXPECT_EQ(twice.SuggestedProgress(), 1);
    EXPECT_EQ(CRecitationCheck("Amen.", "a", Mode::kFirstLetters).Summary(), "1 of 1 word");
}

TEST(RecitationCheckTest, TheSuggestionFollowsTheShareOfWordsRight) {
    // Genesis 1:1 has ten words: each word left out costs ten percent.
    const struct {
        const char* typed;
        int percent;
        int progress;
    } cases[] = {
        {"In the beginning God created the heaven and the earth", 100, 4},
        {"In the beginning God created the heaven and the", 90, 3},
        {"In the beginning God created the heaven and", 80, 2},
        {"In the beginning God created the heaven", 70, 2},
        {"In the beginning God created the", 60, 1},
        {"earth", 10, 1},
        {"Jesus wept", 0, 1},
    };
    for (const auto& c : cases) {
        const CRecitationCheck check(kGenesis11, c.typed, Mode::kWords);
        EXPECT_EQ(check.PercentRight(), c.percent) << c.typed;
        EXPECT_EQ(check.SuggestedProgress(), c.progress) << c.typed;
    }
    // Ten words right and one extra: 90 percent, Good.
    const CRecitationCheck extra(
        kGenesis11, "In the beginning God created the heaven and the earth and", Mode::kWords);
    EXPECT_EQ(extra.PercentRight(), 90);
    EXPECT_EQ(extra.SuggestedProgress(), 3);

    // The text measures the suggestion against the passage's own progress.
    const CRecitationCheck good(kGenesis11, "In the beginning God created the heaven and the",
                                Mode::kWords);
    EXPECT_EQ(good.Suggestion(3, true), "Suggested progress: Good (90% right). That is its "
                                        "progress now.");
    EXPECT_EQ(good.Suggestion(1, true), "Suggested progress: Good (90% right). It is Just "
                                        "Started now; choose the new level under Progress if you "
                                        "agree.");
    EXPECT_EQ(good.Suggestion(0, false),
              "Suggested progress: Good (90% right). The passage is Not Started/Inactive: choose "
              "how often to recite it first, then its progress.");
    const CRecitationCheck letters(kGenesis11, "ItbGcthate", Mode::kFirstLetters);
    EXPECT_EQ(letters.Suggestion(4, true),
              "Suggested progress: Good (100% right; first letters alone go no higher). It is "
              "Mastered now; choose the new level under Progress if you agree.");
}

TEST(RecitationCheckTest, TooLongATypedTextIsNotChecked) {
    const std::string atLimit(CRecitationCheck::kMaxTypedLength, 'a');
    const CRecitationCheck limit(kGenesis11, atLimit, Mode::kWords);
    EXPECT_FALSE(limit.TooLong());
    EXPECT_EQ(limit.Summary(), "0 of 10 words, 9 missed, 1 wrong");
    // In the first-letters mode every one of those letters is a unit: still checked.
    EXPECT_EQ(CRecitationCheck(kGenesis11, atLimit, Mode::kFirstLetters).Extra(), 9990);

    const CRecitationCheck over(kGenesis11, atLimit + " ", Mode::kWords);
    EXPECT_TRUE(over.TooLong());
    EXPECT_TRUE(over.Words().empty());
    EXPECT_EQ(over.Summary(), "");
    EXPECT_EQ(over.SuggestedProgress(), -1);
}

TEST(RecitationCheckTest, ACharacterWithoutAWindows1252FormIsAWordThatMatchesNothing) {
    const std::string foreign(3, CRecitationCheck::kForeignChar);
    const std::string typed = "In the " + foreign + " God";
    EXPECT_EQ(Marks("In the beginning God", typed), "In the beginning/" + foreign + " God");
    EXPECT_EQ(CRecitationCheck("In the beginning God", "In the beginning " + foreign + " God",
                               Mode::kWords)
                  .Extra(),
              1);
}

TEST(RecitationCheckTest, AReferenceBeforeOrAfterTheTextIsNoWordOfIt) {
    const std::string text = kJohnTyped;
    const struct {
        std::string typed;
        std::size_t references;
    } cases[] = {
        {"John 3:16 " + text, 1},
        {text + " John 3:16", 1},
        {"John 3:16 KJV\n16 " + text + "\njohn 3.16 (kjv)", 2},
        {"Jn 3.16: " + text + ". JOHN 3:16", 2},
        // A verse number right after the reference is read as at the start of a line.
        {"John 3:16 16 " + text, 1},
    };
    for (const auto& c : cases) {
        const CRecitationCheck check(kJohn316, c.typed, Mode::kWords, "John 3:16");
        EXPECT_EQ(check.Summary(), "25 of 25 words") << c.typed;
        EXPECT_EQ(check.SuggestedProgress(), 4) << c.typed;
        ASSERT_EQ(check.References().size(), c.references) << c.typed;
        EXPECT_TRUE(check.References().front().namesPassage);
    }
    // Where it stands in the typed text, the abbreviation with it; the first one comes first.
    const std::string both = "John 3:16 KJV\n" + text + "\nJohn 3:16";
    const CRecitationCheck check(kJohn316, both, Mode::kWords, "John 3:16");
    const CRecitationCheck::TypedReference& before = check.References()[0];
    EXPECT_TRUE(before.beforePassage);
    EXPECT_EQ(both.substr(before.typedBegin, before.typedEnd - before.typedBegin), "John 3:16 KJV");
    EXPECT_EQ(before.said, "John 3:16");
    EXPECT_FALSE(check.References()[1].beforePassage);
    EXPECT_EQ(check.References()[1].typedEnd, both.size());

    // Numbered books in their forms, and a book of one chapter by its verse alone.
    const std::string love = "8 He that loveth not knoweth not God; for God is love.";
    for (const char* said : {"1 John 4:8", "I John 4:8", "First John 4:8", "1 jn 4:8"})
        EXPECT_EQ(CRecitationCheck(love,
                                   std::string(said) +
                                       " He that loveth not knoweth not God for "
                                       "God is love " +
                                       said,
                                   Mode::kWords, "1 John 4:8")
                      .Summary(),
                  "11 of 11 words")
            << said;
    const std::string jude = "24 Now unto him that is able to keep you from falling,";
    EXPECT_EQ(CRecitationCheck(jude, "Jude 24 Now unto him that is able to keep you from falling",
                               Mode::kWords, "Jude 1:24")
                  .Summary(),
              "11 of 11 words");
}

TEST(RecitationCheckTest, AReferenceToAnotherPassageIsToldInTheSummary) {
    const CRecitationCheck check(kJohn316, std::string("John 3:17 ") + kJohnTyped, Mode::kWords,
                                 "John 3:16");
    EXPECT_EQ(check.Summary(), "25 of 25 words. You said John 3:17; this is John 3:16.");
    EXPECT_FALSE(check.References().front().namesPassage);
    EXPECT_EQ(check.SuggestedProgress(), 4);
    EXPECT_EQ(CRecitationCheck(kGenesis11,
                               "Gen 1:2 In the beginning God created the heaven and the "
                               "earth Genesis 1:1-2",
                               Mode::kWords, "Genesis 1:1")
                  .Summary(),
              "10 of 10 words. You said Gen 1:2 and Genesis 1:1-2; this is Genesis 1:1.");
    // Without the passage's own reference there is nothing to hold it against.
    EXPECT_EQ(
        CRecitationCheck(kJohn316, std::string("John 3:17 ") + kJohnTyped, Mode::kWords).Summary(),
        "25 of 25 words");
}

TEST(RecitationCheckTest, WordsThatOnlyLookLikeAReferenceAreWords) {
    // "I John" names a book, but no chapter and verse follow it.
    const std::string revelation =
        "9 I John, who also am your brother, and companion in tribulation, and in the kingdom and "
        "patience of Jesus Christ, was in the isle that is called Patmos, for the word of God, and "
        "for the testimony of Jesus Christ.";
    const std::string typed = "I John who also am your brother and companion in tribulation and "
                              "in the kingdom and patience of Jesus Christ was in the isle that "
                              "is called Patmos for the word of God and for the testimony of "
                              "Jesus Christ";
    for (const std::string& with : {typed, "Revelation 1:9 " + typed + " Rev. 1:9"}) {
        const CRecitationCheck check(revelation, with, Mode::kWords, "Revelation 1:9");
        EXPECT_EQ(check.Summary(), "40 of 40 words") << with;
        EXPECT_EQ(check.SuggestedProgress(), 4);
    }
    // A number said in the text before the last words is no reference of a book.
    EXPECT_EQ(Marks("14 and he fasted 40 days", "and he fasted 40 days"), "and he fasted 40 days");
    EXPECT_EQ(Marks("1 In the beginning God", "In the beginning God 1 1"),
              "In the beginning God +1 +1");
}

// Every passage of the bundled collection, typed exactly as it stands or by its first letters,
// is all right: no word of a real passage is lost to the rules above.
class BundledRecitationTest : public StoreTest {};

TEST_F(BundledRecitationTest, EveryBundledPassageRecitedAsItStandsIsAllRight) {
    namespace fs = std::filesystem;
    fs::copy_file(fs::path(RECITOR_SOURCE_DIR) / "res" / "RctInfo.xml", dir / "RctInfo.xml");
    Write("RctUser.xml", PassageFile({}));
    Write("RctStats.xml", StatsFile({}));
    ASSERT_EQ(Load(), Status::Ok);
    ASSERT_GT(store->PassageCount(), 500);
    for (int i = 0; i < store->PassageCount(); ++i) {
        const CPassage& passage = store->Passage(i);
        const std::string_view text = passage.PassageText();
        SCOPED_TRACE(passage.PassageReference() + " " + std::string(passage.TransName()));
        const CRecitationCheck same(text, text, Mode::kWords);
        ASSERT_GT(same.PassageWords(), 0);
        EXPECT_EQ(same.Matched(), same.PassageWords());
        EXPECT_EQ(same.Extra(), 0);
        std::string letters;
        for (const CRecitationCheck::Word& word : same.Words())
            letters += text[word.passageBegin];
        const CRecitationCheck initials(text, letters, Mode::kFirstLetters);
        EXPECT_EQ(initials.Matched(), initials.PassageWords()) << letters;
        EXPECT_EQ(initials.Extra(), 0);
    }
}

// Typing only the first verse of a passage lines it up with the first verse, even where a later
// verse repeats its words; the passage's reference said before and after the whole text is no
// extra word.
TEST_F(BundledRecitationTest, AFirstVerseAndTheReferenceLineUpOnEveryBundledPassage) {
    namespace fs = std::filesystem;
    fs::copy_file(fs::path(RECITOR_SOURCE_DIR) / "res" / "RctInfo.xml", dir / "RctInfo.xml");
    Write("RctUser.xml", PassageFile({}));
    Write("RctStats.xml", StatsFile({}));
    ASSERT_EQ(Load(), Status::Ok);
    int multiLine = 0;
    for (int i = 0; i < store->PassageCount(); ++i) {
        const CPassage& passage = store->Passage(i);
        const std::string_view text = passage.PassageText();
        const std::string reference = passage.PassageReference();
        SCOPED_TRACE(reference + " " + std::string(passage.TransName()));
        const std::size_t lineEnd = std::min(text.find('\r'), text.find('\n'));
        if (lineEnd != std::string_view::npos) {
            ++multiLine;
            const CRecitationCheck first(text, text.substr(0, lineEnd), Mode::kWords, reference);
            for (const CRecitationCheck::Word& word : first.Words()) {
                if (word.passageEnd <= lineEnd) {
                    EXPECT_EQ(word.mark, Mark::kMatched)
                        << text.substr(word.passageBegin, word.passageEnd - word.passageBegin);
                }
            }
        }
        // With the translation after the first reference where the passage has one.
        std::string typed(reference);
        if (passage.trans >= 0)
            typed.append(" ").append(passage.TransName());
        typed.append("\n").append(text).append("\n").append(reference);
        const CRecitationCheck both(text, typed, Mode::kWords, reference);
        EXPECT_EQ(both.Matched(), both.PassageWords());
        EXPECT_EQ(both.Extra(), 0);
        EXPECT_EQ(both.References().size(), 2u);
        EXPECT_EQ(both.SuggestedProgress(), 4);
    }
    EXPECT_GT(multiLine, 100);
}
