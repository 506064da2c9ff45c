// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "ImportReader.h"

// A delimited file that begins with the header lines of a file written for Anki: #separator,
// #html, #columns, #tags column, and the note id, note type and deck columns (#guid column,
// #notetype column, #deck column), which are not read. Other lines beginning with # are comments.
//
// Column names that give the reference and the passage are read by name, the others not read
// and named. Without them the notes' fields are in the order this program writes them
// (reference, hint, passage, context) around the tags and after the note id columns, or, for
// notes of two or three fields, the reference, the passage and its context. A first record
// naming the columns still gives their order. Fields are HTML where the header or a tag says so.
class CAnkiHeaderReader : public IImportReader {
public:
    // True where the header lines at text's start include one of those above.
    bool CanRead(std::string_view text) const override;
    ImportTable Read(std::string_view text) const override;

    // A column number of a header line ("#tags column:5"), 0 for one that is none.
    static int ColumnNumber(std::string_view value);
    // Column numbers beyond this are none: no file of passages has that many columns.
    static constexpr int kMaxColumnNumber = 100;

private:
    // What the header lines say.
    struct Header {
        std::size_t end = 0; // where they end
        bool anki = false;   // one of them is Anki's
        char separator = '\t';
        bool separatorKnown = false;
        bool html = false;
        std::vector<std::string> names;     // of the #columns line
        int tagsColumn = -1;                // 0-based
        std::vector<std::size_t> idColumns; // 0-based: note id, note type and deck
    };
    static Header ReadHeader(std::string_view text);
    static std::vector<ImportColumn> NamedColumns(const Header& header,
                                                  std::vector<std::string>& ignored);
    static std::vector<ImportColumn> OrderedColumns(const Header& header);
};
