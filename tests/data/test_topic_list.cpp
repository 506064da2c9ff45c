// SPDX-License-Identifier: GPL-2.0-or-later
// The passages with one topic: which passages the list takes, in which of its two forms each
// comes, and its caption.

#include "RefTables.h"
#include "TestSupport.h"
#include "TopicList.h"

#include <gtest/gtest.h>

namespace {

constexpr int kKjv = 3;
constexpr int kNiv = 8;
constexpr int kAsv = 0; // a translation without passages

// The collection's places of the passages the tests change.
constexpr int kGenesisFirst = 0; // .. 12, filler in KJV
constexpr int kPsalmRecord = 13;
constexpr int kPhil413 = 18;
constexpr int kPhil419 = 19;

// An element whose passage and hint lie in its context; the context is given as it stands in the
// file, where a line break is a backslash and an n, as long as CR LF.
std::string Element(const std::string& key, int vCount, int ctxLines, int psgLines,
                    const std::string& context, const std::string& passage, const std::string& hint,
                    int topic) {
    Elem e;
    e.key = key;
    e.vCount = vCount;
    e.ctxLines = ctxLines;
    e.psgLines = psgLines;
    e.context = context;
    e.psgStart = static_cast<int>(context.find(passage));
    e.psgEnd = e.psgStart + static_cast<int>(passage.size());
    e.hintStart = static_cast<int>(context.find(hint));
    e.hintEnd = e.hintStart + static_cast<int>(hint.size());
    e.topic = topic; // primary topic + 100 * secondary topic
    return e.Line();
}

std::string Simple(const std::string& key, const std::string& text, int topic = 101) {
    return Element(key, 1, 1, 1, text, text, text.substr(0, 4), topic);
}

} // namespace

// Thirteen filler passages, a context record for Psalm 23:1, John 3:16 in KJV and NIV, John 3:17
// NIV and Romans 8:28-29 KJV, and two user passages, Philippians 4:13 and 4:19 NIV.
class TopicListTest : public StoreTest {
protected:
    void SetUp() override {
        std::vector<std::string> info;
        for (int verse = 1; verse <= 13; ++verse)
            info.push_back(
                Simple(KeyText(1, 1, verse, '3'), std::to_string(verse) + " Verse text"));
        info.push_back(Simple("19023001/", "1 The LORD is my shepherd"));
        info.push_back(Simple("540030163", "16 For God so loved the world"));
        info.push_back(Element("540030168", 1, 3, 1,
                               "15 that everyone who believes\\n16 For God so loved the world "
                               "that he gave\\n17 For God did not send",
                               "For God so loved the world", "For God so", 901));
        info.push_back(Simple("540030178", "17 For God did not send his Son"));
        info.push_back(Element("560080283", 2, 2, 2, "28 And we know\\n29 For whom he did foreknow",
                               "28 And we know\\n29 For whom he did foreknow", "And we", 1009));
        const std::vector<std::string> user = {
            Simple("610040138", "13 I can do all this", 1010),
            Simple("610040198", "19 And my God will meet", 1010)};
        const std::vector<std::string> stats;
        WriteFiles(info, user, &stats);
        ASSERT_EQ(Load(), Status::Ok);
        ASSERT_EQ(store->PassageCount(), 20);
    }

    std::string Text(int topic, int transFilter) const {
        return CTopicList(*store, topic, transFilter).Text();
    }
    int Count(int topic, int transFilter) const {
        return CTopicList(*store, topic, transFilter).Count();
    }
};

TEST_F(TopicListTest, TwoTopicsNamedWhereTheSecondSaysSomething) {
    // John 3:16 NIV: Assurance and Faith; Romans 8:28-29 KJV: Faith and Forgiveness. The passage
    // of several verses names its last verse, and its text keeps its line break.
    const std::string john = "John 3:16 <<Topic(s) [Primary: Assurance] [Secondary: Faith]>>\r\n"
                             "For God so loved the world\r\n\r\n";
    const std::string romans = "Romans 8:28-29 <<Topic(s) [Primary: Faith] [Secondary: "
                               "Forgiveness]>>\r\n"
                               "28 And we know\r\n29 For whom he did foreknow\r\n\r\n";
    EXPECT_EQ(Text(9, kTransAll), john + romans);
    EXPECT_EQ(Count(9, kTransAll), 2);
    EXPECT_EQ(Text(9, kNiv), john);
    EXPECT_EQ(Count(9, kNiv), 1);
    EXPECT_EQ(Text(9, kKjv), romans);
    EXPECT_EQ(Count(9, kKjv), 1);
}

