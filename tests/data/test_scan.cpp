// The scanf-style line matcher that the file formats are defined by.

#include "ScanPattern.h"

#include <gtest/gtest.h>

namespace {
const CScanPattern kHeader("<passages count=\"%d\" formatversion=\"%d\">");
const CScanPattern kStats("<psg key=\"%s prog=\"%d\" freq=\"%d\"> </psg>");
} // namespace

TEST(ScanPattern, NumbersOfAnyWidthWithBlanksAndSigns) {
    struct Case {
        const char* line;
        int count, first, second;
    };
    const Case cases[] = {
        {"<passages count=\"018\" formatversion=\"20031126\">", 2, 18, 20031126},
        {"<passages count=\"  +18\" formatversion=\"-0005\">", 2, 18, -5},
        {"<passages count=\"000000000000000000018\" formatversion=\"1\">", 2, 18, 1},
        {"<passages count=\"4294967295\" formatversion=\"1\">", 2, -1, 1}, // cut to 32 bits
        // A blank in the pattern matches any run of white space, including none.
        {"<passages count=\"18\"formatversion=\"7\">", 2, 18, 7},
        {"<passages count=\"18\" \t  formatversion=\"7\"", 2, 18, 7},
        // Matching stops at the first mismatch; what was converted counts.
        {"<passages count=\"18\">", 1, 18, 0},
        {"<passages count=\"18\" version=\"7\">", 1, 18, 0},
        {"<passages count=\"x\">", 0, 0, 0},
        {"<passages count=\"-\">", 0, 0, 0},
        {"<Passages count=\"18\">", 0, 0, 0},
        // The line ends before the first conversion: end of input.
        {"", -1, 0, 0},
        {"   ", 0, 0, 0}, // an ordinary pattern character does not skip white space
        {"<passages cou", -1, 0, 0},
        {"<passages count=\"  ", -1, 0, 0},
        {"<passages count=\"12", 1, 12, 0},
    };
    for (const Case& c : cases) {
        const CScanPattern::Result r = kHeader.Match(c.line);
        EXPECT_EQ(r.count, c.count) << c.line;
        if (c.count >= 1) {
            EXPECT_EQ(r.ints[0], c.first) << c.line;
        }
        if (c.count >= 2) {
            EXPECT_EQ(r.ints[1], c.second) << c.line;
        }
    }
}

TEST(ScanPattern, TokenIsBlankDelimitedAndKeepsTheQuote) {
    CScanPattern::Result r = kStats.Match("<psg key=\"540030168\" prog=\"3\" freq=\"0\"> </psg>");
    EXPECT_EQ(r.count, 3);
    EXPECT_EQ(r.token, "540030168\"");
    EXPECT_EQ(r.ints[0], 3);
    EXPECT_EQ(r.ints[1], 0);

    // The token runs to the next white space, whatever it holds.
    r = kStats.Match("<psg key=\"540030168\"prog=\"3\" freq=\"0\"> </psg>");
    EXPECT_EQ(r.count, 1);
    EXPECT_EQ(r.token, "540030168\"prog=\"3\"");

    r = kStats.Match("<psg key=\"540030168\" prog=\"x\" freq=\"0\"> </psg>");
    EXPECT_EQ(r.count, 1);
    r = kStats.Match("<psg key=\"540030168\" prog=\"2\" freq=\"\"> </psg>");
    EXPECT_EQ(r.count, 2);
    r = kStats.Match("<psg key=\"");
    EXPECT_EQ(r.count, -1);
    // Literal text after the last conversion does not change the count.
    r = kStats.Match("<psg key=\"540030168\" prog=\"2\" freq=\"1\">");
    EXPECT_EQ(r.count, 3);
}
