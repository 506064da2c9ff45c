// SPDX-License-Identifier: GPL-2.0-or-later
#include "AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define RECITOR_FSYNC(fd) _commit(fd)
#define RECITOR_FILENO(f) _fileno(f)
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#define RECITOR_FSYNC(fd) ::fsync(fd)
#define RECITOR_FILENO(f) ::fileno(f)
#endif

namespace {

namespace fs = std::filesystem;

// A temporary file is named after the file it replaces: its name, kTempMarker and kTempDigits
// lowercase hexadecimal digits. Nothing else the user keeps there is named so, which lets the next
// start find the temporary files of a killed save and remove them.
constexpr std::string_view kTempMarker = ".tmp-";
constexpr std::size_t kTempDigits = 8;
constexpr std::string_view kHex = "0123456789abcdef";

// A name of our own beside the target, so that two savers never share a temporary file. Each
// thread draws from its own generator, so that saves on two threads never share its state.
fs::path TempNameFor(const fs::path& target) {
    thread_local std::mt19937 generator{std::random_device{}()};
    std::string suffix(kTempMarker);
    for (std::size_t i = 0; i < kTempDigits; ++i)
        suffix.push_back(kHex[generator() & 15u]);
    fs::path temp = target;
    temp += suffix;
    return temp;
}

// The file that path finally names: each symbolic link on the way is replaced by what it points
// to, which a relative link gives from the link's own directory. A dangling link names the file it
// would create. Empty when a link cannot be read or the links run in a circle.
fs::path FollowLinks(fs::path path) {
    constexpr int kMaxLinks = 40; // the system's own limit for the links of one path
    for (int links = 0; links <= kMaxLinks; ++links) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error)))
            return path;
        const fs::path link = fs::read_symlink(path, error);
        if (error)
            return {};
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    return {};
}

// A file the user made read-only is theirs to keep. The superuser may write any file, so a file
// without a single write permission bit counts as read-only for every user.
bool IsWriteProtected([[maybe_unused]] const fs::path& file, fs::perms permissions) {
    constexpr fs::perms kAnyWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((permissions & kAnyWrite) == fs::perms::none)
        return true;
#ifdef _WIN32
    return false;
#else
    return ::access(file.c_str(), W_OK) != 0;
#endif
}

// Renames from to to unless to exists (then false with EEXIST in error).
bool RenameWithoutReplacing(const fs::path& from, const fs::path& to, int& error) {
#ifdef _WIN32
    // Windows' rename never replaces an existing file.
    if (std::rename(from.string().c_str(), to.string().c_str()) == 0)
        return true;
    error = errno;
    return false;
#else
#if defined(__linux__) && defined(RENAME_NOREPLACE)
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) {
        error = errno;
        return false;
    }
#endif
    // Where the file system cannot be told not to replace, a second name is linked, which never
    // replaces, and the first removed.
    if (::link(from.c_str(), to.c_str()) != 0) {
        error = errno;
        return false;
    }
    if (::unlink(from.c_str()) != 0) {
        error = errno;
        ::unlink(to.c_str());
        return false;
    }
    return true;
#endif
}

} // namespace

bool CAtomicFile::IsTemporaryNameFor(std::string_view name, std::string_view targetName) {
    if (name.size() != targetName.size() + kTempMarker.size() + kTempDigits ||
        !name.starts_with(targetName) ||
        name.substr(targetName.size(), kTempMarker.size()) != kTempMarker)
        return false;
    const std::string_view digits = name.substr(name.size() - kTempDigits);
    return digits.find_first_not_of(kHex) == std::string_view::npos;
}

std::filesystem::path CAtomicFile::TargetOf(const std::filesystem::path& temp) {
    const std::string name = temp.filename().string();
    const std::size_t suffix = kTempMarker.size() + kTempDigits;
    if (name.size() <= suffix)
        return {};
    const std::string targetName = name.substr(0, name.size() - suffix);
    if (!IsTemporaryNameFor(name, targetName))
        return {};
    return temp.parent_path() / targetName;
}

