// SPDX-License-Identifier: GPL-2.0-or-later
// Files are replaced only when complete, and the statistics and user files only together; the
// line reader streams lines of any length and either line break.

#include "AtomicFile.h"
#include "LineReader.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fstream>
#include <iterator>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const kStatsCaption = "Recitor Cannot write Stats file";
const char* const kUserCaption = "Recitor Cannot write User file";
const std::string kStatsText = "Unable to open Stats xml file for writing";
const std::string kUserText = "Unable to open User xml file for writing";
// The system's reason follows the words of an open failure on a line of its own.
const std::string kDenied = "\n: Permission denied";

// Every entry below root, links not followed: a file's bytes, a link's text or "<dir>", and the
// permission bits.
std::map<std::string, std::string> Tree(const fs::path& root) {
    std::map<std::string, std::string> entries;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        const fs::file_status status = entry.symlink_status();
        std::string value;
        if (fs::is_symlink(status))
            value = "-> " + fs::read_symlink(entry.path()).string();
        else if (fs::is_directory(status))
            value = "<dir>";
        else {
            std::ifstream in(entry.path(), std::ios::binary);
            value.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        value += " mode " + std::to_string(static_cast<int>(status.permissions()));
        entries[entry.path().lexically_relative(root).generic_string()] = value;
    }
    return entries;
}

fs::perms Mode(const fs::path& file) {
    return fs::status(file).permissions() & fs::perms::mask;
}

} // namespace

class AtomicTest : public StoreTest {
protected:
    void SetUp() override { LoadJohn(); }

    // Runs SaveAll in a child process whose files may not grow beyond limit bytes; the child
    // exits with 0 when the save failed with exactly the given messages (caption, text).
    int SaveWithFileSizeLimit(rlim_t limit,
                              const std::vector<std::pair<std::string, std::string>>& expected) {
        const pid_t child = ::fork();
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN); // a write beyond the limit then fails with EFBIG
            const rlimit small{limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &small);
            bool asExpected = store->SaveAll() == Status::Fatal;
            std::vector<std::pair<std::string, std::string>> shown;
            for (const ShownMessage& message : sink.shown)
                shown.emplace_back(message.caption, message.text);
            ::_exit(asExpected && shown == expected ? 0 : 1);
        }
        int status = -1;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
};

TEST_F(AtomicTest, UnreplaceableUserFileKeepsTheOldStatisticsToo) {
    auto added = NewJohn16(3);
    added->freq = 0;
    ASSERT_GE(store->Add(added), 0);
    // The export the active passage made due is written first, so that only the two files remain.
    ASSERT_TRUE(store->WriteExport());
    settings.writes.clear();
    std::filesystem::remove(dir / "RctUser.xml");
    std::filesystem::create_directory(dir / "RctUser.xml");
    Write("RctUser.xml/keep", "x");
    const DirSnapshot before = Snapshot();

    EXPECT_EQ(store->SaveAll(), Status::Fatal);
    ExpectOneMessage(kUserCaption, kUserText + "\n: Is a directory", MsgIcon::Error);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_TRUE(settings.writes.empty()); // a failed save stops before the settings
}

TEST_F(AtomicTest, UnreplaceableStatisticsFile) {
    std::filesystem::remove(dir / "RctStats.xml");
    std::filesystem::create_directory(dir / "RctStats.xml");
    const DirSnapshot before = Snapshot();
    EXPECT_EQ(store->SaveAll(), Status::Fatal);
    ExpectOneMessage(kStatsCaption, kStatsText + "\n: Is a directory", MsgIcon::Error);
    EXPECT_EQ(Snapshot(), before);
}

// A file that cannot be written to the end (here: larger than the process may write; a full disk
// takes the same way) is reported with what failed and the system's reason.
TEST_F(AtomicTest, WriteFailureNamesItsReasonAndLeavesThePreviousFiles) {
    const DirSnapshot before = Snapshot();
    EXPECT_EQ(SaveWithFileSizeLimit(
                  64, {{kStatsCaption, "Unable to write Stats xml file: File too large"}}),
              0);
    EXPECT_EQ(Snapshot(), before);

    ReviseUnchanged(17); // inactive: no export falls due
    EXPECT_EQ(SaveWithFileSizeLimit(
                  64, {{kUserCaption, "Unable to write User xml file: File too large"}}),
              0);
    EXPECT_EQ(Snapshot(), before);

    MakeExportDue();
    EXPECT_EQ(SaveWithFileSizeLimit(
                  64, {{"Recitor Cannot write SpecialHandling file",
                        "Unable to write PpcXport.txt file: File too large"},
                       {kUserCaption, "Unable to write User xml file: File too large"}}),
              0);
    EXPECT_EQ(Snapshot(), before);
}

