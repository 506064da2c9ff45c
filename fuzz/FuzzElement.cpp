// SPDX-License-Identifier: GPL-2.0-or-later
// One element line of a passage file: parsing must never fail unsafely, the texts taken by offsets
// must stay inside the context, and writing a parsed record and parsing it again must give the
// same line.
#include "FuzzSupport.h"
#include "Passage.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    CNullMessages messages;
    CPassage first;
    if (first.ParseElement(line, messages) != Status::Ok)
        return 0;
    const auto inside = [&first](std::string_view part) {
        return part.empty() ||
               (part.data() >= first.context.data() &&
                part.data() + part.size() <= first.context.data() + first.context.size());
    };
    if (!inside(first.PassageText()) || !inside(first.HintText()) ||
        !inside(first.TextBeforePassage()))
        std::abort();

    std::string written = first.ElementLine();
    written.resize(written.size() - 2); // the line break
    CPassage second;
    if (second.ParseElement(written, messages) != Status::Ok)
        std::abort();
    std::string rewritten = second.ElementLine();
    rewritten.resize(rewritten.size() - 2);
    if (rewritten != written || second.SortKey() != first.SortKey() ||
        second.Reference() != first.Reference() ||
        second.PassageReference() != first.PassageReference())
        std::abort();
    return 0;
}
