// SPDX-License-Identifier: GPL-2.0-or-later
// Loading and merging the three files: every fatal fault with its exact message and no file
// touched, the warnings that go on, the order of the merged collection, shared contexts and the
// statistics.

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const std::vector<std::string> kEmpty;
const std::string kReload = "\nWas it modified? File should be reloaded.";

std::string BadHeader(const std::string& file, int minimum, int count) {
    return file + " file invalid, corrupt, exceeds 15000 passages, or is less than " +
           std::to_string(minimum) + " passages. PsgCount: #" + std::to_string(count);
}

} // namespace

class LoadTest : public StoreTest {};

TEST_F(LoadTest, MissingFilesAreFatal) {
    Write("RctUser.xml", PassageFile({}));
    Write("RctStats.xml", StatsFile({}));
    ExpectFatal("Recitor Missing Info File", "Unable to open Info xml file for reading");

    sink.shown.clear();
    std::filesystem::remove(dir / "RctUser.xml");
    Write("RctInfo.xml", PassageFile(Filler(18)));
    ExpectFatal("Recitor Missing Info File", "Unable to open User xml file for reading");

    sink.shown.clear();
    Write("RctUser.xml", PassageFile({}));
    std::filesystem::remove(dir / "RctStats.xml");
    ExpectFatal("Recitor Missing Stats File",
                "Unable to open Stats xml file for reading (real or 'spare')");
}

TEST_F(LoadTest, BaselineHeaderFaults) {
    WriteFiles(Filler(17), kEmpty, &kEmpty);
    ExpectFatal("Recitor OpenXmlFile", BadHeader("RctInfo.xml", 18, 17));

    std::string info = PassageFile(Filler(18));
    info.replace(0, info.find('\r'), "<?xml version=\"1.0\" ?>");
    sink.shown.clear();
    Write("RctInfo.xml", info);
    ExpectFatal("Recitor OpenXmlFile", BadHeader("RctInfo.xml", 18, 18));

    info = PassageFile(Filler(18));
    info.replace(info.find("count=\"018\""), 11, "count=\"x\"");
    sink.shown.clear();
    Write("RctInfo.xml", info);
    ExpectFatal("Recitor OpenXmlFile", BadHeader("RctInfo.xml", 18, 0));

    sink.shown.clear();
    Write("RctInfo.xml", PassageFile(Filler(18), 15001));
    ExpectFatal("Recitor OpenXmlFile", BadHeader("RctInfo.xml", 18, 15001));
}

TEST_F(LoadTest, UserHeaderCountOutOfRange) {
    for (const int count : {15001, -1}) {
        sink.shown.clear();
        WriteFiles(Filler(18), kEmpty, &kEmpty);
        Write("RctUser.xml", PassageFile({}, count));
        ExpectFatal("Recitor OpenXmlFile", BadHeader("RctUser.xml", 0, count));
    }
}

TEST_F(LoadTest, DamagedElementLinesStopTheLoad) {
    std::vector<std::string> info = Filler(18);
    info[4].replace(info[4].find("psgLines=\"01\""), 13, "psgLines=\"\"");
    WriteFiles(info, kEmpty, &kEmpty);
    ExpectFatal("Recitor ReadInfo Error",
                "Info or User file invalid (count wrong?) for attribute #3 or #4 of key "
                "[010010053]\n" +
                    info[4]);

    info = Filler(18);
    info[6] = "";
    sink.shown.clear();
    WriteFiles(info, kEmpty, &kEmpty);
    ExpectFatal("Recitor ReadInfo Error", "Info or User file invalid (count wrong?) for attribute "
                                          "#-1 or #0 of key [000000000]\n");

    info = Filler(18);
    info[7].replace(info[7].size() - 8, 8, "></psg>");
    sink.shown.clear();
    WriteFiles(info, kEmpty, &kEmpty);
    ExpectFatal("Recitor Invalid </psg>",
                "Info or User file invalid for closing </psg> of key [010010083]\n" +
                    info[7].substr(info[7].size() - 50));
}

