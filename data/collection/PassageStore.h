// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "LineReader.h"
#include "MemoryArena.h"
#include "Passage.h"
#include "PassageLoader.h"
#include "PassageWriter.h"
#include "Platform.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

// Told by the store after each change of which passages it holds or of their order.
class IStoreListener {
public:
    virtual ~IStoreListener() = default;
    virtual void PassagesChanged() = 0;
};

// The in-memory collection of all passages, merged from the baseline file, the user file and the
// statistics file, in ascending sortKey order. Its verbs keep the score, the counts and the flags
// right by themselves; windows read passages and never change them directly. Its loader fills it
// (CPassageLoader), its writer saves it (CPassageWriter) and the handheld export lists its active
// passages (CHandheldExport); the store's Load, SaveAll and WriteExport hand the work to them and
// keep what they did.
class CPassageStore {
public:
    static constexpr int kMaxPassages = 15000;
    static constexpr int kMinBaseline = 18;
    static constexpr std::size_t kMaxLineLength = 2500;

    // File names, relative to the working directory.
    static constexpr const char* kInfoFile = "RctInfo.xml";
    static constexpr const char* kUserFile = "RctUser.xml";
    static constexpr const char* kStatsFile = "RctStats.xml";
    static constexpr const char* kStatsSpareFile = "RctStatsSpare.xml";
    static constexpr const char* kExportFile = "PpcXport.txt";
    // Present only while a save puts the statistics and user files in place (and after a save
    // that was killed doing so): it names the new files, so that the next start can finish.
    static constexpr const char* kSaveRecordFile = "RctSave.pending";

    // The store reports through messages, keeps the export's time stamp in settings and takes the
    // time from clock; all three outlive it. The data files lie in directory (the working directory
    // when empty).
    CPassageStore(IMessageSink& messages, ISettings& settings, IClock& clock,
                  std::filesystem::path directory = {});
    ~CPassageStore();
    CPassageStore(const CPassageStore&) = delete;
    CPassageStore& operator=(const CPassageStore&) = delete;

    // Where the store's file name lies.
    std::filesystem::path PathOf(const char* name) const;

    // Reads and merges the three files (CPassageLoader::Load); called once. A save that was
    // interrupted while it put the statistics and user files in place is completed first, so
    // that they belong together.
    Status Load() { return loader_.Load(); }
    // Whether any file Load read is no longer the one it read. A copy of the program that waited
    // for another to end asks this before it works on what it loaded.
    bool FilesChangedSinceLoad() const { return loader_.FilesChangedSinceLoad(); }
    // Load reads its files through read, so that tests can make a read fail.
    void SetReadFunction(const CLineReader::ReadFunction& read) { loader_.SetReadFunction(read); }

    // Index of the passage with the VerseKey of key (bit 0 ignored), or -1.
    int Find(std::uint32_t key) const;

    // Classification of the passage at index. A passage moved into or out of the active classes
    // changes the statistics count and makes the handheld export due; one made inactive is "Not
    // Started" again, and the score loses what its progress gave. Refused with a warning (false,
    // nothing changes) when the passage would be one active passage more than the statistics
    // file can hold.
    bool SetFrequency(int index, int freq);
    // Progress of the passage at index, with the score kept in step; an inactive passage stays
    // "Not Started". Returns the progress the passage has afterwards.
    int SetProgress(int index, int prog);

    // Whether the user file can take one more passage; otherwise warns that it is full.
    bool CheckRoomForUserPassage();
    // Takes a new passage into the store unless one with its VerseKey exists or a file would
    // hold more passages than it may (then it warns, returns -1 and the caller keeps the
    // passage). On success the store owns the passage, which is a user passage in its place in
    // the order, and the result is that place.
    int Add(std::unique_ptr<CPassage>& passage);
    // Takes new passages in as Add takes each, in their order, refusing with the same warnings;
    // the first refused one ends the run (one warning, not one for each passage after it). The
    // order is restored and the listener told once, so that thousands of passages come in at
    // the cost of one. Returns how many were taken: those are null in passages afterwards, and
    // the refused one and the rest stay with the caller.
    int AddMany(std::vector<std::unique_ptr<CPassage>>& passages);
    // Removes and destroys the passage at index, with the score, the counts and the export kept
    // right; false (with a warning) when there is no such passage.
    bool Remove(int index);
    // Gives the passage at index the values the user entered; a baseline passage becomes a user
    // passage, so that the user file keeps it. Its progress and class stay. Refused, with a
    // warning and -1, when the new VerseKey is another passage's or when a baseline passage
    // would not fit in the full user file; otherwise the result is the passage's place in the
    // order afterwards.
    int Revise(int index, const CPassage::Values& values);
    // Told after every change of which passages the store holds or of their order (add, remove,
    // revise); indices taken before are then void. Null for nobody.
    void SetListener(IStoreListener* listener) { listener_ = listener; }

