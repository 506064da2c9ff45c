// SPDX-License-Identifier: GPL-2.0-or-later
// The tips of the day across starts: one tip taken in turn at each opening, comments skipped, the
// file wrapped at its end, a replaced file started again, and the settings written only when the
// owner asks.

#include "TestSupport.h"
#include "TipSequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace {

constexpr const char* kStamp = "Wed Jun 30 21:49:08 1993";
using Read = CTipSequence::Read;

} // namespace

class TipSequenceTest : public StoreTest {
protected:
    void WriteTips(const std::string& bytes) const { Write(CTipSequence::kFileName, bytes); }

    // One start of the program: the tip that is due read and where the next one starts stored.
    std::string Take(const std::string& stamp = kStamp) {
        CTipSequence tips(settings, stamp, dir);
        EXPECT_EQ(tips.Next(), Read::Ok);
        tips.SavePosition();
        return tips.Text();
    }

    std::int32_t StoredPosition() { return settings.ReadNumber(kSectionTip, "RctFilePos", -99); }
};

TEST_F(TipSequenceTest, TipsComeInTurnSkippingCommentsAndWrapping) {
    WriteTips(";a comment\r\nA\r\n  an indented line\r\n\tand a tabbed one\r\n\r\n\nB\r\n");
    EXPECT_EQ(Take(), "A\n");
    EXPECT_EQ(Take(), "B\n");
    EXPECT_EQ(Take(), "A\n");
}

TEST_F(TipSequenceTest, NextReadsOnWithinOneOpeningAndThePositionFollows) {
    WriteTips("one\ntwo\nthree\n");
    {
        CTipSequence tips(settings, kStamp, dir);
        EXPECT_TRUE(tips.HasFile());
        EXPECT_EQ(tips.Text(), "");
        for (const char* expected : {"one\n", "two\n", "three\n", "one\n"}) {
            EXPECT_EQ(tips.Next(), Read::Ok);
            EXPECT_EQ(tips.Text(), expected);
        }
        tips.SavePosition();
    }
    EXPECT_EQ(StoredPosition(), 4);
    EXPECT_EQ(Take(), "two\n");
}

TEST_F(TipSequenceTest, SettingsAreWrittenOnlyWhenTheOwnerAsks) {
    WriteTips("alpha\nbeta\n");
    // A new file: its stamp at once, the position when asked.
    EXPECT_EQ(Take(), "alpha\n");
    EXPECT_EQ(settings.writes,
              (std::vector<std::string>{"RctTip/RctTimeStamp", "RctTip/RctFilePos"}));
    EXPECT_EQ(settings.ReadText(kSectionTip, "RctTimeStamp", ""), kStamp);
    EXPECT_EQ(StoredPosition(), 6);

    settings.writes.clear();
    EXPECT_EQ(Take(), "beta\n");
    EXPECT_EQ(settings.writes, std::vector<std::string>{"RctTip/RctFilePos"});
    EXPECT_EQ(StoredPosition(), 11);

    // Read but not taken: nothing is written, and the same tip is due again.
    settings.writes.clear();
    {
        CTipSequence tips(settings, kStamp, dir);
        EXPECT_EQ(tips.Next(), Read::Ok);
        EXPECT_EQ(tips.Text(), "alpha\n");
    }
    EXPECT_TRUE(settings.writes.empty());
    EXPECT_EQ(Take(), "alpha\n");
}

TEST_F(TipSequenceTest, TheStartUpChoice) {
    WriteTips("alpha\n");
    const std::pair<std::int32_t, bool> stored[] = {{0, true}, {1, false}, {-1, false}};
    for (const auto& [value, show] : stored) {
        settings.numbers[{kSectionTip, "RctStartUp"}] = value;
        EXPECT_EQ(CTipSequence(settings, kStamp, dir).ShowAtStartup(), show) << value;
    }
    settings.numbers.erase({kSectionTip, "RctStartUp"});
    CTipSequence tips(settings, kStamp, dir);
    EXPECT_TRUE(tips.ShowAtStartup()); // shown until the user says otherwise

    settings.writes.clear();
    tips.SetShowAtStartup(false);
    EXPECT_FALSE(tips.ShowAtStartup());
    EXPECT_EQ(settings.ReadNumber(kSectionTip, "RctStartUp", -99), 1);
    tips.SetShowAtStartup(true);
    EXPECT_EQ(settings.ReadNumber(kSectionTip, "RctStartUp", -99), 0);
    EXPECT_EQ(settings.writes,
              (std::vector<std::string>{"RctTip/RctStartUp", "RctTip/RctStartUp"}));
}

