// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "AtomicFile.h"
#include "DirectoryLock.h"

#include <filesystem>
#include <functional>
#include <span>
#include <vector>

// Puts several finished files in place together: after a crash at any moment, the next start
// finds either all of the old files or all of the new ones. The statistics file refers to the
// passages of the user file, so a new one beside an old one could make a collection that no
// longer loads.
//
// Before the first file is replaced, a small record naming the finished temporary files is
// written, synced and renamed into place; it is removed after the last file is replaced. A start
// that finds the record completes the replacement from the temporary files, which were complete
// and on disk, with their directory entries, before the record was written.
class CJointCommit {
public:
    // The record lies at record (in the working directory). Holds the lock of that directory
    // (CDirectoryLock) until destroyed: made before the first temporary file of a save, it keeps
    // the save's files from the clean-up and the completion of another copy of the program.
    explicit CJointCommit(std::filesystem::path record);

    // Called after each file operation of Commit, so that tests can stop the program between any
    // two of them.
    void SetStepHook(std::function<void()> hook) { hook_ = std::move(hook); }
    // Called after each directory that holds a temporary file is synced, before the record is
    // written, so that tests can see that it was.
    void SetSyncHook(std::function<void(const std::filesystem::path& directory)> hook) {
        syncHook_ = std::move(hook);
    }

    // Replaces the targets of files, each of them finished (CAtomicFile::Finish), together. On
    // failure, FailedFile() says which file failed (-1 for the record) and Fault() why: when it
    // failed before any target was replaced, every target stays as it was; otherwise the record
    // and the remaining temporary files stay for the next start to complete.
    bool Commit(std::span<CAtomicFile* const> files);
    int FailedFile() const { return failedFile_; }
    const FileFault& Fault() const { return fault_; }

    enum class Recovery { NothingToDo, Completed, Failed, Unreadable };
    // Completes a commit that was interrupted, when its record is there. Failed (with the file
    // that could not be replaced and why) leaves the record for another attempt. Unreadable (with
    // the record as failedFile and the system's reason in fault.error) touches nothing: a record
    // that could not be read may be a whole one. A record read whole that is not one of ours is
    // removed and nothing else is touched.
    static Recovery Recover(const std::filesystem::path& record, std::filesystem::path& failedFile,
                            FileFault& fault);
    // The temporary files that the record in place names, which are the next start's to put in
    // place: none when there is no record or it is not one of ours. False when the record is
    // there and cannot be read. The caller holds the record directory's lock.
    static bool PendingFiles(const std::filesystem::path& record,
                             std::vector<std::filesystem::path>& temps);

private:
    void Step() const;
    void SyncTemporaryDirectories(std::span<CAtomicFile* const> files) const;
    bool WriteRecord(std::span<CAtomicFile* const> files);
    void RemoveRecord() const;

    std::filesystem::path record_;
    CDirectoryLock lock_;
    std::function<void()> hook_;
    std::function<void(const std::filesystem::path&)> syncHook_;
    int failedFile_ = 0;
    FileFault fault_;
};
