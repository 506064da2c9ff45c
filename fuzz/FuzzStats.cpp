// SPDX-License-Identifier: GPL-2.0-or-later
// The statistics file against a small valid collection: any content either loads or is refused
// with a message, never more.
#include "FileFormat.h"
#include "FuzzSupport.h"
#include "PassageStore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path dir = ScratchDirectory();
    static const bool prepared = [&dir] {
        WriteFile(dir / "RctInfo.xml", BaselineFile(20));
        WriteFile(dir / "RctUser.xml", EmptyPassageFile());
        WriteFile(dir / "RctStatsSpare.xml", EmptyPassageFile().append(kCrLf));
        return true;
    }();
    (void)prepared;
    WriteFile(dir / "RctStats.xml", std::string_view(reinterpret_cast<const char*>(data), size));
    CNullMessages messages;
    CMemorySettings settings;
    CFixedClock clock;
    CPassageStore store(messages, settings, clock, dir);
    store.Load();
    return 0;
}
