#include "JointCommit.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

// The record: this heading, a line "<length> <temporary file path>" for each file to put in
// place (the length in bytes, so that any path reads back whole), and the closing line.
constexpr std::string_view kHeading = "Recitor save record";
constexpr std::string_view kClosing = "end";
constexpr std::string_view kLineEnd = "\r\n";

// Holds the directory of the record for one commit or recovery, so that a copy of the program
// starting beside a running one never completes that one's commit while it is still under way.
// Where the directory cannot be locked, the two simply run unguarded, as they would without it.
class CDirectoryLock {
public:
    explicit CDirectoryLock([[maybe_unused]] const fs::path& record) {
#ifndef _WIN32
        fs::path dir = record.parent_path();
        if (dir.empty())
            dir = ".";
        fd_ = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ >= 0)
            ::flock(fd_, LOCK_EX);
#endif
    }
    ~CDirectoryLock() {
#ifndef _WIN32
        if (fd_ >= 0)
            ::close(fd_); // releases the lock
#endif
    }
    CDirectoryLock(const CDirectoryLock&) = delete;
    CDirectoryLock& operator=(const CDirectoryLock&) = delete;

private:
    int fd_ = -1;
};

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

std::string ReadWhole(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

CJointCommit::CJointCommit(std::filesystem::path record) : record_(std::move(record)) {}

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
    const CDirectoryLock lock(record_);
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

bool CJointCommit::WriteRecord(std::span<CAtomicFile* const> files) {
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
    std::error_code error;
    if (!fs::is_regular_file(fs::symlink_status(record, error)))
        return Recovery::NothingToDo;
    const std::optional<std::vector<fs::path>> temps = ParseRecord(ReadWhole(record));
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
