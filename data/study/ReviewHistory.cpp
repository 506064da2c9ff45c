// SPDX-License-Identifier: GPL-2.0-or-later
#include "ReviewHistory.h"

#include "AtomicFile.h"
#include "TextFormat.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <string_view>
#include <system_error>

namespace {

constexpr const char* kCaption = "Recitor Review History";
constexpr const char* kOffForRun = "\nThe review features are off until Recitor is started again.";
// How long a database another copy is writing to is waited for.
constexpr int kBusyMilliseconds = 2000;
// The files SQLite keeps beside a database; a database kept aside takes them along.
constexpr std::string_view kCompanions[] = {"-wal", "-shm", "-journal"};

// The steps that bring a database from each version to the next: the first one makes the empty
// database of version 0 (a new or empty file) one of version 1. Strict tables with their checks
// keep every row whole, whoever writes to the file.
constexpr const char* kUpgrades[] = {
    "CREATE TABLE reviews("
    " id INTEGER PRIMARY KEY,"
    " at INTEGER NOT NULL,"
    " match_key INTEGER NOT NULL CHECK (match_key BETWEEN 0 AND 4294967295),"
    " kind INTEGER NOT NULL CHECK (kind BETWEEN 0 AND 2),"
    " result INTEGER NOT NULL CHECK (result BETWEEN 0 AND 2),"
    " percent INTEGER NOT NULL CHECK (percent BETWEEN -1 AND 100),"
    " chosen_prog INTEGER NOT NULL CHECK (chosen_prog >= -1),"
    " seconds INTEGER NOT NULL CHECK (seconds >= 0)) STRICT;"
    "CREATE INDEX reviews_by_passage ON reviews(match_key, at);"
    "CREATE INDEX reviews_by_time ON reviews(at);"
    // The latest review of each passage, kept by the insert's own transaction: reading it is what
    // the start-up pays, a few milliseconds where grouping millions of reviews takes hundreds.
    "CREATE TABLE last_reviews(match_key INTEGER PRIMARY KEY, at INTEGER NOT NULL) STRICT;"
    "CREATE TRIGGER reviews_keep_last AFTER INSERT ON reviews BEGIN"
    " INSERT INTO last_reviews(match_key, at) VALUES (NEW.match_key, NEW.at)"
    " ON CONFLICT(match_key) DO UPDATE SET at = max(at, excluded.at); END;"
    "CREATE TABLE changes("
    " id INTEGER PRIMARY KEY,"
    " at INTEGER NOT NULL,"
    " match_key INTEGER NOT NULL CHECK (match_key BETWEEN 0 AND 4294967295),"
    " what INTEGER NOT NULL CHECK (what BETWEEN 0 AND 1),"
    " old_value INTEGER NOT NULL,"
    " new_value INTEGER NOT NULL) STRICT;"
    "CREATE INDEX changes_by_time ON changes(at);"
    "CREATE INDEX changes_by_passage ON changes(match_key, what, at);",
    // The charts read every review's moment and passage. Millions of index rows take SQLite
    // hundreds of milliseconds to step through, so the insert's transaction also appends each
    // review to the text of its period of 16,384 seconds (about 4.5 hours): a row for each period
    // with reviews, thousands for years of daily use. Short periods keep a row within a page, so
    // the synced commit of an answer writes little more. A period's text holds 12 hex digits a
    // review, the passage's match key (8) and the second within the period (4), so each moment is
    // kept exactly, whatever the time zone or the day-change hour the charts count days by.
    // Reviews are never deleted.
    "CREATE TABLE review_periods(period INTEGER PRIMARY KEY, reviews TEXT NOT NULL) STRICT;"
    "INSERT INTO review_periods(period, reviews)"
    " SELECT at >> 14, group_concat(printf('%08x%04x', match_key, at & 16383), '')"
    " FROM reviews GROUP BY at >> 14;"
    "CREATE TRIGGER reviews_keep_periods AFTER INSERT ON reviews BEGIN"
    " INSERT INTO review_periods(period, reviews)"
    " VALUES (NEW.at >> 14, printf('%08x%04x', NEW.match_key, NEW.at & 16383))"
    " ON CONFLICT(period) DO UPDATE SET reviews = reviews || excluded.reviews; END;",
};
static_assert(std::size(kUpgrades) == CReviewHistory::kSchemaVersion);

constexpr const char* kReviewColumns =
    "SELECT at, match_key, kind, result, percent, chosen_prog, seconds FROM reviews ";

// A review's entry in the text of its period: see the upgrade to version 2.
constexpr std::int64_t kPeriodSeconds = 16384;
constexpr std::size_t kPeriodEntry = 12;

// The value of each character as a hex digit (as SQLite's printf writes them, in lower case).
constexpr auto kHexValue = [] {
    std::array<std::uint8_t, 256> values{};
    for (int digit = 0; digit < 10; ++digit)
        values['0' + digit] = static_cast<std::uint8_t>(digit);
    for (int digit = 0; digit < 6; ++digit)
        values['a' + digit] = static_cast<std::uint8_t>(10 + digit);
    return values;
}();

// The value of count hex digits.
std::uint32_t Hex(const char* digits, int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 4 | kHexValue[static_cast<unsigned char>(digits[i])];
    return value;
}

bool IsDamage(int code) {
    return code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
}

bool IsLocked(int code) {
    return code == SQLITE_BUSY || code == SQLITE_LOCKED;
}

// Whether the file may be handed to SQLite: missing, empty, unreadable (SQLite then says why)
// or beginning as every database does. Anything else is damaged, and is kept aside before SQLite
// could touch its write-ahead log.
bool MayBeDatabase(const std::filesystem::path& file) {
    constexpr std::string_view kMagic{"SQLite format 3\0", 16};
    std::ifstream in(file, std::ios::binary);
    char start[kMagic.size()] = {};
    in.read(start, sizeof start);
    return !in.is_open() || in.gcount() == 0 || std::string_view(start, sizeof start) == kMagic;
}

ReviewEvent ReviewAt(sqlite3_stmt* row) {
    ReviewEvent event;
    event.when = sqlite3_column_int64(row, 0);
    event.matchKey = static_cast<std::uint32_t>(sqlite3_column_int64(row, 1));
    event.kind = static_cast<ReviewKind>(sqlite3_column_int(row, 2));
    event.result = static_cast<ReviewResult>(sqlite3_column_int(row, 3));
    event.percent = sqlite3_column_int(row, 4);
    event.chosenProg = sqlite3_column_int(row, 5);
    event.seconds = sqlite3_column_int(row, 6);
    return event;
}

} // namespace

