#include "PassageStore.h"

#include "AtomicFile.h"
#include "DirectoryLock.h"
#include "FileFormat.h"
#include "JointCommit.h"
#include "PassageListing.h"
#include "Preferences.h"
#include "RefTables.h"
#include "ScanPattern.h"
#include "StartBeside.h"
#include "TextFormat.h"

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <unordered_set>

namespace {

constexpr std::string_view kParagraphBreak = "\r\n\r\n";
constexpr std::string_view kTruncation = "TRUNCATED "; // what a cut context ends in
constexpr std::size_t kTruncatedKeep = 2480;
constexpr int kCtxShared = 98;     // an element that takes its context from the context record
constexpr int kCtxBeforeOnly = 96; // context record whose passage range is the text before
constexpr int kCtxAfterOnly = 99;  // context record whose passage range is the text after
constexpr int kMaxProg = 4;
// A damaged statistics file is kept under its name followed by this.
constexpr std::string_view kDamagedSuffix = ".damaged";

const CScanPattern kHeaderPattern("<passages count=\"%d\" formatversion=\"%d\">");
const CScanPattern kStatsHeaderPattern("<passages count=\"%d\">");
// A saved statistics line has an eight-digit key with its suffix and quotation mark, and one-digit
// levels.
const CScanPattern kStatsLinePattern("<psg key=\"%s prog=\"%d\" freq=\"%d\"> </psg>", {10, 1, 1});

void AppendHeader(std::string& out, int count) {
    out.append("<passages count=\"");
    AppendInt(out, count, 3, true);
    out.append("\" formatversion=\"");
    AppendInt(out, kFormatVersion);
    out.append("\">");
    out.append(kCrLf);
}

void AppendStatsLine(std::string& out, const CPassage& passage) {
    out.append("<psg key=\"");
    AppendUnsigned(out, passage.key, 8, true);
    out.push_back(passage.SuffixChar());
    out.append("\" prog=\"");
    AppendInt(out, passage.prog);
    out.append("\" freq=\"");
    AppendInt(out, passage.freq);
    out.append(kElementClosing);
    out.append(kCrLf);
}

// A passage file whose keys are out of order, or repeat, cannot be merged: fault says which file
// and how, and the two keys show where.
void ReportOutOfOrder(IMessageSink& messages, std::string_view fault, std::uint32_t previousKey,
                      std::uint32_t key) {
    CMessage text;
    text << fault << ": Prev: ";
    text.Padded(previousKey, 8) << "  Cur: ";
    text.Padded(key, 8) << "\nWas it modified? File should be reloaded.";
    messages.Show("Recitor unsorted or duplicates", text.Text(), MsgIcon::Error);
}

bool SortsBefore(const std::unique_ptr<CPassage>& a, const std::unique_ptr<CPassage>& b) {
    return static_cast<std::uint32_t>(a->sortKey) < static_cast<std::uint32_t>(b->sortKey);
}

// What the user is told when writing file failed: that it could not be opened keeps the words it
// always had, with the system's reason on a line of its own; a later failure names the step and
// the reason.
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

// What the user is told when a file could not be read: its name and the system's reason.
std::string ReadFaultText(const std::filesystem::path& file, int error) {
    return "Unable to read " + file.string() + ": " + std::generic_category().message(error);
}

} // namespace

CPassageStore::CPassageStore(IMessageSink& messages, ISettings& settings, IClock& clock,
                             std::filesystem::path directory)
    : messages_(messages), settings_(settings), clock_(clock), directory_(std::move(directory)) {}

CPassageStore::~CPassageStore() = default;

std::filesystem::path CPassageStore::PathOf(const char* name) const {
    return directory_.empty() ? std::filesystem::path(name) : directory_ / name;
}

// ---------------------------------------------------------------------------------------------
// Loading

CPassageStore::Header CPassageStore::ReadHeader(CLineReader& file) {
    Header header;
    std::string_view line;
    file.ReadLine(line);
    header.declarationOk = line == kDeclaration;
    file.ReadLine(line);
    const CScanPattern::Result match = kHeaderPattern.Match(line);
    header.countRead = match.count >= 1;
    header.versionRead = match.count >= 2;
    if (header.countRead)
        header.count = match.ints[0];
    if (header.versionRead)
        header.version = match.ints[1];
    return header;
}

Status CPassageStore::CompleteInterruptedSave() {
    std::filesystem::path failedFile;
    FileFault fault;
    std::string cause;
    switch (CJointCommit::Recover(PathOf(kSaveRecordFile), failedFile, fault)) {
    case CJointCommit::Recovery::NothingToDo:
    case CJointCommit::Recovery::Completed:
        return Status::Ok;
    case CJointCommit::Recovery::Failed:
        cause = FaultText(fault, failedFile.string());
        break;
    case CJointCommit::Recovery::Unreadable: // it stays, with its files, for a start that can
        cause = ReadFaultText(failedFile, fault.error);
        break;
    }
    messages_.Show("Recitor Cannot complete save",
                   "The last save was interrupted and cannot be completed. " + cause,
                   MsgIcon::Error);
    return Status::Fatal;
}

