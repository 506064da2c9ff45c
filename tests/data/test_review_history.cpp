// SPDX-License-Identifier: GPL-2.0-or-later
// The review history: what is recorded comes back after a reopen, older databases are brought up
// to date and newer ones left alone, and a damaged, locked or unwritable database or a kill while
// recording never costs more than the review features of one run or the one event.

#include "ReviewHistory.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const kCaption = "Recitor Review History";

// A connection of another program: the statement's rows, their columns joined by "|", a line each.
std::string Query(const fs::path& file, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string rows;
    sqlite3_open(file.c_str(), &db);
    sqlite3_exec(
        db, sql.c_str(),
        [](void* out, int count, char** values, char**) {
            auto& text = *static_cast<std::string*>(out);
            for (int i = 0; i < count; ++i)
                text += std::string(i ? "|" : "") + (values[i] ? values[i] : "NULL");
            text += "\n";
            return 0;
        },
        &rows, nullptr);
    sqlite3_close(db);
    return rows;
}

ReviewEvent Review(std::int64_t when, std::uint32_t key, ReviewResult result, int percent = -1) {
    ReviewEvent event;
    event.when = when;
    event.matchKey = key;
    event.kind = percent >= 0 ? ReviewKind::TypedCheck : ReviewKind::SelfGraded;
    event.result = result;
    event.percent = percent;
    event.chosenProg = 2;
    event.seconds = 40;
    return event;
}

bool Same(const ReviewEvent& a, const ReviewEvent& b) {
    return a.when == b.when && a.matchKey == b.matchKey && a.kind == b.kind &&
           a.result == b.result && a.percent == b.percent && a.chosenProg == b.chosenProg &&
           a.seconds == b.seconds;
}

int ExitOf(pid_t child) {
    int status = -1;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

class ReviewHistoryTest : public StoreTest {
protected:
    fs::path File() const { return dir / CReviewHistory::kFile; }
    std::unique_ptr<CReviewHistory> Open() { return std::make_unique<CReviewHistory>(sink, dir); }
    // Fills a new history quickly, in one transaction, with count reviews of one passage.
    void Fill(int count) {
        Open().reset();
        std::string sql = "BEGIN;";
        for (int i = 0; i < count; ++i)
            sql += "INSERT INTO reviews(at, match_key, kind, result, percent, chosen_prog, "
                   "seconds) VALUES (" +
                   std::to_string(1000 + i) + ", 7, 0, 2, -1, 1, 30);";
        Query(File(), sql + "COMMIT;");
    }
    void ExpectOneMessageContaining(const std::string& words) const {
        ASSERT_EQ(sink.shown.size(), 1u);
        EXPECT_EQ(sink.shown[0].caption, kCaption);
        EXPECT_NE(sink.shown[0].text.find(words), std::string::npos) << sink.shown[0].text;
    }
};

TEST_F(ReviewHistoryTest, RecordsComeBackAfterReopenInOrder) {
    const ReviewEvent first = Review(5000, 11, ReviewResult::NotYet);
    const ReviewEvent second = Review(5000, 11, ReviewResult::Recalled, 97); // same second, later
    const ReviewEvent other = Review(90000, 12, ReviewResult::WithHelp);
    {
        auto history = Open();
        ASSERT_TRUE(history->Available());
        EXPECT_TRUE(history->Record(first));
        EXPECT_TRUE(history->Record(other));
        EXPECT_TRUE(history->Record(second));
        EXPECT_TRUE(history->RecordChange({7000, 11, ChangeWhat::Frequency, 3, 0}));
        EXPECT_TRUE(history->RecordChange({6000, 11, ChangeWhat::Progress, 1, 2}));
    }
    auto history = Open();
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(history->LastReview(11), 5000);
    EXPECT_EQ(history->LastReview(12), 90000);
    EXPECT_FALSE(history->LastReview(13).has_value());

    const std::vector<ReviewEvent> recent = history->RecentReviews(11, 5);
    ASSERT_EQ(recent.size(), 2u);
    EXPECT_TRUE(Same(recent[0], second));
    EXPECT_TRUE(Same(recent[1], first));
    EXPECT_EQ(history->RecentReviews(11, 1).size(), 1u);

    const std::vector<ReviewEvent> day = history->ReviewsBetween(0, 86400);
    ASSERT_EQ(day.size(), 2u);
    EXPECT_TRUE(Same(day[0], first));
    EXPECT_EQ(history->ReviewsBetween(86400, 2 * 86400).size(), 1u);

    const std::vector<StateChange> changes = history->Changes();
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].when, 6000);
    EXPECT_EQ(changes[0].what, ChangeWhat::Progress);
    EXPECT_EQ(changes[0].newValue, 2);
    EXPECT_EQ(changes[1].what, ChangeWhat::Frequency);
    EXPECT_EQ(changes[1].oldValue, 3);
    // A progress change leaves the passage in its class.
    EXPECT_EQ(history->ClassSince(11), 7000);
    EXPECT_EQ(history->ClassSince(12), 0);
    history.reset();

    // Other programs read it with the command-line tool.
    if (std::system("command -v sqlite3 >/dev/null") != 0)
        GTEST_SKIP() << "the sqlite3 tool is not installed";
    std::FILE* tool = ::popen(("sqlite3 '" + File().string() +
                               "' 'PRAGMA journal_mode; PRAGMA user_version; SELECT match_key, "
                               "result, percent FROM reviews ORDER BY id'")
                                  .c_str(),
                              "r");
    ASSERT_NE(tool, nullptr);
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, tool))
        output += buffer;
    EXPECT_EQ(::pclose(tool), 0);
    EXPECT_EQ(output, "wal\n2\n11|0|-1\n12|1|-1\n11|2|97\n");
}

