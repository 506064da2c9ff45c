// SPDX-License-Identifier: GPL-2.0-or-later
// The Edit Passage dialog's checks and record line, without the dialog: every message in its
// order, the offsets found in the texts, the key text, the line counts, and the line compared
// with what the store writes to the user file.

#include "PassageCheck.h"
#include "PassageStore.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Lines are one per started ten characters, and every measure is counted.
class CFakeLines : public IDisplayLineCounter {
public:
    int Lines(std::string_view text, int pointSize) override {
        ++calls;
        sizes.push_back(pointSize);
        return static_cast<int>(text.size() / 10) + 1;
    }
    int calls = 0;
    std::vector<int> sizes;
};

const std::string kContext = "15 that everyone who believes\r\n"
                             "16 For God so loved the world that he gave\r\n"
                             "17 For God did not send";

// John 3:16 in translation 11 (BBE), valid throughout.
CPassageCheck::Entry John() {
    CPassageCheck::Entry entry;
    entry.bookPosition = 42; // John, book 54
    entry.chapter = 3;
    entry.firstVerse = 16;
    entry.lastVerse = 16;
    entry.trans = 11;
    entry.primaryTopic = 18;
    entry.secondaryTopic = 13;
    entry.context = kContext;
    entry.passage = "For God so loved the world";
    entry.hint = "For God so";
    return entry;
}

class PassageCheckTest : public ::testing::Test {
protected:
    std::string Problems(const CPassageCheck::Entry& entry) {
        check.Run(entry);
        return check.Problems();
    }
    CFakeLines lines;
    CPassageCheck check{lines, false};
};

TEST_F(PassageCheckTest, ValidEntryGivesTheRecordLine) {
    ASSERT_TRUE(check.Run(John()));
    EXPECT_EQ(check.Problems(), "");
    const CPassage::Values& v = check.Values();
    EXPECT_EQ(v.keyText, "54003016B_");
    EXPECT_EQ(v.key, 54003016u);
    EXPECT_EQ(v.trans, 11);
    EXPECT_EQ(v.psgStart, 34);
    EXPECT_EQ(v.psgEnd, 34 + 26);
    // "For God so" first stands in the passage's line; the earlier lines do not hold it.
    EXPECT_EQ(v.hintStart, 34);
    EXPECT_EQ(v.hintEnd, 44);
    EXPECT_EQ(v.vCount, 1);
    EXPECT_EQ(check.RecordLine(),
              "<psg key=\"54003016B\" vCount=\"01\" ctxLines=\"10\" psgLines=\"03\" "
              "psgStart=\"0034\" psgEnd=\"0060\" hintStart=\"0034\" hintEnd=\"0044\" "
              "topic=\"1318\" context=\"15 that everyone who believes\\n16 For God so loved the "
              "world that he gave\\n17 For God did not send\"> </psg>");
    EXPECT_EQ(check.VerifyText(), check.RecordLine());
    // The context at 14 points, the passage at 18: the sizes the display chooses from.
    EXPECT_EQ(lines.sizes, (std::vector<int>{14, 18}));
}

TEST_F(PassageCheckTest, AddSetUpShowsItsMessagesAtOnce) {
    CPassageCheck::Entry entry;
    entry.context = "Enter entire Context into this box.\r\n(include verses before/after the "
                    "passage.)";
    entry.passage = "Enter Passage into this box.";
    entry.hint = "Copy/paste Hint from the Passage box above.";
    EXPECT_EQ(Problems(entry),
              "Must select from 'Book of Bible' list\r\n"
              "Chapter number must be between 1 and 150\r\n"
              "1st Verse # must be between 1 and 176\r\n"
              "Last Verse # must be between 1 and 176 and not less than 1st Verse\r\n"
              "Translation option cannot be blank\r\n"
              "Passage not found in Context\r\n"
              "Hint not found in Passage\r\n");
    EXPECT_EQ(check.RecordLine(), "");
    EXPECT_EQ(check.VerifyText(), check.Problems());
    EXPECT_EQ(lines.calls, 0); // nothing is measured while something is wrong
}

