// SPDX-License-Identifier: GPL-2.0-or-later
// The passage record: key text, sort keys, element lines, context measures and references.

#include "FileFormat.h"
#include "MemoryArena.h"
#include "Passage.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

std::int32_t ExpectedSortKey(int book, int chapter, int verse, int trans, int baseline) {
    return (book << 23) + (chapter << 15) + (verse << 7) + (trans + 1) * 2 + baseline;
}

// Parses one element line into a fresh baseline record; no message expected.
void ParseOk(CPassage& p, const std::string& line) {
    CRecordingSink sink;
    ASSERT_EQ(p.ParseElement(line, sink), Status::Ok);
    EXPECT_TRUE(sink.shown.empty());
}

} // namespace

TEST(PassageKey, SuffixCharactersMapToTranslationsAndBack) {
    CPassage amp("54003016A\"");
    EXPECT_EQ(amp.Book(), 54);
    EXPECT_EQ(amp.Chapter(), 3);
    EXPECT_EQ(amp.FirstVerse(), 16);
    EXPECT_EQ(amp.trans, 10);
    EXPECT_EQ(amp.TransName(), "AMP");
    EXPECT_EQ(amp.SuffixChar(), 'A');
    EXPECT_EQ(amp.key, 54003016u);
    EXPECT_EQ(amp.baseline, 0);
    EXPECT_EQ(amp.SortKey(), ExpectedSortKey(54, 3, 16, 10, 0));

    CPassage context("54003016/\"");
    EXPECT_EQ(context.trans, -1);
    EXPECT_EQ(context.TransName(), "Context");
    EXPECT_EQ(context.SuffixChar(), '/');

    CPassage lower("54003016a_");
    EXPECT_EQ(lower.trans, 42);
    EXPECT_EQ(lower.TransName(), "InValid Trans > 35");

    CPassage nonBible("1000010010\"");
    EXPECT_EQ(nonBible.Book(), 100);
    EXPECT_EQ(nonBible.key, 100001001u);
}

// Without digits before the suffix no key number is read: the key keeps its value, and with it
// the verse it names, rather than becoming 0.
TEST(PassageKey, KeyTextWithoutDigitsKeepsTheKey) {
    const std::pair<const char*, int> cases[] = {{"3\"", 3}, {"X8\"", 8}, {"+A\"", 10}, {" 8_", 8}};
    for (const auto& [text, trans] : cases) {
        const CPassage p(text);
        EXPECT_EQ(p.key, 1001001u) << text;
        EXPECT_EQ(p.Book(), 1) << text;
        EXPECT_EQ(p.Chapter(), 1) << text;
        EXPECT_EQ(p.FirstVerse(), 1) << text;
        EXPECT_EQ(p.trans, trans) << text;
        EXPECT_EQ(p.SortKey(), ExpectedSortKey(1, 1, 1, trans, 0)) << text;
        EXPECT_EQ(p.MatchKey(), CPassage(std::string("01001001") + text).MatchKey()) << text;
    }

    // Digits up to the first other character are read, after leading blanks.
    const CPassage partly("  540X8\"");
    EXPECT_EQ(partly.key, 540u);
    EXPECT_EQ(partly.FirstVerse(), 540);
    EXPECT_EQ(partly.Book(), 0);

    // A record given its key by the Edit Passage dialog keeps that key too.
    CPassage edited;
    edited.SetAll({.key = 54003016,
                   .ctxLines = 3,
                   .psgLines = 1,
                   .vCount = 1,
                   .psgStart = 0,
                   .psgEnd = 4,
                   .hintStart = 0,
                   .hintEnd = 2,
                   .primaryTopic = 18,
                   .secondaryTopic = 9,
                   .trans = 8,
                   .context = "16 x",
                   .keyText = "8_"});
    EXPECT_EQ(edited.key, 54003016u);
    EXPECT_EQ(edited.SortKey(), ExpectedSortKey(54, 3, 16, 8, 1));
    EXPECT_EQ(edited.Reference(), "John 3:16");
}

TEST(PassageKey, KeyTextLengthLimits) {
    EXPECT_FALSE(CPassage::IsValidKeyText("8"));
    EXPECT_TRUE(CPassage::IsValidKeyText(std::string(17, '1') + "8\""));
    EXPECT_FALSE(CPassage::IsValidKeyText(std::string(18, '1') + "8\""));
}

