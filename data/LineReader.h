#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

// Reads a text file line by line through one reused buffer, so that even the largest passage file
// streams through without a copy of its own. A line ends at LF; the LF and a CR before it are
// removed. Files are open only while they are read.
class CLineReader {
public:
    CLineReader() = default;
    ~CLineReader();
    CLineReader(const CLineReader&) = delete;
    CLineReader& operator=(const CLineReader&) = delete;

    bool Open(const std::filesystem::path& path);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    // The next line, valid until the next call; false at the end of the file (line then empty).
    bool ReadLine(std::string_view& line);

private:
    bool Fill();

    std::FILE* file_ = nullptr;
    std::string buffer_;
    std::size_t begin_ = 0; // first unread byte in buffer_
    std::size_t end_ = 0;   // end of the valid bytes in buffer_
    bool eof_ = false;
};