TEST_F(TipSequenceTest, AReplacedFileStartsAgainAtTheTop) {
    WriteTips("alpha\nbeta\ngamma\n");
    EXPECT_EQ(Take(), "alpha\n");
    EXPECT_EQ(Take(), "beta\n");
    const std::string replaced = "Mon Jan  1 00:00:00 2001";
    EXPECT_EQ(Take(replaced), "alpha\n");
    EXPECT_EQ(settings.ReadText(kSectionTip, "RctTimeStamp", ""), replaced);
    EXPECT_EQ(Take(replaced), "beta\n");
}

TEST_F(TipSequenceTest, AStrayPositionWrapsOrIsReported) {
    WriteTips("alpha\nbeta\n");
    EXPECT_EQ(Take(), "alpha\n");
    // Past the end there is nothing to read, so the tips start again at the top.
    settings.numbers[{kSectionTip, "RctFilePos"}] = 100000;
    EXPECT_EQ(Take(), "alpha\n");

    // A position before the start (a stored 4294967295 reads as -1) cannot be reached: the tip
    // that is due is trouble, the next comes from the top, and the top is stored.
    settings.numbers[{kSectionTip, "RctFilePos"}] = -1;
    {
        CTipSequence tips(settings, kStamp, dir);
        EXPECT_EQ(tips.Next(), Read::Trouble);
        EXPECT_EQ(tips.Text(), "");
        tips.SavePosition();
        EXPECT_EQ(StoredPosition(), 0);
        EXPECT_EQ(tips.Next(), Read::Ok);
        EXPECT_EQ(tips.Text(), "alpha\n");
    }
    EXPECT_EQ(Take(), "alpha\n");
}

TEST_F(TipSequenceTest, LongLinesComeInPiecesOf999) {
    const std::string line(1500, 'x');
    WriteTips(line + "\nshort\n");
    EXPECT_EQ(Take(), std::string(999, 'x'));
    EXPECT_EQ(Take(), std::string(501, 'x') + "\n");
    EXPECT_EQ(Take(), "short\n");
}

TEST_F(TipSequenceTest, AMissingFileSaysSoAndWritesNothing) {
    settings.numbers[{kSectionTip, "RctStartUp"}] = 1;
    settings.numbers[{kSectionTip, "RctFilePos"}] = 7;
    CTipSequence tips(settings, kStamp, dir);
    EXPECT_FALSE(tips.HasFile());
    EXPECT_FALSE(tips.ShowAtStartup());
    EXPECT_EQ(tips.Text(), "Tips file does not exist in the prescribed directory");
    EXPECT_EQ(tips.Next(), Read::Ok);
    EXPECT_EQ(tips.Text(), "Tips file does not exist in the prescribed directory");
    tips.SavePosition();
    EXPECT_TRUE(settings.writes.empty());
    EXPECT_EQ(StoredPosition(), 7);
}

TEST_F(TipSequenceTest, AFileWithoutTipsNeverHangs) {
    for (const std::string& bytes :
         {std::string("; only comments\r\n\r\n\tand indented lines\r\n"), std::string()}) {
        WriteTips(bytes);
        CTipSequence tips(settings, kStamp, dir);
        for (int click = 0; click < 2; ++click) {
            EXPECT_EQ(tips.Next(), Read::Ok);
            EXPECT_EQ(tips.Text(), "The tips file holds no tips.");
        }
    }
}

// The tips that ship with the program: each comes whole, with its line end, and each once before
// the first comes again.
TEST_F(TipSequenceTest, ShippedTipsComeWholeAndEachOnce) {
    std::ifstream in(std::filesystem::path(RECITOR_SOURCE_DIR) / "res" / CTipSequence::kFileName,
                     std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_TRUE(bytes.starts_with("; Tips for Recitor"));
    EXPECT_EQ(bytes.find("\r\r"), std::string::npos);
    std::size_t crlf = 0;
    for (std::size_t at = bytes.find("\r\n"); at != std::string::npos;
         at = bytes.find("\r\n", at + 2))
        ++crlf;
    EXPECT_EQ(crlf, static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')));
    WriteTips(bytes);

    std::size_t tips = 0;
    std::istringstream lines(bytes);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && std::string_view(" \t\r;").find(line.front()) == std::string::npos)
            ++tips;
    EXPECT_GT(tips, 30u);

    std::set<std::string> seen;
    const std::string first = Take();
    std::string tip = first;
    do {
        EXPECT_TRUE(tip.ends_with('\n')) << tip;
        EXPECT_LE(tip.size(), static_cast<std::size_t>(CTipSequence::kMaxTipLength)) << tip;
        ASSERT_TRUE(seen.insert(tip).second) << tip;
        tip = Take();
    } while (tip != first);
    EXPECT_EQ(seen.size(), tips);
}