void CReviewHistory::StatementDeleter::operator()(sqlite3_stmt* statement) const {
    sqlite3_finalize(statement);
}

// A damaged database is kept aside with its companions, so that nothing of it is lost and SQLite
// never pairs its write-ahead log with the new database.
CReviewHistory::CReviewHistory(IMessageSink& messages, const std::filesystem::path& dir)
    : messages_(messages) {
    const std::filesystem::path file = dir / kFile;
    if (Open(file) != Opened::Damaged)
        return;
    std::filesystem::path kept;
    int error = 0;
    if (!CAtomicFile::RenameAside(file, kDamagedSuffix, kept, error, kCompanions)) {
        CMessage text;
        text << kFile << " is damaged and cannot be kept as " << kept.filename().string() << ": "
             << std::generic_category().message(error) << kOffForRun;
        TurnOff(text.Text());
        return;
    }
    CMessage text;
    text << kFile << " was damaged. It was kept as " << kept.filename().string()
         << " and a new review history begun.";
    messages_.Show(kCaption, text.Text(), MsgIcon::Warning);
    if (Open(file) == Opened::Damaged)
        TurnOff(std::string(kFile) + " cannot be started anew." + kOffForRun);
}

CReviewHistory::~CReviewHistory() {
    Close();
}

void CReviewHistory::Close() {
    insertReview_.reset();
    insertChange_.reset();
    sqlite3_close_v2(db_);
    db_ = nullptr;
}

void CReviewHistory::TurnOff(const std::string& text) {
    Close();
    lastReview_.clear();
    messages_.Show(kCaption, text, MsgIcon::Warning);
}

