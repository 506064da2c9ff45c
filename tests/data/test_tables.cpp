// SPDX-License-Identifier: GPL-2.0-or-later
// The fixed name tables: their numbers are those of the files, so the boundaries matter.

#include "RefTables.h"

#include <gtest/gtest.h>

TEST(RefTables, BookNamesIncludingUnnamedSlots) {
    EXPECT_EQ(BookName(0), "");
    EXPECT_EQ(BookName(39), "Malachi");
    EXPECT_EQ(BookName(45), "45");
    EXPECT_EQ(BookName(54), "John");
    EXPECT_EQ(BookName(77), "Revelation");
    EXPECT_EQ(BookName(78), "77");
    EXPECT_EQ(BookName(99), "98");
    EXPECT_EQ(BookName(100), "EvanExplo");
    EXPECT_EQ(BookName(101), "");
}

TEST(RefTables, TranslationsAndTheirListEntries) {
    EXPECT_EQ(TransAbbrev(-7), "Context");
    EXPECT_EQ(TransAbbrev(0), "ASV");
    EXPECT_EQ(TransAbbrev(33), "All");
    EXPECT_EQ(TransAbbrev(35), "");
    EXPECT_EQ(TransAbbrev(36), "InValid Trans > 35");
    EXPECT_EQ(TransListText(35), "----       New World (JW)");
    int editable = 0;
    for (int t = -1; t <= kTransListSize; ++t)
        editable += TransEditable(t) ? 1 : 0;
    EXPECT_EQ(editable, 24); // one per Translation menu command but "All"
    EXPECT_FALSE(TransEditable(15));
}

TEST(RefTables, BookListSkipsTheUnnamedSlots) {
    EXPECT_EQ(BookFromListPosition(38), 39);
    EXPECT_EQ(BookFromListPosition(39), 51);
    EXPECT_EQ(BookFromListPosition(65), 77);
    EXPECT_EQ(BookFromListPosition(66), -1);
    for (int position = 0; position < kBookListSize; ++position)
        EXPECT_EQ(ListPositionFromBook(BookFromListPosition(position)), position);
    EXPECT_EQ(ListPositionFromBook(45), -1);
    EXPECT_EQ(ListPositionFromBook(78), -1);
}

TEST(RefTables, OutOfRangeNumbersGiveEmptyNames) {
    EXPECT_EQ(TopicName(57), "User #2");
    EXPECT_EQ(TopicName(58), "");
    EXPECT_EQ(FreqGroupText(3), "Not Started/Inactive");
    EXPECT_EQ(FreqGroupText(4), "");
    EXPECT_EQ(ProgText(4), "Mastered");
    EXPECT_EQ(ProgText(-1), "");
}
