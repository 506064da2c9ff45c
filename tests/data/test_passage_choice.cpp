// SPDX-License-Identifier: GPL-2.0-or-later
// The passages a many-passage command takes, in the order of the passage list.

#include "PassageChoice.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using Kind = PassageChoice::Kind;

// JohnBase: Genesis filler 0..14 (translation 3) and John 3:17 (17) inactive, John 3:16 (16) in
// class 0, John 3:15 (15) in class 1.
TEST_F(StoreTest, ChosenPassagesFollowTheListOrder) {
    LoadJohn();
    std::vector<int> inactive;
    for (int i = 0; i < 15; ++i)
        inactive.push_back(i);
    inactive.push_back(17);
    std::vector<int> all = {16, 15};
    all.insert(all.end(), inactive.begin(), inactive.end());

    EXPECT_EQ((PassageChoice{Kind::All}.Passages(*store)), all);
    EXPECT_EQ((PassageChoice{Kind::Active}.Passages(*store)), (std::vector<int>{16, 15}));
    EXPECT_EQ((PassageChoice{Kind::FrequencyClass, 1}.Passages(*store)), (std::vector<int>{15}));
    EXPECT_EQ((PassageChoice{Kind::FrequencyClass, 2}.Passages(*store)), std::vector<int>{});
    EXPECT_EQ((PassageChoice{Kind::FrequencyClass, 3}.Passages(*store)), inactive);
    EXPECT_EQ((PassageChoice{Kind::FrequencyClass, 4}.Passages(*store)), std::vector<int>{});

    // A topic counts as first or second topic; the list's order stays.
    Shape(17).primaryTopic = 42;
    Shape(3).secondaryTopic = 42;
    Shape(16).secondaryTopic = 42;
    EXPECT_EQ((PassageChoice{Kind::Topic, 42}.Passages(*store)), (std::vector<int>{16, 3, 17}));

    // The translation filter hides the inactive passages of other translations, as the list does.
    EXPECT_EQ((PassageChoice{Kind::All, 0, 8}.Passages(*store)), (std::vector<int>{16, 15, 17}));
    EXPECT_EQ((PassageChoice{Kind::Topic, 42, 8}.Passages(*store)), (std::vector<int>{16, 17}));
}
