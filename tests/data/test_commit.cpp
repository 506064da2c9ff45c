// SPDX-License-Identifier: GPL-2.0-or-later
// The statistics and user files, and the handheld export saved with them, change together, even
// when the program is killed between any two file operations of a save; a save that fails says why;
// no file is made to hold more passages than the next start accepts.

#include "JointCommit.h"
#include "RefTables.h"
#include "SyntheticCollection.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const kRecord = "RctSave.pending";

// The files a save puts in place together (an export not there reads as empty).
struct SavedFiles {
    std::string user;
    std::string stats;
    std::string exported;
    bool operator==(const SavedFiles&) const = default;
};

} // namespace

class CommitTest : public StoreTest {
protected:
    void SetUp() override { LoadJohn(); }

    SavedFiles Saved() const {
        return {Read("RctUser.xml"), Read("RctStats.xml"), Read("PpcXport.txt")};
    }

    // Puts the directory back as snapshot has it.
    void Restore(const DirSnapshot& snapshot) const {
        for (const auto& entry : fs::directory_iterator(dir))
            fs::remove_all(entry.path());
        for (const auto& [name, bytes] : snapshot)
            Write(name, bytes);
    }

    // The changes that make a pair of files the old statistics cannot stand beside: an active
    // passage deleted (John 3:15), one added and made active, and a class changed.
    void Change() const {
        ASSERT_TRUE(store->Remove(15));
        auto added = NewJohn16(3);
        const int index = store->Add(added);
        ASSERT_GE(index, 0);
        ASSERT_TRUE(store->SetFrequency(index, 1));
        store->SetProgress(index, 2);
        ASSERT_TRUE(store->SetFrequency(0, 2));
    }

    // Saves the changes in a child process that is killed after file operation number stopAt of
    // the commit. True when it was killed there, false when the save ended before.
    bool SaveKilledAt(int stopAt) {
        const pid_t child = ::fork();
        if (child == 0) {
            Change();
            int step = 0;
            store->SetCommitStepHook([&] {
                if (step++ == stopAt)
                    ::raise(SIGKILL);
            });
            ::_exit(store->SaveAll() == Status::Ok ? 0 : 1);
        }
        int status = -1;
        ::waitpid(child, &status, 0);
        if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            return true;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        return false;
    }

    // The next start: the files load without a word, and the leftovers are cleared.
    void Start() {
        sink.shown.clear();
        ASSERT_EQ(Load(), Status::Ok);
        EXPECT_TRUE(sink.shown.empty()) << sink.shown[0].caption << ": " << sink.shown[0].text;
        store->RemoveLeftoverTemporaries();
    }

    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& [name, bytes] : Snapshot())
            names.insert(name);
        return names;
    }
};

// Killed after each step of the commit, the next start finds the old files up to the moment the
// record of the new ones is in place, and all the new ones (user, statistics and export) from then
// on; never a mixture, never a temporary file or record left behind.
TEST_F(CommitTest, KilledAtEveryStepTheNextStartLoadsTheOldOrTheNewPair) {
    const DirSnapshot original = Snapshot();
    const SavedFiles oldFiles = Saved();
    const std::set<std::string> oldNames = Names();
    ASSERT_FALSE(SaveKilledAt(-1));
    const SavedFiles newFiles = Saved();
    const std::set<std::string> names = Names();
    ASSERT_NE(newFiles.user, oldFiles.user);
    ASSERT_NE(newFiles.stats, oldFiles.stats);
    ASSERT_NE(newFiles.exported, oldFiles.exported); // the changes made the export due

    std::vector<std::string> outcomes;
    for (int stopAt = 0; stopAt < 20; ++stopAt) {
        Restore(original);
        ASSERT_EQ(Load(), Status::Ok);
        if (!SaveKilledAt(stopAt))
            break;
        Start();
        const SavedFiles found = Saved();
        outcomes.push_back(found == oldFiles ? "old" : found == newFiles ? "new" : "mixed");
        EXPECT_EQ(Names(), found == oldFiles ? oldNames : names)
            << "after a kill at step " << stopAt;
    }
    // Before the record is written, once it is written, after each of the three renames and
    // after the record is removed.
    EXPECT_EQ(outcomes,
              (std::vector<std::string>{"old", "old", "new", "new", "new", "new", "new"}));
}