Status CPassageStore::Load() {
    if (CompleteInterruptedSave() == Status::Fatal)
        return Status::Fatal;
    // Taken before anything is read, so that a file replaced while loading counts as changed.
    loadedFiles_ = LoadedFileIdentities();
    exportTimestamp_ = static_cast<std::uint32_t>(
        settings_.ReadNumber(kSectionExport, SettingKey::kFileTimestamp, 0));
    score_ = 0;
    const std::int64_t started = clock_.NowMilliseconds();
    const auto badHeader = [this](const char* name, int minimum, int count) {
        CMessage text;
        text << name << " file invalid, corrupt, exceeds " << kMaxPassages
             << " passages, or is less than " << minimum << " passages. PsgCount: #" << count;
        messages_.Show("Recitor OpenXmlFile", text.Text(), MsgIcon::Error);
    };

    Status status = Status::Fatal;
    do {
        if (!infoFile_.Open(PathOf(kInfoFile))) {
            if (!ReadFailed(infoFile_))
                messages_.Show("Recitor Missing Info File",
                               "Unable to open Info xml file for reading", MsgIcon::Error);
            break;
        }
        const Header info = ReadHeader(infoFile_);
        if (ReadFailed(infoFile_))
            break;
        if (!info.declarationOk || !info.countRead || info.count < kMinBaseline ||
            info.count > kMaxPassages) {
            badHeader(kInfoFile, kMinBaseline, info.count);
            break;
        }
        baselineCount_ = info.count;

        if (!userFile_.Open(PathOf(kUserFile))) {
            if (!ReadFailed(userFile_))
                messages_.Show("Recitor Missing Info File",
                               "Unable to open User xml file for reading", MsgIcon::Error);
            break;
        }
        const Header user = ReadHeader(userFile_);
        if (ReadFailed(userFile_))
            break;
        if (user.countRead && !user.versionRead)
            userFileChanged_ = true; // an old header: the next save writes the current one
        if (!user.declarationOk || !user.countRead || user.count < 0 || user.count > kMaxPassages) {
            badHeader(kUserFile, 0, user.count);
            break;
        }
        userCount_ = user.count;

        passages_.clear();
        passages_.reserve(static_cast<std::size_t>(baselineCount_) +
                          static_cast<std::size_t>(userCount_));
        if (OpenStats() == Status::Fatal)
            break;
        Status baselineStatus = Status::Fatal;
        CMessageLog baselineMessages;
        UserElements userElements;
        StatsLines statsLines;
        ReadFiles(baselineStatus, baselineMessages, userElements, statsLines);
        // What could not be read is the cause of whatever else went wrong with it.
        if (ReadFailed(infoFile_) || ReadFailed(userFile_) || ReadFailed(statsFile_))
            break;
        baselineMessages.Replay(messages_);
        // The baseline passages that revisions replaced are freed as loading ends. Freeing them on
        // a second thread while the statistics are attached saved too little of the load to be
        // worth the thread.
        std::vector<std::unique_ptr<CPassage>> replaced;
        if (baselineStatus == Status::Fatal || MergeUser(userElements, replaced) == Status::Fatal)
            break;
        if (AttachStats(statsLines) == Status::Fatal ||
            CheckEnd(infoFile_, kInfoFile) == Status::Fatal ||
            CheckEnd(userFile_, kUserFile) == Status::Fatal ||
            CheckEnd(statsFile_, kStatsFile) == Status::Fatal)
            break;
        status = Status::Ok;
    } while (false);

    infoFile_.Close();
    userFile_.Close();
    statsFile_.Close();
    if (status == Status::Ok)
        loadSeconds_ = static_cast<double>(clock_.NowMilliseconds() - started) / 1000.0;
    return status;
}

std::array<FileIdentity, 4> CPassageStore::LoadedFileIdentities() const {
    static_assert(kStatsIdentity == 2);
    return {FileIdentity::Of(PathOf(kInfoFile)), FileIdentity::Of(PathOf(kUserFile)),
            FileIdentity::Of(PathOf(kStatsFile)), FileIdentity::Of(PathOf(kStatsSpareFile))};
}

bool CPassageStore::FilesChangedSinceLoad() const {
    return LoadedFileIdentities() != loadedFiles_;
}

