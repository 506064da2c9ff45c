// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "ImportReader.h"

// Delimited text, one passage a record: the reader of any file that no other reader claims.
//
// Columns are separated by the character that splits the first lines into the same number of
// columns most often (tab, bar, semicolon, colon, comma, preferred in that order), with fields
// quoted as spreadsheets write them. A first line naming the columns (reference, translation,
// passage, context, topics, hint, tags) gives their order, and its other columns are not read;
// without one the order is reference, translation, passage, context, topics. Lines beginning with
// # are comments. Fields are HTML where they hold HTML tags.
//
// Its parts serve the readers of the other delimited formats too.
class CDelimitedReader : public IImportReader {
public:
    // Always true: this is the reader of last resort.
    bool CanRead(std::string_view text) const override;
    ImportTable Read(std::string_view text) const override;

    // Where the lines at the start of text that begin with # end.
    static std::size_t HeaderLinesEnd(std::string_view text);
    // The separator of text's first lines (comments and blank lines passed over), as above; tab
    // where none splits them.
    static char GuessSeparator(std::string_view text);
    // The records of text from start (a line's start), split at separator, comments passed over.
    // With firstOnly, only the records up to the first one that is not blank.
    static std::vector<ImportRecord> Split(std::string_view text, std::size_t start, char separator,
                                           bool firstOnly = false);
    // The records of a file without header lines, split at its guessed separator, html set where
    // they hold HTML tags; the columns are left to the caller.
    static ImportTable ReadRecords(std::string_view text);
    // The first record that is not blank, or records.size().
    static std::size_t FirstRecord(const std::vector<ImportRecord>& records);
    // Whether record names the columns: the reference and the passage among them.
    static bool IsColumnLine(const ImportRecord& record);
    // Where the table's first record that is not blank names the columns, takes their order from
    // it (the columns of other names not read, and named) and drops that record. True when it did.
    static bool TakeColumnLine(ImportTable& table);
    // The column a header calls name (any case, blanks around it ignored); Ignored for a name
    // that is none of them.
    static ImportColumn ColumnOfName(std::string_view name);
};
