// SPDX-License-Identifier: GPL-2.0-or-later
// Benchmarks of the passage data layer on a collection at the files' maximum size: loading
// against the cost of merely reading the three files, saving against the cost of merely writing
// the same bytes durably, the handheld export, and the memory the loaded collection takes.
//
// The collection is generated into a fresh temporary directory at start (RECITOR_BENCH_DIR names
// another parent directory) and removed at the end. Every store here runs with a message sink
// that stops the program on any message: the maximum collection must load and save silently.

#include "BenchSupport.h"
#include "MemorySettings.h"
#include "PassageStore.h"
#include "Platform.h"
#include "SyntheticCollection.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram = "recitor_bench";

constexpr double kMiB = 1024.0 * 1024.0;

[[noreturn]] void Fail(const std::string& what) {
    BenchFail(kProgram, what);
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        Fail("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Shared by all benchmarks: where the collection lies and what it holds.
struct SBenchData {
    fs::path root;
    fs::path loadDir;  // the generated collection, only ever read
    fs::path saveDir;  // a copy that SaveAll and WriteExport write into
    fs::path floorDir; // where the raw write floor writes
    SyntheticCollectionInfo info;
    std::string savedStats; // the bytes a save writes, for the raw write floor
    std::string savedUser;
};
SBenchData* gData = nullptr;

CFailingSink gSink{kProgram};
CMemorySettings gSettings;
CSystemClock gClock;

std::unique_ptr<CPassageStore> LoadedStore(const fs::path& dir) {
    auto store = std::make_unique<CPassageStore>(gSink, gSettings, gClock, dir);
    if (store->Load() != Status::Ok)
        Fail("the collection in " + dir.string() + " did not load");
    return store;
}

// Marks the user file for writing as the user would, revising a user passage without changing it;
// the export that a revised active passage makes due is written here, so that saves measure the
// two files alone.
void MarkUserFileDue(CPassageStore& store) {
    int index = 0;
    while (index < store.PassageCount() && store.Passage(index).baseline)
        ++index;
    if (index == store.PassageCount() || store.Revise(index, store.Passage(index).GetValues()) < 0)
        Fail("no user passage to revise");
    if (store.ExportDue() && !store.WriteExport())
        Fail("export failed");
}

// Heap in use, counting the large blocks that the allocator maps directly.
std::size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// ---------------------------------------------------------------------------------------------
// Reading

// Reads the three files whole into fresh memory, which is not zero-filled first, as a careful
// program would not either.
void ReadWholeFiles() {
    for (const char* name :
         {CPassageStore::kInfoFile, CPassageStore::kUserFile, CPassageStore::kStatsFile}) {
        const fs::path path = gData->loadDir / name;
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (!file)
            Fail("cannot open " + path.string());
        std::fseek(file, 0, SEEK_END);
        const auto size = static_cast<std::size_t>(std::ftell(file));
        std::fseek(file, 0, SEEK_SET);
        auto bytes = std::make_unique_for_overwrite<char[]>(size);
        if (std::fread(bytes.get(), 1, size, file) != size)
            Fail("short read of " + path.string());
        std::fclose(file);
        benchmark::DoNotOptimize(bytes.get());
        benchmark::ClobberMemory();
    }
}

// Constructs a store and loads the collection; the store's destruction is kept out of the timing.
void TimedLoad(benchmark::State& state) {
    auto store = std::make_unique<CPassageStore>(gSink, gSettings, gClock, gData->loadDir);
    if (store->Load() != Status::Ok)
        Fail("load failed");
    benchmark::DoNotOptimize(store->Score());
    state.PauseTiming();
    store.reset();
    state.ResumeTiming();
}

// The bare transfer: each of the three files read whole into one block, with no parsing and no
// line of its own for anything. No loader comes near it (merely finding the line ends costs more),
// so it is for information; the floor for loading is BM_ReadFloor below.
void BM_ReadWholeFiles(benchmark::State& state) {
    for (auto _ : state)
        ReadWholeFiles();
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(gData->info.TotalBytes()));
}

// The files read into memory the way a program holds text lines: each line of the three files in a
// string of its own, read with the standard library's line reader, with no parsing at all. This
// is the floor for loading, since every passage needs its text in memory of its own and the whole
// files read above leave it in one block. Freeing the lines is kept out of the timing, as
// destroying the store is for BM_Load.
void BM_ReadFloor(benchmark::State& state) {
    const fs::path files[] = {gData->loadDir / CPassageStore::kInfoFile,
                              gData->loadDir / CPassageStore::kUserFile,
                              gData->loadDir / CPassageStore::kStatsFile};
    for (auto _ : state) {
        std::vector<std::string> lines;
        for (const fs::path& path : files) {
            std::ifstream in(path, std::ios::binary);
            if (!in)
                Fail("cannot open " + path.string());
            std::string line;
            while (std::getline(in, line))
                lines.push_back(line);
        }
        benchmark::DoNotOptimize(lines.data());
        benchmark::ClobberMemory();
        state.PauseTiming();
        lines = {};
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(gData->info.TotalBytes()));
}

// A program starts once a day or so, when its files have long left the page cache: these drop the
// three files from the cache before each round, so that reading them comes from the disk.
void EvictFromCache(const fs::path& dir) {
    for (const char* name :
         {CPassageStore::kInfoFile, CPassageStore::kUserFile, CPassageStore::kStatsFile}) {
        const int fd = ::open((dir / name).c_str(), O_RDONLY);
        if (fd < 0)
            Fail("cannot open " + (dir / name).string());
        ::fsync(fd); // only clean pages can be dropped
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

// The bare transfer from a cold cache: the three files read whole, as in BM_ReadWholeFiles.
void BM_ReadWholeFilesCold(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        EvictFromCache(gData->loadDir);
        state.ResumeTiming();
        ReadWholeFiles();
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(gData->info.TotalBytes()));
}

// Loading from a cold cache, as at a start of the program.
void BM_LoadCold(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        EvictFromCache(gData->loadDir);
        state.ResumeTiming();
        TimedLoad(state);
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(gData->info.TotalBytes()));
}

// Loading the collection; BM_LoadAndDestroy has the store's destruction in the timing too.
void BM_Load(benchmark::State& state) {
    for (auto _ : state)
        TimedLoad(state);
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(gData->info.TotalBytes()));
}

