// SPDX-License-Identifier: GPL-2.0-or-later
#include "MemorySettings.h"

std::int32_t CMemorySettings::ReadNumber(const std::string& section, const std::string& name,
                                         std::int32_t defaultValue) {
    const auto it = numbers.find({section, name});
    return it == numbers.end() ? defaultValue : it->second;
}

void CMemorySettings::WriteNumber(const std::string& section, const std::string& name,
                                  std::int32_t value) {
    numbers[{section, name}] = value;
    writes.push_back(section + "/" + name);
}

std::string CMemorySettings::ReadText(const std::string& section, const std::string& name,
                                      const std::string& defaultValue) {
    const auto it = texts.find({section, name});
    return it == texts.end() ? defaultValue : it->second;
}

void CMemorySettings::WriteText(const std::string& section, const std::string& name,
                                const std::string& value) {
    texts[{section, name}] = value;
    writes.push_back(section + "/" + name);
}

const std::vector<std::string> kSavedSettingsOrder = {"Params/PpcSyncInitialized",
                                                      "Export\\Params/FileTimestamp",
                                                      "Params/PrefConfirmDelete",
                                                      "Params/PrefConfirmEdit",
                                                      "Export\\Params/PrefConfirmExportPpc",
                                                      "Params/PrefFlyoverChoice",
                                                      "Params/PrefFontChoice",
                                                      "Params/TransFilter",
                                                      "Params/CurSelectorIndex",
                                                      "Params/UserCount",
                                                      "Params/BackgroundFilename"};
