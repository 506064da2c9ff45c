// SPDX-License-Identifier: GPL-2.0-or-later
// A whole collection from fuzzed files: the input holds the baseline, user and statistics files
// separated by a marker. Whatever loads must save, and what was saved must load again with the
// same passages and score.
#include "FileFormat.h"
#include "FuzzSupport.h"
#include "PassageStore.h"

#include <cstdlib>

namespace {

constexpr std::string_view kMarker = "\x01\x02\x03\x04";

// Splits off the text up to the next marker.
std::string_view Take(std::string_view& rest) {
    const std::size_t at = rest.find(kMarker);
    const std::string_view part = rest.substr(0, at);
    rest = at == std::string_view::npos ? std::string_view{} : rest.substr(at + kMarker.size());
    return part;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::filesystem::path dir = ScratchDirectory();
    WriteFile(dir / "RctInfo.xml", Take(rest));
    WriteFile(dir / "RctUser.xml", Take(rest));
    WriteFile(dir / "RctStats.xml", Take(rest));
    WriteFile(dir / "RctStatsSpare.xml", EmptyPassageFile().append(kCrLf));
    CNullMessages messages;
    CMemorySettings settings;
    CFixedClock clock;
    int passages = 0;
    int score = 0;
    {
        CPassageStore store(messages, settings, clock, dir);
        if (store.Load() != Status::Ok)
            return 0;
        passages = store.PassageCount();
        score = store.Score();
        // A user passage revised without a change makes the save write the user file too.
        for (int i = 0; i < passages; ++i)
            if (!store.Passage(i).baseline) {
                if (store.Revise(i, store.Passage(i).GetValues()) < 0)
                    std::abort();
                break;
            }
        if (store.SaveAll() != Status::Ok)
            std::abort();
    }
    CPassageStore reloaded(messages, settings, clock, dir);
    if (reloaded.Load() != Status::Ok || reloaded.PassageCount() != passages ||
        reloaded.Score() != score)
        std::abort();
    return 0;
}
