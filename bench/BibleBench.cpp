// SPDX-License-Identifier: GPL-2.0-or-later
// Benchmarks of the installed Bibles (the real KJV and WEB modules of Debian's sword-text-kjv and
// sword-text-web packages): listing the installed translations, the first passage taken from a
// Bible in a run (the library opened with it), a later one, and importing 1,000 lines that give
// only a reference, their passages taken from the KJV and measured as the import command measures
// them (the offscreen platform, two counters).
//
// The collection imported into holds only the smallest baseline the files allow, generated into a
// fresh temporary directory at start (RECITOR_BENCH_DIR names another parent directory) and
// removed at the end.

#include "BenchSupport.h"
#include "BiblePassage.h"
#include "EditBoxLineCounter.h"
#include "MemorySettings.h"
#include "PassageImport.h"
#include "PassageStore.h"
#include "Platform.h"
#include "QtBenchRun.h"
#include "RefTables.h"
#include "SwordBible.h"
#include "SyntheticCollection.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram = "recitor_bible_bench";

constexpr int kKjv = 3;
constexpr int kJohn = 54;
constexpr int kImportLines = 1000;

[[noreturn]] void Fail(const std::string& what) {
    BenchFail(kProgram, what);
}

struct SBibleBench {
    CFailingSink sink{kProgram};
    CMemorySettings settings;
    CSystemClock clock;
    double firstFillSeconds = 0; // the run's first passage, the library opened with it
    fs::path target;             // the collection imported into
    std::string lines;           // kImportLines references of single verses, one a line
};
SBibleBench* gBench = nullptr;

void Fill(IBibleSource& bible, int chapter, int verse) {
    BiblePassage out;
    std::string reason;
    if (!PassageFromBible(bible, kKjv, kJohn, chapter, verse, verse + 1, 2, 2, out, reason))
        Fail(reason);
    benchmark::DoNotOptimize(out);
}

// What the library does once in a run is done by then, so the first passage of the run is timed
// at the program's start, before any other question.
void BM_FirstFillInRun(benchmark::State& state) {
    for (auto _ : state)
        state.SetIterationTime(gBench->firstFillSeconds);
}
BENCHMARK(BM_FirstFillInRun)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

// Every question opens the library anew, as the first one in a run does.
void BM_ListTranslations(benchmark::State& state) {
    for (auto _ : state) {
        CSwordBible bible;
        const std::vector<int> translations = bible.Translations();
        if (translations.empty())
            Fail("no Bible is installed");
        benchmark::DoNotOptimize(translations);
    }
}
BENCHMARK(BM_ListTranslations)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FillNewBible(benchmark::State& state) {
    for (auto _ : state) {
        CSwordBible bible;
        Fill(bible, 3, 16);
    }
}
BENCHMARK(BM_FillNewBible)->Unit(benchmark::kMillisecond)->UseRealTime();

// Passages all over the gospel, so that no fill finds the one before it at hand.
void BM_LaterFill(benchmark::State& state) {
    CSwordBible bible;
    Fill(bible, 1, 1);
    int chapter = 0;
    for (auto _ : state) {
        chapter = chapter % 20 + 1;
        Fill(bible, chapter, 5);
    }
}
BENCHMARK(BM_LaterFill)->Unit(benchmark::kMillisecond)->UseRealTime();

// The Bible is open already, as it is once the window has taken one passage from it.
void BM_ImportReferenceLines(benchmark::State& state) {
    CSwordBible bible;
    Fill(bible, 1, 1);
    std::size_t accepted = 0;
    for (auto _ : state) {
        state.PauseTiming();
        CPassageStore store(gBench->sink, gBench->settings, gBench->clock, gBench->target);
        if (store.Load() != Status::Ok)
            Fail("the collection did not load");
        CEditBoxLineCounter first;
        CEditBoxLineCounter second;
        state.ResumeTiming();
        CPassageImport import(store, {&first, &second});
        import.SetBible({&bible, 2, 2});
        import.Read(gBench->lines);
        accepted = import.AcceptedLines().size();
        if (!import.RefusedLines().empty())
            Fail("line " + std::to_string(import.RefusedLines().front().line) + ": " +
                 import.RefusedLines().front().reason);
    }
    state.counters["accepted"] = static_cast<double>(accepted);
}
BENCHMARK(BM_ImportReferenceLines)->Unit(benchmark::kMillisecond)->UseRealTime();

// kImportLines references with their translation, in Bible order, the first verses of every chapter
// of the KJV from Genesis on, so that each line takes its verses from another place.
std::string ReferenceLines() {
    CSwordBible bible;
    std::string lines;
    int count = 0;
    for (int position = 0; position < kBookListSize && count < kImportLines; ++position) {
        const int book = BookFromListPosition(position);
        for (int chapter = 1; count < kImportLines; ++chapter) {
            const int last = bible.LastVerse(kKjv, book, chapter);
            if (last <= 0)
                break;
            for (int verse = 1; verse <= last && verse <= 3 && count < kImportLines; ++verse) {
                lines.append(BookName(book))
                    .append(" ")
                    .append(std::to_string(chapter))
                    .append(":")
                    .append(std::to_string(verse))
                    .append(" KJV\n");
                ++count;
            }
        }
    }
    if (count < kImportLines)
        Fail("too few references");
    return lines;
}

} // namespace

int main(int argc, char** argv) {
    CQtBenchRun run(argc, argv);
    if (!run.ArgumentsOk())
        return 1;

    SBibleBench bench;
    gBench = &bench;
    const auto start = std::chrono::steady_clock::now();
    {
        CSwordBible bible;
        Fill(bible, 3, 16);
    }
    bench.firstFillSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    bench.target = MakeBenchRoot(kProgram);
    SyntheticCollectionOptions target;
    target.baselineCount = CPassageStore::kMinBaseline;
    target.userCount = 0;
    target.revisedCount = 0;
    target.statsCount = 0;
    SyntheticCollectionInfo info;
    std::string error;
    if (!WriteSyntheticCollection(bench.target, target, info, error))
        Fail("cannot generate the collection: " + error);
    bench.lines = ReferenceLines();

    run.Run();
    fs::remove_all(bench.target);
    return 0;
}
