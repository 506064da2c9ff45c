// SPDX-License-Identifier: GPL-2.0-or-later
// Benchmark of the Progress Over Time window as the user meets it, at the maximum collection with
// 2,000,000 recorded events: from the command to every chart painted once, that is the history
// read, the series computed, the window made, shown and painted.
//
// The window runs on the offscreen platform, so the figures hold the painting into the window's
// backing store but not the display server's share. The collection and the history are generated
// into a fresh temporary directory at start (RECITOR_BENCH_DIR names another parent directory)
// and removed at the end.

#include "BenchSupport.h"
#include "ChartWidget.h"
#include "CommandIds.h"
#include "MainDlg.h"
#include "MemorySettings.h"
#include "PassageStore.h"
#include "Platform.h"
#include "Preferences.h"
#include "QtBenchRun.h"
#include "ReviewHistory.h"
#include "ReviewSchedule.h"
#include "SyntheticCollection.h"
#include "SyntheticHistory.h"

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <filesystem>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram = "recitor_chart_bench";
constexpr int kCharts = 3;

// The clock stands just after the last recorded review, so that the recent days hold reviews.
class CFixedClock : public IClock {
public:
    std::uint32_t NowSeconds() override {
        return static_cast<std::uint32_t>(SyntheticHistory::kEnd);
    }
    std::int64_t NowMilliseconds() override { return SyntheticHistory::kEnd * 1000; }
};

// Closes the modal window once each of its charts has been painted: the close is queued behind
// the last chart's paint, so the command returns as soon as the user would see every chart.
class CCloseWhenPainted : public QObject {
public:
    CCloseWhenPainted() { qApp->installEventFilter(this); }
    ~CCloseWhenPainted() override { qApp->removeEventFilter(this); }
    int Painted() const { return painted_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && qobject_cast<CChartWidget*>(watched) &&
            ++painted_ == kCharts)
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                QTimer::singleShot(0, dialog, &QDialog::reject);
        return false;
    }

private:
    int painted_ = 0;
};

struct SChartBench {
    CFailingSink sink{kProgram};
    CMemorySettings settings;
    CFixedClock clock;
    CPreferences prefs;
    std::unique_ptr<CPassageStore> store;
    std::unique_ptr<CReviewHistory> history;
    std::unique_ptr<CReviewSchedule> schedule;
    std::unique_ptr<CMainDlg> window;
};
SChartBench* gBench = nullptr;

void BM_OpenProgressOverTime(benchmark::State& state) {
    QAction* command = gBench->window->Action(Id::kProgressOverTime);
    for (auto _ : state) {
        CCloseWhenPainted closer;
        command->trigger();
        if (closer.Painted() < kCharts)
            BenchFail(kProgram, "the charts were not painted");
    }
}
BENCHMARK(BM_OpenProgressOverTime)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    CQtBenchRun run(argc, argv);
    if (!run.ArgumentsOk())
        return 1;

    SyntheticCollectionInfo info;
    const fs::path root = WriteBenchCollection(kProgram, info);

    SChartBench bench;
    gBench = &bench;
    WriteSyntheticHistory(kProgram, bench.sink, root);
    bench.store = std::make_unique<CPassageStore>(bench.sink, bench.settings, bench.clock, root);
    bench.prefs.Read(bench.settings);
    if (bench.store->Load() != Status::Ok)
        BenchFail(kProgram, "the collection did not load");
    bench.history = std::make_unique<CReviewHistory>(bench.sink, root);
    bench.schedule = std::make_unique<CReviewSchedule>(*bench.history, bench.clock);
    bench.window = std::make_unique<CMainDlg>(*bench.store, bench.prefs);
    bench.window->SetReview(*bench.history, *bench.schedule, bench.clock);
    bench.window->show();
    QCoreApplication::processEvents();

    run.Run();

    bench.window.reset();
    bench.schedule.reset();
    bench.history.reset();
    bench.store.reset();
    std::error_code ignored;
    fs::remove_all(root, ignored);
    return 0;
}