TEST_F(ReviewHistoryTest, OlderVersionsAreUpgradedNewerOnesLeftAlone) {
    Write(CReviewHistory::kFile, ""); // an empty file is an empty database of version 0
    {
        auto history = Open();
        ASSERT_TRUE(history->Available());
        EXPECT_TRUE(history->Record(Review(100, 1, ReviewResult::Recalled)));
    }
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(Query(File(), "PRAGMA user_version"), "2\n");

    Query(File(), "PRAGMA user_version=3; CREATE TABLE later(x)");
    const DirSnapshot before = Snapshot();
    auto history = Open();
    EXPECT_FALSE(history->Available());
    EXPECT_FALSE(history->Record(Review(200, 1, ReviewResult::Recalled)));
    EXPECT_FALSE(history->LastReview(1).has_value());
    history.reset();
    ExpectOneMessageContaining("newer version of Recitor (history version 3; this version reads "
                               "up to 2)");
    EXPECT_EQ(Snapshot(), before);
}

// A database of version 1, made here as that version made it, with reviews in several periods of
// the charts' summary and one period shared by two passages: the upgrade summarises them all, and
// what is recorded after it joins them.
TEST_F(ReviewHistoryTest, VersionOneDatabaseIsBroughtUpWithEveryReviewInTheChartsSummary) {
    Query(File(),
          "PRAGMA journal_mode=WAL;"
          "CREATE TABLE reviews(id INTEGER PRIMARY KEY, at INTEGER NOT NULL, match_key INTEGER "
          "NOT NULL, kind INTEGER NOT NULL, result INTEGER NOT NULL, percent INTEGER NOT NULL, "
          "chosen_prog INTEGER NOT NULL, seconds INTEGER NOT NULL) STRICT;"
          "CREATE INDEX reviews_by_passage ON reviews(match_key, at);"
          "CREATE INDEX reviews_by_time ON reviews(at);"
          "CREATE TABLE last_reviews(match_key INTEGER PRIMARY KEY, at INTEGER NOT NULL) STRICT;"
          "CREATE TRIGGER reviews_keep_last AFTER INSERT ON reviews BEGIN INSERT INTO "
          "last_reviews(match_key, at) VALUES (NEW.match_key, NEW.at) ON CONFLICT(match_key) DO "
          "UPDATE SET at = max(at, excluded.at); END;"
          "CREATE TABLE changes(id INTEGER PRIMARY KEY, at INTEGER NOT NULL, match_key INTEGER "
          "NOT NULL, what INTEGER NOT NULL, old_value INTEGER NOT NULL, new_value INTEGER NOT "
          "NULL) STRICT;"
          "INSERT INTO reviews(at, match_key, kind, result, percent, chosen_prog, seconds) VALUES"
          " (1700000000, 4294967295, 0, 2, -1, 3, 20), (1700000001, 11, 1, 0, 40, 1, 90),"
          " (1700200000, 11, 0, 1, -1, 2, 30), (1600000000, 12, 2, 2, -1, 0, 5);"
          "INSERT INTO changes(at, match_key, what, old_value, new_value) VALUES"
          " (1700000002, 11, 1, 3, 0);"
          "PRAGMA user_version=1;");
    const auto moments = [](CReviewHistory& history) {
        std::vector<std::pair<std::int64_t, std::uint32_t>> pairs;
        for (const ReviewMoment& moment : history.ReviewMoments())
            pairs.emplace_back(moment.when, moment.matchKey);
        std::sort(pairs.begin(), pairs.end());
        return pairs;
    };
    {
        auto history = Open();
        ASSERT_TRUE(history->Available());
        EXPECT_EQ(history->LastReview(11), 1700200000);
        EXPECT_EQ(history->ClassSince(11), 1700000002);
        EXPECT_EQ(history->RecentReviews(11, 5).size(), 2u);
        EXPECT_EQ(
            moments(*history),
            (std::vector<std::pair<std::int64_t, std::uint32_t>>{
                {1600000000, 12}, {1700000000, 4294967295}, {1700000001, 11}, {1700200000, 11}}));
        EXPECT_TRUE(history->Record(Review(1700000005, 12, ReviewResult::Recalled)));
    }
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(Query(File(), "PRAGMA user_version"), "2\n");
    auto history = Open();
    EXPECT_EQ(moments(*history).size(), 5u);
    EXPECT_EQ(moments(*history)[2], (std::pair<std::int64_t, std::uint32_t>{1700000001, 11}));
    EXPECT_EQ(moments(*history)[3], (std::pair<std::int64_t, std::uint32_t>{1700000005, 12}));
    EXPECT_EQ(history->LastReview(12), 1700000005);
}