TEST(PassageKey, UserRecordSortsBeforeBaselineOfSameVerseKey) {
    CPassage user("540030168\"");
    CPassage base("540030168\"");
    base.SetBaseline(1);
    EXPECT_EQ(base.SortKey(), ExpectedSortKey(54, 3, 16, 8, 1));
    EXPECT_EQ(user.MatchKey(), base.MatchKey());
    EXPECT_LT(user.SortKey(), base.SortKey());
    base.SetBaseline(2); // anything but 1 means a user record
    EXPECT_EQ(base.baseline, 0);
    EXPECT_EQ(base.SortKey(), user.SortKey());

    // The context record of a verse sorts before all of its translations.
    CPassage record("54003016/\"");
    CPassage asv("540030160\"");
    EXPECT_LT(record.SortKey(), asv.SortKey());
}

TEST(PassageElement, WritesFixedWidthsAndEscapesThenReadsBackUnchanged) {
    CPassage p;
    const std::string context = "16 \"For\" God's\r\nlove &amp; <b> \\ &lt;x&gt;";
    p.SetAll({.key = 54003016,
              .ctxLines = 5,
              .psgLines = 2,
              .vCount = 3,
              .psgStart = 7,
              .psgEnd = 20,
              .hintStart = 8,
              .hintEnd = 12,
              .primaryTopic = 18,
              .secondaryTopic = 23,
              .trans = 8,
              .context = context,
              .keyText = "540030168_"});
    p.freq = 1;
    p.prog = 2;
    const std::string expected =
        "<psg key=\"540030168\" vCount=\"03\" ctxLines=\"05\" psgLines=\"02\" psgStart=\"0007\" "
        "psgEnd=\"0020\" hintStart=\"0008\" hintEnd=\"0012\" topic=\"2318\" "
        "context=\"16 &quot;For&quot; God&apos;s\\nlove &amp; <b> \\ &lt;x&gt;\"> </psg>\r\n";
    EXPECT_EQ(p.ElementLine(), expected);
    EXPECT_EQ(p.context, std::string_view(context)); // the record's own text is not escaped

    CPassage q;
    ParseOk(q, expected.substr(0, expected.size() - 2));
    EXPECT_EQ(q.context, std::string_view(context));
    EXPECT_EQ(q.key, p.key);
    EXPECT_EQ(q.SortKey(), ExpectedSortKey(54, 3, 16, 8, 1));
    EXPECT_EQ(q.vCount, 3);
    EXPECT_EQ(q.ctxLines, 5);
    EXPECT_EQ(q.psgLines, 2);
    EXPECT_EQ(q.psgStart, 7);
    EXPECT_EQ(q.psgEnd, 20);
    EXPECT_EQ(q.hintStart, 8);
    EXPECT_EQ(q.hintEnd, 12);
    EXPECT_EQ(q.primaryTopic, 18);
    EXPECT_EQ(q.secondaryTopic, 23);
    EXPECT_EQ(q.trans, 8);
    EXPECT_EQ(q.ElementLine(), expected);
}

// Contexts are escaped and unescaped many bytes at a time: every escape, at every offset from the
// start and the end of texts around that block size, must come back as it was, with its line count.
TEST(PassageElement, EscapesAtEveryOffsetReadBackUnchanged) {
    const std::string_view pieces[] = {"\r\n", "\r",   "\"",   "'",       "\\",
                                       "&",    "&quo", "&apo", "\r\n\r\n"};
    for (std::size_t length = 0; length <= 40; ++length)
        for (std::size_t at = 0; at <= length; ++at)
            for (const std::string_view piece : pieces) {
                // A second escape ahead of the first one, in the same block, for longer texts.
                const std::string context = std::string(length > 3 ? "'" : "") +
                                            std::string(at, 'x') + std::string(piece) +
                                            std::string(length - at, 'x');
                CPassage p;
                p.SetAll({.key = 54003016,
                          .ctxLines = 5,
                          .psgLines = 2,
                          .vCount = 1,
                          .psgStart = 0,
                          .psgEnd = 1,
                          .hintStart = 0,
                          .hintEnd = 1,
                          .primaryTopic = 1,
                          .secondaryTopic = 1,
                          .trans = 8,
                          .context = context,
                          .keyText = "540030168_"});
                const std::string line = p.ElementLine();
                CPassage q;
                ParseOk(q, line.substr(0, line.size() - 2));
                ASSERT_EQ(q.context, std::string_view(context)) << line;
                const int breaks = piece == "\r\n" ? 2 : piece == "\r\n\r\n" ? 2 : 1;
                EXPECT_EQ(q.ContextLineCount(), breaks) << line;
            }
}

