// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "ImportCheck.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CPassageStore;

// Reads a text file of passages, one a line, and decides for each line whether it can be added
// to the collection, before anything is added: the preview of the Import Passages command.
//
// The file is decoded (DecodeImport), read by the first of the readers that can read it (a file
// written for Anki, notes of two fields, delimited text), and each record it gives goes through
// CImportCheck.
class CPassageImport {
public:
    using Accepted = CImportCheck::Accepted;
    using Refused = CImportCheck::Refused;

    // store is asked about duplicates and room; lines measures as the Edit Passage dialog does.
    // Both outlive the import.
    CPassageImport(const CPassageStore& store, IDisplayLineCounter& lines);
    // Measures with several counters at once, each on a thread of its own (the first on the
    // calling thread): measuring is most of an import's work. Each counter is used by one thread
    // only; there is at least one. The threads are started with start (none: std::jthread); the
    // share of one that cannot be started is read on the calling thread.
    CPassageImport(const CPassageStore& store, std::vector<IDisplayLineCounter*> lines,
                   ThreadStart start = {});

    // The translation number of the lines that give none, at the next Read; -1 (the default)
    // refuses them.
    void SetDefaultTranslation(int trans) { defaultTrans_ = trans; }

    // Where the lines without a passage take it from, at the next Read (CImportCheck::SetBible).
    void SetBible(const CImportCheck::BibleFill& fill) { check_.SetBible(fill); }

    // Reads the bytes of a file; the results below are those of the last call. What the reading
    // throws (only running out of memory) comes from this call, on the calling thread.
    void Read(std::string_view bytes);

    const std::vector<Accepted>& AcceptedLines() const { return check_.AcceptedLines(); }
    const std::vector<Refused>& RefusedLines() const { return check_.RefusedLines(); }
    // How the file was read: "UTF-8", "Windows-1252", "UTF-16", with a note of the lines read
    // otherwise in a file that mixes the two.
    const std::string& EncodingText() const { return encoding_; }
    // The names of the columns that the file's header names but that are not read, in file order.
    const std::vector<std::string>& IgnoredColumns() const { return ignoredColumns_; }
    // The passages that can be added, in file order; the import holds none afterwards.
    std::vector<std::unique_ptr<CPassage>> TakePassages() { return check_.TakePassages(); }

    // The longest file the command reads: a full user file is far smaller.
    static constexpr std::size_t kMaxFileSize = 64u << 20;
    // Words of the passage that make the hint when the file gives none.
    static constexpr int kHintWords = CImportCheck::kHintWords;

    // The hint made from a passage: its first words, after a leading verse number.
    static std::string HintFromPassage(std::string_view passage) {
        return CImportCheck::HintFromPassage(passage);
    }

private:
    CImportCheck check_;
    std::string encoding_;
    std::vector<std::string> ignoredColumns_;
    int defaultTrans_ = -1;
};
