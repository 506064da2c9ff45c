// SPDX-License-Identifier: GPL-2.0-or-later
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

// Lines of the usual form are matched by a shortcut over fixed places; every line, of that form or
// a byte away from it, must give what the step-by-step match gives.
TEST(ScanPattern, UsualFormGivesTheStepwiseResultForEveryNearbyLine) {
    struct Case {
        CScanPattern pattern;
        std::string usualLine;
    };
    const Case cases[] = {
        {CScanPattern("<psg key=\"%s vCount=\"%d\" ctxLines=\"%d\" psgLines=\"%d\" psgStart=\"%d\" "
                      "psgEnd=\"%d\" hintStart=\"%d\" hintEnd=\"%d\" topic=\"%d\" context=\"",
                      {10, 2, 2, 2, 4, 4, 4, 4, 4}),
         "<psg key=\"54003016/\" vCount=\"01\" ctxLines=\"98\" psgLines=\"02\" psgStart=\"0191\" "
         "psgEnd=\"0295\" hintStart=\"0194\" hintEnd=\"0209\" topic=\"0749\" context=\"16 For"},
        {CScanPattern("<psg key=\"%s prog=\"%d\" freq=\"%d\"> </psg>", {10, 1, 1}),
         "<psg key=\"54003016A\" prog=\"4\" freq=\"3\"> </psg>"},
        // Forms the shortcut must refuse: a token before a literal, numbers that run together or
        // into a digit, a conversion at the end, a width missing or too wide.
        {CScanPattern("<%s>", {3}), "<abc>"},
        {CScanPattern("%d%d", {1, 1}), "12"},
        {CScanPattern("n=%d7", {2}), "n=127"},
        {CScanPattern("a %d b %s", {2, 3}), "a 12 b xyz"},
        {CScanPattern("x=%d y=%d", {3}), "x=123 y=4"},
        {CScanPattern("x=%d;", {10}), "x=1234567890;"},
    };
    // Bytes at and beside the bounds of the digits and of white space, signs, and others.
    const char replacements[] = {' ', '\b', '\t', '\r', '\x0e', '-',  '+',   '/',
                                 '0', '9',  ':',  'x',  '"',    '\0', '\xe9'};
    const auto expectSame = [](const CScanPattern& pattern, const std::string& line) {
        const CScanPattern::Result fast = pattern.Match(line);
        const CScanPattern::Result slow = pattern.MatchStepwise(line);
        ASSERT_EQ(fast.count, slow.count) << line;
        ASSERT_EQ(fast.ints, slow.ints) << line;
        ASSERT_EQ(fast.token, slow.token) << line;
    };
    for (const Case& c : cases) {
        const std::string& usual = c.usualLine;
        expectSame(c.pattern, usual);
        for (std::size_t at = 0; at <= usual.size(); ++at) {
            expectSame(c.pattern, usual.substr(0, at));
            if (at < usual.size())
                expectSame(c.pattern, usual.substr(0, at) + usual.substr(at + 1));
            for (const char r : replacements) {
                expectSame(c.pattern, usual.substr(0, at) + r + usual.substr(at));
                if (at < usual.size()) {
                    std::string changed = usual;
                    changed[at] = r;
                    expectSame(c.pattern, changed);
                }
            }
        }
    }
}

// Key numbers are read as "%u" reads them: without a digit nothing is read and the variable keeps
// what it held, which a key text of a damaged line relies on.
TEST(ScanUnsigned, ReadsAsUnsignedConversionAndLeavesTheValueWithoutDigits) {
    struct Case {
        const char* text;
        bool read;
        std::uint32_t value;
    };
    const Case cases[] = {
        {"54003016", true, 54003016u},
        {" \t54003016A", true, 54003016u}, // blanks skipped, digits up to the first other byte
        {"12X34", true, 12u},
        {"+7", true, 7u},
        {"-1", true, 4294967295u},                      // negated modulo 2^32
        {"4294967296", true, 0u},                       // cut to 32 bits
        {"99999999999999999999999", true, 4294967295u}, // beyond 64 bits: the largest value
        {"", false, 1001001u},
        {"X8", false, 1001001u},
        {"   ", false, 1001001u},
        {"+", false, 1001001u},
        {"- 5", false, 1001001u},
    };
    for (const Case& c : cases) {
        std::uint32_t value = 1001001u;
        EXPECT_EQ(ScanUnsigned(c.text, value), c.read) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}
