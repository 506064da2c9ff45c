// SPDX-License-Identifier: GPL-2.0-or-later
#include "DelimitedReader.h"

#include "HtmlText.h"
#include "TextScan.h"

#include <algorithm>

using namespace TextScan;

namespace {

// The names of the columns in a header line.
struct ColumnName {
    std::string_view name;
    ImportColumn column;
};
constexpr ColumnName kColumnNames[] = {
    {"reference", ImportColumn::Reference},
    {"ref", ImportColumn::Reference},
    {"verse reference", ImportColumn::Reference},
    {"translation", ImportColumn::Translation},
    {"trans", ImportColumn::Translation},
    {"version", ImportColumn::Translation},
    {"passage", ImportColumn::Passage},
    {"text", ImportColumn::Passage},
    {"verses", ImportColumn::Passage},
    {"context", ImportColumn::Context},
    {"topics", ImportColumn::Topics},
    {"topic", ImportColumn::Topics},
    {"hint", ImportColumn::Hint},
    {"tags", ImportColumn::Tags},
};

// The first lines that the separator is guessed from.
constexpr std::size_t kGuessLines = 10;

// The columns of a file without a line naming them.
std::vector<ImportColumn> UsualColumns() {
    return {ImportColumn::Reference, ImportColumn::Translation, ImportColumn::Passage,
            ImportColumn::Context, ImportColumn::Topics};
}

} // namespace

bool CDelimitedReader::CanRead(std::string_view) const {
    return true;
}

ImportTable CDelimitedReader::Read(std::string_view text) const {
    ImportTable table = ReadRecords(text);
    if (!TakeColumnLine(table))
        table.columns = UsualColumns();
    return table;
}

std::size_t CDelimitedReader::HeaderLinesEnd(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && text[at] == '#') {
        const std::size_t end = text.find('\n', at);
        at = end == std::string_view::npos ? text.size() : end + 1;
    }
    return at;
}

ImportTable CDelimitedReader::ReadRecords(std::string_view text) {
    const std::size_t start = HeaderLinesEnd(text);
    const std::string_view body = text.substr(start);
    ImportTable table;
    table.html = HoldsHtmlTags(body);
    table.records = Split(text, start, GuessSeparator(body));
    return table;
}

// Of tab, bar, semicolon, colon and comma the one that splits the most of the first lines into
// the same number of columns (more than one), the earlier in that list where two do as well.
// Quoted fields are passed over as the lines are read. A colon between digits is a reference's
// chapter and verse ("John 3:16"), not a separator: counted, it would make every line of
// references two columns apart.
char CDelimitedReader::GuessSeparator(std::string_view text) {
    constexpr char kCandidates[] = {'\t', '|', ';', ':', ','};
    char best = '\t';
    std::size_t bestLines = 0;
    for (const char sep : kCandidates) {
        std::vector<std::size_t> counts;
        std::size_t at = 0;
        while (at < text.size() && counts.size() < kGuessLines) {
            if (text[at] == '\n' || text[at] == '\r' || text[at] == '#') {
                // A blank line or a comment.
                const std::size_t end = text.find('\n', at);
                at = end == std::string_view::npos ? text.size() : end + 1;
                continue;
            }
            std::size_t columns = 1;
            while (at < text.size() && text[at] != '\n') {
                const bool fieldStart = at == 0 || text[at - 1] == sep || text[at - 1] == '\n';
                if (text[at] == '"' && fieldStart) {
                    std::size_t close = text.find('"', at + 1);
                    while (close != std::string_view::npos && close + 1 < text.size() &&
                           text[close + 1] == '"')
                        close = text.find('"', close + 2); // "" is a quotation mark
                    at = close == std::string_view::npos ? text.size() : close + 1;
                    continue;
                }
                if (text[at] == sep && !(sep == ':' && at > 0 && IsDigit(text[at - 1]) &&
                                         at + 1 < text.size() && IsDigit(text[at + 1])))
                    ++columns;
                ++at;
            }
            counts.push_back(columns);
            ++at;
        }
        for (const std::size_t columns : counts) {
            const auto lines =
                static_cast<std::size_t>(std::count(counts.begin(), counts.end(), columns));
            if (columns > 1 && lines > bestLines) {
                best = sep;
                bestLines = lines;
            }
        }
    }
    return best;
}

