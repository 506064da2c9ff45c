// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

// Reads a text file line by line through one reused buffer, so that even the largest passage file
// streams through without a copy of its own. A line ends at LF; the LF and a CR before it are
// removed. Files are open only while they are read.
//
// A file that cannot be read is not taken for one that ends: Error() then gives the system's
// reason, so that nothing is written over a file that was only partly read.
class CLineReader {
public:
    // Reads up to size bytes of file into into and returns how many it read: 0 at the end of the
    // file, or on failure with the system's reason (an errno value) in error.
    using ReadFunction =
        std::function<std::size_t(std::FILE* file, char* into, std::size_t size, int& error)>;

    CLineReader() = default;
    ~CLineReader();
    CLineReader(const CLineReader&) = delete;
    CLineReader& operator=(const CLineReader&) = delete;

    // False when the file cannot be opened; Error() then says why (ENOENT: there is none).
    bool Open(const std::filesystem::path& path);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }
    // The file last opened, or tried.
    const std::filesystem::path& Path() const { return path_; }
    // Why the last Open or a read since failed (an errno value); 0 while nothing failed.
    int Error() const { return error_; }
    // Reads through read instead of the system's fread, so that tests can make a read fail; an
    // empty function restores the system's.
    void SetReadFunction(ReadFunction read) { read_ = std::move(read); }

    // The next line, valid until the next call; false at the end of the file and when the file
    // cannot be read further (Error() tells them apart; line then empty). A line cut off by a
    // failed read is not given out.
    bool ReadLine(std::string_view& line);

private:
    bool Fill();

    std::FILE* file_ = nullptr;
    std::filesystem::path path_;
    ReadFunction read_;
    std::string buffer_;
    std::size_t begin_ = 0; // first unread byte in buffer_
    std::size_t end_ = 0;   // end of the valid bytes in buffer_
    bool eof_ = false;
    int error_ = 0;
};