std::string CReviewHistory::Why() const {
    return db_ ? sqlite3_errmsg(db_) : "out of memory";
}

CReviewHistory::Statement CReviewHistory::Prepare(const char* sql) const {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr);
    return Statement(statement);
}

bool CReviewHistory::Execute(const char* sql) const {
    return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Closes a damaged database as it is, its log not copied into it, so that both are kept aside.
CReviewHistory::Opened CReviewHistory::Damaged() {
    sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    Close();
    return Opened::Damaged;
}

// A damaged database is closed for keeping aside; any other fault turns the history off.
CReviewHistory::Opened CReviewHistory::Failed(int code) {
    if (IsDamage(code & 0xff))
        return Damaged();
    const std::string why = Why();
    if (IsLocked(code & 0xff))
        TurnOff(std::string(kFile) + " is in use by another copy of Recitor." + kOffForRun);
    else
        TurnOff(std::string(kFile) + " cannot be opened: " + why + kOffForRun);
    return Opened::Off;
}

// The version is read before anything is written, so that a newer database stays as it is. The
// upgrade runs in a write transaction, which is also where another copy's lock shows. The quick
// check reads every page, hundreds of milliseconds at millions of events, so it runs after a run
// that ended without closing the database (a crash, a kill, a power loss), where damage comes
// from; otherwise SQLite's own checks of what the open reads find a file that is no database.
CReviewHistory::Opened CReviewHistory::Open(const std::filesystem::path& file) {
    if (!MayBeDatabase(file))
        return Opened::Damaged;
    // The log outlives its database's last connection only when that ended without closing it.
    std::filesystem::path log = file;
    log += "-wal";
    std::error_code noLog;
    const bool endedUnclosed = std::filesystem::file_size(log, noLog) > 0 && !noLog;
    int code =
        sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (code != SQLITE_OK)
        return Failed(code);
    sqlite3_busy_timeout(db_, kBusyMilliseconds);

    int version = 0;
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) {
            // Write-ahead logging lets readers on while an event is committed; the synced commit
            // makes each recorded event outlast a power loss, not only a crash.
            if (!Execute("PRAGMA journal_mode=WAL") || !Execute("PRAGMA synchronous=FULL") ||
                !Execute("BEGIN IMMEDIATE"))
                return Failed(sqlite3_errcode(db_));
        }
        Statement read = Prepare("PRAGMA user_version");
        code = read ? sqlite3_step(read.get()) : sqlite3_errcode(db_);
        if (code != SQLITE_ROW)
            return Failed(code);
        version = sqlite3_column_int(read.get(), 0);
        if (version > kSchemaVersion) {
            CMessage text;
            text << kFile << " was written by a newer version of Recitor (history version "
                 << version << "; this version reads up to " << kSchemaVersion
                 << "). It is left as it is." << kOffForRun;
            TurnOff(text.Text());
            return Opened::Off;
        }
    }
    if (const Opened upgraded = Upgrade(version); upgraded != Opened::Ok)
        return upgraded;

    if (!endedUnclosed)
        return Prepared();
    Statement check = Prepare("PRAGMA quick_check(1)");
    code = check ? sqlite3_step(check.get()) : sqlite3_errcode(db_);
    if (code != SQLITE_ROW)
        return Failed(code);
    const auto* verdict = reinterpret_cast<const char*>(sqlite3_column_text(check.get(), 0));
    if (!verdict || std::string_view(verdict) != "ok") {
        check.reset();
        return Damaged();
    }
    check.reset();
    return Prepared();
}

CReviewHistory::Opened CReviewHistory::Prepared() {
    insertReview_ = Prepare("INSERT INTO reviews(at, match_key, kind, result, percent, "
                            "chosen_prog, seconds) VALUES (?, ?, ?, ?, ?, ?, ?)");
    insertChange_ = Prepare(
        "INSERT INTO changes(at, match_key, what, old_value, new_value) VALUES (?, ?, ?, ?, ?)");
    if (!insertReview_ || !insertChange_)
        return Failed(sqlite3_errcode(db_));
    return LoadLastReviews();
}

