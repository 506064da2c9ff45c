// Files are replaced only when complete, and the statistics and user files only together; the
// line reader streams lines of any length and either line break.

#include "LineReader.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char* const kStatsCaption = "Recitor Cannot write Stats file";
const char* const kUserCaption = "Recitor Cannot write User file";

} // namespace

class AtomicTest : public StoreTest {
protected:
    void SetUp() override { LoadJohn(); }

    // Runs SaveAll in a child process whose files may not grow beyond limit bytes; the child
    // exits with 0 when the save failed with exactly one message of the given caption.
    int SaveWithFileSizeLimit(rlim_t limit, const std::string& caption) {
        const pid_t child = ::fork();
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN); // a write beyond the limit then fails with EFBIG
            const rlimit small{limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &small);
            const bool asExpected = store->SaveAll() == Status::Fatal && sink.shown.size() == 1 &&
                                    sink.shown[0].caption == caption;
            ::_exit(asExpected ? 0 : 1);
        }
        int status = -1;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
};

TEST_F(AtomicTest, UnreplaceableUserFileKeepsTheOldStatisticsToo) {
    auto added = std::make_unique<CPassage>();
    added->SetAll(54003016, 3, 1, 1, 0, 4, 0, 2, 18, 9, 3, "16 x", "540030163_");
    added->freq = 0;
    ASSERT_TRUE(store->AddPassage(added));
    std::filesystem::remove(dir / "RctUser.xml");
    std::filesystem::create_directory(dir / "RctUser.xml");
    Write("RctUser.xml/keep", "x");
    const DirSnapshot before = Snapshot();

    EXPECT_EQ(store->SaveAll(), Status::Fatal);
    ExpectOneMessage(kUserCaption, "Unable to open User xml file for writing", MsgIcon::Error);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_TRUE(settings.writes.empty()); // a failed save stops before the settings
}

TEST_F(AtomicTest, UnreplaceableStatisticsFile) {
    std::filesystem::remove(dir / "RctStats.xml");
    std::filesystem::create_directory(dir / "RctStats.xml");
    const DirSnapshot before = Snapshot();
    EXPECT_EQ(store->SaveAll(), Status::Fatal);
    ExpectOneMessage(kStatsCaption, "Unable to open Stats xml file for writing", MsgIcon::Error);
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(AtomicTest, WriteFailureLeavesThePreviousFilesAndNoTemporaryFiles) {
    const DirSnapshot before = Snapshot();
    EXPECT_EQ(SaveWithFileSizeLimit(64, kStatsCaption), 0);
    EXPECT_EQ(Snapshot(), before);

    store->MarkRevised(store->Passage(16));
    EXPECT_EQ(SaveWithFileSizeLimit(64, kUserCaption), 0);
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(StoreTest, LineReaderHandlesBothBreaksAndLongLines) {
    const std::string longLine(600000, 'q'); // longer than the reader's buffer
    Write("lines.txt", "a\r\nb\n\r\n" + longLine + "\r\nlast");
    CLineReader reader;
    ASSERT_TRUE(reader.Open(dir / "lines.txt"));
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.ReadLine(line))
        lines.emplace_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "", longLine, "last"}));
    EXPECT_FALSE(reader.ReadLine(line));
    EXPECT_TRUE(line.empty());
    EXPECT_FALSE(reader.Open(dir / "none.txt"));
}