// Files that the working directory links to are replaced where they lie, through chains of links
// with relative and absolute targets; a dangling link gets its file. The links stay as they were.
TEST_F(AtomicTest, LinkedFilesAreReplacedWhereTheyLieAndTheLinksStay) {
    ReviseUnchanged(17); // inactive: no export falls due
    ASSERT_EQ(store->SaveAll(), Status::Ok);
    const std::string stats = Read("RctStats.xml"); // the files as saved without links
    const std::string user = Read("RctUser.xml");

    fs::create_directory(dir / "links");
    fs::create_directory(dir / "kept");
    Write("kept/stats.xml", "old statistics");
    Write("kept/user.xml", "old user passages");
    fs::remove(dir / "RctStats.xml");
    fs::remove(dir / "RctUser.xml");
    // The second link of the chain is relative to its own directory.
    fs::create_symlink("links/stats", dir / "RctStats.xml");
    fs::create_symlink("../kept/stats.xml", dir / "links/stats");
    fs::create_symlink(dir / "kept/user.xml", dir / "RctUser.xml");
    fs::create_symlink("kept/export.txt", dir / "PpcXport.txt");
    MakeExportDue();
    ASSERT_EQ(store->SaveAll(), Status::Ok);
    EXPECT_TRUE(sink.shown.empty());

    const auto tree = Tree(dir);
    std::vector<std::string> names;
    for (const auto& [name, value] : tree)
        names.push_back(name);
    // No temporary file is left anywhere.
    EXPECT_EQ(names,
              (std::vector<std::string>{"PpcXport.txt", "RctInfo.xml", "RctStats.xml",
                                        "RctUser.xml", "kept", "kept/export.txt", "kept/stats.xml",
                                        "kept/user.xml", "links", "links/stats"}));
    EXPECT_EQ(Read("kept/stats.xml"), stats);
    EXPECT_EQ(Read("kept/user.xml"), user);
    EXPECT_EQ(Read("kept/export.txt"), "count= 2 formatversion= 20031126 timestamp=  1700000000\r\n"
                                       "54003016  8  2  0    0    3   13 16 Verse text\r\n"
                                       "54003015  8  1  1    0    3   13 15 Verse text\r\n");
    EXPECT_EQ(fs::read_symlink(dir / "RctStats.xml"), "links/stats");
    EXPECT_EQ(fs::read_symlink(dir / "links/stats"), "../kept/stats.xml");
    EXPECT_EQ(fs::read_symlink(dir / "RctUser.xml"), dir / "kept/user.xml");
    EXPECT_EQ(fs::read_symlink(dir / "PpcXport.txt"), "kept/export.txt");
}

TEST_F(AtomicTest, LinksInACircleAreRefusedLikeAFileThatCannotBeWritten) {
    fs::remove(dir / "RctStats.xml");
    fs::create_symlink("loop", dir / "RctStats.xml");
    fs::create_symlink("RctStats.xml", dir / "loop");
    const auto before = Tree(dir);
    EXPECT_EQ(store->SaveAll(), Status::Fatal);
    ExpectOneMessage(kStatsCaption, kStatsText + "\n: Too many levels of symbolic links",
                     MsgIcon::Error);
    EXPECT_EQ(Tree(dir), before);
}

// A replaced file keeps its permission bits, also where a link leads; a new file gets the mode
// that every new file gets.
TEST_F(AtomicTest, ReplacedFilesKeepTheirPermissionBits) {
    const std::string oldStats = Read("RctStats.xml");
    fs::permissions(dir / "RctStats.xml", fs::perms(0604));
    fs::create_directory(dir / "kept");
    Write("kept/user.xml", Read("RctUser.xml"));
    fs::permissions(dir / "kept/user.xml", fs::perms(0660));
    fs::remove(dir / "RctUser.xml");
    fs::create_symlink("kept/user.xml", dir / "RctUser.xml");
    ReviseUnchanged(17); // inactive: no export falls due
    MakeExportDue();
    ASSERT_EQ(store->SaveAll(), Status::Ok);

    EXPECT_NE(Read("RctStats.xml"), oldStats); // replaced, in store order
    EXPECT_EQ(Mode(dir / "RctStats.xml"), fs::perms(0604));
    EXPECT_EQ(Mode(dir / "kept/user.xml"), fs::perms(0660));
    const mode_t umask = ::umask(0);
    ::umask(umask);
    EXPECT_EQ(Mode(dir / "PpcXport.txt"), fs::perms(0666 & ~umask));
}