// A missing or damaged statistics file gives way to the spare. A damaged one is first renamed
// aside, where the saves of this run cannot write over it.
Status CPassageStore::OpenStats() {
    const std::filesystem::path path = PathOf(kStatsFile);
    const bool found = statsFile_.Open(path);
    if (!found && ReadFailed(statsFile_))
        return Status::Fatal;
    bool valid = found;
    int count = 0;
    if (found) {
        std::string_view line;
        statsFile_.ReadLine(line);
        const bool declarationOk = line == kDeclaration;
        statsFile_.ReadLine(line);
        if (ReadFailed(statsFile_))
            return Status::Fatal;
        const CScanPattern::Result match = kStatsHeaderPattern.Match(line);
        if (match.count >= 1)
            count = match.ints[0];
        valid = declarationOk && match.count >= 1 && count >= 0 && count <= kMaxPassages;
    }
    if (valid) {
        statsCount_ = count;
        return Status::Ok;
    }
    statsFile_.Close();
    if (!statsFile_.Open(PathOf(kStatsSpareFile))) {
        messages_.Show("Recitor Missing Stats File",
                       "Unable to open Stats xml file for reading (real or 'spare')",
                       MsgIcon::Error);
        return Status::Fatal;
    }
    CMessage text;
    text << kStatsFile << " file invalid, corrupt, exceeds " << kMaxPassages
         << " passages, or is less than 0 passages. Replacing with empty RctStatsSpare.xml. All "
            "statistics lost. PsgCount: #"
         << count;
    if (found) {
        std::filesystem::path kept;
        int error = 0;
        if (!CAtomicFile::RenameAside(path, kDamagedSuffix, kept, error)) {
            statsFile_.Close();
            CMessage cannotKeep;
            cannotKeep << kStatsFile << " file invalid or corrupt, and it cannot be kept as "
                       << kept.filename().string() << ": " << std::generic_category().message(error)
                       << "\nRecitor ends, so that the file is not written over.";
            messages_.Show("Recitor Cannot keep Stats file", cannotKeep.Text(), MsgIcon::Error);
            return Status::Fatal;
        }
        text << "\nThe damaged file was kept as " << kept.filename().string() << ".";
        // Moving it aside is this load's own doing, not a change a later look should see.
        loadedFiles_[kStatsIdentity] = FileIdentity::Of(path);
    }
    messages_.Show("Recitor Corrupt/Missing Stats file 'patched'", text.Text(), MsgIcon::Warning);
    statsCount_ = 0;
    exportDue_ = true;
    std::string_view skipped;
    statsFile_.ReadLine(skipped);
    statsFile_.ReadLine(skipped);
    return ReadFailed(statsFile_) ? Status::Fatal : Status::Ok;
}

bool CPassageStore::ReadFailed(const CLineReader& file) {
    if (file.Error() == 0 || (!file.IsOpen() && file.Error() == ENOENT))
        return false;
    messages_.Show("Recitor Cannot read file", ReadFaultText(file.Path().filename(), file.Error()),
                   MsgIcon::Error);
    return true;
}

void CPassageStore::SetReadFunction(const CLineReader::ReadFunction& read) {
    for (CLineReader* file : {&infoFile_, &userFile_, &statsFile_})
        file->SetReadFunction(read);
}

// The baseline file, and after it the statistics lines, are read on a second thread while this
// one reads the user file: loading then takes little more than the longer of the two. What the
// second thread has to say waits in baselineMessages and in the statistics lines, to be shown at
// the point where reading one file after the other would have shown it. Without a second thread
// everything is read here.
void CPassageStore::ReadFiles(Status& baselineStatus, CMessageLog& baselineMessages,
                              UserElements& userElements, StatsLines& statsLines) {
    const auto readBaseline = [&] {
        baselineStatus = LoadBaseline(baselineMessages);
        if (baselineStatus == Status::Ok)
            ReadStatsLines(statsLines);
    };
    const std::jthread second = StartBeside(readBaseline);
    ReadUserElements(userElements);
}

bool CPassageStore::ReadElementLine(CLineReader& file, std::string& cutCopy,
                                    std::string_view& line) {
    file.ReadLine(line);
    if (line.size() <= kMaxLineLength)
        return false;
    // Keep the start and close the element, so that the context ends in TRUNCATED.
    cutCopy.assign(line.substr(0, kTruncatedKeep));
    cutCopy.append(kTruncation).append(kElementClosing);
    line = cutCopy;
    return true;
}

void CPassageStore::ReportTooLong(IMessageSink& messages, bool userFile, int readIndex) {
    CMessage text;
    text << (userFile ? kUserFile : kInfoFile)
         << (userFile ? " file has user passage that is too long: #"
                      : " file has preloaded passage that is too long: #")
         << readIndex + 2;
    messages.Show(userFile ? "Recitor User Passage Too Long" : "Recitor Preloaded Passage Too Long",
                  text.Text(), MsgIcon::Error);
}

Status CPassageStore::LoadBaseline(IMessageSink& messages) {
    std::uint32_t previousKey = 0;
    std::uint32_t lastBaselineKey = 0;
    std::string cutCopy;
    baselineKeys_.clear();
    baselineKeys_.reserve(static_cast<std::size_t>(baselineCount_));
    for (int i = 0; i < baselineCount_; ++i) {
        std::string_view line;
        if (ReadElementLine(infoFile_, cutCopy, line))
            ReportTooLong(messages, false, PassageCount());
        auto passage = std::make_unique<CPassage>();
        if (passage->ParseElement(line, messages) == Status::Fatal)
            return Status::Fatal;
        if (passage->matchKey <= lastBaselineKey) {
            ReportOutOfOrder(messages, "Read-only RctInfo.xml not sorted or has duplicate",
                             previousKey, passage->key);
            return Status::Fatal;
        }
        const std::uint32_t keyBefore = previousKey;
        previousKey = passage->key;
        lastBaselineKey = passage->matchKey;
        baselineKeys_.push_back(lastBaselineKey);
        passages_.push_back(std::move(passage));
        if (passages_.back()->ctxLines == kCtxShared &&
            ShareContext(*passages_.back(), keyBefore, messages) == Status::Fatal)
            return Status::Fatal;
    }
    return Status::Ok;
}