TEST_F(TopicListTest, OneTopicNamedWhenTheSecondIsMiscOrNone) {
    Shape(kPhil413).secondaryTopic = kTopicMisc;
    Shape(kPhil419).secondaryTopic = 0;
    const std::string phil13 = "Philip 4:13 <Topic: Forgiveness>\r\n13 I can do all this\r\n\r\n";
    const std::string phil19 =
        "Philip 4:19 <Topic: Forgiveness>\r\n19 And my God will meet\r\n\r\n";
    EXPECT_EQ(Text(10, kNiv), phil13 + phil19);
    EXPECT_EQ(Count(10, kNiv), 2);
    // Listed through its secondary topic, still in the one-topic form.
    EXPECT_EQ(Text(kTopicMisc, kNiv), phil13);
    EXPECT_EQ(Count(kTopicMisc, kNiv), 1);
    // Topic "n/a" lists the passages without a secondary topic.
    EXPECT_EQ(Text(0, kTransAll), phil19);
    EXPECT_EQ(Count(0, kTransAll), 1);
}

TEST_F(TopicListTest, EveryTranslationInTheCollectionsOrderOrOneOfThem) {
    for (int i = kGenesisFirst; i < kPsalmRecord; ++i)
        Shape(i).primaryTopic = Shape(i).secondaryTopic = 2;
    const std::string kjv = "John 3:16 <<Topic(s) [Primary: Assurance] [Secondary: "
                            "Assurance]>>\r\n16 For God so loved the world\r\n\r\n";
    const std::string niv = "John 3:16 <<Topic(s) [Primary: Assurance] [Secondary: Faith]>>"
                            "\r\nFor God so loved the world\r\n\r\n"
                            "John 3:17 <<Topic(s) [Primary: Assurance] [Secondary: "
                            "Assurance]>>\r\n17 For God did not send his Son\r\n\r\n";
    // The context record of Psalm 23 comes first in the collection's order, then both
    // translations; only the filter for every translation takes the context record.
    EXPECT_EQ(Text(1, kTransAll),
              "Psalm 23:1 <<Topic(s) [Primary: Assurance] [Secondary: Assurance]>>\r\n"
              "1 The LORD is my shepherd\r\n\r\n" +
                  kjv + niv);
    EXPECT_EQ(Count(1, kTransAll), 4);
    EXPECT_EQ(Text(1, kNiv), niv);
    EXPECT_EQ(Count(1, kNiv), 2);
    EXPECT_EQ(Text(1, kKjv), kjv);
    EXPECT_EQ(Count(1, kKjv), 1);
    EXPECT_EQ(Text(1, kAsv), "");
    EXPECT_EQ(Count(1, kAsv), 0);
}

TEST_F(TopicListTest, NoMatchListsNothing) {
    EXPECT_EQ(Text(40, kTransAll), "");
    EXPECT_EQ(Count(40, kTransAll), 0);
    // Topics outside the table list nothing and name nothing.
    EXPECT_EQ(Text(99, kTransAll), "");
    EXPECT_EQ(Text(-1, kTransAll), "");
}

// A hand-edited verse count as large as the file holds: the last verse wraps in 32 bits as the
// file's numbers do.
TEST_F(TopicListTest, HugeVerseCountWraps) {
    Shape(kPhil413).vCount = 2147483647;
    EXPECT_NE(Text(10, kNiv).find("Philip 4:13--2147483637 "), std::string::npos) << Text(10, kNiv);
}

TEST_F(TopicListTest, CaptionNamesTopicTranslationAndCount) {
    EXPECT_EQ(CTopicList(*store, 9, kNiv).Caption(), "Topic: Faith  Translation: NIV  Count: 1");
    EXPECT_EQ(CTopicList(*store, 1, kTransAll).Caption(),
              "Topic: Assurance  Translation: All  Count: 17");
    EXPECT_EQ(CTopicList(*store, 99, kTransAll).Caption(), "Topic:   Translation: All  Count: 0");
}
