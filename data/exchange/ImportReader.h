// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

// What a column of a file to import holds. Extra is a note's third field: the context where the
// passage lies in it.
enum class ImportColumn {
    Reference,
    Translation,
    Passage,
    Context,
    Topics,
    Hint,
    Tags,
    Extra,
    Ignored
};

// A record of a file to import: a line, or several where a quoted field holds line breaks.
struct ImportRecord {
    int line = 0;     // its first line in the file, from 1
    int lastLine = 0; // its last line
    std::vector<std::string> fields;
    std::string_view raw; // the record as read, in the decoded text
    bool unclosedQuote = false;
};

// What a reader made of a file: the records that may be passages, in file order, and what their
// columns hold.
struct ImportTable {
    std::vector<ImportRecord> records;
    std::vector<ImportColumn> columns;
    std::vector<std::string> ignoredColumns; // named by the file but not read, in file order
    bool html = false;                       // the fields are HTML
};

// A reader of one format of files to import. The text it is given is the file decoded to UTF-8;
// the records it gives refer to that text, which must outlive them.
class IImportReader {
public:
    virtual ~IImportReader() = default;
    // Whether text is of this reader's format, judged by its first lines.
    virtual bool CanRead(std::string_view text) const = 0;
    // The records of text and what their columns hold.
    virtual ImportTable Read(std::string_view text) const = 0;
};
