// SPDX-License-Identifier: GPL-2.0-or-later
// The parallel translations of a passage: which passages count as parallels, their order and the
// blocks they make, and the caption.

#include "ParallelPassages.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

std::string JohnText(int verse, char suffix, const std::string& text, int vCount = 1) {
    Elem e = PlainElem(54, 3, verse, suffix);
    e.context = text;
    e.psgEnd = static_cast<int>(text.size());
    e.vCount = vCount;
    return e.Line();
}

} // namespace

// Filler, then John 3:15 NIV; John 3:16 as a context record and in KJV (3), NASB (5, ending a
// verse later) and NIV (8); John 3:17 NIV; and a user passage of John 3:16 in NKJV (9).
class ParallelTest : public StoreTest {
protected:
    void SetUp() override {
        std::vector<std::string> info = Filler(15);
        info.push_back(John(15));
        info.push_back(JohnText(16, '/', "14 context 15 context 16 For God so loved"));
        info.push_back(JohnText(16, '3', "16 For God so loved the world, that he gave"));
        info.push_back(
            JohnText(16, '5', "16 For God so loved the world, that He gave\\n17 For", 2));
        info.push_back(JohnText(16, '8', "16 For God so loved the world that he gave"));
        info.push_back(John(17));
        const std::vector<std::string> user = {JohnText(16, '9', "16 For God so loved the world")};
        const std::vector<std::string> stats;
        WriteFiles(info, user, &stats);
        ASSERT_EQ(Load(), Status::Ok) << (sink.shown.empty() ? "" : sink.shown[0].text);
        ASSERT_TRUE(sink.shown.empty());
    }
    int IndexOf(char suffix) const {
        for (int i = 0; i <= store->LastIndex(); ++i)
            if (store->Passage(i).key == 54003016 && store->Passage(i).SuffixChar() == suffix)
                return i;
        return -1;
    }
};

TEST_F(ParallelTest, OtherTranslationsInOrderOfTheirNumbers) {
    const CParallelPassages parallels(*store, IndexOf('8'));
    EXPECT_EQ(parallels.PassageText(), "16 For God so loved the world that he gave");
    // KJV, NASB (whose passage ends later) and the user's NKJV; the context record and the
    // passage's own translation are not among them.
    EXPECT_EQ(parallels.Text(), "KJV 16 For God so loved the world, that he gave\r\n\r\n"
                                "NASB 16 For God so loved the world, that He gave\r\n17 For\r\n\r\n"
                                "NKJV 16 For God so loved the world");
    EXPECT_EQ(parallels.Count(), 3);
    EXPECT_EQ(parallels.Caption(),
              "John 3:16  <Topic: " + std::string(store->Passage(IndexOf('8')).PrimaryTopicName()) +
                  ">  NIV");

    const CParallelPassages fromKjv(*store, IndexOf('3'));
    EXPECT_EQ(fromKjv.Text().substr(0, 5), "NASB ");
    EXPECT_NE(fromKjv.Text().find("\r\n\r\nNIV 16 For God so loved the world that he gave"),
              std::string::npos);
}

TEST_F(ParallelTest, AContextRecordSeesEveryTranslation) {
    const CParallelPassages parallels(*store, IndexOf('/'));
    EXPECT_EQ(parallels.Count(), 4);
    EXPECT_EQ(parallels.Text().substr(0, 4), "KJV ");
}

TEST_F(ParallelTest, APassageWithoutOtherTranslationsHasNone) {
    const int john17 = store->Find(store->Passage(IndexOf('8')).MatchKey() + (1u << 7));
    ASSERT_GE(john17, 0);
    const CParallelPassages parallels(*store, john17);
    EXPECT_EQ(parallels.Text(), "");
    EXPECT_EQ(parallels.Count(), 0);
}
