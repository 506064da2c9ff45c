// SPDX-License-Identifier: GPL-2.0-or-later
#include "EditBoxLineCounter.h"

#include "Win1252.h"

int CEditBoxLineCounter::Lines(std::string_view text, int pointSize) {
    for (const auto& [points, measure] : measures_)
        if (points == pointSize)
            return measure->Count(FromWin1252(text));
    measures_.emplace_back(pointSize, std::make_unique<CDisplayLineMeasure>(
                                          pointSize, CPassageCheck::kBoxWidth, true));
    return measures_.back().second->Count(FromWin1252(text));
}
