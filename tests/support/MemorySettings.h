// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "Platform.h"

#include <climits>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Settings kept in memory, for the tests, benchmarks and fuzz targets, so that they never touch
// the user's own. Every write is recorded as "section/name" in the order made.
class CMemorySettings : public ISettings {
public:
    std::int32_t ReadNumber(const std::string& section, const std::string& name,
                            std::int32_t defaultValue) override;
    void WriteNumber(const std::string& section, const std::string& name,
                     std::int32_t value) override;
    std::string ReadText(const std::string& section, const std::string& name,
                         const std::string& defaultValue) override;
    void WriteText(const std::string& section, const std::string& name,
                   const std::string& value) override;
    // Nothing else writes these settings: there is nothing to take in.
    void Sync() override {}

    // A number of section "Params", the section the program uses most.
    void Set(const std::string& name, std::int32_t value) {
        numbers[{kSectionParams, name}] = value;
    }
    std::int32_t Get(const std::string& name, std::int32_t missing = INT32_MIN) {
        return ReadNumber(kSectionParams, name, missing);
    }

    std::map<std::pair<std::string, std::string>, std::int32_t> numbers;
    std::map<std::pair<std::string, std::string>, std::string> texts;
    std::vector<std::string> writes;
};

// The values a save writes at its end, as recorded in CMemorySettings::writes, in their order.
extern const std::vector<std::string> kSavedSettingsOrder;
