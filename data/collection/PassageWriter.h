// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "Platform.h"

#include <cstdint>
#include <functional>

class CAtomicFile;
class CJointCommit;
class CPassageStore;
struct FileFault;

// Writes a passage store's files: the statistics file, the user file when it changed and the
// handheld export when it is due, put in place together so that after a crash at any moment the
// next start finds either all of the old files or all of the new ones. The writer only reads the
// store; what a save wrote goes back to the store through its result.
class CPassageWriter {
public:
    // Writes store, reporting through messages and stamping the export with clock; all three
    // outlive it.
    CPassageWriter(const CPassageStore& store, IMessageSink& messages, IClock& clock)
        : store_(store), messages_(messages), clock_(clock) {}
    CPassageWriter(const CPassageWriter&) = delete;
    CPassageWriter& operator=(const CPassageWriter&) = delete;

    // What a save did.
    struct Saved {
        // Status::Fatal, after a message saying which file failed and why, when a data file could
        // not be written; the files on disk then stay as they were.
        Status status = Status::Fatal;
        // The passages the statistics file lists, once it is written (-1 before).
        int statsCount = -1;
        // Whether the export went in place with the other files, and its stamp.
        bool exportWritten = false;
        std::uint32_t exportTimestamp = 0;
    };
    // Writes the files that are due and puts them in place together. An export that cannot be
    // written or put in place is reported and the rest is saved without it.
    Saved SaveAll() const;
    // Called after each file operation while a save puts the files in place, so that tests can
    // stop the program between any two of them.
    void SetCommitStepHook(std::function<void()> hook) { commitStepHook_ = std::move(hook); }
    // Removes the temporary files that a save killed before it finished left beside the files the
    // store writes (statistics, user and handheld export files and the save record; beside the
    // files their symbolic links name), except those a save record in place names. It waits for
    // a save of another copy that is under way.
    void RemoveLeftoverTemporaries() const;

private:
    // Writes the statistics and user files and puts them in place with exported, when given;
    // saved.exportWritten turns false when the export could not be put in place with them.
    bool WriteFiles(CJointCommit& commit, CAtomicFile& stats, CAtomicFile& user,
                    CAtomicFile* exported, Saved& saved) const;
    bool WriteStats(CAtomicFile& stats, int& count) const;
    bool WriteUser(CAtomicFile& user) const;
    enum class SavedFile { Stats, User, Record };
    void ReportWriteFault(SavedFile file, const FileFault& fault) const;

    const CPassageStore& store_;
    IMessageSink& messages_;
    IClock& clock_;
    std::function<void()> commitStepHook_;
};
