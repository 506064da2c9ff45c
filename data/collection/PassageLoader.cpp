// SPDX-License-Identifier: GPL-2.0-or-later
#include "PassageLoader.h"

#include "AtomicFile.h"
#include "FileFormat.h"
#include "JointCommit.h"
#include "PassageStore.h"
#include "Preferences.h"
#include "RefTables.h"
#include "ScanPattern.h"
#include "StartBeside.h"
#include "TextFormat.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace {

constexpr std::string_view kParagraphBreak = "\r\n\r\n";
constexpr std::string_view kTruncation = "TRUNCATED "; // what a cut context ends in
constexpr std::size_t kTruncatedKeep = 2480;
constexpr int kCtxShared = 98;     // an element that takes its context from the context record
constexpr int kCtxBeforeOnly = 96; // context record whose passage range is the text before
constexpr int kCtxAfterOnly = 99;  // context record whose passage range is the text after
constexpr int kMaxProg = 4;

const CScanPattern kHeaderScan(kHeaderPattern);
const CScanPattern kStatsHeaderScan(kStatsHeaderPattern);
// A saved statistics line has an eight-digit key with its suffix and quotation mark, and one-digit
// levels.
const CScanPattern kStatsLinePattern("<psg key=\"%s prog=\"%d\" freq=\"%d\"> </psg>", {10, 1, 1});

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

} // namespace

CPassageLoader::Header CPassageLoader::ReadHeader(CLineReader& file) {
    Header header;
    std::string_view line;
    file.ReadLine(line);
    header.declarationOk = line == kDeclaration;
    file.ReadLine(line);
    const CScanPattern::Result match = kHeaderScan.Match(line);
    header.countRead = match.count >= 1;
    header.versionRead = match.count >= 2;
    if (header.countRead)
        header.count = match.ints[0];
    if (header.versionRead)
        header.version = match.ints[1];
    return header;
}

