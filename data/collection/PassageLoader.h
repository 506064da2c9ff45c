// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "FileIdentity.h"
#include "LineReader.h"
#include "Passage.h"
#include "Platform.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CPassageStore;

// Fills a passage store from its three files: the baseline file, the user file whose passages
// revise or add to the baseline, and the statistics file that gives the active passages their
// levels. A save that was interrupted while it put its files in place is completed first. Loading
// either fills the store completely or reports its fault and returns Status::Fatal with every file
// left as it was. The store owns its loader; the loader remembers which files it read.
class CPassageLoader {
public:
    // Fills store, which reports through its own messages and outlives the loader.
    explicit CPassageLoader(CPassageStore& store) : store_(store) {}
    CPassageLoader(const CPassageLoader&) = delete;
    CPassageLoader& operator=(const CPassageLoader&) = delete;

    // Reads and merges the three files into the empty store; called once. A damaged statistics
    // file is renamed aside (RctStats.xml.damaged, or with "-2", "-3", ...) before the spare
    // stands in. A file that cannot be read, or a save record that cannot be, is Status::Fatal,
    // so that nothing is written over it.
    Status Load();
    // Whether any file Load read (the baseline, user and statistics files and the spare) is no
    // longer the one it read: replaced, rewritten, removed or newly there.
    bool FilesChangedSinceLoad() const;
    // Load reads its files through read (CLineReader::SetReadFunction), so that tests can make a
    // read fail.
    void SetReadFunction(const CLineReader::ReadFunction& read);

private:
    struct Header {
        bool declarationOk = false;
        bool countRead = false;
        bool versionRead = false;
        int count = 0;
        int version = 0;
    };

    // A user element as read, before it joins the baseline: whether its line was cut, and the
    // passage, or none when the line was damaged.
    struct UserElement {
        std::unique_ptr<CPassage> passage;
        bool cut = false;
        // The passage's keys as read (sortKey with the baseline bit set, as every element is
        // read), kept here so that merging does not visit the passages.
        std::uint32_t key = 0;
        std::uint32_t sortKey = 0;
        std::uint32_t matchKey = 0;
    };
    // The user file's elements up to the first damaged one, whose message waits in fault.
    struct UserElements {
        std::vector<UserElement> read;
        CMessageLog fault;
    };
    // A statistics line as read: the key it names and the levels it gives.
    struct StatsLine {
        std::uint32_t keyNumber = 0;
        std::uint32_t matchKey = 0;
        int prog = 0;
        int freq = 0;
    };
    // The statistics lines up to the first damaged one, whose message waits in fault.
    struct StatsLines {
        std::vector<StatsLine> read;
        CMessageLog fault;
    };

    // The identities of the files Load reads: baseline, user, statistics and spare files.
    std::array<FileIdentity, 4> LoadedFileIdentities() const;
    Status CompleteInterruptedSave();
    Header ReadHeader(CLineReader& file);
    // Whether file could not be opened for another reason than that it is missing, or could not
    // be read; then after a message naming it and the system's reason.
    bool ReadFailed(const CLineReader& file);
    Status OpenStats();
    void ReadFiles(Status& baselineStatus, CMessageLog& baselineMessages,
                   UserElements& userElements, StatsLines& statsLines);
    // Reads an element line; one longer than a line may be is cut into cutCopy (true).
    static bool ReadElementLine(CLineReader& file, std::string& cutCopy, std::string_view& line);
    static void ReportTooLong(IMessageSink& messages, bool userFile, int readIndex);
    Status ShareContext(CPassage& passage, std::uint32_t previousKey, IMessageSink& messages);
    Status LoadBaseline(IMessageSink& messages);
    void ReadUserElements(UserElements& user);
    // Takes the user passages into the store; the baseline passages they revise go to replaced.
    Status MergeUser(UserElements& user, std::vector<std::unique_ptr<CPassage>>& replaced);
    void ReadStatsLines(StatsLines& stats);
    Status AttachStats(StatsLines& stats);
    Status CheckEnd(CLineReader& file, const char* fileName);

    CPassageStore& store_;
    // The baseline, user and statistics files and the spare, as Load found them.
    static constexpr std::size_t kStatsIdentity = 2;
    std::array<FileIdentity, 4> loadedFiles_;
    CLineReader infoFile_;
    CLineReader userFile_;
    CLineReader statsFile_;
    // The keys of the baseline passages in file order, kept contiguous while the user file is
    // merged: looking them up there spares a visit to every passage the search passes.
    std::vector<std::uint32_t> baselineKeys_;
};