TEST_F(PassageCheckTest, EachCheckHasItsMessage) {
    struct Case {
        const char* name;
        void (*change)(CPassageCheck::Entry&);
        const char* problems;
    };
    const Case cases[] = {
        {"no book", [](auto& e) { e.bookPosition = -1; },
         "Must select from 'Book of Bible' list\r\n"},
        {"chapter 0", [](auto& e) { e.chapter = 0; },
         "Chapter number must be between 1 and 150\r\n"},
        {"chapter 151", [](auto& e) { e.chapter = 151; },
         "Chapter number must be between 1 and 150\r\n"},
        {"verse 177",
         [](auto& e) {
             e.firstVerse = 177;
             e.lastVerse = 177;
         },
         "1st Verse # must be between 1 and 176\r\n"
         "Last Verse # must be between 1 and 176 and not less than 1st Verse\r\n"},
        {"last before first", [](auto& e) { e.lastVerse = 15; },
         "Last Verse # must be between 1 and 176 and not less than 1st Verse\r\n"},
        {"no translation", [](auto& e) { e.trans = -1; }, "Translation option cannot be blank\r\n"},
        {"a ---- translation", [](auto& e) { e.trans = 15; }, "Invalid translation choice\r\n"},
        {"last ---- translation", [](auto& e) { e.trans = 35; }, "Invalid translation choice\r\n"},
        {"topic 58", [](auto& e) { e.primaryTopic = 58; },
         "Primary Topic selection invalid or cannot be blank\r\n"},
        {"topic -1", [](auto& e) { e.secondaryTopic = -1; },
         "Secondary Topic selection invalid or cannot be blank\r\n"},
        {"empty passage", [](auto& e) { e.passage.clear(); },
         "Passage box cannot be blank\r\nHint not found in Passage\r\n"},
        {"passage elsewhere", [](auto& e) { e.passage = "For God so loved them"; },
         "Passage not found in Context\r\n"},
        {"case matters", [](auto& e) { e.passage = "for God so loved the world"; },
         "Passage not found in Context\r\nHint not found in Passage\r\n"},
        {"hint outside the passage", [](auto& e) { e.hint = "17 For"; },
         "Hint not found in Passage\r\n"},
        {"one-character hint", [](auto& e) { e.hint.assign(1, 'F'); },
         "Hint cannot have length less than 2\r\n"},
        {"empty hint", [](auto& e) { e.hint.clear(); },
         "Hint in lower box cannot be blank\r\nHint cannot have length less than 2\r\n"},
        {"empty context", [](auto& e) { e.context.clear(); },
         "Context in top box cannot be blank\r\nPassage not found in Context\r\n"},
    };
    for (const Case& c : cases) {
        CPassageCheck::Entry entry = John();
        c.change(entry);
        EXPECT_EQ(Problems(entry), c.problems) << c.name;
        EXPECT_EQ(check.RecordLine(), "") << c.name;
    }
}

TEST_F(PassageCheckTest, LimitsAreAccepted) {
    CPassageCheck::Entry entry = John();
    entry.chapter = 150;
    entry.firstVerse = 176;
    entry.lastVerse = 176;
    EXPECT_EQ(Problems(entry), "");
    EXPECT_EQ(check.Values().keyText, "54150176B_");
    entry.firstVerse = 1;
    EXPECT_EQ(Problems(entry), "");
    EXPECT_EQ(check.Values().vCount, 176);
    for (const int trans : {0, 14, 16, 17, 20, 21, 22, 23, 24, 29, 32}) {
        entry.trans = trans;
        EXPECT_EQ(Problems(entry), "") << trans;
        const char letter = static_cast<char>(trans > 9 ? 'A' + trans - 10 : '0' + trans);
        EXPECT_EQ(check.Values().keyText[8], letter) << trans;
    }
    // Topic 0 ("n/a") passes; the last book of the list is book 77.
    entry.primaryTopic = 0;
    entry.bookPosition = 65;
    EXPECT_EQ(Problems(entry), "");
    EXPECT_EQ(check.Values().key / 1000000, 77u);
    entry.bookPosition = 66;
    EXPECT_EQ(Problems(entry), "Must select from 'Book of Bible' list\r\n");
}