Status CPassageLoader::CompleteInterruptedSave() {
    std::filesystem::path failedFile;
    FileFault fault;
    std::string cause;
    switch (
        CJointCommit::Recover(store_.PathOf(CPassageStore::kSaveRecordFile), failedFile, fault)) {
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
    store_.messages_.Show("Recitor Cannot complete save",
                          "The last save was interrupted and cannot be completed. " + cause,
                          MsgIcon::Error);
    return Status::Fatal;
}

Status CPassageLoader::Load() {
    if (CompleteInterruptedSave() == Status::Fatal)
        return Status::Fatal;
    // Taken before anything is read, so that a file replaced while loading counts as changed.
    loadedFiles_ = LoadedFileIdentities();
    store_.exportTimestamp_ = static_cast<std::uint32_t>(
        store_.settings_.ReadNumber(kSectionExport, SettingKey::kFileTimestamp, 0));
    store_.score_ = 0;
    const std::int64_t started = store_.clock_.NowMilliseconds();
    const auto badHeader = [this](const char* name, int minimum, int count) {
        CMessage text;
        text << name << " file invalid, corrupt, exceeds " << CPassageStore::kMaxPassages
             << " passages, or is less than " << minimum << " passages. PsgCount: #" << count;
        store_.messages_.Show("Recitor OpenXmlFile", text.Text(), MsgIcon::Error);
    };

    Status status = Status::Fatal;
    do {
        if (!infoFile_.Open(store_.PathOf(CPassageStore::kInfoFile))) {
            if (!ReadFailed(infoFile_))
                store_.messages_.Show("Recitor Missing Info File",
                                      "Unable to open Info xml file for reading", MsgIcon::Error);
            break;
        }
        const Header info = ReadHeader(infoFile_);
        if (ReadFailed(infoFile_))
            break;
        if (!info.declarationOk || !info.countRead || info.count < CPassageStore::kMinBaseline ||
            info.count > CPassageStore::kMaxPassages) {
            badHeader(CPassageStore::kInfoFile, CPassageStore::kMinBaseline, info.count);
            break;
        }
        store_.baselineCount_ = info.count;

        if (!userFile_.Open(store_.PathOf(CPassageStore::kUserFile))) {
            if (!ReadFailed(userFile_))
                store_.messages_.Show("Recitor Missing Info File",
                                      "Unable to open User xml file for reading", MsgIcon::Error);
            break;
        }
        const Header user = ReadHeader(userFile_);
        if (ReadFailed(userFile_))
            break;
        if (user.countRead && !user.versionRead)
            store_.userFileChanged_ = true; // an old header: the next save writes the current one
        if (!user.declarationOk || !user.countRead || user.count < 0 ||
            user.count > CPassageStore::kMaxPassages) {
            badHeader(CPassageStore::kUserFile, 0, user.count);
            break;
        }
        store_.userCount_ = user.count;

        store_.passages_.clear();
        store_.passages_.reserve(static_cast<std::size_t>(store_.baselineCount_) +
                                 static_cast<std::size_t>(store_.userCount_));
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
        baselineMessages.Replay(store_.messages_);
        // The baseline passages that revisions replaced are freed as loading ends. Freeing them on
        // a second thread while the statistics are attached saved too little of the load to be
        // worth the thread.
        std::vector<std::unique_ptr<CPassage>> replaced;
        if (baselineStatus == Status::Fatal || MergeUser(userElements, replaced) == Status::Fatal)
            break;
        if (AttachStats(statsLines) == Status::Fatal ||
            CheckEnd(infoFile_, CPassageStore::kInfoFile) == Status::Fatal ||
            CheckEnd(userFile_, CPassageStore::kUserFile) == Status::Fatal ||
            CheckEnd(statsFile_, CPassageStore::kStatsFile) == Status::Fatal)
            break;
        status = Status::Ok;
    } while (false);

    infoFile_.Close();
    userFile_.Close();
    statsFile_.Close();
    if (status == Status::Ok)
        store_.loadSeconds_ =
            static_cast<double>(store_.clock_.NowMilliseconds() - started) / 1000.0;
    return status;
}

std::array<FileIdentity, 4> CPassageLoader::LoadedFileIdentities() const {
    static_assert(kStatsIdentity == 2);
    return {FileIdentity::Of(store_.PathOf(CPassageStore::kInfoFile)),
            FileIdentity::Of(store_.PathOf(CPassageStore::kUserFile)),
            FileIdentity::Of(store_.PathOf(CPassageStore::kStatsFile)),
            FileIdentity::Of(store_.PathOf(CPassageStore::kStatsSpareFile))};
}

bool CPassageLoader::FilesChangedSinceLoad() const {
    return LoadedFileIdentities() != loadedFiles_;
}

// A missing or damaged statistics file gives way to the spare. A damaged one is first renamed
// aside, where the saves of this run cannot write over it.
Status CPassageLoader::OpenStats() {
    const std::filesystem::path path = store_.PathOf(CPassageStore::kStatsFile);
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
        const CScanPattern::Result match = kStatsHeaderScan.Match(line);
        if (match.count >= 1)
            count = match.ints[0];
        valid =
            declarationOk && match.count >= 1 && count >= 0 && count <= CPassageStore::kMaxPassages;
    }
    if (valid) {
        store_.statsCount_ = count;
        return Status::Ok;
    }
    statsFile_.Close();
    if (!statsFile_.Open(store_.PathOf(CPassageStore::kStatsSpareFile))) {
        store_.messages_.Show("Recitor Missing Stats File",
                              "Unable to open Stats xml file for reading (real or 'spare')",
                              MsgIcon::Error);
        return Status::Fatal;
    }
    CMessage text;
    text << CPassageStore::kStatsFile << " file invalid, corrupt, exceeds "
         << CPassageStore::kMaxPassages
         << " passages, or is less than 0 passages. Replacing with empty RctStatsSpare.xml. All "
            "statistics lost. PsgCount: #"
         << count;
    if (found) {
        std::filesystem::path kept;
        int error = 0;
        if (!CAtomicFile::RenameAside(path, kDamagedSuffix, kept, error)) {
            statsFile_.Close();
            CMessage cannotKeep;
            cannotKeep << CPassageStore::kStatsFile
                       << " file invalid or corrupt, and it cannot be kept as "
                       << kept.filename().string() << ": " << std::generic_category().message(error)
                       << "\nRecitor ends, so that the file is not written over.";
            store_.messages_.Show("Recitor Cannot keep Stats file", cannotKeep.Text(),
                                  MsgIcon::Error);
            return Status::Fatal;
        }
        text << "\nThe damaged file was kept as " << kept.filename().string() << ".";
        // Moving it aside is this load's own doing, not a change a later look should see.
        loadedFiles_[kStatsIdentity] = FileIdentity::Of(path);
    }
    store_.messages_.Show("Recitor Corrupt/Missing Stats file 'patched'", text.Text(),
                          MsgIcon::Warning);
    store_.statsCount_ = 0;
    store_.exportDue_ = true;
    std::string_view skipped;
    statsFile_.ReadLine(skipped);
    statsFile_.ReadLine(skipped);
    return ReadFailed(statsFile_) ? Status::Fatal : Status::Ok;
}

