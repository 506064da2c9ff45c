// SPDX-License-Identifier: GPL-2.0-or-later
// Benchmarks of the main window on a collection at the files' maximum size (about 30,000
// passages after merging): the work of a frequency change and of a translation-filter change,
// each from the tree rebuild to the repainted window, and their parts on their own.
//
// The window runs on the offscreen platform, so the figures hold the painting into the window's
// backing store but not the display server's share. The collection is generated into a fresh
// temporary directory at start (RECITOR_BENCH_DIR names another parent directory) and removed at
// the end.

#include "BenchSupport.h"
#include "CardRenderer.h"
#include "HelpCommands.h"
#include "HelpWindow.h"
#include "MainDlg.h"
#include "MemorySettings.h"
#include "ParallelDlg.h"
#include "ParallelPassages.h"
#include "PassageStore.h"
#include "Platform.h"
#include "Preferences.h"
#include "QtBenchRun.h"
#include "SyntheticCollection.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QDialog>
#include <QHelpContentModel>
#include <QHelpEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram = "recitor_ui_bench";

[[noreturn]] void Fail(const std::string& what) {
    BenchFail(kProgram, what);
}

// The loaded collection and the window over it, shared by all benchmarks.
struct SUiBench {
    CFailingSink sink{kProgram};
    CMemorySettings settings;
    CSystemClock clock;
    CPreferences prefs;
    std::unique_ptr<CPassageStore> store;
    std::unique_ptr<CMainDlg> window;
};
SUiBench* gBench = nullptr;

// Lets the window finish what it has queued (the tree lays its rows out from the event loop)
// and paints it completely, as the screen would show it next.
void Repaint(CMainDlg& window) {
    QCoreApplication::processEvents();
    window.repaint();
}

// The translation a filter change switches to: the most used one among the listed passages, so
// that the filtered tree is as large as such a tree gets.
int BusiestTranslation(const CPassageStore& store) {
    std::map<int, int> counts;
    for (int i = 0; i <= store.LastIndex(); ++i)
        if (store.Passage(i).trans >= 0)
            ++counts[store.Passage(i).trans];
    int best = 0;
    int bestCount = -1;
    for (const auto& [trans, count] : counts)
        if (count > bestCount) {
            best = trans;
            bestCount = count;
        }
    return best;
}

// What a click on a frequency radio costs once the passage has its new class: the tree is
// rebuilt, the first passage in navigation order becomes current and is shown, the window is
// repainted.
void BM_FrequencyChange(benchmark::State& state) {
    CMainDlg& window = *gBench->window;
    for (auto _ : state) {
        window.RebuildTree();
        window.First();
        Repaint(window);
    }
    state.counters["positions"] = gBench->window->LastPosition() + 1;
}
BENCHMARK(BM_FrequencyChange)->Unit(benchmark::kMillisecond)->UseRealTime();

// A translation-filter change: every iteration switches between "All" and the busiest single
// translation, so half the rebuilds list every passage and half only the filtered ones.
void BM_TransFilterChange(benchmark::State& state) {
    CPreferences& prefs = gBench->prefs;
    CMainDlg& window = *gBench->window;
    const int single = BusiestTranslation(*gBench->store);
    const int all = prefs.TransFilter;
    for (auto _ : state) {
        prefs.TransFilter = prefs.TransFilter == all ? single : all;
        window.RebuildTree();
        window.First();
        Repaint(window);
    }
    prefs.TransFilter = all;
    window.RebuildTree();
    window.First();
    state.counters["translation"] = single;
}
BENCHMARK(BM_TransFilterChange)->Unit(benchmark::kMillisecond)->UseRealTime();

// The parts on their own.

void BM_RebuildTree(benchmark::State& state) {
    CMainDlg& window = *gBench->window;
    for (auto _ : state)
        window.RebuildTree();
    window.First();
    Repaint(window);
}
BENCHMARK(BM_RebuildTree)->Unit(benchmark::kMillisecond)->UseRealTime();

