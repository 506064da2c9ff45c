// SPDX-License-Identifier: GPL-2.0-or-later
#include "JointCommit.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The record: this heading, a line "<length> <temporary file path>" for each file to put in
// place (the length in bytes, so that any path reads back whole), and the closing line.
constexpr std::string_view kHeading = "Recitor save record";
constexpr std::string_view kClosing = "end";
constexpr std::string_view kLineEnd = "\r\n";

// Takes the next line of text (up to CR LF) off text; nothing when there is none.
std::optional<std::string_view> TakeLine(std::string_view& text) {
    const std::size_t end = text.find(kLineEnd);
    if (end == std::string_view::npos)
        return std::nullopt;
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + kLineEnd.size());
    return line;
}

// The temporary files a record names, or nothing when it is not a whole record of ours naming
// only temporary files of the program's own pattern.
std::optional<std::vector<fs::path>> ParseRecord(std::string_view text) {
    if (TakeLine(text) != kHeading)
        return std::nullopt;
    std::vector<fs::path> temps;
    const std::string closingLine = std::string(kClosing) + std::string(kLineEnd);
    while (text != closingLine) {
        const std::size_t space = text.find(' ');
        if (space == 0 || space > 5 ||
            text.substr(0, space).find_first_not_of("0123456789") != std::string_view::npos)
            return std::nullopt; // also the end of the text without the closing line
        const std::size_t length = std::stoul(std::string(text.substr(0, space)));
        text.remove_prefix(space + 1);
        if (text.size() < length + kLineEnd.size() ||
            text.substr(length, kLineEnd.size()) != kLineEnd)
            return std::nullopt;
        fs::path temp(std::string(text.substr(0, length)));
        if (CAtomicFile::TargetOf(temp).empty())
            return std::nullopt;
        temps.push_back(std::move(temp));
        text.remove_prefix(length + kLineEnd.size());
    }
    return temps;
}

// Reads the record whole into text. Returns 0, or the system's reason why it cannot be read
// (ENOENT: there is none).
int ReadRecord(const fs::path& record, std::string& text) {
    std::FILE* file = std::fopen(record.string().c_str(), "rb");
    if (!file)
        return errno;
    int error = 0;
    char chunk[4096];
    while (true) {
        errno = 0;
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, file);
        text.append(chunk, got);
        if (got < sizeof chunk) {
            if (std::ferror(file))
                error = errno != 0 ? errno : EIO;
            break;
        }
    }
    std::fclose(file);
    return error;
}

} // namespace

CJointCommit::CJointCommit(std::filesystem::path record)
    : record_(std::move(record)), lock_(record_) {}

void CJointCommit::Step() const {
    if (hook_)
        hook_();
}

bool CJointCommit::Commit(std::span<CAtomicFile* const> files) {
    failedFile_ = 0;
    fault_ = {};
    if (files.size() == 1) { // one rename is atomic by itself
        if (files[0]->Commit())
            return true;
        fault_ = files[0]->Fault();
        return false;
    }
    Step();
    if (!WriteRecord(files))
        return false;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!files[i]->Commit()) {
            failedFile_ = static_cast<int>(i);
            fault_ = files[i]->Fault();
            if (i == 0)
                RemoveRecord(); // nothing was replaced: the old files stay together
            else
                for (std::size_t rest = i; rest < files.size(); ++rest)
                    files[rest]->Keep(); // the next start puts them in place
            return false;
        }
        Step();
    }
    RemoveRecord();
    Step();
    return true;
}

// A temporary file beside a linked file lies in another directory than the record. Its directory
// entry is made durable before the record can name it: a completion that finds a named file gone
// takes it as put in place already.
void CJointCommit::SyncTemporaryDirectories(std::span<CAtomicFile* const> files) const {
    std::vector<fs::path> synced;
    for (const CAtomicFile* file : files) {
        fs::path dir = file->TemporaryPath().parent_path();
        if (dir.empty())
            dir = ".";
        if (std::find(synced.begin(), synced.end(), dir) != synced.end())
            continue;
        CAtomicFile::SyncDirectoryOf(file->TemporaryPath());
        synced.push_back(dir);
        if (syncHook_)
            syncHook_(dir);
    }
}

bool CJointCommit::WriteRecord(std::span<CAtomicFile* const> files) {
    SyncTemporaryDirectories(files);
    CAtomicFile record;
    const auto fail = [&] {
        failedFile_ = -1;
        fault_ = record.Fault();
        return false;
    };
    if (!record.Open(record_))
        return fail();
    record.Append(kHeading);
    record.Append(kLineEnd);
    for (const CAtomicFile* file : files) {
        const std::string temp = file->TemporaryPath().string();
        record.Append(std::to_string(temp.size()));
        record.Append(" ");
        record.Append(temp);
        record.Append(kLineEnd);
    }
    record.Append(kClosing);
    record.Append(kLineEnd);
    if (!record.Finish())
        return fail();
    Step();
    if (!record.Commit())
        return fail();
    Step();
    return true;
}

void CJointCommit::RemoveRecord() const {
    std::error_code error;
    fs::remove(record_, error);
    CAtomicFile::SyncDirectoryOf(record_);
}

CJointCommit::Recovery CJointCommit::Recover(const std::filesystem::path& record,
                                             std::filesystem::path& failedFile, FileFault& fault) {
    const CDirectoryLock lock(record);
    std::string text;
    const int readError = ReadRecord(record, text);
    if (readError == ENOENT)
        return Recovery::NothingToDo;
    if (readError != 0) {
        failedFile = record;
        fault = {FileFault::Step::None, readError};
        return Recovery::Unreadable;
    }
    std::error_code error;
    const std::optional<std::vector<fs::path>> temps = ParseRecord(text);
    if (temps) {
        for (const fs::path& temp : *temps) {
            // A temporary file that is gone was put in place before the interruption.
            if (!fs::is_regular_file(fs::symlink_status(temp, error)))
                continue;
            const fs::path target = CAtomicFile::TargetOf(temp);
            fs::rename(temp, target, error);
            if (error) {
                failedFile = target;
                fault = {FileFault::Step::Replace, error.value()};
                return Recovery::Failed;
            }
            CAtomicFile::SyncDirectoryOf(target);
        }
    }
    fs::remove(record, error);
    CAtomicFile::SyncDirectoryOf(record);
    return temps ? Recovery::Completed : Recovery::NothingToDo;
}

bool CJointCommit::PendingFiles(const std::filesystem::path& record,
                                std::vector<std::filesystem::path>& temps) {
    temps.clear();
    std::string text;
    const int readError = ReadRecord(record, text);
    if (readError != 0)
        return readError == ENOENT;
    if (std::optional<std::vector<fs::path>> named = ParseRecord(text))
        temps = std::move(*named);
    return true;
}