// A record in place is completed at the next start from the temporary files it names; a record
// that is not one of ours, or names files other than temporary files, changes nothing else and
// goes.
TEST_F(CommitTest, StartCompletesARecordAndIgnoresOneThatIsNotOurs) {
    const std::string stats = StatsFile({StatsLine("540030168\"", 4, 0)});
    Write("RctStats.xml.tmp-0123abcd", stats);
    const std::string temp = (dir / "RctStats.xml.tmp-0123abcd").string();
    const std::string gone = (dir / "RctUser.xml.tmp-89abcdef").string(); // already in place
    Write(kRecord, "Recitor save record\r\n" + std::to_string(gone.size()) + " " + gone + "\r\n" +
                       std::to_string(temp.size()) + " " + temp + "\r\nend\r\n");
    Start();
    EXPECT_EQ(Read("RctStats.xml"), stats);
    EXPECT_FALSE(Exists(kRecord));
    EXPECT_EQ(store->Passage(16).prog, 4);
    EXPECT_EQ(store->StatsCount(), 1);

    const std::string info = Read("RctInfo.xml");
    const DirSnapshot before = Snapshot();
    for (const std::string record :
         {"Recitor save record\r\n",                                        // cut before its end
          "Recitor save record\r\n11 RctInfo.xml\r\nend\r\n",               // not a temporary file
          "Recitor save record\r\n99 RctStats.xml.tmp-0123abcd\r\nend\r\n", // wrong length
          "something else\r\nend\r\n"}) {
        Write("RctStats.xml.tmp-0123abcd", "not ours to put in place");
        Write(kRecord, record);
        Start();
        EXPECT_EQ(Snapshot(), before) << record;
    }
    EXPECT_EQ(Read("RctInfo.xml"), info);
}

// A failed rename says so with the system's reason. Failing at the first file, it leaves the old
// pair; failing at the second, the record stays, the next start cannot complete it while the
// cause remains (and says why), and completes it once the cause is gone.
TEST_F(CommitTest, FailedRenamesAreNamedAndTheRecordIsCompletedOnceTheyCan) {
    ReviseUnchanged(17);
    const DirSnapshot before = Snapshot();
    store->SetCommitStepHook([this, step = 0]() mutable {
        if (step++ == 2) { // the record is in place: the user file is next
            fs::remove(dir / "RctUser.xml");
            fs::create_directory(dir / "RctUser.xml");
        }
    });
    DirSnapshot expected = before;
    expected["RctUser.xml"] = "<dir>";
    EXPECT_EQ(store->SaveAll(), Status::Fatal);
    ExpectOneMessage("Recitor Cannot write User file",
                     "Unable to replace User xml file: Is a directory", MsgIcon::Error);
    EXPECT_EQ(Snapshot(), expected);
    fs::remove(dir / "RctUser.xml");
    Write("RctUser.xml", before.at("RctUser.xml"));

    sink.shown.clear();
    store->SetCommitStepHook([this, step = 0]() mutable {
        if (step++ == 3) { // the user file is in place: the statistics file is next
            fs::remove(dir / "RctStats.xml");
            fs::create_directory(dir / "RctStats.xml");
        }
    });
    EXPECT_EQ(store->SaveAll(), Status::Fatal);
    ExpectOneMessage("Recitor Cannot write Stats file",
                     "Unable to replace Stats xml file: Is a directory", MsgIcon::Error);
    EXPECT_TRUE(Exists(kRecord));

    sink.shown.clear();
    EXPECT_EQ(Load(), Status::Fatal);
    ExpectOneMessage("Recitor Cannot complete save",
                     "The last save was interrupted and cannot be completed. Unable to replace " +
                         (dir / "RctStats.xml").string() + ": Is a directory",
                     MsgIcon::Error);
    fs::remove(dir / "RctStats.xml");
    Start();
    EXPECT_FALSE(Exists(kRecord));
    EXPECT_EQ(store->Passage(15).freq, 1); // the statistics came through
    EXPECT_EQ(store->Passage(17).baseline, false);
}

