// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "ImportReader.h"

// Notes of two or three fields without column names, as flashcard programs export their cards:
// the reference (with the translation after it), the passage, and a third field that is the
// context where the passage lies in it.
//
// A delimited file whose first record is two fields and names no columns is such a file (the
// question and answer of the cards, the answer often in HTML without saying so). The readers of
// other note files give their notes' fields to NoteColumns.
class CMnemosyneReader : public IImportReader {
public:
    bool CanRead(std::string_view text) const override;
    ImportTable Read(std::string_view text) const override;

    // Where record, the first note, has two or three fields outside the columns given as others
    // (tags, note ids), sets those fields' columns to the reference, the passage and Extra, and
    // every other column but the tags to Ignored. Notes of more fields leave columns as they are.
    static void NoteColumns(const ImportRecord& record, const std::vector<std::size_t>& others,
                            std::vector<ImportColumn>& columns);
};
