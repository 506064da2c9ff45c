// SPDX-License-Identifier: GPL-2.0-or-later
// Benchmarks of the exchange with flashcard programs: importing 15,000 lines into an empty
// collection, from reading the file's bytes through the checks and line measures of every line
// (on two threads, as the command measures on a machine of two cores), the preview window shown
// and painted, to the passages added with the tree rebuilt; and the export of the largest
// collection for Anki.
//
// The file imported is the Anki export of a generated collection of 15,000 passages; the
// collection it goes into holds only the smallest baseline the files allow, generated with
// another seed. The windows run on the offscreen platform.

#include "AtomicFile.h"
#include "BenchSupport.h"
#include "EditBoxLineCounter.h"
#include "FlashcardExport.h"
#include "FreedMemory.h"
#include "ImportPreviewDlg.h"
#include "MainDlg.h"
#include "MemorySettings.h"
#include "PassageChoice.h"
#include "PassageImport.h"
#include "PassageStore.h"
#include "Platform.h"
#include "Preferences.h"
#include "QtBenchRun.h"
#include "RefTables.h"
#include "SyntheticCollection.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram = "recitor_exchange_bench";

[[noreturn]] void Fail(const std::string& what) {
    BenchFail(kProgram, what);
}

struct SExchangeBench {
    CFailingSink sink{kProgram};
    CMemorySettings settings;
    CSystemClock clock;
    CPreferences prefs;
    fs::path source;       // the 15,000 passages exported
    fs::path target;       // the empty collection imported into
    std::string file;      // the Anki file of the source: each line with its context
    std::string plainFile; // the same passages as a list of reference, translation, passage
    int lines = 0;         // passage lines in each
    std::unique_ptr<CPassageStore> sourceStore;
};
SExchangeBench* gBench = nullptr;

std::unique_ptr<CPassageStore> LoadStore(const fs::path& dir) {
    auto store =
        std::make_unique<CPassageStore>(gBench->sink, gBench->settings, gBench->clock, dir);
    if (store->Load() != Status::Ok)
        Fail("a collection did not load");
    return store;
}

void ImportFifteenThousandLines(benchmark::State& state, const std::string& file) {
    std::size_t added = 0;
    std::size_t refused = 0;
    double keptMiB = 0;  // resident growth before the freed memory is returned
    double grownMiB = 0; // and after
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<CPassageStore> store = LoadStore(gBench->target);
        auto window = std::make_unique<CMainDlg>(*store, gBench->prefs);
        window->show();
        QCoreApplication::processEvents();
        const int before = store->PassageCount();
        // The baseline without the memory earlier rounds freed.
        { const CReturnFreedMemory settle; }
        const std::size_t residentBefore = ResidentBytes();
        state.ResumeTiming();

        // As the import command does: what the import freed goes back to the system at its end.
        std::optional<CReturnFreedMemory> returnFreed(std::in_place);
        std::size_t refusedHere = 0;
        {
            CEditBoxLineCounter first;
            CEditBoxLineCounter second;
            CPassageImport import(*store, {&first, &second});
            import.Read(file);
            {
                CImportPreviewDlg preview(
                    import, QStringLiteral("cards.txt"), -1, [](int) {}, window.get());
                preview.show();
                QCoreApplication::processEvents();
                preview.repaint();
            }
            std::vector<std::unique_ptr<CPassage>> passages = import.TakePassages();
            added = static_cast<std::size_t>(store->AddMany(passages));
            refusedHere = import.RefusedLines().size();
        }
        QCoreApplication::processEvents();
        window->repaint();
        state.PauseTiming();
        keptMiB = (static_cast<double>(ResidentBytes()) - static_cast<double>(residentBefore)) /
                  (1 << 20);
        state.ResumeTiming();
        returnFreed.reset();

        state.PauseTiming();
        grownMiB = (static_cast<double>(ResidentBytes()) - static_cast<double>(residentBefore)) /
                   (1 << 20);
        refused = refusedHere;
        if (store->PassageCount() != before + static_cast<int>(added) || added == 0)
            Fail("the passages were not added");
        window.reset();
        store.reset();
        state.ResumeTiming();
    }
    state.counters["lines"] = gBench->lines;
    state.counters["added"] = static_cast<double>(added);
    state.counters["refused"] = static_cast<double>(refused);
    state.counters["grown_MiB"] = grownMiB;
    state.counters["untrimmed_MiB"] = keptMiB;
}