TEST_F(PassageCheckTest, ContextLengthLimit) {
    CPassageCheck::Entry entry = John();
    entry.context = kContext + std::string(CPassageCheck::kMaxContext - kContext.size(), 'x');
    EXPECT_EQ(Problems(entry), "");
    entry.context.push_back('x');
    EXPECT_EQ(Problems(entry), "Context exceeds maximum length\r\n");

    // Quotation marks and apostrophes are written as entities: a context within the limit
    // whose line the files could not read back whole is too long as well.
    entry.context = kContext + std::string(CPassageCheck::kMaxContext - kContext.size(), '\'');
    EXPECT_EQ(Problems(entry), "Context exceeds maximum length\r\n");
    EXPECT_EQ(check.RecordLine(), "");
    entry.context = kContext + std::string(40, '"');
    EXPECT_EQ(Problems(entry), "");
    EXPECT_LE(check.RecordLine().size(), CPassageStore::kMaxLineLength);
}

TEST_F(PassageCheckTest, OffsetsComeFromTheFirstOccurrence) {
    CPassageCheck::Entry entry = John();
    // The passage twice: the first one counts.
    entry.context = "16 For God so loved the world\r\n" + kContext;
    entry.passage = "For God so loved the world";
    ASSERT_EQ(Problems(entry), "");
    EXPECT_EQ(check.Values().psgStart, 3);
    // The hint is looked for in the whole context, so an earlier occurrence wins over the one in
    // the passage.
    entry.context = "God so loved\r\n" + kContext;
    entry.hint = "God so";
    ASSERT_EQ(Problems(entry), "");
    EXPECT_EQ(check.Values().psgStart, 14 + 34);
    EXPECT_EQ(check.Values().hintStart, 0);
    EXPECT_EQ(check.Values().hintEnd, 6);
}

TEST_F(PassageCheckTest, LineBreaksCountAsCrLf) {
    // A box gives lone LFs, a paste may give lone CRs; the offsets are those of CR LF text.
    EXPECT_EQ(CPassageCheck::WithCrLf("a\nb\rc\r\nd\n\n"), "a\r\nb\r\nc\r\nd\r\n\r\n");
    EXPECT_EQ(CPassageCheck::WithCrLf(""), "");
    CPassageCheck::Entry entry = John();
    entry.context = CPassageCheck::WithCrLf("15 that\n16 For God so loved\r17 the world");
    entry.passage = CPassageCheck::WithCrLf("For God so loved\n17");
    ASSERT_EQ(Problems(entry), "");
    EXPECT_EQ(check.Values().psgStart, 12);
    EXPECT_EQ(check.Values().psgEnd, 12 + 20);
    EXPECT_NE(check.RecordLine().find("context=\"15 that\\n16 For God so loved\\n17 the world\""),
              std::string::npos);
}

TEST_F(PassageCheckTest, CharactersWithoutAFileFormAreListed) {
    CPassageCheck::Entry entry = John();
    entry.unavailable = {0x05D0, 0x1F600, 0x41F};
    EXPECT_EQ(Problems(entry), "U+05D0 not available in the passage files\r\n"
                               "U+1F600 not available in the passage files\r\n"
                               "U+041F not available in the passage files\r\n");
    EXPECT_EQ(check.RecordLine(), "");
    // They come after the other problems.
    entry.chapter = 0;
    entry.unavailable = {0x2028};
    EXPECT_EQ(Problems(entry), "Chapter number must be between 1 and 150\r\n"
                               "U+2028 not available in the passage files\r\n");
}

// A context holding the files' own escapes would come back changed, its offsets shifted.
TEST_F(PassageCheckTest, TextsTheFilesWouldChangeAreRefused) {
    CPassageCheck::Entry entry = John();
    entry.context = "a\\nb &quot; &apos; &amp; \\x\r\n" + kContext;
    EXPECT_EQ(Problems(entry),
              "Text \"\\n\" in the Context cannot be kept in the passage files\r\n"
              "Text \"&quot;\" in the Context cannot be kept in the passage files\r\n"
              "Text \"&apos;\" in the Context cannot be kept in the passage files\r\n");
    entry.context = "a &amp; \\x \"q\" it's\r\n" + kContext;
    EXPECT_EQ(Problems(entry), "");
}

