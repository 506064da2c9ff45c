// SPDX-License-Identifier: GPL-2.0-or-later
// The handheld export file: fixed columns, the time stamp shared with the settings, and a failed
// write that leaves the export due.

#include "RefTables.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>

class ExportTest : public StoreTest {
protected:
    void SetUp() override { LoadJohn(); }
    // John 3:15 and 3:16 leave the active classes, the passage at index joins them; it is returned
    // to be shaped further.
    CPassage& OnlyActive(int index) const {
        Shape(15).freq = kFreqInactive;
        Shape(16).freq = kFreqInactive;
        Shape(index).freq = 1;
        return Shape(index);
    }
    const std::string kLine1 = "count= 3 formatversion= 20031126 timestamp=  1700000000\r\n";
};

// The active passages go in class order, each class in store order.
TEST_F(ExportTest, WritesTheActivePassagesInClassOrderWithFixedColumns) {
    MakeExportDue();
    CPassage& twoLines = Shape(17); // John 3:17
    twoLines.context = "x A\r\nB y";
    twoLines.psgStart = 2;
    twoLines.psgEnd = 6;
    twoLines.hintStart = 2;
    twoLines.hintEnd = 3;
    twoLines.prog = 4;
    twoLines.freq = 1;
    ASSERT_TRUE(store->WriteExport());
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(Read("PpcXport.txt"), kLine1 + "54003016  8  2  0    0    3   13 16 Verse text\r\n"
                                             "54003015  8  1  1    0    3   13 15 Verse text\r\n"
                                             "54003017  8  4  1    0    0    4 A\\nB\r\n");
    EXPECT_FALSE(store->ExportDue());
    EXPECT_EQ(store->ExportTimestamp(), 1700000000u);
    EXPECT_EQ(settings.numbers.at({"Export\\Params", "FileTimestamp"}), 1700000000);
}

// No line break of the passage breaks the line, and the text keeps the passage's length: CR LF
// becomes backslash n, a lone LF or CR (such as one before a CR LF) a blank.
TEST_F(ExportTest, LineBreaksOfThePassageStayOnOneLine) {
    CPassage& passage = OnlyActive(17);
    passage.context = "\nA\nB\r\r\nC\n\nD\r\n";
    passage.psgStart = 0;
    passage.psgEnd = static_cast<int>(passage.context.size());
    passage.hintStart = 0;
    passage.hintEnd = 1;
    ASSERT_TRUE(store->WriteExport());
    EXPECT_EQ(Read("PpcXport.txt"), "count= 1 formatversion= 20031126 timestamp=  1700000000\r\n"
                                    "54003017  8  0  1    0    0   13  A B \\nC  D\\n\r\n");
}

// Columns 5 and 6 give the hint's first and last character in the text of column 8, and column
// 7 that text's length, whatever line breaks come before the hint.
TEST_F(ExportTest, HintColumnsIndexTheWrittenText) {
    CPassage& passage = OnlyActive(17);
    const std::string before = "15 x\r\n";
    passage.context = before + "16 a\r\nb\nc\rd\r\rthe hint\ne\r\n17 y";
    passage.psgStart = static_cast<int>(before.size());
    passage.psgEnd = static_cast<int>(passage.context.find("\r\n17"));
    passage.hintStart = static_cast<int>(passage.context.find("the hint"));
    passage.hintEnd = passage.hintStart + 8;
    ASSERT_TRUE(store->WriteExport());
    const std::string file = Read("PpcXport.txt");
    const std::string line = file.substr(file.find("\r\n") + 2);
    EXPECT_EQ(line, "54003017  8  0  1   13   20   23 16 a\\nb c d  the hint e\r\n");

    std::istringstream columns(line.substr(0, line.size() - 2));
    int key = 0, trans = 0, prog = 0, freq = 0, first = 0, last = 0, length = 0;
    columns >> key >> trans >> prog >> freq >> first >> last >> length;
    ASSERT_EQ(columns.get(), ' ');
    std::string text;
    std::getline(columns, text);
    EXPECT_EQ(static_cast<int>(text.size()), length);
    EXPECT_EQ(
        text.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first + 1)),
        "the hint");
}