// An element of a verse whose translations share one context holds only its own text; its context
// is built around that text from the verse's context record, which sorts before the translations
// of the verse and so has been read already.
Status CPassageStore::ShareContext(CPassage& passage, std::uint32_t previousKey,
                                   IMessageSink& messages) {
    const std::uint32_t wanted = (static_cast<std::uint32_t>(passage.book) << 23) +
                                 (static_cast<std::uint32_t>(passage.chapter) << 15) +
                                 (static_cast<std::uint32_t>(passage.firstVerse) << 7);
    const CPassage* record = nullptr;
    for (std::size_t i = passages_.size() - 1; i-- > 0;) {
        const CPassage& candidate = *passages_[i];
        if (candidate.matchKey == wanted)
            record = &candidate;
        if (candidate.matchKey <= wanted)
            break;
    }
    if (!record) {
        ReportOutOfOrder(messages, "Read-only RctInfo.xml has invalid CtxLineCount=98", previousKey,
                         passage.key);
        return Status::Fatal;
    }
    const std::string_view abbrev = passage.TransName();
    std::string prefix;
    std::string_view after;
    if (record->ctxLines == kCtxBeforeOnly) {
        prefix.append(record->PassageText()).append(kParagraphBreak);
    } else if (record->ctxLines == kCtxAfterOnly) {
        after = record->PassageText();
    } else {
        prefix.append(record->TextBeforePassage()).append(kParagraphBreak);
        after = record->PassageText();
    }
    prefix.append(abbrev).push_back(' ');
    std::string shared;
    shared.reserve(prefix.size() + passage.context.size() + kParagraphBreak.size() + after.size());
    shared.append(prefix).append(passage.context);
    if (record->ctxLines != kCtxBeforeOnly)
        shared.append(kParagraphBreak).append(after);
    passage.context = std::move(shared);
    const auto shift = static_cast<std::int64_t>(prefix.size());
    passage.psgStart = WrapAdd(passage.psgStart + shift);
    passage.psgEnd = WrapAdd(passage.psgEnd + shift);
    passage.hintStart = WrapAdd(passage.hintStart + shift);
    passage.hintEnd = WrapAdd(passage.hintEnd + shift);
    return Status::Ok;
}

// User elements are only parsed here; which baseline passage each one revises, and so its read
// index, is known once the baseline is read, when they are merged.
void CPassageStore::ReadUserElements(UserElements& user) {
    user.read.reserve(static_cast<std::size_t>(userCount_));
    std::string cutCopy;
    for (int i = 0; i < userCount_; ++i) {
        UserElement& element = user.read.emplace_back();
        std::string_view line;
        element.cut = ReadElementLine(userFile_, cutCopy, line);
        auto passage = std::make_unique<CPassage>();
        if (passage->ParseElement(line, user.fault) == Status::Fatal)
            return;
        element.key = passage->key;
        element.sortKey = static_cast<std::uint32_t>(passage->sortKey);
        element.matchKey = passage->matchKey;
        passage->SetBaseline(0); // user passages are never baseline ones, revision or not
        element.passage = std::move(passage);
    }
}

Status CPassageStore::MergeUser(UserElements& user,
                                std::vector<std::unique_ptr<CPassage>>& replaced) {
    std::uint32_t previousKey = 0;
    std::uint32_t lastUserKey = 0;
    // User passages that revise no baseline passage, in ascending order, with their keys.
    std::vector<std::unique_ptr<CPassage>> added;
    std::vector<std::uint32_t> addedKeys;
    // User passages come in ascending order, so each one's place among the baseline keys lies at
    // or after the place of the one before.
    auto baselinePlace = baselineKeys_.cbegin();
    for (UserElement& element : user.read) {
        if (element.cut)
            ReportTooLong(messages_, true, PassageCount() + static_cast<int>(added.size()));
        if (!element.passage) {
            user.fault.Replay(messages_);
            return Status::Fatal;
        }
        if (element.sortKey <= lastUserKey) {
            ReportOutOfOrder(messages_, "RctUser.xml not sorted or has duplicate", previousKey,
                             element.key);
            return Status::Fatal;
        }
        previousKey = element.key;
        lastUserKey = element.sortKey;
        // A user passage with the VerseKey of a baseline passage is its revision and takes its
        // place.
        const std::uint32_t matchKey = element.matchKey;
        baselinePlace = std::lower_bound(baselinePlace, baselineKeys_.cend(), matchKey);
        if (baselinePlace != baselineKeys_.cend() && *baselinePlace == matchKey) {
            auto& place =
                passages_[static_cast<std::size_t>(baselinePlace - baselineKeys_.cbegin())];
            replaced.push_back(std::move(place));
            place = std::move(element.passage);
            --baselineCount_;
        } else {
            added.push_back(std::move(element.passage));
            addedKeys.push_back(matchKey);
        }
    }
    // Both runs are in ascending order and no two passages share a VerseKey: merging them by
    // their keys gives the one order that sorting would, without visiting the passages.
    if (!added.empty()) {
        std::vector<std::unique_ptr<CPassage>> merged;
        merged.reserve(passages_.size() + added.size());
        std::size_t b = 0;
        std::size_t a = 0;
        while (b < passages_.size() || a < added.size()) {
            if (a == added.size() || (b < passages_.size() && baselineKeys_[b] < addedKeys[a]))
                merged.push_back(std::move(passages_[b++]));
            else
                merged.push_back(std::move(added[a++]));
        }
        passages_ = std::move(merged);
    }
    baselineKeys_ = {};
    return Status::Ok;
}