TEST(PassageElement, WidthsAreMinimaAndLargeKeysKeepAllDigits) {
    CPassage p;
    p.SetAll({.key = 100001001,
              .ctxLines = 123,
              .psgLines = 0,
              .vCount = -1,
              .psgStart = 12345,
              .psgEnd = 0,
              .hintStart = 0,
              .hintEnd = 0,
              .primaryTopic = 1,
              .secondaryTopic = 0,
              .trans = 35,
              .context = "x",
              .keyText = "100001001Z_"});
    EXPECT_EQ(p.ElementLine(),
              "<psg key=\"100001001Z\" vCount=\"-1\" ctxLines=\"123\" psgLines=\"00\" "
              "psgStart=\"12345\" psgEnd=\"0000\" hintStart=\"0000\" hintEnd=\"0000\" "
              "topic=\"0001\" context=\"x\"> </psg>\r\n");
}

TEST(PassageElement, InvalidTopicsBecomeMisc) {
    const std::pair<int, std::pair<int, int>> cases[] = {
        {0, {23, 23}}, {5801, {1, 23}}, {2318, {18, 23}}, {5756, {56, 57}}, {99, {23, 23}}};
    for (const auto& [topic, expected] : cases) {
        Elem e = PlainElem(54, 3, 16, '8');
        e.topic = topic;
        CPassage p;
        ParseOk(p, e.Line());
        EXPECT_EQ(p.primaryTopic, expected.first) << topic;
        EXPECT_EQ(p.secondaryTopic, expected.second) << topic;
    }
}

TEST(PassageElement, DamagedLinesAreReportedWithCountAndKey) {
    struct Case {
        std::string line;
        std::string caption;
        std::string text;
    };
    const std::string good = PlainElem(54, 3, 16, '8').Line();
    std::string badNumber = good;
    badNumber.replace(badNumber.find("vCount=\"01\""), 11, "vCount=\"x1\"");
    std::string letterKey = badNumber;
    letterKey.replace(letterKey.find("540030168"), 9, "54003016A");
    const std::string longKey = "<psg key=\"123456789012345678908\" vCount=\"01\"";
    std::string noBlank = good;
    noBlank.replace(noBlank.size() - 7, 1, "");
    const std::string noContext = good.substr(0, good.find(" context=")) + "> </psg>";
    const std::string countWrong = "Recitor ReadInfo Error";
    const std::string prefix = "Info or User file invalid (count wrong?) for attribute #";
    const Case cases[] = {
        {badNumber, countWrong, prefix + "1 or #2 of key [540030168]\n" + badNumber},
        {"", countWrong, prefix + "-1 or #0 of key [000000000]\n"},
        {"</passages>", countWrong, prefix + "0 or #1 of key [000000000]\n</passages>"},
        {longKey, countWrong, prefix + "0 or #1 of key [000000000]\n" + longKey},
        {good.substr(0, good.find(" topic=")), countWrong,
         prefix + "8 or #9 of key [540030168]\n" + good.substr(0, good.find(" topic="))},
        // The key number is read from the token's digits, so a digit suffix belongs to it and a
        // letter suffix ends it.
        {letterKey, countWrong, prefix + "1 or #2 of key [054003016]\n" + letterKey},
        // Nine numbers and a proper closing, but no context attribute.
        {noContext, countWrong, prefix + "9 or #10 of key [540030168]\n" + noContext},
        {noBlank, "Recitor Invalid </psg>",
         "Info or User file invalid for closing </psg> of key [540030168]\n" +
             noBlank.substr(noBlank.size() - 50)},
    };
    for (const Case& c : cases) {
        CRecordingSink sink;
        CPassage p;
        EXPECT_EQ(p.ParseElement(c.line, sink), Status::Fatal) << c.line;
        ASSERT_EQ(sink.shown.size(), 1u) << c.line;
        EXPECT_EQ(sink.shown[0].caption, c.caption);
        EXPECT_EQ(sink.shown[0].text, c.text);
        EXPECT_EQ(sink.shown[0].icon, MsgIcon::Error);
    }

    // The line is quoted with at most 200 characters.
    const std::string longLine = badNumber + std::string(300, 'z');
    CRecordingSink sink;
    CPassage p;
    EXPECT_EQ(p.ParseElement(longLine, sink), Status::Fatal);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text,
              prefix + "1 or #2 of key [540030168]\n" + longLine.substr(0, 200));
}