bool CPassageLoader::ReadFailed(const CLineReader& file) {
    if (file.Error() == 0 || (!file.IsOpen() && file.Error() == ENOENT))
        return false;
    store_.messages_.Show("Recitor Cannot read file",
                          ReadFaultText(file.Path().filename(), file.Error()), MsgIcon::Error);
    return true;
}

void CPassageLoader::SetReadFunction(const CLineReader::ReadFunction& read) {
    for (CLineReader* file : {&infoFile_, &userFile_, &statsFile_})
        file->SetReadFunction(read);
}

// The baseline file, and after it the statistics lines, are read on a second thread while this
// one reads the user file: loading then takes little more than the longer of the two. What the
// second thread has to say waits in baselineMessages and in the statistics lines, to be shown at
// the point where reading one file after the other would have shown it. Without a second thread
// everything is read here.
void CPassageLoader::ReadFiles(Status& baselineStatus, CMessageLog& baselineMessages,
                               UserElements& userElements, StatsLines& statsLines) {
    const auto readBaseline = [&] {
        baselineStatus = LoadBaseline(baselineMessages);
        if (baselineStatus == Status::Ok)
            ReadStatsLines(statsLines);
    };
    const std::jthread second = StartBeside(readBaseline);
    ReadUserElements(userElements);
}

bool CPassageLoader::ReadElementLine(CLineReader& file, std::string& cutCopy,
                                     std::string_view& line) {
    file.ReadLine(line);
    if (line.size() <= CPassageStore::kMaxLineLength)
        return false;
    // Keep the start and close the element, so that the context ends in TRUNCATED.
    cutCopy.assign(line.substr(0, kTruncatedKeep));
    cutCopy.append(kTruncation).append(kElementClosing);
    line = cutCopy;
    return true;
}

void CPassageLoader::ReportTooLong(IMessageSink& messages, bool userFile, int readIndex) {
    CMessage text;
    text << (userFile ? CPassageStore::kUserFile : CPassageStore::kInfoFile)
         << (userFile ? " file has user passage that is too long: #"
                      : " file has preloaded passage that is too long: #")
         << readIndex + 2;
    messages.Show(userFile ? "Recitor User Passage Too Long" : "Recitor Preloaded Passage Too Long",
                  text.Text(), MsgIcon::Error);
}