// A record that cannot be read may be a whole one: it stays, with the files it may name, for a
// start that can read it, and this start ends saying why; the clean-up of leftovers keeps them.
TEST_F(CommitTest, RecordThatCannotBeReadStaysWithItsFiles) {
    fs::create_directory(dir / kRecord);
    Write("RctStats.xml.tmp-0123abcd", "new statistics");
    ExpectFatal("Recitor Cannot complete save",
                "The last save was interrupted and cannot be completed. Unable to read " +
                    (dir / kRecord).string() + ": Is a directory");
    store->RemoveLeftoverTemporaries();
    EXPECT_EQ(Read("RctStats.xml.tmp-0123abcd"), "new statistics");
}

// Another copy clears leftovers while a save is between its renames: the clean-up waits for the
// save, whose files all go in place, and the next start loads them.
TEST_F(CommitTest, ClearingLeftoversWaitsForASaveUnderWay) {
    Change();
    std::atomic<bool> cleared = false;
    std::thread otherCopy;
    store->SetCommitStepHook([&, step = 0]() mutable {
        if (step++ != 3) // the record and the first file are in place
            return;
        otherCopy = std::thread([&] {
            CPassageStore(sink, settings, clock, dir).RemoveLeftoverTemporaries();
            cleared = true;
        });
        for (int wait = 0; wait < 50 && !cleared; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_FALSE(cleared);
    });
    EXPECT_EQ(store->SaveAll(), Status::Ok);
    otherCopy.join();
    EXPECT_TRUE(cleared);
    EXPECT_TRUE(sink.shown.empty()) << sink.shown[0].text;
    const SavedFiles saved = Saved();
    Start();
    EXPECT_EQ(Saved(), saved);
    EXPECT_EQ(store->Passage(0).freq, 2);
}

// A temporary file beside a linked file's target lies in another directory than the record: its
// directory entry is made durable before the record can name it, as that of the record's own.
TEST_F(StoreTest, CommitSyncsTheDirectoryOfEveryTemporaryFileBeforeTheRecord) {
    fs::create_directory(dir / "kept");
    Write("kept/user.xml", "old user");
    fs::create_symlink("kept/user.xml", dir / "RctUser.xml");
    Write("RctStats.xml", "old statistics");
    CJointCommit commit(dir / kRecord);
    CAtomicFile user;
    CAtomicFile stats;
    for (auto [file, name] : {std::pair{&user, "RctUser.xml"}, std::pair{&stats, "RctStats.xml"}}) {
        ASSERT_TRUE(file->Open(dir / name));
        file->Append("new");
        ASSERT_TRUE(file->Finish());
    }
    std::vector<fs::path> synced; // before the record was in place
    commit.SetSyncHook([&](const fs::path& directory) {
        if (!Exists(kRecord))
            synced.push_back(fs::canonical(directory));
    });
    CAtomicFile* const files[] = {&user, &stats};
    ASSERT_TRUE(commit.Commit(files));
    EXPECT_EQ(synced, (std::vector<fs::path>{fs::canonical(dir / "kept"), fs::canonical(dir)}));
    EXPECT_EQ(Read("kept/user.xml"), "new");
    EXPECT_EQ(Read("RctStats.xml"), "new");
}

// ---------------------------------------------------------------------------------------------
// The limits of the files

class LimitTest : public StoreTest {
protected:
    // A collection whose files hold baselineCount, userCount passages and activeCount
    // statistics lines.
    void LoadCollection(int baselineCount, int userCount, int activeCount) {
        SyntheticCollectionOptions options;
        options.baselineCount = baselineCount;
        options.revisedCount = 1000;
        options.userCount = userCount;
        options.statsCount = activeCount;
        SyntheticCollectionInfo info;
        std::string error;
        ASSERT_TRUE(WriteSyntheticCollection(dir, options, info, error)) << error;
        ASSERT_EQ(Load(), Status::Ok);
        ASSERT_TRUE(sink.shown.empty());
        ASSERT_EQ(store->UserCount(), userCount);
        ASSERT_EQ(store->StatsCount(), activeCount);
    }

    int FirstWhere(bool baseline, bool active) const {
        for (int i = 0; i < store->PassageCount(); ++i)
            if (store->Passage(i).baseline == baseline &&
                (store->Passage(i).freq != kFreqInactive) == active)
                return i;
        ADD_FAILURE() << "no such passage";
        return 0;
    }

    // A new passage the collection does not hold (a verse of Jude in translation 33).
    std::unique_ptr<CPassage> NewPassage() const {
        for (int verse = 1;; ++verse) {
            auto passage = NewJohn16(33);
            CPassage::Values values = passage->GetValues();
            values.key = 65001000 + static_cast<std::uint32_t>(verse);
            values.keyText = std::to_string(values.key) + "X_";
            passage->SetAll(values);
            if (store->Find(passage->MatchKey()) < 0)
                return passage;
        }
    }
};

TEST_F(LimitTest, UserFileTakesItsLastPassageAndRefusesTheNext) {
    LoadCollection(3000, 14999, 100);
    auto passage = NewPassage();
    ASSERT_GE(store->Add(passage), 0);
    EXPECT_EQ(store->UserCount(), 15000);
    ASSERT_EQ(store->SaveAll(), Status::Ok);

    ASSERT_EQ(Load(), Status::Ok); // a full user file loads
    EXPECT_TRUE(sink.shown.empty());
    const int count = store->PassageCount();
    auto another = NewPassage();
    EXPECT_EQ(store->Add(another), -1);
    ASSERT_TRUE(another);
    const std::string fullText = "RctUser.xml already holds 15000 passages, the most it can hold. "
                                 "Delete some of your own passages before adding another one or "
                                 "revising one of the bundled passages.";
    ExpectOneMessage("Recitor Too Many Passages", fullText, MsgIcon::Warning);
    // Revising a bundled passage would move it into the user file: refused the same way, while
    // the user's own passages can still be revised.
    sink.shown.clear();
    const int bundled = FirstWhere(true, false);
    const CPassage::Values values = store->Passage(bundled).GetValues();
    EXPECT_EQ(store->Revise(bundled, values), -1);
    ExpectOneMessage("Recitor Too Many Passages", fullText, MsgIcon::Warning);
    EXPECT_EQ(store->Passage(bundled).baseline, true);
    EXPECT_FALSE(store->UserFileChanged());
    EXPECT_FALSE(store->ExportDue());
    EXPECT_EQ(store->PassageCount(), count);
    sink.shown.clear();
    const int own = FirstWhere(false, false);
    EXPECT_GE(store->Revise(own, store->Passage(own).GetValues()), 0);
    EXPECT_TRUE(sink.shown.empty());
    // Deleting one of them makes room again.
    ASSERT_TRUE(store->Remove(FirstWhere(false, false)));
    EXPECT_GE(store->Add(another), 0);
    ASSERT_EQ(store->SaveAll(), Status::Ok);
    EXPECT_EQ(Load(), Status::Ok);
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(store->UserCount(), 15000);
}

TEST_F(LimitTest, StatisticsFileTakesItsLastActivePassageAndRefusesTheNext) {
    LoadCollection(15000, 5000, 14999);
    ASSERT_TRUE(store->SetFrequency(FirstWhere(false, false), 1));
    EXPECT_EQ(store->StatsCount(), 15000);
    ASSERT_EQ(store->SaveAll(), Status::Ok);
    ASSERT_EQ(Load(), Status::Ok); // 15000 statistics lines load, nothing is lost
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(store->StatsCount(), 15000);

    const int inactive = FirstWhere(true, false);
    EXPECT_FALSE(store->SetFrequency(inactive, 0));
    ExpectOneMessage("Recitor Too Many Active Passages",
                     "15000 passages are active, the most RctStats.xml can keep. Set a passage to "
                     "\"Not Started/Inactive\" or delete one before making another one active.",
                     MsgIcon::Warning);
    EXPECT_EQ(store->Passage(inactive).freq, kFreqInactive);
    EXPECT_FALSE(store->ExportDue());
    EXPECT_EQ(store->StatsCount(), 15000);
    // An active passage is reclassed freely; one made inactive makes room.
    sink.shown.clear();
    const int active = FirstWhere(true, true);
    EXPECT_TRUE(store->SetFrequency(active, 2));
    EXPECT_TRUE(store->SetFrequency(active, kFreqInactive));
    EXPECT_TRUE(store->SetFrequency(inactive, 0));
    EXPECT_TRUE(sink.shown.empty());
    // An added passage that comes active counts too.
    auto passage = NewPassage();
    passage->freq = 1;
    EXPECT_EQ(store->Add(passage), -1);
    EXPECT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(store->StatsCount(), 15000);
}