void BM_LoadAndDestroy(benchmark::State& state) {
    for (auto _ : state) {
        CPassageStore store(gSink, gSettings, gClock, gData->loadDir);
        if (store.Load() != Status::Ok)
            Fail("load failed");
        benchmark::DoNotOptimize(store.Score());
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(gData->info.TotalBytes()));
}

// The memory taken by the loaded collection (the heap and the store's arenas), against the size of
// its files: the store must not hold more than twice the files plus 20 MiB. Also the heap after a
// save, which must not grow.
void BM_LoadMemory(benchmark::State& state) {
    std::size_t heap = 0;
    std::size_t resident = 0;
    std::size_t heapSaved = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const std::size_t heapBefore = HeapInUse();
        const std::size_t residentBefore = ResidentBytes();
        auto store = LoadedStore(gData->loadDir);
        heap = HeapInUse() - heapBefore + store->ArenaBytes();
        resident = ResidentBytes() - residentBefore;
        state.PauseTiming();
        CPassageStore saver(gSink, gSettings, gClock, gData->saveDir);
        store.reset();
        malloc_trim(0);
        const std::size_t saverBefore = HeapInUse();
        if (saver.Load() != Status::Ok)
            Fail("load failed");
        MarkUserFileDue(saver);
        if (saver.SaveAll() != Status::Ok)
            Fail("save failed");
        heapSaved = HeapInUse() - saverBefore + saver.ArenaBytes();
        state.ResumeTiming();
    }
    const double files = static_cast<double>(gData->info.TotalBytes());
    state.counters["files_MiB"] = files / kMiB;
    state.counters["heap_MiB"] = static_cast<double>(heap) / kMiB;
    state.counters["rss_MiB"] = static_cast<double>(resident) / kMiB;
    state.counters["heap_saved_MiB"] = static_cast<double>(heapSaved) / kMiB;
    state.counters["limit_MiB"] = (2.0 * files + 20.0 * kMiB) / kMiB;
    state.counters["heap_per_file_byte"] = static_cast<double>(heap) / files;
}

// ---------------------------------------------------------------------------------------------
// Writing

// Writes bytes to target as durably as a save does: a temporary file beside it, flushed and
// synced, renamed over the target, and the directory synced so that the rename survives a crash.
void WriteDurably(const fs::path& target, const std::string& bytes) {
    fs::path temp = target;
    temp += ".floor-tmp";
    std::FILE* file = std::fopen(temp.c_str(), "wb");
    if (!file)
        Fail("cannot create " + temp.string());
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
        std::fflush(file) != 0 || ::fsync(::fileno(file)) != 0)
        Fail("cannot write " + temp.string());
    std::fclose(file);
    if (std::rename(temp.c_str(), target.c_str()) != 0)
        Fail("cannot rename " + temp.string());
    const int dir = ::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

// The least any save must do: the statistics file and the user file, already formatted, written
// durably and atomically.
void BM_AtomicWriteFloor(benchmark::State& state) {
    const fs::path stats = gData->floorDir / CPassageStore::kStatsFile;
    const fs::path user = gData->floorDir / CPassageStore::kUserFile;
    for (auto _ : state) {
        WriteDurably(user, gData->savedUser);
        WriteDurably(stats, gData->savedStats);
    }
    state.SetBytesProcessed(
        state.iterations() *
        static_cast<std::int64_t>(gData->savedStats.size() + gData->savedUser.size()));
}

