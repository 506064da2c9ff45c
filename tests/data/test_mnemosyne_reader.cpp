// SPDX-License-Identifier: GPL-2.0-or-later
// The reader of notes of two fields without names, and the columns it gives the notes of other
// files: reference, passage and a third field that may hold the context.

#include "MnemosyneReader.h"

#include <gtest/gtest.h>

TEST(MnemosyneReaderTest, CardsOfTwoFieldsAndTheColumnsOfNotes) {
    const CMnemosyneReader reader;
    EXPECT_TRUE(reader.CanRead("\n# cards\nJohn 3:16\tFor God so loved\nJn 1:1\ta\tb\tc\n"));
    EXPECT_FALSE(reader.CanRead("Reference\tPassage\nJohn 3:16\tFor God so loved\n"));
    EXPECT_FALSE(reader.CanRead("John 3:16\tKJV\tFor God so loved\n"));
    EXPECT_FALSE(reader.CanRead(""));
    const ImportTable table = reader.Read("John 3:16,\"For God, so loved\"\n");
    EXPECT_EQ(table.columns,
              (std::vector<ImportColumn>{ImportColumn::Reference, ImportColumn::Passage}));
    ASSERT_EQ(table.records.size(), 1u);
    EXPECT_EQ(table.records[0].fields[1], "For God, so loved");

    // A note of id, three fields and tags: the id and tags keep out of the fields.
    ImportRecord note;
    note.fields = {"id", "John 3:16", "For God", "16 For God so loved", "Faith"};
    std::vector<ImportColumn> columns = {ImportColumn::Ignored, ImportColumn::Reference,
                                         ImportColumn::Hint, ImportColumn::Passage,
                                         ImportColumn::Tags};
    CMnemosyneReader::NoteColumns(note, {0, 4}, columns);
    EXPECT_EQ(columns, (std::vector<ImportColumn>{ImportColumn::Ignored, ImportColumn::Reference,
                                                  ImportColumn::Passage, ImportColumn::Extra,
                                                  ImportColumn::Tags}));
    // Four fields are no such note.
    note.fields.push_back("more");
    const std::vector<ImportColumn> before = columns;
    CMnemosyneReader::NoteColumns(note, {0}, columns);
    EXPECT_EQ(columns, before);
}
