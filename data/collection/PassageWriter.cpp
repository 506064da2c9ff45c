// SPDX-License-Identifier: GPL-2.0-or-later
#include "PassageWriter.h"

#include "AtomicFile.h"
#include "DirectoryLock.h"
#include "FileFormat.h"
#include "HandheldExport.h"
#include "JointCommit.h"
#include "PassageStore.h"
#include "RefTables.h"
#include "StartBeside.h"
#include "TextFormat.h"

#include <string>
#include <vector>

namespace {

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

} // namespace

void CPassageWriter::ReportWriteFault(SavedFile file, const FileFault& fault) const {
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
        messages_.Show(
            "Recitor Cannot write User file",
            FaultText(fault, std::string("save record ") + CPassageStore::kSaveRecordFile),
            MsgIcon::Error);
        break;
    }
}

CPassageWriter::Saved CPassageWriter::SaveAll() const {
    Saved saved;
    // Made first, so that its lock covers the save's temporary files from their creation.
    CJointCommit commit(store_.PathOf(CPassageStore::kSaveRecordFile));
    commit.SetStepHook(commitStepHook_);
    // The export goes in place with the statistics and user files, so that the three always
    // belong together. One that cannot be written is reported and the save goes on without it.
    CAtomicFile exported;
    saved.exportWritten =
        store_.ExportDue() &&
        CHandheldExport(store_, messages_, clock_).Write(exported, saved.exportTimestamp);
    CAtomicFile stats;
    CAtomicFile user;
    if (WriteFiles(commit, stats, user, saved.exportWritten ? &exported : nullptr, saved))
        saved.status = Status::Ok;
    else
        saved.exportWritten = false; // the old files stay together
    return saved;
}

bool CPassageWriter::WriteFiles(CJointCommit& commit, CAtomicFile& stats, CAtomicFile& user,
                                CAtomicFile* exported, Saved& saved) const {
    if (!stats.Open(store_.PathOf(CPassageStore::kStatsFile))) {
        ReportWriteFault(SavedFile::Stats, stats.Fault());
        return false;
    }
    const bool writeUser = store_.UserFileChanged();
    if (writeUser && !user.Open(store_.PathOf(CPassageStore::kUserFile))) {
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
    saved.statsCount = count;
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
        CHandheldExport(store_, messages_, clock_).ReportFault(commit.Fault());
        saved.exportWritten = false;
        files.erase(files.begin());
        committed = commit.Commit(files);
    }
    if (committed)
        return true;
    SavedFile failed = SavedFile::Record;
    if (commit.FailedFile() >= 0)
        failed = files[static_cast<std::size_t>(commit.FailedFile())] == &user ? SavedFile::User
                                                                               : SavedFile::Stats;
    ReportWriteFault(failed, commit.Fault());
    return false;
}

// A line for each active passage, in store order; the header, which needs their count, goes in
// front of them.
bool CPassageWriter::WriteStats(CAtomicFile& stats, int& count) const {
    std::string lines;
    count = 0;
    for (int i = 0; i < store_.PassageCount(); ++i) {
        const CPassage& passage = store_.Passage(i);
        if (passage.freq != kFreqInactive) {
            ++count;
            AppendStatsLine(lines, passage);
        }
    }
    stats.Append(kDeclaration);
    stats.Append(kCrLf);
    AppendPassagesHeader(stats.Buffer(), count);
    stats.Append(lines);
    stats.Append(kEndLine);
    stats.Append(kCrLf);
    return stats.Finish();
}

bool CPassageWriter::WriteUser(CAtomicFile& user) const {
    user.Append(kDeclaration);
    user.Append(kCrLf);
    AppendPassagesHeader(user.Buffer(), store_.UserCount());
    for (int i = 0; i < store_.PassageCount(); ++i) {
        const CPassage& passage = store_.Passage(i);
        if (!passage.baseline) {
            passage.AppendElement(user.Buffer());
            user.FlushIfFull();
        }
    }
    user.Append(kEndLine);
    return user.Finish();
}

void CPassageWriter::RemoveLeftoverTemporaries() const {
    // Under the lock that a save holds from its first temporary file to its last rename, so that
    // a save under way in another copy keeps its files. The files that a record in place names
    // are the next start's to put in place; a record that cannot be read may name any of them.
    const std::filesystem::path record = store_.PathOf(CPassageStore::kSaveRecordFile);
    const CDirectoryLock lock(record);
    std::vector<std::filesystem::path> pending;
    if (!CJointCommit::PendingFiles(record, pending))
        return;
    for (const char* name : {CPassageStore::kStatsFile, CPassageStore::kUserFile,
                             CPassageStore::kExportFile, CPassageStore::kSaveRecordFile})
        CAtomicFile::RemoveLeftovers(store_.PathOf(name), pending);
}