void CPassageStore::ReadStatsLines(StatsLines& stats) {
    stats.read.reserve(static_cast<std::size_t>(statsCount_));
    for (int i = 0; i < statsCount_; ++i) {
        std::string_view line;
        statsFile_.ReadLine(line);
        const CScanPattern::Result match = kStatsLinePattern.Match(line);
        int items = match.count;
        std::string_view token = match.token;
        if (items >= 1 && !CPassage::IsValidKeyText(token))
            items = 0;
        // Statistics outside the known levels would break every view of the passage; they are
        // as damaged as a missing number.
        if (items >= 3 && (match.ints[0] < 0 || match.ints[0] > kMaxProg))
            items = 1;
        else if (items >= 3 && (match.ints[1] < 0 || match.ints[1] > kFreqInactive))
            items = 2;
        if (items < 3) {
            CMessage text;
            text << kStatsFile << " file invalid  (count wrong?) for attribute #" << items
                 << " or #" << items + 1 << " of key [";
            text.Limited(token, CPassage::kMaxKeyText);
            text << "] for Passage #" << i + 1 << "\n";
            text.Limited(line, 120);
            stats.fault.Show("Recitor ReadStats Error", text.Text(), MsgIcon::Error);
            return;
        }
        const CPassage keyOnly(token);
        stats.read.push_back({keyOnly.key, keyOnly.matchKey, match.ints[0], match.ints[1]});
    }
}

Status CPassageStore::AttachStats(StatsLines& stats) {
    int found = -1;
    for (int i = 0; i < statsCount_; ++i) {
        if (static_cast<std::size_t>(i) == stats.read.size()) {
            stats.fault.Replay(messages_);
            return Status::Fatal;
        }
        const StatsLine& line = stats.read[static_cast<std::size_t>(i)];
        // A saved statistics file lists its passages in store order, so the passage after the one
        // found last is tried before searching. Keys are unique, so a match there is the match.
        const int next = found + 1;
        if (next < PassageCount() &&
            (static_cast<std::uint32_t>(Passage(next).sortKey) & ~1u) == (line.matchKey & ~1u))
            found = next;
        else
            found = Find(line.matchKey);
        if (found < 0) {
            CMessage text;
            text << "Key in " << kStatsFile << " [" << static_cast<int>(line.keyNumber)
                 << "] not found in " << kInfoFile << " for Passage #" << i + 1
                 << "\n(Has a different or updated translation been installed? \nIf so, "
                    "reinstall and select option 'Yes=Overwrite' to reset statistics)";
            messages_.Show("Recitor Mismatched Keys", text.Text(), MsgIcon::Error);
            return Status::Fatal;
        }
        CPassage& passage = Mutable(found);
        // A repeated line replaces the earlier one, so the score counts each passage once.
        score_ = WrapAdd(score_ + std::int64_t{passage.vCount} * (line.prog - passage.prog));
        passage.prog = line.prog;
        passage.freq = line.freq;
    }
    return Status::Ok;
}

Status CPassageStore::CheckEnd(CLineReader& file, const char* fileName) {
    std::string_view line;
    file.ReadLine(line);
    if (ReadFailed(file))
        return Status::Fatal;
    if (line == kEndLine)
        return Status::Ok;
    CMessage text;
    text << fileName << " file invalid (count wrong?): doesn't end with </passages>\n";
    text.Limited(line, 280);
    messages_.Show("Recitor Missing </passages>", text.Text(), MsgIcon::Error);
    return Status::Fatal;
}

// ---------------------------------------------------------------------------------------------
// Order and lookup

int CPassageStore::FindIn(std::uint32_t key, int last) const {
    const std::uint32_t wanted = key & ~1u;
    int low = 0;
    int high = last;
    while (low <= high) {
        const int middle = low + (high - low) / 2;
        const std::uint32_t candidate =
            static_cast<std::uint32_t>(passages_[static_cast<std::size_t>(middle)]->sortKey) & ~1u;
        if (candidate == wanted)
            return middle;
        if (candidate < wanted)
            low = middle + 1;
        else
            high = middle - 1;
    }
    return -1;
}

int CPassageStore::Find(std::uint32_t key) const {
    return FindIn(key, LastIndex());
}

// Compared as unsigned, like the lookups and the order checks of loading: the same for every
// valid key, and a damaged key with a book beyond 255 cannot leave an order that Find misses or
// that the next start refuses.
void CPassageStore::Sort() {
    std::sort(passages_.begin(), passages_.end(), SortsBefore);
}

// ---------------------------------------------------------------------------------------------
// Changes

void CPassageStore::Changed() const {
    if (listener_)
        listener_->PassagesChanged();
}

void CPassageStore::ReportDuplicate(std::uint32_t key) {
    CMessage text;
    text << "Passage with exact same 'VerseKey' [";
    text.Padded(key, 8) << "] already exists \n(Book+ChapNum+1stVerse+Trans). Recitor allows "
                           "EditPassage, \nbut not duplicates.";
    messages_.Show("Recitor Invalid AddPassage", text.Text(), MsgIcon::Warning);
}

