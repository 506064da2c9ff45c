// SPDX-License-Identifier: GPL-2.0-or-later
// What is due today on a collection at the files' maximum size, 15,000 of its passages active:
// the pass the main window makes for its status line, its tree marks and a review session.
//
// The history is an in-memory lookup of each passage's last review, as the review log keeps it:
// spread over the last two months with every tenth active passage never reviewed, so that the
// passages due are a mix of every class and of the never reviewed. Any message from the store
// stops the program.

#include "BenchSupport.h"
#include "MemorySettings.h"
#include "PassageStore.h"
#include "ReviewSchedule.h"
#include "SyntheticCollection.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <unordered_map>

namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram = "recitor_schedule_bench";
constexpr std::int64_t kDay = 24 * 3600;

class CLastReviews : public IReviewLog {
public:
    std::optional<std::int64_t> LastReview(std::uint32_t matchKey) const override {
        const auto found = last.find(matchKey);
        if (found == last.end())
            return std::nullopt;
        return found->second;
    }
    std::vector<ReviewEvent> RecentReviews(std::uint32_t, int) const override { return {}; }
    std::int64_t ClassSince(std::uint32_t) const override { return 0; }
    std::unordered_map<std::uint32_t, std::int64_t> last;
};

CFailingSink gSink{kProgram};
CMemorySettings gSettings;
CSystemClock gClock;
CPassageStore* gStore = nullptr;
CLastReviews gLog;

void BM_Due(benchmark::State& state) {
    const CReviewSchedule schedule(gLog, gClock);
    std::size_t due = 0;
    for (auto _ : state) {
        const CReviewSchedule::DueToday today = schedule.Due(*gStore);
        benchmark::DoNotOptimize(today.passages.data());
        due = today.passages.size();
    }
    state.counters["due"] = static_cast<double>(due);
    state.counters["active"] = static_cast<double>(gStore->StatsCount());
}
BENCHMARK(BM_Due)->Unit(benchmark::kMillisecond)->UseRealTime();

// Fills the history: the n-th active passage last reviewed n % 60 days and n % 24 hours ago,
// every tenth one never.
void FillHistory(const CPassageStore& store) {
    const std::int64_t now = gClock.NowSeconds();
    int n = 0;
    for (int index = 0; index < store.PassageCount(); ++index) {
        const CPassage& passage = store.Passage(index);
        if (passage.freq < 0 || passage.freq >= CReviewSchedule::kActiveClasses)
            continue;
        if (++n % 10 != 0)
            gLog.last[passage.MatchKey()] = now - (n % 60) * kDay - (n % 24) * 3600;
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    SyntheticCollectionInfo info;
    const fs::path root = WriteBenchCollection(kProgram, info);
    auto store = std::make_unique<CPassageStore>(gSink, gSettings, gClock, root);
    if (store->Load() != Status::Ok || store->StatsCount() != info.activeCount)
        BenchFail(kProgram, "the collection did not load with its active passages");
    gStore = store.get();
    FillHistory(*store);
    benchmark::AddCustomContext("collection_passages", std::to_string(info.passageCount));
    benchmark::AddCustomContext("history_passages", std::to_string(gLog.last.size()));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    store.reset();
    std::error_code ignored;
    fs::remove_all(root, ignored);
    return 0;
}
