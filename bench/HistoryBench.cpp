// SPDX-License-Identifier: GPL-2.0-or-later
// Benchmarks of the review history at 2,000,000 recorded events (reviews of 15,000 passages over
// years, and changes of their classes): what opening it adds to the start-up, recording one
// answer with its synced commit, a review session's step from one answer to the next due passage
// at the maximum collection, and the series the Progress Over Time window draws.
//
// The history (SyntheticHistory) is generated into a fresh temporary directory at start
// (RECITOR_BENCH_DIR names another parent directory, a disk of one's choice) and removed at the
// end.

#include "BenchSupport.h"
#include "MemorySettings.h"
#include "PassageStore.h"
#include "Platform.h"
#include "ProgressSeries.h"
#include "ReviewHistory.h"
#include "ReviewRound.h"
#include "ReviewSchedule.h"
#include "SyntheticCollection.h"
#include "SyntheticHistory.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram = "recitor_history_bench";
constexpr int kPassages = SyntheticHistory::kPassages;

CFailingSink gSink{kProgram};
fs::path gDir;

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
    event.when = SyntheticHistory::kEnd;
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
    const std::int64_t now = SyntheticHistory::kEnd;
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
    WriteSyntheticHistory(kProgram, gSink, gDir);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(root, ignored);
    return 0;
}