int CPassageStore::ActiveCount() const {
    return static_cast<int>(std::count_if(passages_.begin(), passages_.end(),
                                          [](const auto& p) { return p->freq != kFreqInactive; }));
}

void CPassageStore::ReportTooManyActive() {
    CMessage text;
    text << kMaxPassages << " passages are active, the most " << kStatsFile
         << " can keep. Set a passage to \"Not Started/Inactive\" or delete one before making "
            "another one active.";
    messages_.Show("Recitor Too Many Active Passages", text.Text(), MsgIcon::Warning);
}

bool CPassageStore::CheckRoomForUserPassage() {
    if (userCount_ < kMaxPassages)
        return true;
    CMessage text;
    text << kUserFile << " already holds " << kMaxPassages
         << " passages, the most it can hold. Delete some of your own passages before adding "
            "another one or revising one of the bundled passages.";
    messages_.Show("Recitor Too Many Passages", text.Text(), MsgIcon::Warning);
    return false;
}

bool CPassageStore::SetFrequency(int index, int freq) {
    CPassage& passage = Mutable(index);
    const int old = passage.freq;
    if (old == kFreqInactive && freq != kFreqInactive && ActiveCount() >= kMaxPassages) {
        ReportTooManyActive();
        return false;
    }
    passage.freq = freq;
    if (freq == kFreqInactive) {
        if (old < kFreqInactive) {
            exportDue_ = true; // it leaves the handheld export
            if (statsCount_ > 0)
                --statsCount_;
        }
        SetProgress(index, 0);
    } else if (old == kFreqInactive) {
        exportDue_ = true;
        ++statsCount_;
    }
    return true;
}

int CPassageStore::SetProgress(int index, int prog) {
    CPassage& passage = Mutable(index);
    if (passage.freq == kFreqInactive)
        prog = 0;
    score_ = WrapAdd(score_ + std::int64_t{passage.vCount} * (prog - passage.prog));
    passage.prog = prog;
    return prog;
}

int CPassageStore::Add(std::unique_ptr<CPassage>& passage) {
    if (!CheckRoomForUserPassage())
        return -1;
    if (Find(passage->matchKey) >= 0) {
        ReportDuplicate(passage->key);
        return -1;
    }
    if (passage->freq != kFreqInactive && ActiveCount() >= kMaxPassages) {
        ReportTooManyActive();
        return -1;
    }
    passage->SetBaseline(0);
    const std::uint32_t matchKey = passage->matchKey;
    score_ = WrapAdd(score_ + std::int64_t{passage->vCount} * passage->prog);
    if (passage->freq < kFreqInactive) {
        exportDue_ = true;
        ++statsCount_;
    }
    passages_.push_back(std::move(passage));
    ++userCount_;
    userFileChanged_ = true;
    Sort();
    Changed();
    return Find(matchKey);
}

int CPassageStore::AddMany(std::vector<std::unique_ptr<CPassage>>& passages) {
    const std::size_t held = passages_.size();
    int active = ActiveCount();
    // The keys taken in this run: those passages are not in their places yet.
    std::unordered_set<std::uint32_t> taken;
    taken.reserve(passages.size());
    int count = 0;
    for (std::unique_ptr<CPassage>& passage : passages) {
        if (!passage)
            continue;
        if (!CheckRoomForUserPassage())
            break;
        const std::uint32_t matchKey = passage->matchKey;
        if (FindIn(matchKey, static_cast<int>(held) - 1) >= 0 || taken.contains(matchKey)) {
            ReportDuplicate(passage->key);
            break;
        }
        if (passage->freq != kFreqInactive && active >= kMaxPassages) {
            ReportTooManyActive();
            break;
        }
        passage->SetBaseline(0);
        score_ = WrapAdd(score_ + std::int64_t{passage->vCount} * passage->prog);
        if (passage->freq < kFreqInactive) {
            exportDue_ = true;
            ++statsCount_;
            ++active;
        }
        taken.insert(matchKey);
        passages_.push_back(std::move(passage));
        ++userCount_;
        ++count;
    }
    if (count == 0)
        return 0;
    userFileChanged_ = true;
    std::sort(passages_.begin() + static_cast<std::ptrdiff_t>(held), passages_.end(), SortsBefore);
    std::inplace_merge(passages_.begin(), passages_.begin() + static_cast<std::ptrdiff_t>(held),
                       passages_.end(), SortsBefore);
    Changed();
    return count;
}

bool CPassageStore::Remove(int index) {
    if (index < 0 || index > LastIndex()) {
        CMessage text;
        text << "Recitor software error: attempting to delete 'zombie' verse: [";
        text.Padded(0, 8) << "]";
        messages_.Show("Recitor Zombie Verse", text.Text(), MsgIcon::Warning);
        return false;
    }
    const CPassage& passage = Passage(index);
    if (passage.freq < kFreqInactive) {
        exportDue_ = true; // it was in the handheld export
        if (statsCount_ > 0)
            --statsCount_;
    }
    score_ = WrapAdd(score_ - std::int64_t{passage.vCount} * passage.prog);
    if (!passage.baseline)
        --userCount_;
    else
        --baselineCount_;
    userFileChanged_ = true;
    passages_.erase(passages_.begin() + index);
    Changed();
    return true;
}

