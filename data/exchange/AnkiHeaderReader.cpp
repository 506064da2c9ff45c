// SPDX-License-Identifier: GPL-2.0-or-later
#include "AnkiHeaderReader.h"

#include "DelimitedReader.h"
#include "HtmlText.h"
#include "MnemosyneReader.h"
#include "TextScan.h"

#include <algorithm>
#include <charconv>

using namespace TextScan;

bool CAnkiHeaderReader::CanRead(std::string_view text) const {
    return ReadHeader(text).anki;
}

ImportTable CAnkiHeaderReader::Read(std::string_view text) const {
    const Header header = ReadHeader(text);
    const std::string_view body = text.substr(header.end);
    const char separator =
        header.separatorKnown ? header.separator : CDelimitedReader::GuessSeparator(body);
    ImportTable table;
    table.html = header.html || HoldsHtmlTags(body);
    table.records = CDelimitedReader::Split(text, header.end, separator);
    // Names that give the reference and the passage are read by name; others (the fields of a
    // note type of the user's, "Front", "Back", "Extra") leave the fields to their order.
    const auto named = [&header](ImportColumn wanted) {
        return std::any_of(header.names.begin(), header.names.end(),
                           [wanted](const std::string& name) {
                               return CDelimitedReader::ColumnOfName(name) == wanted;
                           });
    };
    const bool byName = named(ImportColumn::Reference) && named(ImportColumn::Passage);
    table.columns = byName ? NamedColumns(header, table.ignoredColumns) : OrderedColumns(header);
    if (header.tagsColumn >= 0 &&
        static_cast<std::size_t>(header.tagsColumn) < table.columns.size())
        table.columns[static_cast<std::size_t>(header.tagsColumn)] = ImportColumn::Tags;
    const std::size_t first = CDelimitedReader::FirstRecord(table.records);
    if (!byName && first < table.records.size()) {
        std::vector<std::size_t> others = header.idColumns;
        if (header.tagsColumn >= 0)
            others.push_back(static_cast<std::size_t>(header.tagsColumn));
        CMnemosyneReader::NoteColumns(table.records[first], others, table.columns);
    }
    CDelimitedReader::TakeColumnLine(table);
    return table;
}

// Numbers beyond kMaxColumnNumber would only make the columns' table grow without bound.
int CAnkiHeaderReader::ColumnNumber(std::string_view value) {
    int number = 0;
    const std::string_view digits = Trimmed(value);
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size() || number < 1 ||
        number > kMaxColumnNumber)
        return 0;
    return number;
}

CAnkiHeaderReader::Header CAnkiHeaderReader::ReadHeader(std::string_view text) {
    Header header;
    std::size_t at = 0;
    while (at < text.size() && text[at] == '#') {
        std::size_t end = text.find('\n', at);
        end = end == std::string_view::npos ? text.size() : end;
        std::string_view line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::size_t colon = line.find(':');
        const std::string key =
            colon == std::string_view::npos ? std::string() : Lowered(line.substr(1, colon - 1));
        const std::string_view value =
            colon == std::string_view::npos ? std::string_view() : line.substr(colon + 1);
        if (key == "separator") {
            const std::string name = Lowered(Trimmed(value));
            header.separator = name == "tab"         ? '\t'
                               : name == "comma"     ? ','
                               : name == "semicolon" ? ';'
                               : name == "pipe"      ? '|'
                               : name == "space"     ? ' '
                               : value.empty()       ? '\t'
                                                     : value.front();
            header.separatorKnown = true;
            header.anki = true;
        } else if (key == "html") {
            header.html = Lowered(Trimmed(value)) == "true";
            header.anki = true;
        } else if (key == "columns") {
            const char separator = header.separatorKnown
                                       ? header.separator
                                       : (value.find('\t') != std::string_view::npos ? '\t' : ',');
            header.names.clear();
            std::size_t from = 0;
            for (;;) {
                const std::size_t next = value.find(separator, from);
                header.names.emplace_back(Trimmed(value.substr(from, next - from)));
                if (next == std::string_view::npos)
                    break;
                from = next + 1;
            }
            header.anki = true;
        } else if (key == "tags column") {
            header.tagsColumn = ColumnNumber(value) - 1;
            header.anki = true;
        } else if (key == "guid column" || key == "notetype column" || key == "deck column") {
            if (const int number = ColumnNumber(value); number >= 1)
                header.idColumns.push_back(static_cast<std::size_t>(number) - 1);
            header.anki = true;
        }
        at = end < text.size() ? end + 1 : end;
    }
    header.end = at;
    return header;
}

// The columns the #columns line names, the tags column among them.
std::vector<ImportColumn> CAnkiHeaderReader::NamedColumns(const Header& header,
                                                          std::vector<std::string>& ignored) {
    std::vector<ImportColumn> columns;
    for (std::size_t i = 0; i < header.names.size(); ++i) {
        const ImportColumn column = CDelimitedReader::ColumnOfName(header.names[i]);
        if (static_cast<int>(i) == header.tagsColumn)
            columns.push_back(ImportColumn::Tags);
        else {
            columns.push_back(column);
            if (column == ImportColumn::Ignored && !header.names[i].empty())
                ignored.push_back(header.names[i]);
        }
    }
    return columns;
}

// The notes' fields in the order this program writes them, after the columns Anki writes first
// (note id, note type, deck) and around the tags.
std::vector<ImportColumn> CAnkiHeaderReader::OrderedColumns(const Header& header) {
    constexpr ImportColumn kFields[] = {ImportColumn::Reference, ImportColumn::Hint,
                                        ImportColumn::Passage, ImportColumn::Context};
    std::size_t idEnd = 0;
    for (const std::size_t column : header.idColumns)
        idEnd = std::max(idEnd, column + 1);
    const auto isId = [&header](std::size_t i) {
        return std::find(header.idColumns.begin(), header.idColumns.end(), i) !=
               header.idColumns.end();
    };
    std::vector<ImportColumn> ordered;
    std::size_t field = 0;
    const std::size_t count = std::max<std::size_t>(
        idEnd + std::size(kFields) + 1, static_cast<std::size_t>(header.tagsColumn + 1));
    for (std::size_t i = 0; i < count; ++i) {
        if (isId(i))
            ordered.push_back(ImportColumn::Ignored);
        else if (static_cast<int>(i) == header.tagsColumn)
            ordered.push_back(ImportColumn::Tags);
        else if (field < std::size(kFields))
            ordered.push_back(kFields[field++]);
        else
            ordered.push_back(ImportColumn::Ignored);
    }
    return ordered;
}
