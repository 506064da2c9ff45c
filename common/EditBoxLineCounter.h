// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "DisplayLines.h"
#include "PassageCheck.h"

#include <memory>
#include <utility>
#include <vector>

// The measure of the Edit Passage dialog's text boxes, for the checks that store line counts
// with a passage: the dialog's own and the import's, so that an imported passage has the counts
// the dialog would have given it. The font of each point size is made once, which matters on
// thousands of passages.
class CEditBoxLineCounter : public IDisplayLineCounter {
public:
    int Lines(std::string_view text, int pointSize) override;

private:
    std::vector<std::pair<int, std::unique_ptr<CDisplayLineMeasure>>> measures_;
};