void CAtomicFile::SyncDirectoryOf([[maybe_unused]] const std::filesystem::path& file) {
#ifndef _WIN32
    fs::path dir = file.parent_path();
    if (dir.empty())
        dir = ".";
    const int fd = ::open(dir.string().c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
}

CAtomicFile::~CAtomicFile() {
    Discard();
}

bool CAtomicFile::Open(const std::filesystem::path& target) {
    Discard();
    fault_ = {};
    // Written through a symbolic link, the file it names is replaced beside itself, where the
    // rename stays on one file system, and the link itself is left as the user made it.
    target_ = FollowLinks(target);
    if (target_.empty()) {
        Fail(FileFault::Step::Open, ELOOP);
        return false;
    }
    std::error_code error;
    const fs::file_status existing = fs::status(target_, error);
    if (fs::is_directory(existing)) { // nothing to write into, as when opening it directly
        Fail(FileFault::Step::Open, EISDIR);
        return false;
    }
    if (fs::exists(existing) && IsWriteProtected(target_, existing.permissions())) {
        Fail(FileFault::Step::Open, EACCES);
        return false;
    }
    for (int attempt = 0; attempt < 8 && !file_; ++attempt) {
        temp_ = TempNameFor(target_);
        file_ = std::fopen(temp_.string().c_str(), "wbx");
    }
    if (!file_) {
        Fail(FileFault::Step::Open, errno);
        temp_.clear();
        return false;
    }
#ifndef _WIN32
    // The new file takes the place of the old one with its owner, group and permissions; a new
    // file keeps those it was created with. (On Windows the only such bit is read-only, which is
    // refused.) The owner goes first, as a change of owner may clear permission bits. Only the
    // superuser may give a file to another user, and a user only to their own groups: otherwise
    // the file becomes the saver's, which is all a save by another user can do.
    struct stat old {};
    if (fs::is_regular_file(existing) && ::stat(target_.c_str(), &old) == 0 &&
        ::fchown(RECITOR_FILENO(file_), old.st_uid, old.st_gid) != 0 && errno != EPERM) {
        Fail(FileFault::Step::Open, errno);
        Discard();
        return false;
    }
    if (fs::is_regular_file(existing) &&
        ::fchmod(RECITOR_FILENO(file_),
                 static_cast<mode_t>(existing.permissions() & fs::perms::mask)) != 0) {
        Fail(FileFault::Step::Open, errno);
        Discard();
        return false;
    }
#endif
    buffer_.clear();
    written_ = 0;
    finished_ = false;
    return true;
}

// A full buffer is written out at once: the system only copies the bytes into its cache, and a
// thread for that gained nothing measurable while the rest of the file is formatted.
void CAtomicFile::Flush() {
    if (!file_ || buffer_.empty())
        return;
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size() ||
        std::fflush(file_) != 0)
        Fail(FileFault::Step::Write, errno);
#ifdef __linux__
    // Start writing the block to the disk now, while the rest is still being formatted, so that
    // the wait for durability at the end is for the last block only. Only a hint: Finish still
    // syncs the whole file, and a refusal here changes nothing.
    ::sync_file_range(RECITOR_FILENO(file_), static_cast<off64_t>(written_),
                      static_cast<off64_t>(buffer_.size()), SYNC_FILE_RANGE_WRITE);
#endif
    written_ += buffer_.size();
    buffer_.clear();
}

bool CAtomicFile::Finish() {
    if (!file_)
        return finished_;
    Flush();
    if (std::fflush(file_) != 0)
        Fail(FileFault::Step::Write, errno);
    else if (RECITOR_FSYNC(RECITOR_FILENO(file_)) != 0)
        Fail(FileFault::Step::Sync, errno);
    if (std::fclose(file_) != 0)
        Fail(FileFault::Step::Close, errno);
    file_ = nullptr;
    finished_ = fault_.step == FileFault::Step::None;
    return finished_;
}