TEST(PassageReferences, ContextMeasuresAndReferenceTexts) {
    struct Case {
        int chapter, verse, vCount;
        std::string context; // as in the file
        int first, last, lines, before;
        std::string passageRef, startRef, contextRef;
    };
    const Case cases[] = {
        {3, 16, 3, "14 a\\n15 b\\n16 c\\n17 d\\n18 e", 14, 18, 5, 2, "John 3:16-18", "John 3:14",
         "John 3:14-18"},
        // The context begins in the previous chapter.
        {3, 2, 1, "30 a\\n31 b\\n1 c\\n2 d", 30, 2, 4, 1, "John 3:2", "John 2:30", "John 2:30-3:2"},
        // One line: no range.
        {3, 16, 1, "16 For God", 16, 16, 1, 0, "John 3:16", "John 3:16", "John 3:16"},
        // The context ends before the passage does: it runs into the next chapter.
        {3, 16, 3, "16 a\\n17 b", 16, 17, 2, 0, "John 3:16-18", "John 3:16", "John 3:16-4:17"},
        // A leading word before the first verse; a paragraph break counts as one break.
        {3, 16, 1, "NIV 16 a\\n\\n17 b", 16, 17, 2, 0, "John 3:16", "John 3:16", "John 3:16-17"},
        {3, 1, 1, "1 a\\n\\n\\nb\\n\\n\\n\\n2 c", 1, 2, 5, 0, "John 3:1", "John 3:1", "John 3:1-5"},
    };
    for (const Case& c : cases) {
        Elem e = PlainElem(54, c.chapter, c.verse, '8');
        e.vCount = c.vCount;
        e.context = c.context;
        CPassage p;
        ParseOk(p, e.Line());
        SCOPED_TRACE(c.context);
        EXPECT_EQ(p.ContextFirstVerse(), c.first);
        EXPECT_EQ(p.ContextLastVerse(), c.last);
        EXPECT_EQ(p.ContextLineCount(), c.lines);
        EXPECT_EQ(p.VersesBeforePassage(), c.before);
        EXPECT_EQ(p.Reference(),
                  "John " + std::to_string(c.chapter) + ":" + std::to_string(c.verse));
        EXPECT_EQ(p.PassageReference(), c.passageRef);
        EXPECT_EQ(p.ContextStartReference(), c.startRef);
        EXPECT_EQ(p.ContextReference(), c.contextRef);
    }

    // Without a verse number anywhere the measures keep their defaults.
    Elem e = PlainElem(54, 3, 16, '8');
    e.context = "no numbers here";
    CPassage p;
    ParseOk(p, e.Line());
    EXPECT_EQ(p.ContextFirstVerse(), 1);
    EXPECT_EQ(p.ContextLastVerse(), 1);
    EXPECT_EQ(p.ContextStartKey(), 54003001);
}

TEST(PassageText, RangesAreCutToTheContext) {
    CPassage p;
    p.context = "0123456789";
    const auto set = [&p](int ps, int pe, int hs, int he) {
        p.psgStart = ps;
        p.psgEnd = pe;
        p.hintStart = hs;
        p.hintEnd = he;
    };
    set(2, 5, 3, 4);
    EXPECT_EQ(p.PassageText(), "234");
    EXPECT_EQ(p.HintText(), "3");
    EXPECT_EQ(p.TextBeforePassage(), "01");
    set(8, 50, 9, 2000000000);
    EXPECT_EQ(p.PassageText(), "89");
    EXPECT_EQ(p.HintText(), "9");
    set(10, 12, 5, 3); // start at the end; negative length
    EXPECT_EQ(p.PassageText(), "");
    EXPECT_EQ(p.HintText(), "");
    EXPECT_EQ(p.TextBeforePassage(), "0123456789");
    set(-3, 4, -2147483647 - 1, 2147483647); // negative starts, a length beyond any int
    EXPECT_EQ(p.PassageText(), "");
    EXPECT_EQ(p.HintText(), "");
    EXPECT_EQ(p.TextBeforePassage(), "");
    set(50, 60, 0, 0);
    EXPECT_EQ(p.TextBeforePassage(), "0123456789");
}

