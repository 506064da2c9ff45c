// SPDX-License-Identifier: GPL-2.0-or-later
// Benchmarks of sheets of pocket cards: 200 cards saved as a PDF file by the Print Cards command's
// own path (the sheet laid out, every card drawn, the cut lines, the document written through
// the atomic file and put in place), on a collection at the files' maximum size. Once the first
// 200 active passages in the tree's order, once the 200 passages with the longest contexts, whose
// cards are full to their bottom edge.
//
// The program runs on the offscreen platform. The collection is generated into a fresh temporary
// directory at start (RECITOR_BENCH_DIR names another parent directory) and removed at the end.

#include "BenchSupport.h"
#include "MemorySettings.h"
#include "PassageChoice.h"
#include "PassageStore.h"
#include "Platform.h"
#include "PrintCardsCommand.h"
#include "QtBenchRun.h"
#include "SyntheticCollection.h"

#include <benchmark/benchmark.h>

#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram = "recitor_cards_bench";

constexpr int kCards = 200;

[[noreturn]] void Fail(const std::string& what) {
    BenchFail(kProgram, what);
}

struct SCardsBench {
    fs::path root;
    CFailingSink sink{kProgram};
    CMemorySettings settings;
    CSystemClock clock;
    std::unique_ptr<CPassageStore> store;
};
SCardsBench* gBench = nullptr;

void SaveCards(benchmark::State& state, const std::vector<int>& passages) {
    const QString file = QString::fromStdString((gBench->root / "cards.pdf").string());
    const auto noProgress = [](int) { return true; };
    for (auto _ : state) {
        QString error;
        if (CPrintCardsCommand::SavePdf(*gBench->store, passages, QPageSize::Letter, file,
                                        noProgress, error) != CCardSheet::Outcome::Done)
            Fail("saving failed: " + error.toStdString());
    }
    state.counters["cards"] = static_cast<double>(passages.size());
    state.counters["pdfBytes"] = static_cast<double>(QFileInfo(file).size());
}

// The first 200 passages of the active ones, as the command takes them.
void BM_SaveCardsPdf(benchmark::State& state) {
    std::vector<int> passages =
        PassageChoice{PassageChoice::Kind::Active, 0, kTransAll}.Passages(*gBench->store);
    if (passages.size() < kCards)
        Fail("too few active passages");
    passages.resize(kCards);
    SaveCards(state, passages);
}
BENCHMARK(BM_SaveCardsPdf)->Unit(benchmark::kMillisecond)->UseRealTime();

// The 200 longest contexts: the most text to lay out and to cut at the cards' edges.
void BM_SaveLongestCardsPdf(benchmark::State& state) {
    const CPassageStore& store = *gBench->store;
    std::vector<int> passages(static_cast<std::size_t>(store.LastIndex() + 1));
    for (int i = 0; i <= store.LastIndex(); ++i)
        passages[static_cast<std::size_t>(i)] = i;
    std::partial_sort(passages.begin(), passages.begin() + kCards, passages.end(),
                      [&store](int a, int b) {
                          return store.Passage(a).context.size() > store.Passage(b).context.size();
                      });
    passages.resize(kCards);
    SaveCards(state, passages);
}
BENCHMARK(BM_SaveLongestCardsPdf)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    CQtBenchRun run(argc, argv);
    if (!run.ArgumentsOk())
        return 1;

    SCardsBench bench;
    bench.root = MakeBenchRoot(kProgram);
    SyntheticCollectionInfo info;
    std::string error;
    if (!WriteSyntheticCollection(bench.root, SyntheticCollectionOptions{}, info, error))
        Fail(error);
    bench.store =
        std::make_unique<CPassageStore>(bench.sink, bench.settings, bench.clock, bench.root);
    if (bench.store->Load() != Status::Ok)
        Fail("the collection did not load");
    gBench = &bench;

    run.Run();
    gBench = nullptr;
    bench.store.reset();
    std::error_code ignored;
    fs::remove_all(bench.root, ignored);
    return 0;
}
