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

// The small text helpers the readers share.
namespace ImportText {

// A space, tab or line-break character.
inline bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// An ASCII digit.
inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// text without the blanks around it.
inline std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// text with its ASCII capitals made small.
inline std::string Lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

} // namespace ImportText