Status CPassageLoader::LoadBaseline(IMessageSink& messages) {
    std::uint32_t previousKey = 0;
    std::uint32_t lastBaselineKey = 0;
    std::string cutCopy;
    baselineKeys_.clear();
    baselineKeys_.reserve(static_cast<std::size_t>(store_.baselineCount_));
    for (int i = 0; i < store_.baselineCount_; ++i) {
        std::string_view line;
        if (ReadElementLine(infoFile_, cutCopy, line))
            ReportTooLong(messages, false, store_.PassageCount());
        CPassageStore::LoadArenas& arenas = *store_.baselineArenas_;
        std::unique_ptr<CPassage> passage(new (arenas.records) CPassage(&arenas.texts));
        if (passage->ParseElement(line, messages) == Status::Fatal)
            return Status::Fatal;
        if (passage->MatchKey() <= lastBaselineKey) {
            ReportOutOfOrder(messages, "Read-only RctInfo.xml not sorted or has duplicate",
                             previousKey, passage->key);
            return Status::Fatal;
        }
        const std::uint32_t keyBefore = previousKey;
        previousKey = passage->key;
        lastBaselineKey = passage->MatchKey();
        baselineKeys_.push_back(lastBaselineKey);
        store_.passages_.push_back(std::move(passage));
        if (store_.passages_.back()->ctxLines == kCtxShared &&
            ShareContext(*store_.passages_.back(), keyBefore, messages) == Status::Fatal)
            return Status::Fatal;
    }
    return Status::Ok;
}

// An element of a verse whose translations share one context holds only its own text; its context
// is built around that text from the verse's context record, which sorts before the translations
// of the verse and so has been read already.
Status CPassageLoader::ShareContext(CPassage& passage, std::uint32_t previousKey,
                                    IMessageSink& messages) {
    const std::uint32_t wanted = (static_cast<std::uint32_t>(passage.Book()) << 23) +
                                 (static_cast<std::uint32_t>(passage.Chapter()) << 15) +
                                 (static_cast<std::uint32_t>(passage.FirstVerse()) << 7);
    const CPassage* record = nullptr;
    for (std::size_t i = store_.passages_.size() - 1; i-- > 0;) {
        const CPassage& candidate = *store_.passages_[i];
        if (candidate.MatchKey() == wanted)
            record = &candidate;
        if (candidate.MatchKey() <= wanted)
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
    std::pmr::string shared(passage.context.get_allocator());
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
void CPassageLoader::ReadUserElements(UserElements& user) {
    user.read.reserve(static_cast<std::size_t>(store_.userCount_));
    std::string cutCopy;
    for (int i = 0; i < store_.userCount_; ++i) {
        UserElement& element = user.read.emplace_back();
        std::string_view line;
        element.cut = ReadElementLine(userFile_, cutCopy, line);
        CPassageStore::LoadArenas& arenas = *store_.userArenas_;
        std::unique_ptr<CPassage> passage(new (arenas.records) CPassage(&arenas.texts));
        if (passage->ParseElement(line, user.fault) == Status::Fatal)
            return;
        element.key = passage->key;
        element.sortKey = static_cast<std::uint32_t>(passage->SortKey());
        element.matchKey = passage->MatchKey();
        passage->SetBaseline(0); // user passages are never baseline ones, revision or not
        element.passage = std::move(passage);
    }
}

Status CPassageLoader::MergeUser(UserElements& user,
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
            ReportTooLong(store_.messages_, true,
                          store_.PassageCount() + static_cast<int>(added.size()));
        if (!element.passage) {
            user.fault.Replay(store_.messages_);
            return Status::Fatal;
        }
        if (element.sortKey <= lastUserKey) {
            ReportOutOfOrder(store_.messages_, "RctUser.xml not sorted or has duplicate",
                             previousKey, element.key);
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
                store_.passages_[static_cast<std::size_t>(baselinePlace - baselineKeys_.cbegin())];
            replaced.push_back(std::move(place));
            place = std::move(element.passage);
            --store_.baselineCount_;
        } else {
            added.push_back(std::move(element.passage));
            addedKeys.push_back(matchKey);
        }
    }
    // Both runs are in ascending order and no two passages share a VerseKey: merging them by
    // their keys gives the one order that sorting would, without visiting the passages.
    if (!added.empty()) {
        std::vector<std::unique_ptr<CPassage>> merged;
        merged.reserve(store_.passages_.size() + added.size());
        std::size_t b = 0;
        std::size_t a = 0;
        while (b < store_.passages_.size() || a < added.size()) {
            if (a == added.size() ||
                (b < store_.passages_.size() && baselineKeys_[b] < addedKeys[a]))
                merged.push_back(std::move(store_.passages_[b++]));
            else
                merged.push_back(std::move(added[a++]));
        }
        store_.passages_ = std::move(merged);
    }
    baselineKeys_ = {};
    return Status::Ok;
}

void CPassageLoader::ReadStatsLines(StatsLines& stats) {
    stats.read.reserve(static_cast<std::size_t>(store_.statsCount_));
    for (int i = 0; i < store_.statsCount_; ++i) {
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
            text << CPassageStore::kStatsFile << " file invalid  (count wrong?) for attribute #"
                 << items << " or #" << items + 1 << " of key [";
            text.Limited(token, CPassage::kMaxKeyText);
            text << "] for Passage #" << i + 1 << "\n";
            text.Limited(line, 120);
            stats.fault.Show("Recitor ReadStats Error", text.Text(), MsgIcon::Error);
            return;
        }
        const CPassage keyOnly(token);
        stats.read.push_back({keyOnly.key, keyOnly.MatchKey(), match.ints[0], match.ints[1]});
    }
}

