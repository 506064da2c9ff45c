// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "Platform.h"

#include <cstdint>
#include <filesystem>

// The review history at 2,000,000 recorded events: reviews of 15,000 passages every 97 seconds
// over about six years, and changes of their progress and classes every half hour.
struct SyntheticHistory {
    static constexpr int kPassages = 15000;
    static constexpr int kReviews = 1900000;
    static constexpr int kChanges = 100000;
    static constexpr std::int64_t kFirstReview = 1500000000;
    // The moment just after the last review.
    static constexpr std::int64_t kEnd = kFirstReview + std::int64_t{kReviews} * 97;
};

// Creates the history in dir with the history's own schema and writes every event in one
// transaction of a plain connection; on a fault the program stops (BenchFail).
void WriteSyntheticHistory(const char* program, IMessageSink& sink,
                           const std::filesystem::path& dir);
