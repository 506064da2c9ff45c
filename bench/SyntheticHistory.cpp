// SPDX-License-Identifier: GPL-2.0-or-later
#include "SyntheticHistory.h"

#include "BenchSupport.h"
#include "ReviewHistory.h"

#include <sqlite3.h>

#include <string>

namespace {

void Check(const char* program, sqlite3* db, int code, const char* what) {
    if (code != SQLITE_OK && code != SQLITE_DONE)
        BenchFail(program, std::string(what) + ": " + sqlite3_errmsg(db));
}

} // namespace

void WriteSyntheticHistory(const char* program, IMessageSink& sink,
                           const std::filesystem::path& dir) {
    using S = SyntheticHistory;
    { CReviewHistory created(sink, dir); }
    sqlite3* db = nullptr;
    Check(program, db, sqlite3_open((dir / CReviewHistory::kFile).c_str(), &db), "open");
    Check(program, db,
          sqlite3_exec(db, "PRAGMA cache_size=-262144; BEGIN", nullptr, nullptr, nullptr), "begin");
    sqlite3_stmt* review = nullptr;
    Check(program, db,
          sqlite3_prepare_v2(db,
                             "INSERT INTO reviews(at, match_key, kind, result, percent, "
                             "chosen_prog, seconds) VALUES (?, ?, ?, ?, -1, ?, ?)",
                             -1, &review, nullptr),
          "prepare");
    for (int i = 0; i < S::kReviews; ++i) {
        sqlite3_bind_int64(review, 1, S::kFirstReview + std::int64_t{i} * 97);
        sqlite3_bind_int64(review, 2, std::int64_t{i} * 7919 % S::kPassages * 1000 + 1);
        sqlite3_bind_int(review, 3, i % 3);
        sqlite3_bind_int(review, 4, (i / 3) % 3);
        sqlite3_bind_int(review, 5, i % 5);
        sqlite3_bind_int(review, 6, 20 + i % 100);
        Check(program, db, sqlite3_step(review), "insert review");
        sqlite3_reset(review);
    }
    sqlite3_finalize(review);
    sqlite3_stmt* change = nullptr;
    Check(program, db,
          sqlite3_prepare_v2(db,
                             "INSERT INTO changes(at, match_key, what, old_value, new_value) "
                             "VALUES (?, ?, ?, ?, ?)",
                             -1, &change, nullptr),
          "prepare");
    for (int i = 0; i < S::kChanges; ++i) {
        sqlite3_bind_int64(change, 1, S::kFirstReview + std::int64_t{i} * 1800);
        sqlite3_bind_int64(change, 2, std::int64_t{i} * 31 % S::kPassages * 1000 + 1);
        sqlite3_bind_int(change, 3, i % 2);
        sqlite3_bind_int(change, 4, i % 5);
        sqlite3_bind_int(change, 5, (i + 1) % 5);
        Check(program, db, sqlite3_step(change), "insert change");
        sqlite3_reset(change);
    }
    sqlite3_finalize(change);
    Check(program, db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), "commit");
    sqlite3_close(db);
}