Status CPassageLoader::AttachStats(StatsLines& stats) {
    int found = -1;
    for (int i = 0; i < store_.statsCount_; ++i) {
        if (static_cast<std::size_t>(i) == stats.read.size()) {
            stats.fault.Replay(store_.messages_);
            return Status::Fatal;
        }
        const StatsLine& line = stats.read[static_cast<std::size_t>(i)];
        // A saved statistics file lists its passages in store order, so the passage after the one
        // found last is tried before searching. Keys are unique, so a match there is the match.
        const int next = found + 1;
        if (next < store_.PassageCount() &&
            (static_cast<std::uint32_t>(store_.Passage(next).SortKey()) & ~1u) ==
                (line.matchKey & ~1u))
            found = next;
        else
            found = store_.Find(line.matchKey);
        if (found < 0) {
            CMessage text;
            text << "Key in " << CPassageStore::kStatsFile << " ["
                 << static_cast<int>(line.keyNumber) << "] not found in "
                 << CPassageStore::kInfoFile << " for Passage #" << i + 1
                 << "\n(Has a different or updated translation been installed? \nIf so, "
                    "reinstall and select option 'Yes=Overwrite' to reset statistics)";
            store_.messages_.Show("Recitor Mismatched Keys", text.Text(), MsgIcon::Error);
            return Status::Fatal;
        }
        CPassage& passage = store_.Mutable(found);
        // A repeated line replaces the earlier one, so the score counts each passage once.
        store_.score_ =
            WrapAdd(store_.score_ + std::int64_t{passage.vCount} * (line.prog - passage.prog));
        passage.prog = line.prog;
        passage.freq = line.freq;
    }
    return Status::Ok;
}

Status CPassageLoader::CheckEnd(CLineReader& file, const char* fileName) {
    std::string_view line;
    file.ReadLine(line);
    if (ReadFailed(file))
        return Status::Fatal;
    if (line == kEndLine)
        return Status::Ok;
    CMessage text;
    text << fileName << " file invalid (count wrong?): doesn't end with </passages>\n";
    text.Limited(line, 280);
    store_.messages_.Show("Recitor Missing </passages>", text.Text(), MsgIcon::Error);
    return Status::Fatal;
}