TEST_F(LoadTest, BaselineOutOfOrderOrDuplicated) {
    std::vector<std::string> info = Filler(18);
    std::swap(info[4], info[5]);
    WriteFiles(info, kEmpty, &kEmpty);
    ExpectFatal("Recitor unsorted or duplicates",
                "Read-only RctInfo.xml not sorted or has duplicate: Prev: 01001006  Cur: 01001005" +
                    kReload);

    // Same VerseKey, different text: still a duplicate.
    info = Filler(17);
    Elem again = PlainElem(1, 1, 17, '3');
    again.context = "17 Other text";
    info.push_back(again.Line());
    sink.shown.clear();
    WriteFiles(info, kEmpty, &kEmpty);
    ExpectFatal("Recitor unsorted or duplicates",
                "Read-only RctInfo.xml not sorted or has duplicate: Prev: 01001017  Cur: 01001017" +
                    kReload);
}

TEST_F(LoadTest, UserFileOutOfOrder) {
    WriteFiles(Filler(18), {John(17), John(16)}, &kEmpty);
    ExpectFatal("Recitor unsorted or duplicates",
                "RctUser.xml not sorted or has duplicate: Prev: 54003017  Cur: 54003016" + kReload);
}

TEST_F(LoadTest, SharedContextWithoutItsRecord) {
    std::vector<std::string> info = Filler(16);
    info.push_back(PlainElem(54, 3, 15, '/').Line()); // a record of another verse does not serve
    Elem shared = PlainElem(54, 3, 16, '8');
    shared.ctxLines = 98;
    info.push_back(shared.Line());
    WriteFiles(info, kEmpty, &kEmpty);
    ExpectFatal("Recitor unsorted or duplicates",
                "Read-only RctInfo.xml has invalid CtxLineCount=98: Prev: 54003015  Cur: 54003016" +
                    kReload);
}

TEST_F(LoadTest, DamagedStatisticsLines) {
    const std::string good = StatsLine("540030168\"", 2, 0);
    const std::string longKey = StatsLine("1234567890123456789012\"", 2, 0);
    struct Case {
        std::string line;
        std::string attributes; // "#n or #n+1"
        std::string key;
    };
    const Case cases[] = {
        {StatsLine("540030168\"", 2, 0).replace(good.find("prog=\"2\""), 8, "prog=\"x\""),
         "#1 or #2", "540030168\""},
        {"<psg key=\"540030168\" prog=\"2\"> </psg>", "#2 or #3", "540030168\""},
        // Levels outside the known ones are as damaged as a missing number.
        {StatsLine("540030168\"", 7, 0), "#1 or #2", "540030168\""},
        {StatsLine("540030168\"", 2, 4), "#2 or #3", "540030168\""},
        {StatsLine("540030168\"", -1, 0), "#1 or #2", "540030168\""},
        {longKey, "#0 or #1", "1234567890123456789"},
        {"", "#-1 or #0", ""},
    };
    for (const Case& c : cases) {
        sink.shown.clear();
        WriteFiles(JohnBase(), kEmpty, nullptr);
        Write("RctStats.xml", StatsFile({good, c.line}));
        ExpectFatal("Recitor ReadStats Error",
                    "RctStats.xml file invalid  (count wrong?) for attribute " + c.attributes +
                        " of key [" + c.key + "] for Passage #2\n" + c.line.substr(0, 120));
    }
}

TEST_F(LoadTest, StatisticsForAnUnknownVerseKey) {
    WriteFiles(JohnBase(), kEmpty, nullptr);
    Write("RctStats.xml", StatsFile({StatsLine("540030208\"", 1, 0)}));
    ExpectFatal("Recitor Mismatched Keys",
                "Key in RctStats.xml [54003020] not found in RctInfo.xml for Passage #1\n(Has a "
                "different or updated translation been installed? \nIf so, reinstall and select "
                "option 'Yes=Overwrite' to reset statistics)");
}