// The hint's columns wrap around in 32 bits, as every offset of the files does.
TEST_F(ExportTest, HintColumnsWrapIn32Bits) {
    const int kMax = std::numeric_limits<std::int32_t>::max();
    const int kMin = std::numeric_limits<std::int32_t>::min();
    CPassage& passage = OnlyActive(17);
    passage.freq = 0;
    passage.psgStart = -2;
    passage.psgEnd = 0;
    passage.hintStart = kMax;
    passage.hintEnd = kMax;
    CPassage& other = Shape(16);
    other.psgStart = kMax;
    other.psgEnd = kMax;
    other.hintStart = -2;
    other.hintEnd = kMin;
    other.freq = 1;
    ASSERT_TRUE(store->WriteExport());
    EXPECT_EQ(Read("PpcXport.txt"), "count= 2 formatversion= 20031126 timestamp=  1700000000\r\n"
                                    "54003017  8  0  0 -2147483647 -2147483648    0 \r\n"
                                    "54003016  8  2  1 2147483647    0    0 \r\n");
}

TEST_F(ExportTest, EmptyListGivesOneLineAndWideTimestampsFillTheColumn) {
    clock.seconds = 4000000000u;
    Shape(15).freq = kFreqInactive;
    Shape(16).freq = kFreqInactive;
    ASSERT_TRUE(store->WriteExport());
    EXPECT_EQ(Read("PpcXport.txt"), "count= 0 formatversion= 20031126 timestamp=  4000000000\r\n");
    // The settings keep the 32 bits; read back signed.
    EXPECT_EQ(settings.numbers.at({"Export\\Params", "FileTimestamp"}),
              static_cast<std::int32_t>(4000000000u));
}

TEST_F(ExportTest, SaveWritesADueExport) {
    ASSERT_TRUE(store->Remove(16));
    ASSERT_EQ(store->SaveAll(), Status::Ok);
    EXPECT_EQ(Read("PpcXport.txt"), "count= 1 formatversion= 20031126 timestamp=  1700000000\r\n"
                                    "54003015  8  1  1    0    3   13 15 Verse text\r\n");
    EXPECT_FALSE(store->ExportDue());
    // The settings written at the end of the save carry the same time stamp.
    EXPECT_EQ(settings.numbers.at({"Export\\Params", "FileTimestamp"}), 1700000000);
    EXPECT_EQ(settings.writes.front(), "Export\\Params/FileTimestamp");
}

TEST_F(ExportTest, FailedWriteLeavesTheExportDueAndSavingGoesOn) {
    std::filesystem::create_directory(dir / "PpcXport.txt"); // cannot be replaced by a file
    MakeExportDue();
    EXPECT_FALSE(store->WriteExport());
    ExpectOneMessage("Recitor Cannot write SpecialHandling file",
                     "Unable to open PpcXport.txt file for writing\n: Is a directory",
                     MsgIcon::Error);
    EXPECT_TRUE(store->ExportDue());
    EXPECT_EQ(store->ExportTimestamp(), 0u);
    EXPECT_TRUE(settings.writes.empty());

    sink.shown.clear();
    std::filesystem::remove(dir / "RctStats.xml");
    EXPECT_EQ(store->SaveAll(), Status::Ok);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].caption, "Recitor Cannot write SpecialHandling file");
    EXPECT_TRUE(store->ExportDue());
    EXPECT_TRUE(Exists("RctStats.xml"));
    EXPECT_EQ(Snapshot().size(), 4u); // no temporary file left behind
}

// An export written but not put in place with the other files (here its name became a directory
// meanwhile) is reported like any failed export: the others are saved without it and it stays due.
TEST_F(ExportTest, ExportThatCannotBePutInPlaceLeavesTheOthersSaved) {
    ReviseUnchanged(17);
    MakeExportDue();
    const std::string oldUser = Read("RctUser.xml");
    store->SetCommitStepHook([this, step = 0]() mutable {
        if (step++ == 0)
            std::filesystem::create_directory(dir / "PpcXport.txt");
    });
    EXPECT_EQ(store->SaveAll(), Status::Ok);
    ExpectOneMessage("Recitor Cannot write SpecialHandling file",
                     "Unable to replace PpcXport.txt file: Is a directory", MsgIcon::Error);
    EXPECT_TRUE(store->ExportDue());
    EXPECT_TRUE(settings.writes.empty());
    EXPECT_NE(Read("RctUser.xml"), oldUser); // the revision was saved
    EXPECT_EQ(Snapshot().size(), 4u);        // no temporary file or record left behind
}