    // The passages a passage list shows of the collection: context records only in the
    // maintainers' mode, in which each translation of a verse is worked on with its context.
    void SetListContextRecords(bool list) { listContextRecords_ = list; }
    bool ListContextRecords() const { return listContextRecords_; }
    // The active passages in the order the handheld gets them: Most Frequent, Less Frequent, then
    // Least Frequent, each in store order.
    std::vector<int> ExportList() const;

    // Writes the files that are due: the handheld export when needed, the statistics file, and
    // the user file when it changed; they are replaced together, also when the program is killed
    // meanwhile. An export that cannot be written is reported, stays due and the rest is saved
    // without it. Status::Fatal, after a message saying which file failed and why, when a data
    // file cannot be written; the files on disk then stay as they were. (The caller writes the
    // settings after a save that worked.)
    Status SaveAll();
    // Called after each file operation while a save puts the files in place, so that tests can
    // stop the program between any two of them.
    void SetCommitStepHook(std::function<void()> hook) {
        writer_.SetCommitStepHook(std::move(hook));
    }
    // Removes the temporary files that a save killed before it finished left behind
    // (CPassageWriter::RemoveLeftoverTemporaries). Called at start-up, after Load has completed
    // an interrupted save.
    void RemoveLeftoverTemporaries() const { writer_.RemoveLeftoverTemporaries(); }
    // The save at the end of the run: after a save that worked the store holds no passages (they
    // are released as the save ends); after a failed one it keeps them all, as the windows still
    // show them while the failure is reported. Saving is not left to the destructor so that a
    // failed save can end the program with its exit status.
    Status Close();
    // Close for the program's end: the passages a save that worked leaves are not freed one by
    // one but kept, still reachable, until the process ends and takes back its memory at once
    // (which leak checkers see as memory in use). The store holds no passages afterwards, as
    // after Close.
    Status CloseAtExit();
    // Writes the handheld export file from the export list, a line for each passage; its text
    // stays on the line and keeps the passage's length, so that the hint's columns index it.
    // False (after its message) when the file cannot be written; the export then stays due.
    bool WriteExport();

    int PassageCount() const { return static_cast<int>(passages_.size()); }
    int LastIndex() const { return PassageCount() - 1; }
    const CPassage& Passage(int index) const { return *passages_[static_cast<std::size_t>(index)]; }

    int Score() const { return score_; }           // sum over all passages of vCount * prog
    int StatsCount() const { return statsCount_; } // passages in the active classes
    int UserCount() const { return userCount_; }
    int BaselineCount() const { return baselineCount_; }
    bool ExportDue() const { return exportDue_; }
    bool UserFileChanged() const { return userFileChanged_; }
    double LoadSeconds() const { return loadSeconds_; }
    // The memory the passages read from the files take outside the heap, in their arenas.
    std::size_t ArenaBytes() const {
        return baselineArenas_->ReservedBytes() + userArenas_->ReservedBytes();
    }
    std::uint32_t ExportTimestamp() const { return exportTimestamp_; }

private:
    // The loader fills the store it belongs to.
    friend class CPassageLoader;

    int FindIn(std::uint32_t key, int last) const;
    // Writes the files that are due, releasing the passages once they are safely saved when
    // release is true.
    enum class AfterSave { Keep, Free, KeepToExit };
    Status Save(AfterSave after);
    // The export stamped timestamp is in place: it is no longer due.
    void ExportWritten(std::uint32_t timestamp);
    int ActiveCount() const;
    void ReportTooManyActive();

    // The passage at index, for the verbs above; nothing else changes a passage in the store.
    CPassage& Mutable(int index) { return *passages_[static_cast<std::size_t>(index)]; }
    void Changed() const;
    // Puts the passages in ascending sortKey order.
    void Sort();
    void ReportDuplicate(std::uint32_t key);

    IMessageSink& messages_;
    ISettings& settings_;
    IClock& clock_;
    std::filesystem::path directory_;
    // The memory of the passages loaded from the files, for each thread that reads them: the
    // records side by side in one arena, their contexts in another, so that a walk over the
    // records (each listing) reads a few pages rather than every page of the texts in between.
    // They go after the passages.
    struct LoadArenas {
        CMemoryArena records;
        CMemoryArena texts;
        std::size_t ReservedBytes() const {
            return records.ReservedBytes() + texts.ReservedBytes();
        }
    };
    std::unique_ptr<LoadArenas> baselineArenas_ = std::make_unique<LoadArenas>();
    std::unique_ptr<LoadArenas> userArenas_ = std::make_unique<LoadArenas>();
    std::vector<std::unique_ptr<CPassage>> passages_;
    IStoreListener* listener_ = nullptr;
    bool listContextRecords_ = false;
    int score_ = 0;
    int statsCount_ = 0;
    int userCount_ = 0;
    int baselineCount_ = 0;
    bool exportDue_ = false;
    bool userFileChanged_ = false;
    double loadSeconds_ = 0.0;
    std::uint32_t exportTimestamp_ = 0;
    CPassageLoader loader_{*this};
    CPassageWriter writer_;
};