TEST_F(LoadTest, CountsThatDisagreeWithTheElements) {
    // One element more than the count: it stands where the closing line should.
    Elem extra = PlainElem(54, 3, 16, '8');
    extra.context = std::string(400, 'w');
    std::vector<std::string> info = Filler(18);
    info.push_back(extra.Line());
    WriteFiles(kEmpty, kEmpty, &kEmpty);
    Write("RctInfo.xml", PassageFile(info, 18));
    ExpectFatal("Recitor Missing </passages>",
                "RctInfo.xml file invalid (count wrong?): doesn't end with </passages>\n" +
                    extra.Line().substr(0, 280));

    sink.shown.clear();
    Write("RctInfo.xml", PassageFile(Filler(18)));
    Write("RctUser.xml", PassageFile({John(16), John(17)}, 1));
    ExpectFatal("Recitor Missing </passages>",
                "RctUser.xml file invalid (count wrong?): doesn't end with </passages>\n" +
                    John(17));

    sink.shown.clear();
    Write("RctUser.xml", PassageFile({John(16)}));
    Write("RctStats.xml",
          StatsFile({StatsLine("540030168\"", 1, 0), StatsLine("540030168\"", 2, 0)}, 1));
    ExpectFatal("Recitor Missing </passages>",
                "RctStats.xml file invalid (count wrong?): doesn't end with </passages>\n" +
                    StatsLine("540030168\"", 2, 0));

    // One element fewer than the count: the closing line is read as an element.
    sink.shown.clear();
    Write("RctStats.xml", StatsFile({}));
    Write("RctInfo.xml", PassageFile(Filler(18), 19));
    ExpectFatal("Recitor ReadInfo Error", "Info or User file invalid (count wrong?) for attribute "
                                          "#0 or #1 of key [000000000]\n</passages>");
}

TEST_F(LoadTest, OverlongElementIsCutAndLoadGoesOn) {
    std::vector<std::string> info = Filler(18);
    Elem longOne = PlainElem(1, 1, 1, '3');
    const std::size_t frame = longOne.Line().size() - longOne.context.size();
    longOne.context = "1 " + std::string(2600 - frame - 2, 'a');
    info[0] = longOne.Line();
    ASSERT_EQ(info[0].size(), 2600u);
    Elem longUser = PlainElem(54, 3, 16, '8');
    longUser.context = longOne.context;
    WriteFiles(info, {longUser.Line()}, &kEmpty);

    EXPECT_EQ(Load(), Status::Ok);
    ASSERT_EQ(sink.shown.size(), 2u);
    EXPECT_EQ(sink.shown[0].caption, "Recitor Preloaded Passage Too Long");
    EXPECT_EQ(sink.shown[0].text, "RctInfo.xml file has preloaded passage that is too long: #2");
    EXPECT_EQ(sink.shown[0].icon, MsgIcon::Error);
    EXPECT_EQ(sink.shown[1].caption, "Recitor User Passage Too Long");
    EXPECT_EQ(sink.shown[1].text, "RctUser.xml file has user passage that is too long: #20");
    for (const int index : {0, 18}) {
        const std::string_view context = store->Passage(index).context;
        EXPECT_TRUE(context.ends_with("aaaTRUNCATED ")) << index;
        EXPECT_EQ(context.size() - 10, 2480 - longOne.Line().find("context=\"") - 9) << index;
    }
}