int CPassageStore::Revise(int index, const CPassage::Values& values) {
    CPassage revised;
    revised.SetAll(values);
    const int holder = Find(revised.matchKey);
    if (holder >= 0 && holder != index) {
        ReportDuplicate(revised.key);
        return -1;
    }
    if (Passage(index).baseline && !CheckRoomForUserPassage())
        return -1;
    CPassage& passage = Mutable(index);
    const int oldVerses = passage.vCount;
    passage.SetAll(values);
    score_ = WrapAdd(score_ + std::int64_t{passage.vCount - oldVerses} * passage.prog);
    if (passage.baseline) {
        ++userCount_;
        --baselineCount_;
    }
    passage.SetBaseline(0);
    if (passage.freq < kFreqInactive)
        exportDue_ = true; // the handheld has the old text
    userFileChanged_ = true;
    const std::uint32_t matchKey = passage.matchKey;
    Sort();
    Changed();
    return Find(matchKey);
}

std::vector<int> CPassageStore::ExportList() const {
    const CPassageListing listing(*this, kTransAll);
    return listing.ActivePassages();
}

// ---------------------------------------------------------------------------------------------
// Saving

void CPassageStore::ReportWriteFault(SavedFile file, const FileFault& fault) {
    switch (file) {
    case SavedFile::Stats:
        messages_.Show("Recitor Cannot write Stats file", FaultText(fault, "Stats xml file"),
                       MsgIcon::Error);
        break;
    case SavedFile::User:
        messages_.Show("Recitor Cannot write User file", FaultText(fault, "User xml file"),
                       MsgIcon::Error);
        break;
    case SavedFile::Record: // written only to put the user file in place with the statistics
        messages_.Show("Recitor Cannot write User file",
                       FaultText(fault, std::string("save record ") + kSaveRecordFile),
                       MsgIcon::Error);
        break;
    case SavedFile::Export:
        messages_.Show("Recitor Cannot write SpecialHandling file",
                       FaultText(fault, "PpcXport.txt file"), MsgIcon::Error);
        break;
    }
}

Status CPassageStore::SaveAll() {
    // Made first, so that its lock covers the save's temporary files from their creation.
    CJointCommit commit(PathOf(kSaveRecordFile));
    commit.SetStepHook(commitStepHook_);
    // The export goes in place with the statistics and user files, so that the three always
    // belong together. One that cannot be written is reported and the save goes on without it.
    CAtomicFile exported;
    std::uint32_t timestamp = 0;
    bool withExport = exportDue_ && WriteExportFile(exported, timestamp);
    CAtomicFile stats;
    CAtomicFile user;
    if (!WriteFiles(commit, stats, user, withExport ? &exported : nullptr, withExport))
        return Status::Fatal; // the old files stay together
    if (withExport)
        ExportWritten(timestamp);
    return Status::Ok;
}

bool CPassageStore::WriteFiles(CJointCommit& commit, CAtomicFile& stats, CAtomicFile& user,
                               CAtomicFile* exported, bool& exportCommitted) {
    if (!stats.Open(PathOf(kStatsFile))) {
        ReportWriteFault(SavedFile::Stats, stats.Fault());
        return false;
    }
    const bool writeUser = userFileChanged_;
    if (writeUser && !user.Open(PathOf(kUserFile))) {
        ReportWriteFault(SavedFile::User, user.Fault());
        return false;
    }
    // The statistics file is written and made durable on a second thread while this one writes
    // the user file, so that its wait for the disk passes while the user file is formatted. Both
    // only read the passages. Without a second thread both are written here.
    int count = 0;
    bool statsWritten = false;
    bool userWritten = false;
    {
        const auto writeStats = [&] { statsWritten = WriteStats(stats, count); };
        const std::jthread second = StartBeside(writeStats);
        if (writeUser)
            userWritten = WriteUser(user);
    }
    if (writeUser && !userWritten) {
        ReportWriteFault(SavedFile::User, user.Fault());
        return false;
    }
    if (!statsWritten) {
        ReportWriteFault(SavedFile::Stats, stats.Fault());
        return false;
    }
    statsCount_ = count;
    // The export goes first, so that when it cannot be put in place, nothing is yet and the
    // pair can go without it. Then the user file: it holds what the user typed, the statistics
    // only refer to it.
    std::vector<CAtomicFile*> files;
    if (exported)
        files.push_back(exported);
    if (writeUser)
        files.push_back(&user);
    files.push_back(&stats);
    bool committed = commit.Commit(files);
    if (!committed && exported && commit.FailedFile() == 0) {
        ReportWriteFault(SavedFile::Export, commit.Fault());
        exportCommitted = false;
        files.erase(files.begin());
        committed = commit.Commit(files);
    }
    if (committed) {
        if (releaseOnSave_)
            passages_.clear(); // closing: the collection is released once it is safely saved
        return true;
    }
    SavedFile failed = SavedFile::Record;
    if (commit.FailedFile() >= 0)
        failed = files[static_cast<std::size_t>(commit.FailedFile())] == &user ? SavedFile::User
                                                                               : SavedFile::Stats;
    ReportWriteFault(failed, commit.Fault());
    return false;
}

