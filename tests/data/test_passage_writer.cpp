// SPDX-License-Identifier: GPL-2.0-or-later
// Saving: the statistics file every time, the user file only when marked, byte for byte, the
// release of the collection at the end of the run (only once it is saved), the settings in their
// fixed order, and whether the files changed on disk since they were loaded.

#include "Preferences.h"
#include "SyntheticCollection.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

const std::string kHead = std::string(kDecl) + "\r\n";

std::string Header(const char* count) {
    return kHead + "<passages count=\"" + count + "\" formatversion=\"20031126\">\r\n";
}

const std::string kTwoStats = Header("002") +
                              "<psg key=\"540030158\" prog=\"1\" freq=\"1\"> </psg>\r\n"
                              "<psg key=\"540030168\" prog=\"2\" freq=\"0\"> </psg>\r\n"
                              "</passages>\r\n";

} // namespace

class SaveTest : public StoreTest {
protected:
    void SetUp() override { LoadJohn(); }
};

TEST_F(SaveTest, UnchangedSaveRewritesOnlyTheStatistics) {
    // A user file the program would never write itself shows whether it was touched.
    const std::string oddUser = kHead + "<passages count=\"0\" formatversion=\"1\">\n</passages>\n";
    Write("RctUser.xml", oddUser);
    ASSERT_EQ(store->SaveAll(), Status::Ok);
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(Read("RctStats.xml"), kTwoStats); // array order, not the order read
    EXPECT_EQ(Read("RctUser.xml"), oddUser);
    EXPECT_EQ(Snapshot().size(), 3u);     // no export, no temporary file left
    EXPECT_TRUE(settings.writes.empty()); // the settings are the application's to write

    // An inactive passage loses its line and the count drops.
    Shape(15).freq = 3;
    ASSERT_EQ(store->SaveAll(), Status::Ok);
    EXPECT_EQ(Read("RctStats.xml"),
              Header("001") +
                  "<psg key=\"540030168\" prog=\"2\" freq=\"0\"> </psg>\r\n</passages>\r\n");
    EXPECT_EQ(store->StatsCount(), 1);
}

TEST_F(SaveTest, MarkedUserFileIsWrittenInOrderAndStaysMarked) {
    auto added = NewJohn16(3, "16 \"x\"\r\ny's");
    added->freq = 2;
    added->prog = 1;
    ASSERT_GE(store->Add(added), 0);
    ReviseUnchanged(18); // John 3:17
    ASSERT_EQ(store->SaveAll(), Status::Ok);

    Elem expected;
    expected.key = "540030163";
    expected.context = "16 &quot;x&quot;\\ny&apos;s";
    expected.psgEnd = 4;
    expected.hintEnd = 2;
    const std::string user =
        Header("002") + expected.Line() + "\r\n" + John(17) + "\r\n</passages>";
    EXPECT_EQ(Read("RctUser.xml"), user);
    EXPECT_TRUE(store->UserFileChanged());

    // Every later save rewrites the user file too.
    std::filesystem::remove(dir / "RctUser.xml");
    ASSERT_EQ(store->SaveAll(), Status::Ok);
    EXPECT_EQ(Read("RctUser.xml"), user);

    // The saved files load back into the same collection.
    ASSERT_EQ(Load(), Status::Ok);
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(store->PassageCount(), 19);
    EXPECT_EQ(store->UserCount(), 2);
    EXPECT_EQ(store->BaselineCount(), 17);
    EXPECT_EQ(store->Passage(16).context, "16 \"x\"\r\ny's");
    EXPECT_EQ(store->Passage(16).freq, 2);
    EXPECT_EQ(store->Score(), 1 + 3 * 2 + 2 * 1);
}

TEST_F(SaveTest, MarkedUserFileWithoutPassages) {
    auto added = std::make_unique<CPassage>("540030183\"");
    const int index = store->Add(added);
    ASSERT_GE(index, 0);
    ASSERT_TRUE(store->Remove(index));
    ASSERT_EQ(store->SaveAll(), Status::Ok);
    EXPECT_EQ(Read("RctUser.xml"), Header("000") + "</passages>");
}

// The windows still show the collection while a failed save at the end is reported: it stays
// whole until a save has worked.
TEST_F(SaveTest, CloseReleasesThePassagesOnlyOnceSaved) {
    ReviseUnchanged(17);
    const int count = store->PassageCount();
    store->SetCommitStepHook([this, step = 0]() mutable {
        if (step++ == 2) { // the record is in place: the user file is next
            std::filesystem::remove(dir / "RctUser.xml");
            std::filesystem::create_directory(dir / "RctUser.xml");
        }
    });
    ASSERT_EQ(store->Close(), Status::Fatal);
    ASSERT_EQ(store->PassageCount(), count);
    std::size_t read = 0;
    for (int i = 0; i < store->PassageCount(); ++i)
        read += store->Passage(i).context.size();
    EXPECT_GT(read, 0u);
    EXPECT_EQ(store->Passage(15).freq, 1);

    std::filesystem::remove(dir / "RctUser.xml");
    store->SetCommitStepHook({});
    ASSERT_EQ(store->Close(), Status::Ok);
    EXPECT_EQ(store->PassageCount(), 0);
    EXPECT_EQ(Read("RctStats.xml"), kTwoStats);
}