// A save with the user file due: both files formatted from the loaded passages and written
// atomically.
void BM_SaveAll(benchmark::State& state) {
    auto store = LoadedStore(gData->saveDir);
    MarkUserFileDue(*store);
    for (auto _ : state) {
        if (store->SaveAll() != Status::Ok)
            Fail("save failed");
    }
    state.SetBytesProcessed(
        state.iterations() *
        static_cast<std::int64_t>(gData->savedStats.size() + gData->savedUser.size()));
}

// The save at the end of the run with the user file due, and the store's end after it: the
// collection is released once the save has worked.
void BM_CloseAndDestroy(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto store = LoadedStore(gData->saveDir);
        MarkUserFileDue(*store);
        state.ResumeTiming();
        if (store->Close() != Status::Ok)
            Fail("close failed");
        store.reset();
    }
    state.SetBytesProcessed(
        state.iterations() *
        static_cast<std::int64_t>(gData->savedStats.size() + gData->savedUser.size()));
}

// The handheld export of every active passage, in store order.
void BM_WriteExport(benchmark::State& state) {
    auto store = LoadedStore(gData->saveDir);
    for (auto _ : state) {
        if (!store->WriteExport())
            Fail("export failed");
    }
    const auto bytes = fs::file_size(gData->saveDir / CPassageStore::kExportFile);
    state.counters["entries"] = static_cast<double>(store->ExportList().size());
    state.counters["file_MiB"] = static_cast<double>(bytes) / kMiB;
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}

BENCHMARK(BM_ReadFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadWholeFiles)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadAndDestroy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadWholeFilesCold)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadCold)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_AtomicWriteFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveAll)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CloseAndDestroy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriteExport)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---------------------------------------------------------------------------------------------
// Setup

void Prepare(SBenchData& data) {
    data.root = MakeBenchRoot(kProgram);
    data.loadDir = data.root / "load";
    data.saveDir = data.root / "save";
    data.floorDir = data.root / "floor";
    for (const fs::path& dir : {data.loadDir, data.saveDir, data.floorDir})
        fs::create_directory(dir);

    std::string error;
    if (!WriteSyntheticCollection(data.loadDir, SyntheticCollectionOptions{}, data.info, error))
        Fail("cannot generate the collection: " + error);
    for (const char* name : {CPassageStore::kInfoFile, CPassageStore::kUserFile,
                             CPassageStore::kStatsFile, CPassageStore::kStatsSpareFile})
        fs::copy_file(data.loadDir / name, data.saveDir / name);

    // The collection must load silently (the sink stops the program on any message) into the
    // number of passages it was made with.
    {
        auto store = LoadedStore(data.loadDir);
        if (store->PassageCount() != data.info.passageCount ||
            store->StatsCount() != data.info.activeCount)
            Fail("the loaded collection does not have the generated counts");
    }

    // A save of the unchanged collection must give back the generated files byte for byte; its
    // bytes are then what the raw write floor writes.
    {
        auto store = LoadedStore(data.saveDir);
        MarkUserFileDue(*store);
        if (store->SaveAll() != Status::Ok)
            Fail("the first save failed");
    }
    data.savedStats = ReadFile(data.saveDir / CPassageStore::kStatsFile);
    data.savedUser = ReadFile(data.saveDir / CPassageStore::kUserFile);
    if (data.savedStats != ReadFile(data.loadDir / CPassageStore::kStatsFile) ||
        data.savedUser != ReadFile(data.loadDir / CPassageStore::kUserFile))
        std::fprintf(stderr, "recitor_bench: WARNING: a save of the unchanged collection differs "
                             "from the generated files\n");

    const SyntheticCollectionInfo& i = data.info;
    benchmark::AddCustomContext("collection_dir", data.root.string());
    benchmark::AddCustomContext("collection_passages", std::to_string(i.passageCount));
    benchmark::AddCustomContext("collection_shared", std::to_string(i.sharedCount));
    benchmark::AddCustomContext("collection_context_records", std::to_string(i.contextRecords));
    benchmark::AddCustomContext("collection_long_contexts", std::to_string(i.longContexts));
    benchmark::AddCustomContext("collection_max_line", std::to_string(i.maxLineLength));
    benchmark::AddCustomContext("collection_mean_context",
                                std::to_string(static_cast<int>(i.meanContext + 0.5)));
    benchmark::AddCustomContext("collection_info_bytes", std::to_string(i.infoBytes));
    benchmark::AddCustomContext("collection_user_bytes", std::to_string(i.userBytes));
    benchmark::AddCustomContext("collection_stats_bytes", std::to_string(i.statsBytes));
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    SBenchData data;
    gData = &data;
    Prepare(data);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(data.root, ignored);
    return 0;
}
