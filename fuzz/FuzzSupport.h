// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "MemorySettings.h"
#include "Platform.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

// Quiet stand-ins for the platform, and a scratch directory for the files a run writes.

class CNullMessages : public IMessageSink {
public:
    void Show(const std::string&, const std::string&, MsgIcon) override {}
};

class CFixedClock : public IClock {
public:
    std::uint32_t NowSeconds() override { return 1700000000u; }
    std::int64_t NowMilliseconds() override { return 1700000000000; }
};

// A directory of this process's own, on a memory file system where there is one, so that the
// flushes of a save cost nothing.
std::filesystem::path ScratchDirectory();

void WriteFile(const std::filesystem::path& path, std::string_view bytes);

// A valid baseline file of count passages (John 1:1 onwards, KJV), for targets that fuzz the
// other files.
std::string BaselineFile(int count);
