#pragma once

#include "AtomicFile.h"

#include <filesystem>
#include <functional>
#include <span>

// Puts several finished files in place together: after a crash at any moment, the next start
// finds either all of the old files or all of the new ones. The statistics file refers to the
// passages of the user file, so a new one beside an old one could make a collection that no
// longer loads.
//
// Before the first file is replaced, a small record naming the finished temporary files is
// written, synced and renamed into place; it is removed after the last file is replaced. A start
// that finds the record completes the replacement from the temporary files, which were complete
// and on disk before the record was written.
class CJointCommit {
public:
    // The record lies at record (in the working directory).
    explicit CJointCommit(std::filesystem::path record);

    // Called after each file operation of Commit, so that tests can stop the program between any
    // two of them.
    void SetStepHook(std::function<void()> hook) { hook_ = std::move(hook); }

    // Replaces the targets of files, each of them finished (CAtomicFile::Finish), together. On
    // failure, FailedFile() says which file failed (-1 for the record) and Fault() why: when it
    // failed before any target was replaced, every target stays as it was; otherwise the record
    // and the remaining temporary files stay for the next start to complete.
    bool Commit(std::span<CAtomicFile* const> files);
    int FailedFile() const { return failedFile_; }
    const FileFault& Fault() const { return fault_; }

    enum class Recovery { NothingToDo, Completed, Failed };
    // Completes a commit that was interrupted, when its record is there. Failed (with the file
    // that could not be replaced and why) leaves the record for another attempt. A record that is
    // not one of ours is removed and nothing else is touched.
    static Recovery Recover(const std::filesystem::path& record, std::filesystem::path& failedFile,
                            FileFault& fault);

private:
    void Step() const;
    bool WriteRecord(std::span<CAtomicFile* const> files);
    void RemoveRecord() const;

    std::filesystem::path record_;
    std::function<void()> hook_;
    int failedFile_ = 0;
    FileFault fault_;
};