TEST_F(PassageCheckTest, TextsAreMeasuredOnlyWhenTheyChange) {
    ASSERT_TRUE(check.Run(John()));
    EXPECT_EQ(lines.calls, 2);
    CPassageCheck::Entry entry = John();
    entry.hint = "God so";
    ASSERT_TRUE(check.Run(entry));
    EXPECT_EQ(lines.calls, 2);
    entry.context += "x";
    ASSERT_TRUE(check.Run(entry));
    EXPECT_EQ(lines.calls, 3);
    EXPECT_EQ(check.Values().ctxLines, static_cast<int>(entry.context.size() / 10) + 1);
}

TEST_F(PassageCheckTest, MaintainersLineCarriesTheSharedMark) {
    CPassageCheck maintainers(lines, true);
    ASSERT_TRUE(maintainers.Run(John()));
    EXPECT_NE(maintainers.RecordLine().find(" ctxLines=\"98\" "), std::string::npos);
    // What is stored is measured all the same.
    EXPECT_EQ(maintainers.Values().ctxLines, static_cast<int>(kContext.size() / 10) + 1);
}

// A VerseKey another passage holds is one more problem, in the words of the store's refusal,
// asked only once the key's fields are complete.
TEST_F(PassageCheckTest, KeyHeldByAnotherPassageIsAProblem) {
    const std::uint32_t johnNiv = CPassage("540030168_").MatchKey();
    std::vector<std::uint32_t> asked;
    CPassageCheck held(lines, false, [&](std::uint32_t matchKey) {
        asked.push_back(matchKey);
        return matchKey == johnNiv;
    });
    CPassageCheck::Entry entry = John();
    entry.trans = 8;
    EXPECT_FALSE(held.Run(entry));
    EXPECT_EQ(held.Problems(), "John 3:16 NIV is already in your collection\r\n");
    EXPECT_EQ(held.RecordLine(), "");
    EXPECT_EQ(asked, std::vector<std::uint32_t>{johnNiv});
    entry.trans = 11;
    EXPECT_TRUE(held.Run(entry));
    asked.clear();
    entry.chapter = 0;
    EXPECT_FALSE(held.Run(entry));
    EXPECT_TRUE(asked.empty());
}

TEST(PassageCheckNumbers, UnsignedDecimalOnly) {
    std::uint32_t value = 7;
    for (const char* bad : {"", " ", "-1", "+1", "1a", "a1", "1.5", "4294967296", "1 2"}) {
        EXPECT_FALSE(CPassageCheck::ParseNumber(bad, value)) << bad;
        EXPECT_EQ(value, 7u) << bad;
    }
    EXPECT_TRUE(CPassageCheck::ParseNumber(" 16 ", value));
    EXPECT_EQ(value, 16u);
    EXPECT_TRUE(CPassageCheck::ParseNumber("0", value));
    EXPECT_EQ(value, 0u);
    EXPECT_TRUE(CPassageCheck::ParseNumber("4294967295", value));
    EXPECT_EQ(value, 4294967295u);
}

// The line the dialog shows is the line the user file gets.
class PassageCheckStoreTest : public StoreTest {};

TEST_F(PassageCheckStoreTest, RecordLineIsTheUserFileLine) {
    LoadJohn();
    CFakeLines lines;
    CPassageCheck check(lines, false);
    CPassageCheck::Entry entry = John();
    entry.context = "15 \"Quoted\" and it's\r\n16 For God so loved the world\r\n\r\n17 & <end>";
    ASSERT_TRUE(check.Run(entry));
    auto passage = std::make_unique<CPassage>();
    passage->SetAll(check.Values());
    ASSERT_GE(store->Add(passage), 0);
    ASSERT_EQ(store->SaveAll(), Status::Ok);
    const std::string user = Read(CPassageStore::kUserFile);
    const std::string expected = std::string(kDecl) +
                                 "\r\n<passages count=\"001\" formatversion=\"20031126\">\r\n" +
                                 check.RecordLine() + "\r\n</passages>";
    EXPECT_EQ(user, expected);
    EXPECT_TRUE(sink.shown.empty());
}

} // namespace