// The offsets and the score of a damaged file wrap around as 32-bit numbers do, both ways.
TEST(FileFormat, WrapAddWrapsAroundAtThirtyTwoBits) {
    EXPECT_EQ(WrapAdd(-5), -5);
    EXPECT_EQ(WrapAdd(std::int64_t{2147483647} + 1), -2147483647 - 1);
    EXPECT_EQ(WrapAdd(std::int64_t{-2147483647} - 2), 2147483647);
    EXPECT_EQ(WrapAdd(std::int64_t{2147483647} - (-2147483647 - 1)), -1);
    EXPECT_EQ(WrapAdd((std::int64_t{1} << 32) + 7), 7);
}

TEST(PassageSetAll, KeepsStatisticsAndBaselineAndRebuildsReferences) {
    CPassage p;
    p.freq = 1;
    p.prog = 4;
    p.SetAll({.key = 54003016,
              .ctxLines = 5,
              .psgLines = 2,
              .vCount = 2,
              .psgStart = 0,
              .psgEnd = 4,
              .hintStart = 0,
              .hintEnd = 2,
              .primaryTopic = 1,
              .secondaryTopic = 2,
              .trans = 14,
              .context = "16 a",
              .keyText = "54003016E_"});
    EXPECT_EQ(p.freq, 1);
    EXPECT_EQ(p.prog, 4);
    EXPECT_EQ(p.baseline, 1);
    EXPECT_EQ(p.trans, 14);
    EXPECT_EQ(p.SortKey(), ExpectedSortKey(54, 3, 16, 14, 1));
    EXPECT_EQ(p.PassageReference(), "John 3:16-17");
    EXPECT_EQ(p.PrimaryTopicName(), "Assurance");
    EXPECT_EQ(p.SecondaryTopicName(), "Blessing");
}

// A record given its values by the Edit Passage dialog has the context measures and references
// that reading its element back gives, so the session shows what the next start will.
TEST(PassageSetAll, MeasuresTheContextAsItWillBeRead) {
    const char* contexts[] = {
        "14 And as Moses\r\n15 That whosoever\r\n16 For God so loved\r\n17 For God sent",
        "36 the end of chapter two\r\n\r\n1 the chapter begins\r\n2 and goes on",
        "16 For God so loved",
        "NIV 16 For God \"so\" loved\r\n17 it's \\xot\r\n\r\n\r\n18 He that",
        "no verse numbers at all\\",
    };
    for (const char* context : contexts) {
        CPassage::Values values;
        values.key = 54003016;
        values.keyText = "54003016B_";
        values.trans = 11;
        values.vCount = 2;
        values.context = context;
        CPassage revised;
        revised.SetAll(values);
        std::string line = revised.ElementLine();
        line.resize(line.size() - 2);
        CPassage read;
        CRecordingSink sink;
        ASSERT_EQ(read.ParseElement(line, sink), Status::Ok) << context;
        EXPECT_EQ(revised.context, read.context) << context;
        EXPECT_EQ(revised.ContextFirstVerse(), read.ContextFirstVerse()) << context;
        EXPECT_EQ(revised.ContextLastVerse(), read.ContextLastVerse()) << context;
        EXPECT_EQ(revised.ContextLineCount(), read.ContextLineCount()) << context;
        EXPECT_EQ(revised.ContextReference(), read.ContextReference()) << context;
        EXPECT_EQ(revised.ContextStartReference(), read.ContextStartReference()) << context;
        EXPECT_EQ(revised.ContextStartKey(), read.ContextStartKey()) << context;
        EXPECT_EQ(revised.VersesBeforePassage(), read.VersesBeforePassage()) << context;
    }
}

// Records made in an arena and on the heap live side by side and each goes its own way: deleting
// an arena record must not hand its memory to the heap (the sanitizer builds see that), and an
// arena serves pieces larger than its blocks, each aligned as asked.
TEST(PassageMemory, ArenaAndHeapRecordsAreMadeAndDeletedSideBySide) {
    CMemoryArena arena;
    const std::string longContext(5u << 20, 'x'); // more than a first block holds
    std::vector<std::unique_ptr<CPassage>> records;
    for (int i = 0; i < 3; ++i) {
        records.emplace_back(new (arena) CPassage(&arena));
        records.back()->context = i == 1 ? longContext : "16 For God so loved";
        records.emplace_back(new CPassage);
        records.back()->context = longContext;
    }
    for (const auto& record : records)
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(record.get()) % alignof(CPassage), 0u);
    EXPECT_EQ(records[2]->context, std::string_view(longContext));
    EXPECT_EQ(records[4]->context, std::string_view("16 For God so loved"));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(arena.allocate(3, 64)) % 64, 0u);
    EXPECT_GE(arena.ReservedBytes(), longContext.size());
    records.clear();
}