// A replaced file stays its owner's and group's (here as the superuser, who may give files to
// anyone), also where a link leads, so that the owner's next save can replace it again.
TEST_F(AtomicTest, ReplacedFilesKeepTheirOwnerAndGroup) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only the superuser may give a file to another user";
    fs::create_directory(dir / "kept");
    Write("kept/user.xml", Read("RctUser.xml"));
    fs::remove(dir / "RctUser.xml");
    fs::create_symlink("kept/user.xml", dir / "RctUser.xml");
    ASSERT_EQ(::chown((dir / "RctStats.xml").c_str(), 4321, 8765), 0);
    ASSERT_EQ(::chown((dir / "kept/user.xml").c_str(), 4322, 8766), 0);
    ReviseUnchanged(17); // inactive: no export falls due
    const std::string oldStats = Read("RctStats.xml");
    ASSERT_EQ(store->SaveAll(), Status::Ok);

    EXPECT_NE(Read("RctStats.xml"), oldStats); // replaced
    struct stat statsFile {};
    struct stat userFile {};
    ASSERT_EQ(::stat((dir / "RctStats.xml").c_str(), &statsFile), 0);
    ASSERT_EQ(::lstat((dir / "kept/user.xml").c_str(), &userFile), 0);
    EXPECT_EQ(statsFile.st_uid, 4321u);
    EXPECT_EQ(statsFile.st_gid, 8765u);
    EXPECT_EQ(userFile.st_uid, 4322u);
    EXPECT_EQ(userFile.st_gid, 8766u);
}

// A file the user made read-only is not replaced behind their back, not even by the superuser,
// for whom every file is writable: the save fails as for a file that cannot be opened for
// writing, and nothing on disk changes.
TEST_F(AtomicTest, WriteProtectedFilesAreRefusedAndNothingChanges) {
    fs::create_directory(dir / "kept");
    Write("kept/user.xml", Read("RctUser.xml"));
    fs::remove(dir / "RctUser.xml");
    fs::create_symlink("kept/user.xml", dir / "RctUser.xml");
    ReviseUnchanged(17); // inactive: no export falls due
    struct Case {
        const char* file;
        fs::perms mode;
        const char* caption;
        std::string text;
    };
    const Case cases[] = {
        {"RctStats.xml", fs::perms(0444), kStatsCaption, kStatsText + kDenied},
        {"RctStats.xml", fs::perms(0400), kStatsCaption, kStatsText + kDenied},
        // The statistics file could be replaced, but not without the user file.
        {"kept/user.xml", fs::perms(0444), kUserCaption, kUserText + kDenied},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        sink.shown.clear();
        fs::permissions(dir / c.file, c.mode);
        const auto before = Tree(dir);
        EXPECT_EQ(store->SaveAll(), Status::Fatal);
        ExpectOneMessage(c.caption, c.text, MsgIcon::Error);
        EXPECT_EQ(Tree(dir), before);
        EXPECT_TRUE(settings.writes.empty());
        fs::permissions(dir / c.file, fs::perms(0644));
    }

    sink.shown.clear();
    Write("PpcXport.txt", "old export");
    fs::permissions(dir / "PpcXport.txt", fs::perms(0444));
    MakeExportDue();
    EXPECT_FALSE(store->WriteExport());
    ExpectOneMessage("Recitor Cannot write SpecialHandling file",
                     "Unable to open PpcXport.txt file for writing" + kDenied, MsgIcon::Error);
    EXPECT_EQ(Read("PpcXport.txt"), "old export");
    EXPECT_TRUE(store->ExportDue());

    // Writable again, the files are saved.
    sink.shown.clear();
    fs::permissions(dir / "PpcXport.txt", fs::perms(0644));
    EXPECT_EQ(store->SaveAll(), Status::Ok);
    EXPECT_TRUE(sink.shown.empty());
}

