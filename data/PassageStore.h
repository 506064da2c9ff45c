#pragma once

#include "FileIdentity.h"
#include "LineReader.h"
#include "Passage.h"
#include "Platform.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CAtomicFile;
class CJointCommit;
struct FileFault;

// Told by the store after each change of which passages it holds or of their order.
class IStoreListener {
public:
    virtual ~IStoreListener() = default;
    virtual void PassagesChanged() = 0;
};

// The in-memory collection of all passages, merged from the baseline file, the user file and the
// statistics file, in ascending sortKey order. Its verbs keep the score, the counts and the flags
// right by themselves; windows read passages and never change them directly. Loading either
// succeeds completely or reports its fault and returns Status::Fatal with every file left as it
// was.
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

    // Reads and merges the three files; called once. A save that was interrupted while it put
    // the statistics and user files in place is completed first, so that they belong together.
    // A damaged statistics file is renamed aside (RctStats.xml.damaged, or with "-2", "-3", ...)
    // before the spare stands in. A file that cannot be read, or a save record that cannot be,
    // is Status::Fatal, so that nothing is written over it.
    Status Load();
    // Whether any file Load read (the baseline, user and statistics files and the spare) is no
    // longer the one it read: replaced, rewritten, removed or newly there. A copy of the program
    // that waited for another to end asks this before it works on what it loaded.
    bool FilesChangedSinceLoad() const;
    // Load reads its files through read (CLineReader::SetReadFunction), so that tests can make a
    // read fail.
    void SetReadFunction(const CLineReader::ReadFunction& read);

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
    void SetCommitStepHook(std::function<void()> hook) { commitStepHook_ = std::move(hook); }
    // Removes the temporary files that a save killed before it finished left beside the files the
    // store writes (statistics, user and handheld export files and the save record; beside the
    // files their symbolic links name), except those a save record in place names. Called at
    // start-up, after Load has completed an interrupted save; it waits for a save of another
    // copy that is under way.
    void RemoveLeftoverTemporaries() const;
    // The save at the end of the run: after a save that worked the store holds no passages (they
    // are released as the save ends); after a failed one it keeps them all, as the windows still
    // show them while the failure is reported. Saving is not left to the destructor so that a
    // failed save can end the program with its exit status.
    Status Close();
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
    std::uint32_t ExportTimestamp() const { return exportTimestamp_; }

private:
    struct Header {
        bool declarationOk = false;
        bool countRead = false;
        bool versionRead = false;
        int count = 0;
        int version = 0;
    };

    // A user element as read, before it joins the baseline: whether its line was cut, and the
    // passage, or none when the line was damaged.
    struct UserElement {
        std::unique_ptr<CPassage> passage;
        bool cut = false;
        // The passage's keys as read (sortKey with the baseline bit set, as every element is
        // read), kept here so that merging does not visit the passages.
        std::uint32_t key = 0;
        std::uint32_t sortKey = 0;
        std::uint32_t matchKey = 0;
    };
    // The user file's elements up to the first damaged one, whose message waits in fault.
    struct UserElements {
        std::vector<UserElement> read;
        CMessageLog fault;
    };
    // A statistics line as read: the key it names and the levels it gives.
    struct StatsLine {
        std::uint32_t keyNumber = 0;
        std::uint32_t matchKey = 0;
        int prog = 0;
        int freq = 0;
    };
    // The statistics lines up to the first damaged one, whose message waits in fault.
    struct StatsLines {
        std::vector<StatsLine> read;
        CMessageLog fault;
    };

    std::filesystem::path PathOf(const char* name) const;
    // The identities of the files Load reads: baseline, user, statistics and spare files.
    std::array<FileIdentity, 4> LoadedFileIdentities() const;
    Header ReadHeader(CLineReader& file);
    // Whether file could not be opened for another reason than that it is missing, or could not
    // be read; then after a message naming it and the system's reason.
    bool ReadFailed(const CLineReader& file);
    Status OpenStats();
    void ReadFiles(Status& baselineStatus, CMessageLog& baselineMessages,
                   UserElements& userElements, StatsLines& statsLines);
    // Reads an element line; one longer than a line may be is cut into cutCopy (true).
    static bool ReadElementLine(CLineReader& file, std::string& cutCopy, std::string_view& line);
    static void ReportTooLong(IMessageSink& messages, bool userFile, int readIndex);
    Status ShareContext(CPassage& passage, std::uint32_t previousKey, IMessageSink& messages);
    Status LoadBaseline(IMessageSink& messages);
    void ReadUserElements(UserElements& user);
    // Takes the user passages into the store; the baseline passages they revise go to replaced.
    Status MergeUser(UserElements& user, std::vector<std::unique_ptr<CPassage>>& replaced);
    void ReadStatsLines(StatsLines& stats);
    Status AttachStats(StatsLines& stats);
    Status CheckEnd(CLineReader& file, const char* fileName);
    int FindIn(std::uint32_t key, int last) const;
    Status CompleteInterruptedSave();
    // Writes the statistics and user files and puts them in place with exported, when given;
    // exportCommitted turns false when the export could not be put in place with them.
    bool WriteFiles(CJointCommit& commit, CAtomicFile& stats, CAtomicFile& user,
                    CAtomicFile* exported, bool& exportCommitted);
    bool WriteStats(CAtomicFile& stats, int& count) const;
    bool WriteUser(CAtomicFile& user) const;
    // Writes the handheld export to file, finished but not in place, stamped with timestamp;
    // false after its message when it cannot be written.
    bool WriteExportFile(CAtomicFile& file, std::uint32_t& timestamp);
    // The export stamped timestamp is in place: it is no longer due.
    void ExportWritten(std::uint32_t timestamp);
    enum class SavedFile { Stats, User, Record, Export };
    void ReportWriteFault(SavedFile file, const FileFault& fault);
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
    std::vector<std::unique_ptr<CPassage>> passages_;
    IStoreListener* listener_ = nullptr;
    bool listContextRecords_ = false;
    int score_ = 0;
    int statsCount_ = 0;
    int userCount_ = 0;
    int baselineCount_ = 0;
    bool exportDue_ = false;
    bool userFileChanged_ = false;
    bool releaseOnSave_ = false;
    std::function<void()> commitStepHook_;
    double loadSeconds_ = 0.0;
    std::uint32_t exportTimestamp_ = 0;
    // The baseline, user and statistics files and the spare, as Load found them.
    static constexpr std::size_t kStatsIdentity = 2;
    std::array<FileIdentity, 4> loadedFiles_;
    CLineReader infoFile_;
    CLineReader userFile_;
    CLineReader statsFile_;
    // The keys of the baseline passages in file order, kept contiguous while the user file is
    // merged: looking them up there spares a visit to every passage the search passes.
    std::vector<std::uint32_t> baselineKeys_;
};