// Showing another passage without a rebuild: a step to the next passage and back.
void BM_NextPrevious(benchmark::State& state) {
    CMainDlg& window = *gBench->window;
    window.First();
    for (auto _ : state) {
        window.Next();
        window.Previous();
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_NextPrevious)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_Repaint(benchmark::State& state) {
    CMainDlg& window = *gBench->window;
    for (auto _ : state)
        Repaint(window);
}
BENCHMARK(BM_Repaint)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole window rendered into an image, as a screenshot would take it.
void BM_Grab(benchmark::State& state) {
    CMainDlg& window = *gBench->window;
    for (auto _ : state)
        benchmark::DoNotOptimize(window.grab());
}
BENCHMARK(BM_Grab)->Unit(benchmark::kMillisecond)->UseRealTime();

// The pocket card of the passage with the longest context, printed to a PDF document in memory:
// the document set up, the card laid out and drawn, the page and document finished.
void BM_PrintCardToPdf(benchmark::State& state) {
    const CPassageStore& store = *gBench->store;
    int longest = 0;
    for (int i = 0; i <= store.LastIndex(); ++i)
        if (store.Passage(i).context.size() > store.Passage(longest).context.size())
            longest = i;
    const CPassage& passage = store.Passage(longest);
    qint64 bytes = 0;
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        QPainter painter(&writer);
        CCardRenderer(passage).Draw(painter);
        painter.end();
        bytes = buffer.size();
    }
    state.counters["context"] = static_cast<double>(passage.context.size());
    state.counters["pdfBytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_PrintCardToPdf)->Unit(benchmark::kMillisecond)->UseRealTime();

// The first opening of the help at its contents: the collection opened, the window with its
// contents, index and start page made and shown, and its contents listed. Every iteration is a
// first opening: the window goes with its commands.
void BM_OpenHelp(benchmark::State& state) {
    const QString collection =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../app/Recitor.qhc");
    QDialog owner;
    for (auto _ : state) {
        CHelpCommands help(owner, collection);
        help.Overview();
        CHelpWindow* window = help.Window();
        if (!window)
            Fail("the help collection " + collection.toStdString() + " did not open");
        QHelpContentModel* contents = window->Engine().contentModel();
        while (contents->isCreatingContents() || contents->rowCount() == 0)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        window->repaint();
    }
}
// The very first opening in the process also loads Qt Help's database driver: timed once on its
// own, before the repeated openings.
BENCHMARK(BM_OpenHelp)
    ->Name("BM_OpenHelp/firstInProcess")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_OpenHelp)->Unit(benchmark::kMillisecond)->UseRealTime();

// Opening the Parallel Passages window for the passage with the most other translations: the
// parallels looked up over every translation number, the window made, shown and painted.
void BM_OpenParallelPassages(benchmark::State& state) {
    const CPassageStore& store = *gBench->store;
    int richest = 0;
    int most = -1;
    for (int i = 0; i <= store.LastIndex(); i += 7) {
        const int count = CParallelPassages(store, i).Count();
        if (count > most) {
            richest = i;
            most = count;
        }
    }
    for (auto _ : state) {
        CParallelDlg dialog(CParallelPassages(store, richest), gBench->window.get());
        dialog.show();
        dialog.repaint();
        dialog.hide();
    }
    state.counters["parallels"] = most;
}
BENCHMARK(BM_OpenParallelPassages)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    CQtBenchRun run(argc, argv);
    if (!run.ArgumentsOk())
        return 1;

    SyntheticCollectionInfo info;
    const fs::path root = WriteBenchCollection(kProgram, info);

    SUiBench bench;
    gBench = &bench;
    bench.store = std::make_unique<CPassageStore>(bench.sink, bench.settings, bench.clock, root);
    bench.prefs.Read(bench.settings);
    if (bench.store->Load() != Status::Ok)
        Fail("the collection did not load");
    if (bench.store->PassageCount() != info.passageCount)
        Fail("the loaded collection does not have the generated passage count");
    bench.window = std::make_unique<CMainDlg>(*bench.store, bench.prefs);
    bench.window->show();
    Repaint(*bench.window);
    std::fprintf(stderr, "recitor_ui_bench: %d passages, %d active, %d tree positions\n",
                 bench.store->PassageCount(), bench.store->StatsCount(),
                 bench.window->LastPosition() + 1);

    run.Run();

    bench.window.reset();
    bench.store.reset();
    std::error_code ignored;
    fs::remove_all(root, ignored);
    return 0;
}
