// The handheld export file: fixed columns, the time stamp shared with the settings, and a failed
// write that leaves the export due.

#include "TestSupport.h"

#include <gtest/gtest.h>

class ExportTest : public StoreTest {
protected:
    void SetUp() override { LoadJohn(); }
    const std::string kLine1 = "count= 3 formatversion= 20031126 timestamp=  1700000000\r\n";
};

TEST_F(ExportTest, WritesTheListInItsOrderWithFixedColumns) {
    CPassage& twoLines = store->Passage(17); // John 3:17
    twoLines.context = "x A\r\nB y";
    twoLines.psgStart = 2;
    twoLines.psgEnd = 6;
    twoLines.hintStart = 2;
    twoLines.hintEnd = 3;
    twoLines.prog = 4;
    twoLines.freq = 1;
    store->exportList = {16, 17, 15};
    store->exportNeeded = 1;
    ASSERT_TRUE(store->WriteExport());
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(Read("PpcXport.txt"), kLine1 + "54003016  8  2  0    0    3   13 16 Verse text\r\n"
                                             "54003017  8  4  1    0    0    4 A\\nB\r\n"
                                             "54003015  8  1  1    0    3   13 15 Verse text\r\n");
    EXPECT_EQ(store->exportNeeded, 0);
    EXPECT_EQ(store->exportTimestamp, 1700000000u);
    EXPECT_EQ(settings.numbers.at({"Export\\Params", "FileTimestamp"}), 1700000000);
}

// Every line break of the passage becomes backslash n: CR LF in place, a lone LF one character
// longer, and a CR before a CR LF stays.
TEST_F(ExportTest, LineBreaksOfThePassageStayOnOneLine) {
    CPassage& passage = store->Passage(17);
    passage.context = "\nA\nB\r\r\nC\n\nD\r\n";
    passage.psgStart = 0;
    passage.psgEnd = static_cast<int>(passage.context.size());
    passage.hintStart = 0;
    passage.hintEnd = 1;
    store->exportList = {17};
    ASSERT_TRUE(store->WriteExport());
    EXPECT_EQ(Read("PpcXport.txt"),
              "count= 1 formatversion= 20031126 timestamp=  1700000000\r\n"
              "54003017  8  0  3    0    0   17 \\nA\\nB\r\\nC\\n\\nD\\n\r\n");
}

TEST_F(ExportTest, EmptyListGivesOneLineAndWideTimestampsFillTheColumn) {
    clock.seconds = 4000000000u;
    store->exportList.clear();
    ASSERT_TRUE(store->WriteExport());
    EXPECT_EQ(Read("PpcXport.txt"), "count= 0 formatversion= 20031126 timestamp=  4000000000\r\n");
    // The settings keep the 32 bits; read back signed.
    EXPECT_EQ(settings.numbers.at({"Export\\Params", "FileTimestamp"}),
              static_cast<std::int32_t>(4000000000u));
}

TEST_F(ExportTest, SaveWritesADueExport) {
    store->currentPassage = &store->Passage(16);
    ASSERT_TRUE(store->DeletePassage());
    store->exportList = {15};
    ASSERT_EQ(store->SaveAll(), Status::Ok);
    EXPECT_EQ(Read("PpcXport.txt"), "count= 1 formatversion= 20031126 timestamp=  1700000000\r\n"
                                    "54003015  8  1  1    0    3   13 15 Verse text\r\n");
    EXPECT_EQ(store->exportNeeded, 0);
    // The settings written at the end of the save carry the same time stamp.
    EXPECT_EQ(settings.numbers.at({"Export\\Params", "FileTimestamp"}), 1700000000);
    EXPECT_EQ(settings.writes.front(), "Export\\Params/FileTimestamp");
}

TEST_F(ExportTest, FailedWriteLeavesTheExportDueAndSavingGoesOn) {
    std::filesystem::create_directory(dir / "PpcXport.txt"); // cannot be replaced by a file
    store->exportNeeded = 1;
    store->exportList = {16};
    EXPECT_FALSE(store->WriteExport());
    ExpectOneMessage("Recitor Cannot write SpecialHandling file",
                     "Unable to open PpcXport.txt file for writing", MsgIcon::Error);
    EXPECT_EQ(store->exportNeeded, 1);
    EXPECT_EQ(store->exportTimestamp, 0u);
    EXPECT_TRUE(settings.writes.empty());

    sink.shown.clear();
    std::filesystem::remove(dir / "RctStats.xml");
    EXPECT_EQ(store->SaveAll(), Status::Ok);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].caption, "Recitor Cannot write SpecialHandling file");
    EXPECT_EQ(store->exportNeeded, 1);
    EXPECT_TRUE(Exists("RctStats.xml"));
    EXPECT_EQ(Snapshot().size(), 4u); // no temporary file left behind
}
