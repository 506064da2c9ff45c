// SPDX-License-Identifier: GPL-2.0-or-later
#include "MnemosyneReader.h"

#include "DelimitedReader.h"

#include <algorithm>

namespace {

// The fields of a card: front and back.
constexpr std::size_t kCardFields = 2;

// Whether the first record that is not blank is a card without column names.
bool IsCard(const std::vector<ImportRecord>& records) {
    const std::size_t first = CDelimitedReader::FirstRecord(records);
    return first < records.size() && records[first].fields.size() == kCardFields &&
           !CDelimitedReader::IsColumnLine(records[first]);
}

} // namespace

bool CMnemosyneReader::CanRead(std::string_view text) const {
    const std::size_t start = CDelimitedReader::HeaderLinesEnd(text);
    const char separator = CDelimitedReader::GuessSeparator(text.substr(start));
    return IsCard(CDelimitedReader::Split(text, start, separator, true));
}

ImportTable CMnemosyneReader::Read(std::string_view text) const {
    ImportTable table = CDelimitedReader::ReadRecords(text);
    if (!CDelimitedReader::TakeColumnLine(table))
        table.columns = {ImportColumn::Reference, ImportColumn::Passage};
    return table;
}

void CMnemosyneReader::NoteColumns(const ImportRecord& record,
                                   const std::vector<std::size_t>& others,
                                   std::vector<ImportColumn>& columns) {
    std::vector<std::size_t> fields;
    for (std::size_t i = 0; i < record.fields.size(); ++i)
        if (std::find(others.begin(), others.end(), i) == others.end())
            fields.push_back(i);
    if (fields.size() != 2 && fields.size() != 3)
        return;
    for (ImportColumn& column : columns)
        if (column != ImportColumn::Tags)
            column = ImportColumn::Ignored;
    if (columns.size() < fields.back() + 1)
        columns.resize(fields.back() + 1, ImportColumn::Ignored);
    constexpr ImportColumn kNoteFields[] = {ImportColumn::Reference, ImportColumn::Passage,
                                            ImportColumn::Extra};
    for (std::size_t i = 0; i < fields.size(); ++i)
        columns[fields[i]] = kNoteFields[i];
}
