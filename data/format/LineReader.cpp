// SPDX-License-Identifier: GPL-2.0-or-later
#include "LineReader.h"

#include <cerrno>
#include <cstring>

namespace {
constexpr std::size_t kChunk = 256 * 1024;
}

CLineReader::~CLineReader() {
    Close();
}

bool CLineReader::Open(const std::filesystem::path& path) {
    Close();
    path_ = path;
    begin_ = end_ = 0;
    eof_ = false;
    error_ = 0;
    file_ = std::fopen(path.string().c_str(), "rb");
    if (!file_) {
        error_ = errno;
        return false;
    }
    if (buffer_.size() < kChunk)
        buffer_.resize(kChunk);
    return true;
}

void CLineReader::Close() {
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
}

// Moves the unread bytes to the front and reads more behind them, growing the buffer when a single
// line fills all of it.
bool CLineReader::Fill() {
    if (eof_ || error_ != 0 || !file_)
        return false;
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == buffer_.size())
        buffer_.resize(buffer_.size() * 2);
    char* const into = buffer_.data() + end_;
    const std::size_t size = buffer_.size() - end_;
    std::size_t got = 0;
    if (read_) {
        got = read_(file_, into, size, error_);
    } else {
        errno = 0;
        got = std::fread(into, 1, size, file_);
        if (got < size && std::ferror(file_))
            error_ = errno != 0 ? errno : EIO;
    }
    end_ += got;
    if (got == 0 && error_ == 0)
        eof_ = true;
    return got > 0;
}

bool CLineReader::ReadLine(std::string_view& line) {
    line = {};
    if (!file_)
        return false;
    std::size_t searched = begin_;
    while (true) {
        const void* lf = searched < end_
                             ? std::memchr(buffer_.data() + searched, '\n', end_ - searched)
                             : nullptr;
        if (lf) {
            const std::size_t at = static_cast<const char*>(lf) - buffer_.data();
            std::size_t length = at - begin_;
            if (length > 0 && buffer_[at - 1] == '\r')
                --length;
            line = std::string_view(buffer_.data() + begin_, length);
            begin_ = at + 1;
            return true;
        }
        const std::size_t consumed = begin_;
        searched = end_;
        if (!Fill()) {
            if (begin_ == end_ || error_ != 0)
                return false;
            // The last line has no line break.
            line = std::string_view(buffer_.data() + begin_, end_ - begin_);
            begin_ = end_;
            return true;
        }
        searched -= consumed; // the bytes moved to the front with the unread ones
    }
}