// Runs the steps from version on in the open write transaction and commits them with the new
// version, all or nothing.
CReviewHistory::Opened CReviewHistory::Upgrade(int version) {
    bool done = true;
    if (version < kSchemaVersion) {
        for (int step = version; done && step < kSchemaVersion; ++step)
            done = Execute(kUpgrades[step]);
        const std::string setVersion = "PRAGMA user_version=" + std::to_string(kSchemaVersion);
        done = done && Execute(setVersion.c_str());
    }
    if (done && Execute("COMMIT"))
        return Opened::Ok;
    const int code = sqlite3_errcode(db_);
    const std::string why = Why();
    Execute("ROLLBACK");
    if (IsDamage(code & 0xff))
        return Damaged();
    TurnOff(std::string(kFile) + " cannot be brought up to date: " + why + kOffForRun);
    return Opened::Off;
}

// The schedule then asks memory, never the disk.
CReviewHistory::Opened CReviewHistory::LoadLastReviews() {
    Statement read = Prepare("SELECT match_key, at FROM last_reviews");
    int code = read ? SQLITE_ROW : sqlite3_errcode(db_);
    while (read && (code = sqlite3_step(read.get())) == SQLITE_ROW)
        lastReview_[static_cast<std::uint32_t>(sqlite3_column_int64(read.get(), 0))] =
            sqlite3_column_int64(read.get(), 1);
    if (code == SQLITE_DONE)
        return Opened::Ok;
    read.reset();
    lastReview_.clear();
    if (IsDamage(code & 0xff))
        return Damaged();
    const std::string why = Why();
    TurnOff(std::string(kFile) + " cannot be read: " + why + kOffForRun);
    return Opened::Off;
}

// A single statement outside a transaction is a transaction of its own: it is recorded whole and
// synced, or not at all.
bool CReviewHistory::Commit(sqlite3_stmt* insert) {
    const int code = sqlite3_step(insert);
    sqlite3_reset(insert);
    sqlite3_clear_bindings(insert);
    if (code == SQLITE_DONE)
        return true;
    const std::string why = Why();
    if (!sqlite3_get_autocommit(db_))
        Execute("ROLLBACK");
    if (!writeFailureTold_) {
        writeFailureTold_ = true;
        messages_.Show(kCaption,
                       std::string("A review could not be recorded in ") + kFile + ": " + why +
                           "\nRecitor goes on without it; you are not told again of reviews "
                           "that cannot be recorded until Recitor is started again.",
                       MsgIcon::Warning);
    }
    return false;
}

bool CReviewHistory::Record(const ReviewEvent& event) {
    if (!db_)
        return false;
    sqlite3_stmt* insert = insertReview_.get();
    sqlite3_bind_int64(insert, 1, event.when);
    sqlite3_bind_int64(insert, 2, event.matchKey);
    sqlite3_bind_int(insert, 3, static_cast<int>(event.kind));
    sqlite3_bind_int(insert, 4, static_cast<int>(event.result));
    sqlite3_bind_int(insert, 5, event.percent);
    sqlite3_bind_int(insert, 6, event.chosenProg);
    sqlite3_bind_int(insert, 7, event.seconds);
    if (!Commit(insert))
        return false;
    std::int64_t& last = lastReview_.try_emplace(event.matchKey, event.when).first->second;
    if (event.when > last)
        last = event.when;
    return true;
}

bool CReviewHistory::RecordChange(const StateChange& change) {
    if (!db_)
        return false;
    sqlite3_stmt* insert = insertChange_.get();
    sqlite3_bind_int64(insert, 1, change.when);
    sqlite3_bind_int64(insert, 2, change.matchKey);
    sqlite3_bind_int(insert, 3, static_cast<int>(change.what));
    sqlite3_bind_int(insert, 4, change.oldValue);
    sqlite3_bind_int(insert, 5, change.newValue);
    return Commit(insert);
}

std::optional<std::int64_t> CReviewHistory::LastReview(std::uint32_t matchKey) const {
    const auto found = lastReview_.find(matchKey);
    if (found == lastReview_.end())
        return std::nullopt;
    return found->second;
}