// The baseline file is read beside the user file, yet the faults come out in the files' order: the
// first fatal one alone, after the warnings of everything read before it.
TEST_F(LoadTest, FaultsAreReportedInTheOrderOfTheFiles) {
    std::vector<std::string> info = JohnBase();
    std::vector<std::string> user = {John(15), John(18), John(19)};
    const std::vector<std::string> stats = {StatsLine("540030208\"", 1, 0), "<psg damaged"};
    const std::string damagedInfo = info[3];
    info[3].replace(info[3].find("vCount=\"01\""), 12, "vCount=\"\"");
    const std::string damagedUser = user[1].substr(0, 60);
    user[1] = damagedUser;
    WriteFiles(info, user, &stats);
    ExpectFatal("Recitor ReadInfo Error",
                "Info or User file invalid (count wrong?) for attribute #1 or #2 of key "
                "[010010043]\n" +
                    info[3]);

    sink.shown.clear();
    info[3] = damagedInfo;
    WriteFiles(info, user, &stats);
    ExpectFatal("Recitor ReadInfo Error",
                "Info or User file invalid (count wrong?) for attribute #4 or #5 of key "
                "[540030188]\n" +
                    damagedUser);

    sink.shown.clear();
    WriteFiles(info, {John(15), John(18)}, &stats);
    ExpectFatal("Recitor Mismatched Keys",
                "Key in RctStats.xml [54003020] not found in RctInfo.xml for Passage #1\n(Has a "
                "different or updated translation been installed? \nIf so, reinstall and select "
                "option 'Yes=Overwrite' to reset statistics)");

    // An over-long user element is numbered by where it is stored: a revision before it takes a
    // baseline passage's place and so does not count.
    Elem longOne = PlainElem(54, 3, 18, '8');
    longOne.context = "18 " + std::string(2600, 'a');
    Elem longBase = PlainElem(1, 1, 1, '3');
    longBase.context = longOne.context;
    info[0] = longBase.Line();
    sink.shown.clear();
    WriteFiles(info, {John(15), longOne.Line(), John(16, '9')}, &kEmpty);
    EXPECT_EQ(Load(), Status::Fatal);
    ASSERT_EQ(sink.shown.size(), 3u);
    EXPECT_EQ(sink.shown[0].text, "RctInfo.xml file has preloaded passage that is too long: #2");
    EXPECT_EQ(sink.shown[1].text, "RctUser.xml file has user passage that is too long: #20");
    EXPECT_EQ(sink.shown[2].text,
              "RctUser.xml not sorted or has duplicate: Prev: 54003018  Cur: 54003016" + kReload);
}

// A damaged statistics file is kept under a name of its own, never over an earlier copy, before
// the spare stands in; a missing one simply gives way to the spare.
TEST_F(LoadTest, DamagedOrMissingStatisticsAreReplacedByTheSpare) {
    struct Case {
        std::string stats; // empty: no statistics file
        int count;
        std::string kept; // the name of the damaged file's copy
    };
    std::string badDeclaration = StatsFile({});
    badDeclaration.replace(0, 5, "<?XML");
    const Case cases[] = {
        {StatsFile({}, 15001), 15001, "RctStats.xml.damaged"},
        {StatsFile({}, -1), -1, "RctStats.xml.damaged-2"},
        {"", 0, ""},
        {std::string(kDecl) + "\r\n<passages>\r\n</passages>\r\n", 0, "RctStats.xml.damaged-3"},
        {badDeclaration, 0, "RctStats.xml.damaged-4"}};
    for (const Case& c : cases) {
        sink.shown.clear();
        std::filesystem::remove(dir / "RctStats.xml");
        WriteFiles(JohnBase(), kEmpty, nullptr);
        Write("RctStatsSpare.xml", StatsFile({}));
        if (!c.stats.empty())
            Write("RctStats.xml", c.stats);
        DirSnapshot expected = Snapshot();
        expected.erase("RctStats.xml");
        if (!c.kept.empty())
            expected[c.kept] = c.stats; // the very bytes
        EXPECT_EQ(Load(), Status::Ok);
        ExpectOneMessage(
            "Recitor Corrupt/Missing Stats file 'patched'",
            "RctStats.xml file invalid, corrupt, exceeds 15000 passages, or is less "
            "than 0 passages. Replacing with empty RctStatsSpare.xml. All statistics "
            "lost. PsgCount: #" +
                std::to_string(c.count) +
                (c.kept.empty() ? "" : "\nThe damaged file was kept as " + c.kept + "."),
            MsgIcon::Warning);
        EXPECT_TRUE(store->ExportDue());
        EXPECT_EQ(store->StatsCount(), 0);
        EXPECT_EQ(Snapshot(), expected); // nothing else is touched while loading
        // Moving the damaged file aside is no change by another copy of the program.
        EXPECT_FALSE(store->FilesChangedSinceLoad());
    }

    // The saves of the run write a new statistics file and leave the copies as they are.
    const DirSnapshot copies = Snapshot();
    ASSERT_EQ(store->SaveAll(), Status::Ok);
    for (const Case& c : cases) {
        if (!c.kept.empty()) {
            EXPECT_EQ(Read(c.kept), copies.at(c.kept));
        }
    }
    EXPECT_EQ(Read("RctStats.xml"), StatsFile({}));
}