// At start-up, the temporary files that killed saves left beside the written files (beside the
// files their links name) are removed, and nothing else, however much alike.
TEST_F(StoreTest, LeftoverTemporaryFilesAreRemovedAndNothingElse) {
    fs::create_directory(dir / "kept");
    Write("kept/user.xml", "user");
    fs::create_symlink("kept/user.xml", dir / "RctUser.xml");
    Write("PpcXport.txt", "export");
    // No statistics file: a first save may have been killed before it made one.
    for (const char* name : {"RctStats.xml.tmp-0123abcd", "kept/user.xml.tmp-deadbeef",
                             "PpcXport.txt.tmp-00000000", "PpcXport.txt.tmp-9f9f9f9f"})
        Write(name, "left over");
    const std::vector<std::string> alike = {
        "RctStats.xml.tmp-0123ABCD",  "RctStats.xml.tmp-zz",        "RctStats.xml.tmp-0123abc",
        "RctStats.xml.tmp-0123abcde", "RctStats.xml.tmp-",          "RctStats.xml.bak",
        "RctStats.xml-tmp-0123abcd",  "xRctStats.xml.tmp-0123abcd", "RctInfo.xml.tmp-0123abcd",
        "RctUser.xml.tmp-0123abcd", // named after the link: no save of ours makes it there
        "kept/stats.xml.tmp-0123abcd"};
    for (const std::string& name : alike)
        Write(name, "the user's");
    fs::create_directory(dir / "RctStats.xml.tmp-11111111");
    fs::create_symlink("PpcXport.txt", dir / "PpcXport.txt.tmp-22222222");
    auto expected = Tree(dir);
    for (const char* name : {"RctStats.xml.tmp-0123abcd", "kept/user.xml.tmp-deadbeef",
                             "PpcXport.txt.tmp-00000000", "PpcXport.txt.tmp-9f9f9f9f"})
        ASSERT_EQ(expected.erase(name), 1u) << name;

    CPassageStore(sink, settings, clock, dir).RemoveLeftoverTemporaries();
    EXPECT_EQ(Tree(dir), expected);
    EXPECT_TRUE(sink.shown.empty());
}

// The temporary file of a save killed before its rename is of the pattern that the next start
// removes; the file it was to replace stays as it was.
TEST_F(StoreTest, TemporaryFileOfAKilledSaveIsRemovedAtTheNextStart) {
    Write("RctStats.xml", "old statistics");
    const pid_t child = ::fork();
    if (child == 0) {
        CAtomicFile file;
        const bool written = file.Open(dir / "RctStats.xml") && (file.Append("new"), file.Finish());
        ::_exit(written ? 0 : 1); // ends without discarding, as a killed save would
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const DirSnapshot left = Snapshot();
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(std::prev(left.end())->second, "new");

    CPassageStore(sink, settings, clock, dir).RemoveLeftoverTemporaries();
    EXPECT_EQ(Snapshot(), (DirSnapshot{{"RctStats.xml", "old statistics"}}));
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

// A read that fails is not the end of the file: the lines before it are given, the line it cut
// off is not, and the reader says why it stopped.
TEST_F(StoreTest, LineReaderStopsAtAFailedReadAndSaysWhy) {
    Write("lines.txt", "first\r\nsecond\r\nthird\r\n");
    CLineReader reader;
    reader.SetReadFunction(FailingAfter(10));
    ASSERT_TRUE(reader.Open(dir / "lines.txt"));
    std::string_view line;
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_EQ(line, "first");
    EXPECT_FALSE(reader.ReadLine(line)); // "sec" was read, and then the read failed
    EXPECT_TRUE(line.empty());
    EXPECT_EQ(reader.Error(), EIO);

    EXPECT_FALSE(reader.Open(dir / "none.txt"));
    EXPECT_EQ(reader.Error(), ENOENT);
}

// Saves on two threads at once draw the names of their temporary files independently (a shared
// generator shows as a race under the thread sanitizer).
TEST_F(StoreTest, SavesOnTwoThreadsAtOnceNameTheirTemporaryFilesApart) {
    std::atomic<int> saved = 0;
    const auto save = [&](const std::string& name) {
        for (int i = 0; i < 100; ++i) {
            CAtomicFile file;
            if (file.Open(dir / name) && (file.Append(name), file.Finish()) && file.Commit())
                ++saved;
        }
    };
    std::thread first(save, "first.txt");
    std::thread second(save, "second.txt");
    first.join();
    second.join();
    EXPECT_EQ(saved, 200);
    EXPECT_EQ(Snapshot(), (DirSnapshot{{"first.txt", "first.txt"}, {"second.txt", "second.txt"}}));
}