std::vector<ReviewEvent> CReviewHistory::RecentReviews(std::uint32_t matchKey, int count) const {
    std::vector<ReviewEvent> reviews;
    if (!db_ || count <= 0)
        return reviews;
    const Statement read = Prepare(
        (std::string(kReviewColumns) + "WHERE match_key = ? ORDER BY at DESC, id DESC LIMIT ?")
            .c_str());
    sqlite3_bind_int64(read.get(), 1, matchKey);
    sqlite3_bind_int(read.get(), 2, count);
    while (sqlite3_step(read.get()) == SQLITE_ROW)
        reviews.push_back(ReviewAt(read.get()));
    return reviews;
}

std::int64_t CReviewHistory::ClassSince(std::uint32_t matchKey) const {
    if (!db_)
        return 0;
    const Statement read = Prepare("SELECT max(at) FROM changes WHERE match_key = ? AND what = ?");
    sqlite3_bind_int64(read.get(), 1, matchKey);
    sqlite3_bind_int(read.get(), 2, static_cast<int>(ChangeWhat::Frequency));
    return sqlite3_step(read.get()) == SQLITE_ROW ? sqlite3_column_int64(read.get(), 0) : 0;
}

std::vector<ReviewEvent> CReviewHistory::ReviewsBetween(std::int64_t from, std::int64_t to) const {
    std::vector<ReviewEvent> reviews;
    if (!db_)
        return reviews;
    const Statement read =
        Prepare((std::string(kReviewColumns) + "WHERE at >= ? AND at < ? ORDER BY at, id").c_str());
    sqlite3_bind_int64(read.get(), 1, from);
    sqlite3_bind_int64(read.get(), 2, to);
    while (sqlite3_step(read.get()) == SQLITE_ROW)
        reviews.push_back(ReviewAt(read.get()));
    return reviews;
}

std::vector<StateChange> CReviewHistory::Changes() const {
    std::vector<StateChange> changes;
    if (!db_)
        return changes;
    // Read in the order recorded, which is the order made unless the clock went back: walking
    // the index by time would look every row up in the table, a hundred thousand lookups.
    const Statement read =
        Prepare("SELECT at, match_key, what, old_value, new_value FROM changes ORDER BY id");
    while (sqlite3_step(read.get()) == SQLITE_ROW) {
        StateChange change;
        change.when = sqlite3_column_int64(read.get(), 0);
        change.matchKey = static_cast<std::uint32_t>(sqlite3_column_int64(read.get(), 1));
        change.what = static_cast<ChangeWhat>(sqlite3_column_int(read.get(), 2));
        change.oldValue = sqlite3_column_int(read.get(), 3);
        change.newValue = sqlite3_column_int(read.get(), 4);
        changes.push_back(change);
    }
    const auto earlier = [](const StateChange& a, const StateChange& b) { return a.when < b.when; };
    if (!std::is_sorted(changes.begin(), changes.end(), earlier))
        std::stable_sort(changes.begin(), changes.end(), earlier);
    return changes;
}

std::vector<ReviewMoment> CReviewHistory::ReviewMoments() const {
    std::vector<ReviewMoment> moments;
    if (!db_)
        return moments;
    const Statement count = Prepare("SELECT max(id) FROM reviews");
    if (sqlite3_step(count.get()) == SQLITE_ROW)
        moments.reserve(static_cast<std::size_t>(sqlite3_column_int64(count.get(), 0)));
    const Statement read = Prepare("SELECT period, reviews FROM review_periods");
    while (sqlite3_step(read.get()) == SQLITE_ROW) {
        const std::int64_t start = sqlite3_column_int64(read.get(), 0) * kPeriodSeconds;
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(read.get(), 1));
        const auto length = static_cast<std::size_t>(sqlite3_column_bytes(read.get(), 1));
        for (std::size_t at = 0; text && at + kPeriodEntry <= length; at += kPeriodEntry)
            moments.push_back({start + Hex(text + at + 8, 4), Hex(text + at, 8)});
    }
    return moments;
}