// A damaged statistics file that cannot be kept (here: every name for a copy is taken) is not
// left to the saves of a run on the spare: the load ends, saying so.
TEST_F(LoadTest, DamagedStatisticsThatCannotBeKeptEndTheLoad) {
    WriteFiles(JohnBase(), kEmpty, nullptr);
    Write("RctStatsSpare.xml", StatsFile({}));
    Write("RctStats.xml", StatsFile({}, 15001));
    Write("RctStats.xml.damaged", "");
    for (int copy = 2; copy <= 999; ++copy)
        Write("RctStats.xml.damaged-" + std::to_string(copy), "");
    ExpectFatal("Recitor Cannot keep Stats file",
                "RctStats.xml file invalid or corrupt, and it cannot be kept as "
                "RctStats.xml.damaged-999: File exists\nRecitor ends, so that the file is not "
                "written over.");
}

// A file that cannot be read is neither missing nor at its end: the load stops with the file and
// the system's reason, before anything could be written over it. The statistics file is the one
// the spare would otherwise stand in for.
TEST_F(LoadTest, UnreadableFilesEndTheLoadWithTheirCause) {
    const std::vector<std::string> stats = {StatsLine("540030168\"", 2, 0)};
    for (const char* name : {"RctInfo.xml", "RctUser.xml", "RctStats.xml"}) {
        SCOPED_TRACE(name);
        sink.shown.clear();
        WriteFiles(JohnBase(), kEmpty, &stats);
        Write("RctStatsSpare.xml", StatsFile({}));
        std::filesystem::remove(dir / name);
        std::filesystem::create_directory(dir / name); // opens, and every read fails
        ExpectFatal("Recitor Cannot read file",
                    std::string("Unable to read ") + name + ": Is a directory");
        std::filesystem::remove(dir / name);
    }

    // One that cannot even be opened, for another reason than that it is missing: a socket.
    sink.shown.clear();
    WriteFiles(JohnBase(), kEmpty, nullptr);
    const int socketFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = (dir / "RctStats.xml").string();
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(socketFd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ExpectFatal("Recitor Cannot read file",
                "Unable to read RctStats.xml: No such device or address");
    ::close(socketFd);

    // A read that fails in the middle of the file: the lines read before it are not taken for
    // the whole file.
    sink.shown.clear();
    std::filesystem::remove(dir / "RctStats.xml");
    WriteFiles(JohnBase(), kEmpty, &stats);
    const std::size_t infoSize = std::filesystem::file_size(dir / "RctInfo.xml");
    ASSERT_GT(infoSize, std::filesystem::file_size(dir / "RctStats.xml") + 200);
    const DirSnapshot before = Snapshot();
    store = std::make_unique<CPassageStore>(sink, settings, clock, dir);
    store->SetReadFunction(FailingAfter(infoSize - 100));
    EXPECT_EQ(store->Load(), Status::Fatal);
    ExpectOneMessage("Recitor Cannot read file", "Unable to read RctInfo.xml: Input/output error",
                     MsgIcon::Error);
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(LoadTest, UserPassagesReplaceOrJoinTheBaselineInOrder) {
    Elem revised = PlainElem(54, 3, 16, '8');
    revised.context = "16 Revised";
    revised.psgEnd = 10;
    WriteFiles(JohnBase(), {John(16, '3'), revised.Line(), John(18)}, &kEmpty);
    clock.msStep = 250;
    ASSERT_EQ(Load(), Status::Ok);
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(store->BaselineCount(), 17);
    EXPECT_EQ(store->UserCount(), 3);
    EXPECT_EQ(store->PassageCount(), 20);
    EXPECT_FALSE(store->UserFileChanged());
    EXPECT_DOUBLE_EQ(store->LoadSeconds(), 0.25);

    const std::pair<std::uint32_t, int> expected[] = {
        {54003015, 8}, {54003016, 3}, {54003016, 8}, {54003017, 8}, {54003018, 8}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(store->Passage(15 + i).key, expected[i].first) << i;
        EXPECT_EQ(store->Passage(15 + i).trans, expected[i].second) << i;
    }
    for (int i = 1; i < store->PassageCount(); ++i)
        EXPECT_LT(store->Passage(i - 1).SortKey(), store->Passage(i).SortKey());
    EXPECT_EQ(store->Passage(17).context, "16 Revised");
    EXPECT_EQ(store->Passage(17).baseline, 0);
    EXPECT_EQ(store->Passage(16).baseline, 0);
    EXPECT_EQ(store->Passage(18).baseline, 1);
    EXPECT_EQ(store->Find(store->Passage(17).MatchKey() | 1u), 17);
    EXPECT_EQ(store->Find(CPassage("540030199\"").MatchKey()), -1);
}

TEST_F(LoadTest, UserHeaderWithoutFormatVersionIsMarkedForRewriting) {
    WriteFiles(Filler(18), kEmpty, &kEmpty);
    Write("RctUser.xml", std::string(kDecl) + "\r\n<passages count=\"0\">\r\n</passages>");
    ASSERT_EQ(Load(), Status::Ok);
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_TRUE(store->UserFileChanged());
    EXPECT_EQ(store->UserCount(), 0);
}

TEST_F(LoadTest, SharedContextsAreAssembledFromTheRecord) {
    const std::string own = "16 Own words";
    const std::string before = "14 Before.\r\n";
    const std::string passage = "16 Middle.";
    const std::string gap = "\r\n\r\n";
    const std::pair<int, std::string> cases[] = {
        {96, passage + gap + "NIV " + own},
        {99, "NIV " + own + gap + passage},
        {5, before + gap + "NIV " + own + gap + passage},
    };
    for (const auto& [recordLines, context] : cases) {
        sink.shown.clear();
        Elem record = PlainElem(54, 3, 16, '/');
        record.context = "14 Before.\\n16 Middle.\\n17 After.";
        record.ctxLines = recordLines;
        record.psgStart = 12;
        record.psgEnd = 22;
        Elem shared = PlainElem(54, 3, 16, '8');
        shared.context = own;
        shared.ctxLines = 98;
        shared.psgEnd = 12;
        shared.hintStart = 3;
        shared.hintEnd = 6;
        std::vector<std::string> info = Filler(16);
        info.push_back(record.Line());
        info.push_back(shared.Line());
        WriteFiles(info, kEmpty, &kEmpty);
        ASSERT_EQ(Load(), Status::Ok);
        EXPECT_TRUE(sink.shown.empty());
        const CPassage& p = Shape(17);
        const int shift = static_cast<int>(context.find(own));
        EXPECT_EQ(p.context, std::string_view(context)) << recordLines;
        EXPECT_EQ(p.psgStart, shift);
        EXPECT_EQ(p.psgEnd, shift + 12);
        EXPECT_EQ(p.hintStart, shift + 3);
        EXPECT_EQ(p.hintEnd, shift + 6);
        EXPECT_EQ(p.PassageText(), own);
        EXPECT_EQ(p.HintText(), "Own");
        EXPECT_EQ(p.ctxLines, 98);
        EXPECT_EQ(p.ContextReference(), "John 3:16");
    }
}

TEST_F(LoadTest, StatisticsAttachAndMakeTheScore) {
    WriteFiles(JohnBase(), kEmpty, nullptr);
    // Lines in any order, with LF line breaks only.
    std::string stats = StatsFile({StatsLine("540030168\"", 2, 0), StatsLine("010010013\"", 1, 2),
                                   StatsLine("540030158\"", 4, 1)});
    std::erase(stats, '\r');
    Write("RctStats.xml", stats);
    ASSERT_EQ(Load(), Status::Ok);
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(store->Score(), 3 * 2 + 1 * 1 + 2 * 4);
    EXPECT_EQ(store->StatsCount(), 3);
    EXPECT_FALSE(store->ExportDue());
    EXPECT_EQ(store->Passage(16).prog, 2);
    EXPECT_EQ(store->Passage(16).freq, 0);
    EXPECT_EQ(store->Passage(15).freq, 1);
    EXPECT_EQ(store->Passage(17).freq, 3);
    EXPECT_EQ(store->Passage(17).prog, 0);
}

TEST_F(LoadTest, CountLimitAcceptedAndRepeatedLinesCountOnce) {
    std::vector<std::string> lines(14999, StatsLine("540030168\"", 1, 0));
    lines.push_back(StatsLine("540030168\"", 4, 2));
    WriteFiles(JohnBase(), kEmpty, &lines);
    ASSERT_EQ(Load(), Status::Ok);
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(store->Score(), 3 * 4); // the last line for the passage stands
    EXPECT_EQ(store->Passage(16).freq, 2);
}

// A statistics key without digits reads no number and keeps the default key: it names Genesis 1:1
// in the translation of its suffix, like the key 01001001 with that suffix.
TEST_F(LoadTest, StatisticsKeyWithoutDigitsNamesGenesisOneOne) {
    std::vector<std::string> info = JohnBase(); // begins with Genesis 1:1 in translation 3
    info.insert(info.begin() + 1, PlainElem(1, 1, 1, '8').Line());
    WriteFiles(info, kEmpty, nullptr);
    Write("RctStats.xml", StatsFile({StatsLine("3\"", 2, 1), StatsLine("X8\"", 4, 0)}));
    ASSERT_EQ(Load(), Status::Ok);
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(store->Passage(0).prog, 2);
    EXPECT_EQ(store->Passage(0).freq, 1);
    EXPECT_EQ(store->Passage(1).trans, 8);
    EXPECT_EQ(store->Passage(1).prog, 4);
    EXPECT_EQ(store->Passage(1).freq, 0);
    EXPECT_EQ(store->Score(), 2 + 4);

    // Where that translation has no Genesis 1:1, the message names the key it stands for.
    sink.shown.clear();
    Write("RctStats.xml", StatsFile({StatsLine("X9\"", 1, 0)}));
    ExpectFatal("Recitor Mismatched Keys",
                "Key in RctStats.xml [1001001] not found in RctInfo.xml for Passage #1\n(Has a "
                "different or updated translation been installed? \nIf so, reinstall and select "
                "option 'Yes=Overwrite' to reset statistics)");
}

// The store keeps the time stamp of the last handheld export, read back as the 32 bits it was.
TEST_F(StoreTest, ExportTimestampIsReadWithTheFiles) {
    settings.numbers[{"Export\\Params", "FileTimestamp"}] = -1;
    LoadJohn();
    EXPECT_EQ(store->ExportTimestamp(), 4294967295u);
    EXPECT_TRUE(settings.writes.empty());
}
