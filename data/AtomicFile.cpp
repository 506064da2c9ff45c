#include "AtomicFile.h"

#include <random>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#define RECITOR_FSYNC(fd) _commit(fd)
#define RECITOR_FILENO(f) _fileno(f)
#else
#include <fcntl.h>
#include <unistd.h>
#define RECITOR_FSYNC(fd) ::fsync(fd)
#define RECITOR_FILENO(f) ::fileno(f)
#endif

namespace {

// A name of our own beside the target, so that two savers never share a temporary file.
std::filesystem::path TempNameFor(const std::filesystem::path& target) {
    static std::mt19937 generator{std::random_device{}()};
    static constexpr char kHex[] = "0123456789abcdef";
    std::string suffix = ".tmp-";
    for (int i = 0; i < 8; ++i)
        suffix.push_back(kHex[generator() & 15u]);
    std::filesystem::path temp = target;
    temp += suffix;
    return temp;
}

// Makes a completed rename durable too: the directory entry is what a crash would otherwise lose.
void SyncDirectoryOf([[maybe_unused]] const std::filesystem::path& target) {
#ifndef _WIN32
    std::filesystem::path dir = target.parent_path();
    if (dir.empty())
        dir = ".";
    const int fd = ::open(dir.string().c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
}

} // namespace

CAtomicFile::~CAtomicFile() {
    Discard();
}

bool CAtomicFile::Open(const std::filesystem::path& target) {
    Discard();
    target_ = target;
    for (int attempt = 0; attempt < 8 && !file_; ++attempt) {
        temp_ = TempNameFor(target);
        file_ = std::fopen(temp_.string().c_str(), "wbx");
    }
    if (!file_) {
        temp_.clear();
        return false;
    }
    buffer_.clear();
    written_ = 0;
    failed_ = false;
    finished_ = false;
    return true;
}

// A full buffer is written out on a thread of its own while the next one is filled: formatting
// and the system's copying of the bytes then share the time. Without a thread it is written here.
void CAtomicFile::Flush() {
    if (!file_ || buffer_.empty())
        return;
    CollectWrite();
    writing_.swap(buffer_);
    buffer_.clear();
    try {
        pending_ = std::async(std::launch::async, [this] { return WriteOut(); });
    } catch (const std::system_error&) {
        if (!WriteOut())
            failed_ = true;
    }
}

bool CAtomicFile::WriteOut() {
    const bool written =
        std::fwrite(writing_.data(), 1, writing_.size(), file_) == writing_.size() &&
        std::fflush(file_) == 0;
#ifdef __linux__
    // Start writing the block to the disk now, while the rest is still being formatted, so that
    // the wait for durability at the end is for the last block only. Only a hint: Finish still
    // syncs the whole file, and a refusal here changes nothing.
    ::sync_file_range(RECITOR_FILENO(file_), static_cast<off64_t>(written_),
                      static_cast<off64_t>(writing_.size()), SYNC_FILE_RANGE_WRITE);
#endif
    written_ += writing_.size();
    return written;
}

void CAtomicFile::CollectWrite() {
    if (pending_.valid() && !pending_.get())
        failed_ = true;
}

bool CAtomicFile::Finish() {
    if (!file_)
        return finished_;
    // The last block is written here: there is nothing left to format meanwhile.
    CollectWrite();
    writing_.swap(buffer_);
    buffer_.clear();
    if (!writing_.empty() && !WriteOut())
        failed_ = true;
    if (std::fflush(file_) != 0 || RECITOR_FSYNC(RECITOR_FILENO(file_)) != 0)
        failed_ = true;
    if (std::fclose(file_) != 0)
        failed_ = true;
    file_ = nullptr;
    finished_ = !failed_;
    return finished_;
}

bool CAtomicFile::Commit() {
    if (!finished_ || temp_.empty())
        return false;
    std::error_code error;
    std::filesystem::rename(temp_, target_, error);
    if (error)
        return false;
    temp_.clear();
    finished_ = false;
    SyncDirectoryOf(target_);
    return true;
}

void CAtomicFile::Discard() {
    CollectWrite();
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temp_.empty()) {
        std::error_code error;
        std::filesystem::remove(temp_, error);
        temp_.clear();
    }
    buffer_.clear();
    finished_ = false;
}
