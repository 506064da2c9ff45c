// SPDX-License-Identifier: GPL-2.0-or-later
// The reader of files to import, on any bytes: it must never fail unsafely, each passage it
// accepts must have its marks inside its context and a passage that is not empty, and the lines
// it names must come in the order of the file.
#include "FuzzSupport.h"
#include "PassageCheck.h"
#include "PassageImport.h"
#include "PassageStore.h"

#include <cstdlib>

namespace {

// Lines as the breaks give them: the fonts' measure is not what is fuzzed here.
class CBreakLines : public IDisplayLineCounter {
public:
    int Lines(std::string_view text, int) override {
        int lines = 1;
        for (const char c : text)
            lines += c == '\n' ? 1 : 0;
        return lines;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static CNullMessages messages;
    static CMemorySettings settings;
    static CFixedClock clock;
    // An empty collection: nothing is loaded into it.
    static CPassageStore store(messages, settings, clock, ScratchDirectory());
    CBreakLines lines;
    CPassageImport import(store, lines);
    import.Read(std::string_view(reinterpret_cast<const char*>(data), size));
    int previous = 0;
    for (const CPassageImport::Accepted& accepted : import.AcceptedLines()) {
        const CPassage& passage = *accepted.passage;
        const int length = static_cast<int>(passage.context.size());
        if (passage.psgStart < 0 || passage.psgEnd > length || passage.hintStart < 0 ||
            passage.hintEnd > length || passage.PassageText().empty() ||
            passage.context.size() > CPassageCheck::kMaxContext)
            std::abort();
        if (accepted.line <= previous)
            std::abort();
        previous = accepted.line;
    }
    previous = 0;
    for (const CPassageImport::Refused& refused : import.RefusedLines()) {
        if (refused.line < previous || refused.reason.empty() || refused.lastLine < refused.line)
            std::abort();
        previous = refused.line;
    }
    return 0;
}
