// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

// A damaged file is kept aside under its name followed by this.
inline constexpr std::string_view kDamagedSuffix = ".damaged";

// Where writing a file failed, and the system's reason (an errno value, 0 when none was given).
struct FileFault {
    enum class Step { None, Open, Write, Sync, Close, Replace };
    Step step = Step::None;
    int error = 0;
};

// What the user is told when writing file failed: that it could not be opened keeps the words it
// always had, with the system's reason on a line of its own; a later failure names the step and
// the reason.
std::string FaultText(const FileFault& fault, std::string_view file);
// What the user is told when a file could not be read: its name and the system's reason (an errno
// value).
std::string ReadFaultText(const std::filesystem::path& file, int error);

// Writes a file so that it is replaced only when complete: the text goes to a new temporary file
// beside it, which is flushed to disk and then renamed over the old file. A failed, interrupted
// or killed save therefore leaves the previous file as it was.
//
// The save respects how the user set the file up: a symbolic link is written through (the file it
// finally names is replaced in its own directory and the link stays a link), the new file keeps
// the permission bits of the one it replaces and, where this user may give them, its owner and
// group, and a file without write permission is refused.
class CAtomicFile {
public:
    CAtomicFile() = default;
    ~CAtomicFile(); // discards an uncommitted temporary file
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;

    // Creates the temporary file beside the file that target finally names, following symbolic
    // links (a dangling one names the file to create). False when the links cannot be followed,
    // when that file exists and is write-protected (not writable for this user, or without any
    // write permission bit, which counts even for the superuser), when that path is a
    // directory, or when the temporary file cannot be created.
    bool Open(const std::filesystem::path& target);

    // Removes the temporary files that saves of target killed before they finished left behind:
    // the regular files beside the file target finally names whose names are its name, ".tmp-"
    // and eight lowercase hexadecimal digits, and nothing else; those that are one of the files
    // in spared stay. Only safe while no other save of target can be running: the caller holds
    // the lock that saves hold (CDirectoryLock).
    static void RemoveLeftovers(const std::filesystem::path& target,
                                std::span<const std::filesystem::path> spared = {});
    // Renames file to its name followed by suffix, or by suffix, "-" and the first number from 2
    // on that no file has, never over an existing file, and makes the rename durable. Each of
    // its companions that exists (file's name followed by one of companions) goes with it, named
    // after kept in the same way, so that they still pair. False, with the system's reason in
    // error and the last name tried in kept, when a rename fails.
    static bool RenameAside(const std::filesystem::path& file, std::string_view suffix,
                            std::filesystem::path& kept, int& error,
                            std::span<const std::string_view> companions = {});

    // Buffers text; write faults are remembered and reported by Finish.
    void Append(std::string_view text) {
        buffer_.append(text);
        if (buffer_.size() >= kFlushSize)
            Flush();
    }
    std::string& Buffer() { return buffer_; } // for formatting straight into the file's buffer
    void FlushIfFull() {
        if (buffer_.size() >= kFlushSize)
            Flush();
    }

    // Writes out what is buffered and makes the temporary file durable; false on any fault.
    bool Finish();
    // Renames the finished temporary file over the target; false on failure.
    bool Commit();
    // Removes the temporary file without touching the target.
    void Discard();
    // Lets go of the finished temporary file without removing it: a save that has begun to put
    // several files in place leaves the rest for the next start to complete.
    void Keep();

    // The first fault of the last Open, Finish or Commit.
    const FileFault& Fault() const { return fault_; }
    const std::filesystem::path& TemporaryPath() const { return temp_; }
    // The temporary files of a file are named after it and nothing else the user keeps there is
    // named so: whether temp's name is that of a temporary file of the file named targetName.
    static bool IsTemporaryNameFor(std::string_view name, std::string_view targetName);
    // The file that a temporary file path replaces, or an empty path when temp is not named as
    // a temporary file.
    static std::filesystem::path TargetOf(const std::filesystem::path& temp);
    // Makes the creation, renaming or removal of file durable: the directory entry is what a
    // crash would otherwise lose.
    static void SyncDirectoryOf(const std::filesystem::path& file);

private:
    static constexpr std::size_t kFlushSize = 1 << 20;
    void Flush(); // writes the buffer to the file and empties it; a fault is noted in fault_
    void Fail(FileFault::Step step, int error); // notes the first fault

    std::filesystem::path target_; // the file replaced, with symbolic links followed
    std::filesystem::path temp_;
    std::FILE* file_ = nullptr;
    std::string buffer_;
    std::uint64_t written_ = 0; // bytes handed to the file so far
    FileFault fault_;
    bool finished_ = false;
};
