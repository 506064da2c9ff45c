// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <filesystem>

// Holds an exclusive lock on the directory that holds a file for as long as it lives. Every step
// that creates, puts in place or clears away the temporary files of a save takes it: a save, the
// completion of an interrupted save and the removal of leftovers. A copy of the program running
// beside another then never completes or clears away that one's save while it is under way.
// Where the directory cannot be locked, the copies simply run unguarded, as they would without it.
// The lock is the open directory's own: a second lock of the same directory waits for the first
// also within one process.
class CDirectoryLock {
public:
    // Waits until the directory of file (the working directory for a bare name) is locked.
    explicit CDirectoryLock(const std::filesystem::path& file);
    ~CDirectoryLock(); // releases the lock
    CDirectoryLock(const CDirectoryLock&) = delete;
    CDirectoryLock& operator=(const CDirectoryLock&) = delete;

private:
    int fd_ = -1;
};
