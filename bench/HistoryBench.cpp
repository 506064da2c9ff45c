// SPDX-License-Identifier: GPL-2.0-or-later
// Benchmarks of the review history at 2,000,000 recorded events (reviews of 15,000 passages over
// years, and changes of their classes): what opening it adds to the start-up, recording one
// answer with its synced commit, a review session's step from one answer to the next due passage
// at the maximum collection, and the series the Progress Over Time window draws.
//
// The history is generated into a fresh temporary directory at start (RECITOR_BENCH_DIR names
// another parent directory, a disk of one's choice) in one transaction, and removed at the end.

#include "BenchSupport.h"
#include "MemorySettings.h"
#include "PassageStore.h"
#include "Platform.h"
#include "ProgressSeries.h"
#include "ReviewHistory.h"
#include "ReviewRound.h"
#include "ReviewSchedule.h"
#include "SyntheticCollection.h"

#include <benchmark/benchmark.h>

#include <sqlite3.h>

#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram = "recitor_history_bench";
constexpr int kPassages = 15000;
constexpr int kReviews = 1900000;
constexpr int kChanges = 100000;
constexpr std::int64_t kFirstReview = 1500000000;

CFailingSink gSink{kProgram};
fs::path gDir;

void Check(sqlite3* db, int code, const char* what) {
    if (code != SQLITE_OK && code != SQLITE_DONE)
        BenchFail(kProgram, std::string(what) + ": " + sqlite3_errmsg(db));
}

// The schema is the history's own; the rows go in through one transaction of a plain connection.
void Generate() {
    { CReviewHistory created(gSink, gDir); }
    sqlite3* db = nullptr;
    Check(db, sqlite3_open((gDir / CReviewHistory::kFile).c_str(), &db), "open");
    Check(db, sqlite3_exec(db, "PRAGMA cache_size=-262144; BEGIN", nullptr, nullptr, nullptr),
          "begin");
    sqlite3_stmt* review = nullptr;
    Check(db,
          sqlite3_prepare_v2(db,
                             "INSERT INTO reviews(at, match_key, kind, result, percent, "
                             "chosen_prog, seconds) VALUES (?, ?, ?, ?, -1, ?, ?)",
                             -1, &review, nullptr),
          "prepare");
    for (int i = 0; i < kReviews; ++i) {
        sqlite3_bind_int64(review, 1, kFirstReview + std::int64_t{i} * 97);
        sqlite3_bind_int64(review, 2, std::int64_t{i} * 7919 % kPassages * 1000 + 1);
        sqlite3_bind_int(review, 3, i % 3);
        sqlite3_bind_int(review, 4, (i / 3) % 3);
        sqlite3_bind_int(review, 5, i % 5);
        sqlite3_bind_int(review, 6, 20 + i % 100);
        Check(db, sqlite3_step(review), "insert review");
        sqlite3_reset(review);
    }
    sqlite3_finalize(review);
    sqlite3_stmt* change = nullptr;
    Check(db,
          sqlite3_prepare_v2(db,
                             "INSERT INTO changes(at, match_key, what, old_value, new_value) "
                             "VALUES (?, ?, ?, ?, ?)",
                             -1, &change, nullptr),
          "prepare");
    for (int i = 0; i < kChanges; ++i) {
        sqlite3_bind_int64(change, 1, kFirstReview + std::int64_t{i} * 1800);
        sqlite3_bind_int64(change, 2, std::int64_t{i} * 31 % kPassages * 1000 + 1);
        sqlite3_bind_int(change, 3, i % 2);
        sqlite3_bind_int(change, 4, i % 5);
        sqlite3_bind_int(change, 5, (i + 1) % 5);
        Check(db, sqlite3_step(change), "insert change");
        sqlite3_reset(change);
    }
    sqlite3_finalize(change);
    Check(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), "commit");
    sqlite3_close(db);
}

// What the start-up pays: the open with its checks and the last review of every passage loaded.
// Closing is kept out of the timing.
void BM_OpenHistory(benchmark::State& state) {
    for (auto _ : state) {
        auto history = std::make_unique<CReviewHistory>(gSink, gDir);
        if (!history->Available())
            BenchFail(kProgram, "the history did not open");
        benchmark::DoNotOptimize(history->LastReview(1));
        state.PauseTiming();
        history.reset();
        state.ResumeTiming();
    }
}

// One answer recorded, committed and synced to disk.
void BM_RecordAnswer(benchmark::State& state) {
    CReviewHistory history(gSink, gDir);
    ReviewEvent event;
    event.when = kFirstReview + std::int64_t{kReviews} * 97;
    event.result = ReviewResult::Recalled;
    event.chosenProg = 2;
    event.seconds = 35;
    for (auto _ : state) {
        ++event.when;
        event.matchKey = static_cast<std::uint32_t>(event.when % kPassages * 1000 + 1);
        if (!history.Record(event))
            BenchFail(kProgram, "an answer was not recorded");
    }
}

// A review session's step at the maximum collection: the answer recorded with its synced commit,
// the class the schedule then suggests for the passage answered, and the next due passage with
// the text shown at its first level. The window's part, one short text set, is left out.
void BM_NextDuePassage(benchmark::State& state) {
    const fs::path dir = gDir / "collection";
    fs::create_directories(dir);
    SyntheticCollectionInfo info;
    std::string error;
    if (!WriteSyntheticCollection(dir, SyntheticCollectionOptions{}, info, error))
        BenchFail(kProgram, error);
    CMemorySettings settings;
    CSystemClock clock;
    CPassageStore store(gSink, settings, clock, dir);
    if (store.Load() != Status::Ok)
        BenchFail(kProgram, "the synthetic collection did not load");
    CReviewHistory history(gSink, gDir);
    const CReviewSchedule schedule(history, clock);
    auto round = std::make_unique<CReviewRound>(store, history, schedule, clock);
    state.counters["due"] = round->Count();
    for (auto _ : state) {
        if (round->Finished()) {
            state.PauseTiming();
            round = std::make_unique<CReviewRound>(store, history, schedule, clock);
            state.ResumeTiming();
        }
        const int answered = round->Current();
        if (!round->Answer(ReviewKind::SelfGraded, ReviewResult::Recalled))
            BenchFail(kProgram, "an answer was not recorded");
        benchmark::DoNotOptimize(schedule.Suggest(store.Passage(answered)));
        round->Next();
        if (!round->Finished())
            benchmark::DoNotOptimize(store.Passage(round->Current()).HintText());
    }
}

// What the Progress Over Time window does before it shows: every review and change read from the
// open history and the series computed, with the 15,000 passages of the history unknown to the
// store (each taken as a deleted passage), the costliest case.
void BM_ProgressSeries(benchmark::State& state) {
    CReviewHistory history(gSink, gDir);
    CMemorySettings settings;
    CSystemClock clock;
    const CPassageStore store(gSink, settings, clock, gDir);
    const CReviewSchedule schedule(history, clock);
    const std::int64_t now = kFirstReview + std::int64_t{kReviews} * 97;
    int days = 0;
    for (auto _ : state) {
        const CProgressSeries series(history.ReviewMoments(), history.Changes(), store, schedule,
                                     now);
        days = static_cast<int>(series.LevelsByDay().size());
        benchmark::DoNotOptimize(series.LongestStreak());
    }
    state.counters["days"] = days;
}

} // namespace

BENCHMARK(BM_OpenHistory)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RecordAnswer)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_NextDuePassage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ProgressSeries)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    const fs::path root = MakeBenchRoot(kProgram);
    gDir = root;
    Generate();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(root, ignored);
    return 0;
}