std::vector<ImportRecord> CDelimitedReader::Split(std::string_view text, std::size_t start,
                                                  char sep, bool firstOnly) {
    std::vector<ImportRecord> records;
    std::size_t at = start;
    int line = 1 + static_cast<int>(std::count(
                       text.begin(), text.begin() + static_cast<std::ptrdiff_t>(start), '\n'));
    const auto lineEnd = [&](std::size_t from) {
        const std::size_t end = text.find('\n', from);
        return end == std::string_view::npos ? text.size() : end;
    };
    while (at < text.size()) {
        if (text[at] == '#') {
            // A comment line.
            at = lineEnd(at);
            at += at < text.size() ? 1 : 0;
            ++line;
            continue;
        }
        if (firstOnly && !records.empty() && !Trimmed(records.back().raw).empty())
            break;
        ImportRecord record;
        record.line = line;
        const std::size_t recordStart = at;
        std::string field;
        bool done = false;
        bool damaged = false;
        while (!done && !damaged) {
            field.clear();
            if (at < text.size() && text[at] == '"') {
                // A quoted field: "" is a quotation mark; it may hold separators and line breaks.
                std::size_t i = at + 1;
                bool closed = false;
                int breaks = 0;
                while (i < text.size()) {
                    if (text[i] == '"') {
                        if (i + 1 < text.size() && text[i + 1] == '"') {
                            field.push_back('"');
                            i += 2;
                            continue;
                        }
                        closed = true;
                        ++i;
                        break;
                    }
                    if (text[i] == '\n')
                        ++breaks;
                    field.push_back(text[i++]);
                }
                if (!closed) {
                    // The line is damaged; reading goes on at the next line.
                    const std::size_t end = lineEnd(recordStart);
                    record.raw = text.substr(recordStart, end - recordStart);
                    record.unclosedQuote = true;
                    at = end + 1;
                    damaged = true;
                    break;
                }
                if (i >= text.size() || text[i] == sep || text[i] == '\r' || text[i] == '\n') {
                    at = i;
                    line += breaks;
                } else {
                    // Text after the closing mark: the field was not quoted after all, as in a
                    // passage that begins with a quotation.
                    field.clear();
                    while (at < text.size() && text[at] != sep && text[at] != '\n' &&
                           !(text[at] == '\r' && (at + 1 >= text.size() || text[at + 1] == '\n')))
                        field.push_back(text[at++]);
                }
            } else {
                while (at < text.size() && text[at] != sep && text[at] != '\n' &&
                       !(text[at] == '\r' && (at + 1 >= text.size() || text[at + 1] == '\n')))
                    field.push_back(text[at++]);
            }
            record.fields.push_back(field);
            if (at < text.size() && text[at] == sep) {
                ++at;
                continue;
            }
            done = true;
        }
        if (!damaged) {
            record.raw = text.substr(recordStart, at - recordStart);
            if (at < text.size() && text[at] == '\r')
                ++at;
            if (at < text.size() && text[at] == '\n')
                ++at;
        }
        record.lastLine = line;
        ++line;
        records.push_back(std::move(record));
    }
    return records;
}

std::size_t CDelimitedReader::FirstRecord(const std::vector<ImportRecord>& records) {
    std::size_t first = 0;
    // Blank lines before the first line do not count as it.
    while (first < records.size() && Trimmed(records[first].raw).empty())
        ++first;
    return first;
}

ImportColumn CDelimitedReader::ColumnOfName(std::string_view name) {
    const std::string wanted = Lowered(Trimmed(name));
    for (const ColumnName& known : kColumnNames)
        if (known.name == wanted)
            return known.column;
    return ImportColumn::Ignored;
}

bool CDelimitedReader::IsColumnLine(const ImportRecord& record) {
    const auto named = [&record](ImportColumn wanted) {
        return std::any_of(record.fields.begin(), record.fields.end(),
                           [wanted](const std::string& name) {
                               const std::string_view trimmed = Trimmed(name);
                               return !trimmed.empty() && ColumnOfName(trimmed) == wanted;
                           });
    };
    return !record.unclosedQuote && named(ImportColumn::Reference) && named(ImportColumn::Passage);
}

bool CDelimitedReader::TakeColumnLine(ImportTable& table) {
    const std::size_t first = FirstRecord(table.records);
    if (first == table.records.size() || !IsColumnLine(table.records[first]))
        return false;
    table.columns.clear();
    table.ignoredColumns.clear();
    for (const std::string& name : table.records[first].fields) {
        const std::string_view trimmed = Trimmed(name);
        const ImportColumn column = trimmed.empty() ? ImportColumn::Ignored : ColumnOfName(trimmed);
        table.columns.push_back(column);
        if (column == ImportColumn::Ignored && !trimmed.empty())
            table.ignoredColumns.emplace_back(trimmed);
    }
    table.records.erase(table.records.begin() + static_cast<std::ptrdiff_t>(first));
    return true;
}
