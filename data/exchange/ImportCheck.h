// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "BibleSource.h"
#include "ImportReader.h"
#include "Passage.h"
#include "PassageCheck.h"
#include "StartBeside.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CPassageStore;

// The stage every format of import shares: each record of a reader's table becomes an entry
// (reference, translation, passage, context, topics, hint, tags), and the entry a passage or a
// refusal with its reason, before anything is added to the collection.
//
// Each entry goes through the checks of the Edit Passage dialog, with the hint the first words of
// the passage where none is given, the context the passage where none is given, and the line
// counts measured as that dialog measures them; then it is looked at for duplicates, in the
// collection and earlier in the file, and for room in the user file.
class CImportCheck {
public:
    // A line that can be added, and the passage it gives.
    struct Accepted {
        int line = 0;          // the record's first line in the file, from 1
        std::string reference; // "John 3:16-18 KJV", UTF-8
        std::unique_ptr<CPassage> passage;
    };
    // A line that will not be added, and why.
    struct Refused {
        int line = 0;
        int lastLine = 0;   // the last line of a record whose quoted field spans lines
        std::string text;   // the line as read, shortened, UTF-8
        std::string reason; // UTF-8; several reasons are joined by "; "
    };

    // store is asked about duplicates and room. Measures with each of lines on a thread of its own
    // (the first on the calling thread): measuring is most of an import's work. Each counter is
    // used by one thread only; there is at least one. The threads are started with start (none:
    // std::jthread); the share of one that cannot be started is read on the calling thread. All
    // outlive the check.
    CImportCheck(const CPassageStore& store, std::vector<IDisplayLineCounter*> lines,
                 ThreadStart start);

    // Where the lines that give a reference but no passage take their text from: an installed
    // Bible, with before and after verses around the passage in the context (within its
    // chapter). Without one (the default) such a line is refused. The Bible also refuses a
    // reference past the end of its chapter. bible outlives the check.
    struct BibleFill {
        IBibleSource* bible = nullptr;
        int before = 0;
        int after = 0;
    };
    void SetBible(const BibleFill& fill) { bible_ = fill; }

    // Checks the records of table, the lines without a translation taking defaultTrans (-1
    // refuses them); the results below are those of the last call. What it throws (only running
    // out of memory) comes from this call, on the calling thread.
    void Run(const ImportTable& table, int defaultTrans);

    const std::vector<Accepted>& AcceptedLines() const { return accepted_; }
    const std::vector<Refused>& RefusedLines() const { return refused_; }
    // The passages that can be added, in file order; the check holds none afterwards.
    std::vector<std::unique_ptr<CPassage>> TakePassages();

    // Words of the passage that make the hint when the file gives none.
    static constexpr int kHintWords = 3;
    // The hint made from a passage: its first words, after a leading verse number.
    static std::string HintFromPassage(std::string_view passage);

private:
    // A line that passed every check but the line measure.
    struct Pending {
        int line = 0;
        int lastLine = 0;
        std::string_view raw;
        CPassageCheck::Entry entry;
        int contextLines = 0;
        int passageLines = 0;
    };
    // What reading a line gave: nothing (a blank line), a refusal, or a line to measure.
    struct Outcome {
        enum class Kind { Skip, Refuse, Measure };
        Kind kind = Kind::Skip;
        std::string reason;
        Pending pending;
        void Refuse(std::string why) {
            kind = Kind::Refuse;
            reason = std::move(why);
        }
    };

    // Reads and checks a record; safe on several threads at once.
    static void TakeRecord(const ImportRecord& record, const ImportTable& table, int defaultTrans,
                           const BibleFill& bible, Outcome& outcome);
    void Accept(Pending& pending);
    void Refuse(int line, int lastLine, std::string_view raw, std::string reason);

    const CPassageStore& store_;
    std::vector<IDisplayLineCounter*> lines_;
    ThreadStart start_;
    BibleFill bible_;
    std::vector<Accepted> accepted_;
    std::vector<Refused> refused_;
    std::unordered_map<std::uint32_t, std::size_t> seenKeys_; // matchKey to its accepted line
};