void CAtomicFile::Fail(FileFault::Step step, int error) {
    if (fault_.step == FileFault::Step::None)
        fault_ = {step, error};
}

bool CAtomicFile::Commit() {
    if (!finished_ || temp_.empty())
        return false;
    std::error_code error;
    std::filesystem::rename(temp_, target_, error);
    if (error) {
        Fail(FileFault::Step::Replace, error.value());
        return false;
    }
    temp_.clear();
    finished_ = false;
    SyncDirectoryOf(target_);
    return true;
}

void CAtomicFile::RemoveLeftovers(const std::filesystem::path& target,
                                  std::span<const std::filesystem::path> spared) {
    const fs::path file = FollowLinks(target);
    if (file.empty())
        return;
    fs::path dir = file.parent_path();
    if (dir.empty())
        dir = ".";
    const std::string targetName = file.filename().string();
    // Collected first and removed afterwards, so that the listing never changes under its reader.
    std::vector<fs::path> leftovers;
    std::error_code error;
    for (fs::directory_iterator entry(dir, error), end; !error && entry != end;
         entry.increment(error)) {
        std::error_code typeError;
        if (!IsTemporaryNameFor(entry->path().filename().string(), targetName) ||
            entry->symlink_status(typeError).type() != fs::file_type::regular)
            continue;
        const bool isSpared = std::any_of(spared.begin(), spared.end(), [&](const fs::path& kept) {
            std::error_code sameError;
            return fs::equivalent(entry->path(), kept, sameError);
        });
        if (!isSpared)
            leftovers.push_back(entry->path());
    }
    for (const fs::path& leftover : leftovers)
        fs::remove(leftover, error);
}

bool CAtomicFile::RenameAside(const std::filesystem::path& file, std::string_view suffix,
                              std::filesystem::path& kept, int& error,
                              std::span<const std::string_view> companions) {
    // More copies than anyone keeps: beyond them something else is wrong.
    constexpr int kMaxCopies = 999;
    error = 0;
    for (int number = 1; number <= kMaxCopies; ++number) {
        kept = file;
        kept += std::string(suffix);
        if (number > 1) {
            kept += "-";
            kept += std::to_string(number);
        }
        if (RenameWithoutReplacing(file, kept, error)) {
            bool all = true;
            for (const std::string_view companion : companions) {
                fs::path from = file;
                from += std::string(companion);
                fs::path to = kept;
                to += std::string(companion);
                std::error_code missing;
                if (fs::exists(fs::symlink_status(from, missing)) &&
                    !RenameWithoutReplacing(from, to, error)) {
                    kept = to;
                    all = false;
                    break;
                }
            }
            SyncDirectoryOf(file);
            return all;
        }
        if (error != EEXIST)
            return false;
    }
    return false;
}

void CAtomicFile::Keep() {
    temp_.clear();
    finished_ = false;
}

void CAtomicFile::Discard() {
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

std::string FaultText(const FileFault& fault, std::string_view file) {
    std::string text;
    switch (fault.step) {
    case FileFault::Step::None:
    case FileFault::Step::Open:
        text = "Unable to open " + std::string(file) + " for writing";
        if (fault.error != 0)
            text += "\n: " + std::generic_category().message(fault.error);
        return text;
    case FileFault::Step::Write:
        text = "Unable to write ";
        break;
    case FileFault::Step::Sync:
        text = "Unable to save to disk ";
        break;
    case FileFault::Step::Close:
        text = "Unable to close ";
        break;
    case FileFault::Step::Replace:
        text = "Unable to replace ";
        break;
    }
    text += file;
    if (fault.error != 0)
        text += ": " + std::generic_category().message(fault.error);
    return text;
}

std::string ReadFaultText(const std::filesystem::path& file, int error) {
    return "Unable to read " + file.string() + ": " + std::generic_category().message(error);
}