TEST_F(ReviewHistoryTest, DamagedDatabaseIsKeptAsideNeverOverwritten) {
    Write("RctHistory.sqlite.damaged", "kept earlier");
    Write(CReviewHistory::kFile, std::string(8192, 'x')); // not a database
    Write("RctHistory.sqlite-wal", "its log");
    {
        auto history = Open();
        ASSERT_TRUE(history->Available());
        EXPECT_TRUE(history->Record(Review(100, 1, ReviewResult::Recalled)));
    }
    ExpectOneMessageContaining("was damaged. It was kept as RctHistory.sqlite.damaged-2 and a new "
                               "review history begun.");
    EXPECT_EQ(Read("RctHistory.sqlite.damaged"), "kept earlier");
    EXPECT_EQ(Read("RctHistory.sqlite.damaged-2"), std::string(8192, 'x'));
    EXPECT_EQ(Read("RctHistory.sqlite.damaged-2-wal"), "its log");

    // A database whose pages are damaged inside, after a run that ended without closing it
    // (its log left): the quick check at open finds it.
    sink.shown.clear();
    fs::remove(File());
    Fill(3000);
    std::string bytes = Read(CReviewHistory::kFile);
    ASSERT_GT(bytes.size(), 16 * 4096u);
    bytes.replace(11 * 4096, 4096, std::string(4096, '\xab'));
    Write(CReviewHistory::kFile, bytes);
    sqlite3* unclosed = nullptr;
    sqlite3_open(File().c_str(), &unclosed);
    sqlite3_db_config(unclosed, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    ASSERT_EQ(sqlite3_exec(unclosed, "INSERT INTO changes VALUES (1, 5, 7, 0, 1, 2)", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(unclosed);
    const std::string log = Read("RctHistory.sqlite-wal");
    ASSERT_FALSE(log.empty());
    auto history = Open();
    EXPECT_TRUE(history->Available());
    EXPECT_FALSE(history->LastReview(7).has_value());
    ExpectOneMessageContaining("kept as RctHistory.sqlite.damaged-3 ");
    EXPECT_TRUE(Read("RctHistory.sqlite.damaged-3") == bytes);
    EXPECT_TRUE(Read("RctHistory.sqlite.damaged-3-wal") == log);
}

TEST_F(ReviewHistoryTest, DatabaseLockedByAnotherCopyTurnsReviewsOffForTheRun) {
    Fill(1);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(File().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(other, "BEGIN EXCLUSIVE; DELETE FROM reviews", nullptr, nullptr, nullptr),
        SQLITE_OK);
    const auto start = std::chrono::steady_clock::now();
    auto history = Open();
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    EXPECT_FALSE(history->Available());
    EXPECT_FALSE(history->Record(Review(100, 1, ReviewResult::Recalled)));
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    ExpectOneMessageContaining("RctHistory.sqlite is in use by another copy of Recitor.\nThe "
                               "review features are off until Recitor is started again.");
}

// Files may not grow beyond a limit in the child (a full disk fails the same way): the events
// that no longer fit are lost, the user is told once, and what came before stays.
TEST_F(ReviewHistoryTest, WriteFailureLosesOnlyThatEventAndIsToldOnce) {
    Fill(1);
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        CReviewHistory history(sink, dir);
        const rlim_t limit = 40000; // room for the log of a few events
        const rlimit small{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &small);
        int recorded = 0;
        for (int i = 0; i < 40; ++i)
            recorded += history.Record(Review(2000 + i, 8, ReviewResult::Recalled)) ? 1 : 0;
        const bool told =
            sink.shown.size() == 1 && sink.shown[0].text.rfind("A review could not be recorded in "
                                                               "RctHistory.sqlite: ",
                                                               0) == 0;
        const bool remembered = history.LastReview(8) == 2000 + recorded - 1;
        ::_exit(told && remembered && recorded > 0 && recorded < 40 ? recorded : 255);
    }
    const int recorded = ExitOf(child);
    ASSERT_LT(recorded, 40);
    auto history = Open();
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(history->RecentReviews(8, 100).size(), static_cast<std::size_t>(recorded));
    EXPECT_EQ(history->LastReview(7), 1000);
}

TEST_F(ReviewHistoryTest, KillWhileRecordingLeavesEveryEventWholeOrAbsent) {
    Fill(0);
    const pid_t child = ::fork();
    if (child == 0) {
        CReviewHistory history(sink, dir);
        for (int i = 0;; ++i) {
            ReviewEvent event = Review(i, static_cast<std::uint32_t>(i % 50),
                                       static_cast<ReviewResult>(i % 3), i % 101);
            event.seconds = i;
            history.Record(event);
            history.RecordChange({i, event.matchKey, ChangeWhat::Progress, i, i + 1});
        }
    }
    for (int wait = 0; wait < 500 && Query(File(), "SELECT count(*) >= 30 FROM reviews") != "1\n";
         ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ::kill(child, SIGKILL);
    EXPECT_EQ(ExitOf(child), 128 + SIGKILL);

    auto history = Open();
    EXPECT_TRUE(history->Available());
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(Query(File(), "PRAGMA integrity_check"), "ok\n");
    const std::vector<ReviewEvent> reviews = history->ReviewsBetween(0, 1 << 30);
    const std::vector<StateChange> changes = history->Changes();
    ASSERT_GE(reviews.size(), 30u);
    ASSERT_GE(changes.size() + 1, reviews.size());
    ASSERT_LE(changes.size(), reviews.size());
    EXPECT_EQ(history->LastReview(reviews.back().matchKey), reviews.back().when);
    // The charts' summary holds exactly the reviews recorded.
    std::vector<ReviewMoment> moments = history->ReviewMoments();
    ASSERT_EQ(moments.size(), reviews.size());
    std::sort(moments.begin(), moments.end(),
              [](const ReviewMoment& a, const ReviewMoment& b) { return a.when < b.when; });
    for (std::size_t i = 0; i < reviews.size(); ++i)
        EXPECT_TRUE(moments[i].when == reviews[i].when &&
                    moments[i].matchKey == reviews[i].matchKey)
            << i;
    for (std::size_t i = 0; i < reviews.size(); ++i) {
        const int n = static_cast<int>(i);
        ReviewEvent expected = Review(n, static_cast<std::uint32_t>(n % 50),
                                      static_cast<ReviewResult>(n % 3), n % 101);
        expected.seconds = n;
        EXPECT_TRUE(Same(reviews[i], expected)) << i;
        if (i < changes.size()) {
            EXPECT_TRUE(changes[i].when == n && changes[i].oldValue == n &&
                        changes[i].newValue == n + 1 && changes[i].matchKey == expected.matchKey)
                << i;
        }
    }
}