// At the program's end the records outlive the store's hold on them: they are kept, not freed,
// until the process ends (a freed record would be a use after free under the address sanitizer).
TEST_F(SaveTest, CloseAtExitSavesAndKeepsTheRecordsAlive) {
    ReviseUnchanged(17);
    const CPassage& kept = store->Passage(15);
    const std::uint32_t key = kept.key;
    const std::string context(kept.context);
    ASSERT_EQ(store->CloseAtExit(), Status::Ok);
    EXPECT_EQ(store->PassageCount(), 0);
    EXPECT_EQ(Read("RctStats.xml"), kTwoStats);
    store.reset();
    EXPECT_EQ(kept.key, key);
    EXPECT_EQ(kept.context, std::string_view(context));
}

// Untouched files are the ones loaded; a statistics file rewritten in place, or a spare that
// appears, is not.
TEST_F(SaveTest, FilesChangedSinceLoad) {
    EXPECT_FALSE(store->FilesChangedSinceLoad());
    Write("RctStats.xml", Header("001") + "<psg key=\"540030168\" prog=\"2\" freq=\"0\"> </psg>\r\n"
                                          "</passages>\r\n");
    EXPECT_TRUE(store->FilesChangedSinceLoad());

    ASSERT_EQ(Load(), Status::Ok);
    EXPECT_FALSE(store->FilesChangedSinceLoad());
    ASSERT_FALSE(Exists("RctStatsSpare.xml"));
    Write("RctStatsSpare.xml", Header("000") + "</passages>\r\n");
    EXPECT_TRUE(store->FilesChangedSinceLoad());
}

TEST(PreferencesTest, SettingsAreWrittenInTheirOrderWithNormalisedValues) {
    CMemorySettings settings;
    settings.numbers[{"Params", "PrefConfirmDelete"}] = 2;
    settings.numbers[{"Params", "TransFilter"}] = 34;
    settings.numbers[{"Params", "PpcSyncInitialized"}] = 1;
    settings.numbers[{"Params", "PrefFontChoice"}] = 2;
    CPreferences prefs;
    prefs.Read(settings);
    prefs.BackgroundFilename = "Paper.bmp";
    prefs.Write(settings, {.fileTimestamp = 1600000000, .curSelectorIndex = 7, .userCount = 1});

    EXPECT_EQ(settings.writes, kSavedSettingsOrder);
    const auto number = [&settings](const char* section, const char* name) {
        return settings.numbers.at({section, name});
    };
    EXPECT_EQ(number("Params", "PpcSyncInitialized"), 1);
    EXPECT_EQ(number("Export\\Params", "FileTimestamp"), 1600000000);
    EXPECT_EQ(number("Params", "PrefConfirmDelete"), 0);
    EXPECT_EQ(number("Params", "PrefConfirmEdit"), 1);
    EXPECT_EQ(number("Export\\Params", "PrefConfirmExportPpc"), 1);
    EXPECT_EQ(number("Params", "PrefFlyoverChoice"), 0);
    EXPECT_EQ(number("Params", "PrefFontChoice"), 2);
    EXPECT_EQ(number("Params", "TransFilter"), 33);
    EXPECT_EQ(number("Params", "CurSelectorIndex"), 7);
    EXPECT_EQ(number("Params", "UserCount"), 1);
    EXPECT_EQ(settings.texts.at({"Params", "BackgroundFilename"}), "Paper.bmp");
}

// A collection of megabytes goes through the paths that small files never reach: the two files
// read side by side with thousands of revisions and shared contexts, and the user file written a
// block at a time while the next block is formatted. Saved unchanged, it comes back byte for byte.
TEST_F(StoreTest, LargeCollectionSavesBackByteForByte) {
    SyntheticCollectionOptions options;
    options.baselineCount = 2000;
    options.userCount = 4000;
    options.revisedCount = 1000;
    options.statsCount = 3000;
    SyntheticCollectionInfo info;
    std::string error;
    ASSERT_TRUE(WriteSyntheticCollection(dir, options, info, error)) << error;
    const std::string user = Read("RctUser.xml");
    const std::string stats = Read("RctStats.xml");
    ASSERT_GT(user.size(), 3u << 20); // several blocks

    ASSERT_EQ(Load(), Status::Ok);
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(store->PassageCount(), info.passageCount);
    EXPECT_EQ(store->BaselineCount(), options.baselineCount - options.revisedCount);
    for (int i = 1; i < store->PassageCount(); ++i)
        ASSERT_LT(static_cast<std::uint32_t>(store->Passage(i - 1).SortKey()),
                  static_cast<std::uint32_t>(store->Passage(i).SortKey()));
    // A user passage revised without a change marks the user file without changing it.
    int userPassage = 0;
    while (store->Passage(userPassage).baseline == 1)
        ++userPassage;
    ReviseUnchanged(userPassage);
    ASSERT_EQ(store->SaveAll(), Status::Ok);
    EXPECT_TRUE(Read("RctUser.xml") == user);
    EXPECT_TRUE(Read("RctStats.xml") == stats);
}
