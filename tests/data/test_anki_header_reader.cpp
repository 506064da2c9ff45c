// SPDX-License-Identifier: GPL-2.0-or-later
// The reader of files written for Anki: which header lines make one, and the columns its header
// gives, named or in this program's order around the id and tags columns.

#include "AnkiHeaderReader.h"

#include <gtest/gtest.h>

TEST(AnkiHeaderReaderTest, HeaderLinesGiveTheSeparatorHtmlAndColumns) {
    const CAnkiHeaderReader reader;
    EXPECT_FALSE(reader.CanRead("# comment\n#author: me\nJohn 3:16\tKJV\tFor God\n"));
    EXPECT_FALSE(reader.CanRead("John 3:16\tKJV\t#html:true\n"));
    EXPECT_TRUE(reader.CanRead("# sample\n#Deck Column:2\n"));

    // Notes of more than three fields by position: id and deck ignored, tags where named.
    const ImportTable ordered = reader.Read("#separator:Pipe\n#guid column:1\n#deck column:3\n"
                                            "#tags column:5\n"
                                            "a|John 1:1|d|hint|t|In the beginning|ctx\n");
    EXPECT_FALSE(ordered.html);
    EXPECT_EQ(ordered.columns,
              (std::vector<ImportColumn>{ImportColumn::Ignored, ImportColumn::Reference,
                                         ImportColumn::Ignored, ImportColumn::Hint,
                                         ImportColumn::Tags, ImportColumn::Passage,
                                         ImportColumn::Context, ImportColumn::Ignored}));
    ASSERT_EQ(ordered.records.size(), 1u);
    EXPECT_EQ(ordered.records[0].line, 5);
    EXPECT_EQ(ordered.records[0].fields.size(), 7u);

    // Named columns: the unknown names are named, the tags column wins over its name.
    const ImportTable named = reader.Read("#html:true\n#columns:Front,Reference,Passage,Topic\n"
                                          "#tags column:4\nJohn 1:1,KJV,In the beginning,t\n");
    EXPECT_TRUE(named.html);
    EXPECT_EQ(named.columns,
              (std::vector<ImportColumn>{ImportColumn::Ignored, ImportColumn::Reference,
                                         ImportColumn::Passage, ImportColumn::Tags}));
    EXPECT_EQ(named.ignoredColumns, (std::vector<std::string>{"Front"}));
    EXPECT_EQ(CAnkiHeaderReader::ColumnNumber(" 7 "), 7);
    EXPECT_EQ(CAnkiHeaderReader::ColumnNumber("101"), 0);
}
