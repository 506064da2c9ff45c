// SPDX-License-Identifier: GPL-2.0-or-later
// The delimited-text reader: records split at the guessed separator with quoted fields spanning
// lines, comment lines passed over, and the line naming the columns taken out of the records.

#include "DelimitedReader.h"

#include <gtest/gtest.h>

TEST(DelimitedReaderTest, RecordsColumnsAndTheLineNamingThem) {
    const CDelimitedReader reader;
    const std::string text = "# my verses\n\n"
                             "Passage;Ref;Notes;;Topics\n"
                             "\"Jesus\r\nwept.\";Jn 11:35;<b>short</b>\r\n"
                             "# more\n"
                             "\"open;John 1:1\n"
                             "x;y\n";
    ASSERT_TRUE(reader.CanRead(text));
    const ImportTable table = reader.Read(text);
    EXPECT_TRUE(table.html);
    EXPECT_EQ(table.columns,
              (std::vector<ImportColumn>{ImportColumn::Passage, ImportColumn::Reference,
                                         ImportColumn::Ignored, ImportColumn::Ignored,
                                         ImportColumn::Topics}));
    EXPECT_EQ(table.ignoredColumns, (std::vector<std::string>{"Notes"}));
    // The blank line stays a record; the line of names does not.
    ASSERT_EQ(table.records.size(), 4u);
    const ImportRecord& wept = table.records[1];
    EXPECT_EQ(wept.line, 4);
    EXPECT_EQ(wept.lastLine, 5);
    EXPECT_EQ(wept.fields,
              (std::vector<std::string>{"Jesus\r\nwept.", "Jn 11:35", "<b>short</b>"}));
    EXPECT_TRUE(table.records[2].unclosedQuote);
    EXPECT_EQ(table.records[2].line, 7);
    EXPECT_EQ(table.records[2].raw, "\"open;John 1:1");
    EXPECT_EQ(table.records[3].line, 8);

    // Without names the usual order; colons between digits are no separator.
    const ImportTable plain = reader.Read("John 3:16,KJV,For God\nPs 23:1,KJV,The LORD\n");
    EXPECT_EQ(plain.columns.size(), 5u);
    EXPECT_FALSE(plain.html);
    ASSERT_EQ(plain.records.size(), 2u);
    EXPECT_EQ(plain.records[0].fields, (std::vector<std::string>{"John 3:16", "KJV", "For God"}));
}