// The file written for Anki: every line with its context, of the lengths of the largest
// collection (up to the 2,320 characters a context may have).
void BM_ImportFifteenThousandLines(benchmark::State& state) {
    ImportFifteenThousandLines(state, gBench->file);
}
BENCHMARK(BM_ImportFifteenThousandLines)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

// A list as kept in a spreadsheet: reference, translation and passage, the context being the
// passage.
void BM_ImportFifteenThousandListLines(benchmark::State& state) {
    ImportFifteenThousandLines(state, gBench->plainFile);
}
BENCHMARK(BM_ImportFifteenThousandListLines)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

// The same lines read and checked without any window, measured on one thread and on two: the
// share of the data layer and the line measure.
void BM_ImportReadOnly(benchmark::State& state) {
    std::unique_ptr<CPassageStore> store = LoadStore(gBench->target);
    for (auto _ : state) {
        std::vector<std::unique_ptr<CEditBoxLineCounter>> counters;
        std::vector<IDisplayLineCounter*> lines;
        for (int thread = 0; thread < state.range(0); ++thread)
            lines.push_back(counters.emplace_back(std::make_unique<CEditBoxLineCounter>()).get());
        CPassageImport import(*store, lines);
        import.Read(gBench->file);
        benchmark::DoNotOptimize(import.AcceptedLines().size());
    }
}
BENCHMARK(BM_ImportReadOnly)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

void BM_ExportAnki(benchmark::State& state) {
    const std::vector<int> all = PassageChoice{}.Passages(*gBench->sourceStore);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string text =
            CFlashcardExport::Format(*gBench->sourceStore, all, CFlashcardExport::Program::Anki);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["passages"] = static_cast<double>(all.size());
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ExportAnki)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the user waits for: the file formatted and written durably in place.
void BM_ExportAnkiWritten(benchmark::State& state) {
    const std::vector<int> all = PassageChoice{}.Passages(*gBench->sourceStore);
    const fs::path path = gBench->target / "cards.txt";
    for (auto _ : state) {
        FileFault fault;
        if (!CFlashcardExport::Write(path, *gBench->sourceStore, all,
                                     CFlashcardExport::Program::Anki, {}, fault))
            Fail("the export was not written");
    }
    state.counters["passages"] = static_cast<double>(all.size());
}
BENCHMARK(BM_ExportAnkiWritten)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    CQtBenchRun run(argc, argv);
    if (!run.ArgumentsOk())
        return 1;

    SExchangeBench bench;
    gBench = &bench;
    bench.source = MakeBenchRoot("recitor_exchange_bench-source");
    bench.target = MakeBenchRoot("recitor_exchange_bench-target");
    SyntheticCollectionInfo info;
    std::string error;
    SyntheticCollectionOptions source;
    // Twice the lines, since only the translations the Edit Passage dialog offers are imported.
    source.baselineCount = CPassageStore::kMaxPassages;
    source.userCount = CPassageStore::kMaxPassages;
    source.revisedCount = 0;
    source.statsCount = 0;
    if (!WriteSyntheticCollection(bench.source, source, info, error))
        Fail("cannot generate the source collection: " + error);
    SyntheticCollectionOptions target = source;
    target.baselineCount = CPassageStore::kMinBaseline;
    target.userCount = 0;
    target.seed = 0x54617267u;
    if (!WriteSyntheticCollection(bench.target, target, info, error))
        Fail("cannot generate the target collection: " + error);
    bench.prefs.Read(bench.settings);
    bench.sourceStore = LoadStore(bench.source);
    std::vector<int> all;
    for (const int index : PassageChoice{}.Passages(*bench.sourceStore))
        if (TransEditable(bench.sourceStore->Passage(index).trans) &&
            all.size() < static_cast<std::size_t>(CPassageStore::kMaxPassages))
            all.push_back(index);
    bench.lines = static_cast<int>(all.size());
    bench.file = CFlashcardExport::Format(*bench.sourceStore, all, CFlashcardExport::Program::Anki);
    bench.plainFile = "reference\ttranslation\tpassage\n";
    for (const int index : all) {
        const CPassage& passage = bench.sourceStore->Passage(index);
        bench.plainFile.append(passage.PassageReference())
            .append("\t")
            .append(passage.TransName())
            .append("\t");
        // One line a passage: its line breaks as blanks.
        for (const char c : passage.PassageText())
            if (c != '\n')
                bench.plainFile.push_back(c == '\r' ? ' ' : c);
        bench.plainFile.push_back('\n');
    }

    run.Run();
    bench.sourceStore.reset();
    fs::remove_all(bench.source);
    fs::remove_all(bench.target);
    return 0;
}