// A line for each active passage, in store order; the header, which needs their count, goes in
// front of them.
bool CPassageStore::WriteStats(CAtomicFile& stats, int& count) const {
    std::string lines;
    count = 0;
    for (const auto& passage : passages_)
        if (passage->freq != kFreqInactive) {
            ++count;
            AppendStatsLine(lines, *passage);
        }
    stats.Append(kDeclaration);
    stats.Append(kCrLf);
    AppendHeader(stats.Buffer(), count);
    stats.Append(lines);
    stats.Append(kEndLine);
    stats.Append(kCrLf);
    return stats.Finish();
}

bool CPassageStore::WriteUser(CAtomicFile& user) const {
    user.Append(kDeclaration);
    user.Append(kCrLf);
    AppendHeader(user.Buffer(), userCount_);
    for (const auto& passage : passages_)
        if (!passage->baseline) {
            passage->AppendElement(user.Buffer());
            user.FlushIfFull();
        }
    user.Append(kEndLine);
    return user.Finish();
}

void CPassageStore::RemoveLeftoverTemporaries() const {
    // Under the lock that a save holds from its first temporary file to its last rename, so that
    // a save under way in another copy keeps its files. The files that a record in place names
    // are the next start's to put in place; a record that cannot be read may name any of them.
    const CDirectoryLock lock(PathOf(kSaveRecordFile));
    std::vector<std::filesystem::path> pending;
    if (!CJointCommit::PendingFiles(PathOf(kSaveRecordFile), pending))
        return;
    for (const char* name : {kStatsFile, kUserFile, kExportFile, kSaveRecordFile})
        CAtomicFile::RemoveLeftovers(PathOf(name), pending);
}

Status CPassageStore::Close() {
    releaseOnSave_ = true;
    return SaveAll();
}

bool CPassageStore::WriteExport() {
    // A commit of one file is a single rename; its lock keeps the temporary file from the
    // clean-up of another copy.
    CJointCommit commit(PathOf(kSaveRecordFile));
    CAtomicFile file;
    std::uint32_t timestamp = 0;
    if (!WriteExportFile(file, timestamp))
        return false;
    CAtomicFile* const files[] = {&file};
    if (!commit.Commit(files)) {
        ReportWriteFault(SavedFile::Export, commit.Fault());
        return false;
    }
    ExportWritten(timestamp);
    return true;
}

void CPassageStore::ExportWritten(std::uint32_t timestamp) {
    exportTimestamp_ = timestamp;
    settings_.WriteNumber(kSectionExport, SettingKey::kFileTimestamp,
                          static_cast<std::int32_t>(timestamp));
    exportDue_ = false;
}

bool CPassageStore::WriteExportFile(CAtomicFile& file, std::uint32_t& timestamp) {
    const auto fail = [this, &file] {
        ReportWriteFault(SavedFile::Export, file.Fault());
        file.Discard();
        return false;
    };
    if (!file.Open(PathOf(kExportFile)))
        return fail();
    timestamp = clock_.NowSeconds();
    std::vector<const CPassage*> entries;
    const std::vector<int> exportList = ExportList();
    entries.reserve(exportList.size());
    for (const int index : exportList)
        if (index >= 0 && index < PassageCount())
            entries.push_back(&Passage(index));

    std::string& out = file.Buffer();
    out.append("count= ");
    AppendInt(out, static_cast<std::int64_t>(entries.size()));
    out.append(" formatversion= ");
    AppendInt(out, kFormatVersion);
    out.append(" timestamp= ");
    AppendUnsigned(out, timestamp, 11);
    out.append(kCrLf);
    std::string text;
    for (const CPassage* passage : entries) {
        // The text keeps the passage's length, so that columns 5 to 7 measure it as written: a
        // CR LF becomes backslash n, and a lone CR or LF, which must not break the line, a blank.
        text.assign(passage->PassageText());
        for (std::size_t cr = text.find('\r'); cr != std::string::npos; cr = text.find('\r', cr)) {
            if (cr + 1 < text.size() && text[cr + 1] == '\n') {
                text.replace(cr, kEscapedBreak.size(), kEscapedBreak);
                cr += kEscapedBreak.size();
            } else
                text[cr++] = ' ';
        }
        std::replace(text.begin(), text.end(), '\n', ' '); // the line feeds left are lone ones
        AppendUnsigned(out, passage->key, 8, true);
        out.push_back(' ');
        AppendInt(out, passage->trans, 2);
        out.push_back(' ');
        AppendInt(out, passage->prog, 2);
        out.push_back(' ');
        AppendInt(out, passage->freq, 2);
        out.push_back(' ');
        AppendInt(out, WrapAdd(std::int64_t{passage->hintStart} - passage->psgStart), 4);
        out.push_back(' ');
        AppendInt(out, WrapAdd(std::int64_t{passage->hintEnd} - passage->psgStart - 1), 4);
        out.push_back(' ');
        AppendInt(out, static_cast<std::int64_t>(text.size()), 4);
        out.push_back(' ');
        out.append(text);
        out.append(kCrLf);
        file.FlushIfFull();
    }
    if (!file.Finish())
        return fail();
    return true;
}
