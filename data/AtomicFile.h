#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

// Writes a file so that it is replaced only when complete: the text goes to a new temporary file
// beside it, which is flushed to disk and then renamed over the old file. A failed, interrupted
// or killed save therefore leaves the previous file as it was.
//
// The save respects how the user set the file up: a symbolic link is written through (the file it
// finally names is replaced in its own directory and the link stays a link), the new file keeps
// the permission bits of the one it replaces, and a file without write permission is refused.
class CAtomicFile {
public:
    CAtomicFile() = default;
    ~CAtomicFile(); // discards an uncommitted temporary file
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;

    // Creates the temporary file beside the file that target finally names, following symbolic
    // links (a dangling one names the file to create). False when the links cannot be followed,
    // when that file exists and is write-protected (not writable for this user, or without any
    // write permission bit, which counts even for the superuser), or when the temporary file
    // cannot be created.
    bool Open(const std::filesystem::path& target);

    // Removes the temporary files that saves of target killed before they finished left behind:
    // the regular files beside the file target finally names whose names are its name, ".tmp-"
    // and eight lowercase hexadecimal digits, and nothing else. Only safe while no other save of
    // target can be running, as at start-up once this is the only running copy of the program.
    static void RemoveLeftovers(const std::filesystem::path& target);

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

private:
    static constexpr std::size_t kFlushSize = 1 << 20;
    void Flush(); // writes the buffer to the file and empties it; a fault is noted in failed_

    std::filesystem::path target_; // the file replaced, with symbolic links followed
    std::filesystem::path temp_;
    std::FILE* file_ = nullptr;
    std::string buffer_;
    std::uint64_t written_ = 0; // bytes handed to the file so far
    bool failed_ = false;
    bool finished_ = false;
};
