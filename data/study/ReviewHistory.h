// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "Platform.h"
#include "ReviewLog.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// What a change of a passage's state changed.
enum class ChangeWhat {
    Progress = 0,
    Frequency = 1,
};

// A passage's progress level or frequency class set to a new value, wherever in the program.
struct StateChange {
    std::int64_t when = 0; // seconds since the epoch (UTC)
    std::uint32_t matchKey = 0;
    ChangeWhat what = ChangeWhat::Progress;
    int oldValue = 0;
    int newValue = 0;
};

// Where a change of progress or frequency class is recorded: the review history, or nothing when
// the program runs without one.
class IChangeRecorder {
public:
    virtual ~IChangeRecorder() = default;
    // Records change; false when it was not recorded.
    virtual bool RecordChange(const StateChange& change) = 0;
};

// When a review was made and of which passage: what the charts of the whole history read of each.
struct ReviewMoment {
    std::int64_t when = 0; // seconds since the epoch (UTC)
    std::uint32_t matchKey = 0;
};

// The review history: every recitation and every change of progress or frequency class, kept in
// an SQLite database beside the data files, so that the schedule knows when each passage was last
// reviewed and the past of every passage can be drawn. Each event is one transaction with a
// synced commit in write-ahead logging: a crash or kill leaves the events recorded before it and
// never a part of one.
//
// The history never stops the program. A missing database is created; a damaged one is kept aside
// and a new one begun; one locked by another copy, written by a newer version or that cannot be
// opened leaves the review features off for the run (Available); a failed write loses that event
// alone. Each of these is told through the message sink, a failed write once per run.
class CReviewHistory : public IReviewLog, public IChangeRecorder {
public:
    static constexpr const char* kFile = "RctHistory.sqlite";
    // The schema this version writes; databases of every earlier one are brought up to it.
    static constexpr int kSchemaVersion = 2;

    // Opens, creates or repairs the history in dir, loading the last review of every passage.
    CReviewHistory(IMessageSink& messages, const std::filesystem::path& dir);
    ~CReviewHistory() override;
    CReviewHistory(const CReviewHistory&) = delete;
    CReviewHistory& operator=(const CReviewHistory&) = delete;

    // Whether the history is open for this run; when not, the user has been told why, nothing is
    // recorded and every question is answered as for an empty history.
    bool Available() const { return db_ != nullptr; }

    // Records a review durably; false when it was not recorded (history off or write failed).
    bool Record(const ReviewEvent& event);
    // Records a change of progress or frequency class durably; false as Record.
    bool RecordChange(const StateChange& change) override;

    // From memory: the latest review recorded of the passage.
    std::optional<std::int64_t> LastReview(std::uint32_t matchKey) const override;
    // The passage's latest count reviews, newest first (the later recorded first within a second).
    std::vector<ReviewEvent> RecentReviews(std::uint32_t matchKey, int count) const override;
    std::int64_t ClassSince(std::uint32_t matchKey) const override;
    // Every review with from <= when < to, in the order they were recorded.
    std::vector<ReviewEvent> ReviewsBetween(std::int64_t from, std::int64_t to) const;
    // Every change recorded, in the order they were made.
    std::vector<StateChange> Changes() const;
    // Every review's moment and passage, in periods of time (within one, in the order recorded):
    // read from the summary by period that the recording keeps, where millions of reviews take
    // ReviewsBetween hundreds of milliseconds.
    std::vector<ReviewMoment> ReviewMoments() const;

private:
    struct StatementDeleter {
        void operator()(sqlite3_stmt* statement) const;
    };
    using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;
    enum class Opened { Ok, Damaged, Off };

    Opened Open(const std::filesystem::path& file);
    Opened Failed(int code);
    Opened Damaged();
    Opened Upgrade(int version);
    Opened Prepared(); // prepares the inserts and loads the last reviews
    Opened LoadLastReviews();
    void Close();
    Statement Prepare(const char* sql) const;
    bool Execute(const char* sql) const;
    // Runs a prepared insert as a transaction of its own; false, told once, on failure.
    bool Commit(sqlite3_stmt* insert);
    void TurnOff(const std::string& text);
    std::string Why() const;

    IMessageSink& messages_;
    sqlite3* db_ = nullptr;
    Statement insertReview_;
    Statement insertChange_;
    std::unordered_map<std::uint32_t, std::int64_t> lastReview_;
    bool writeFailureTold_ = false;
};
