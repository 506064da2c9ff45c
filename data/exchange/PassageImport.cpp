// SPDX-License-Identifier: GPL-2.0-or-later
#include "PassageImport.h"

#include "AnkiHeaderReader.h"
#include "DelimitedReader.h"
#include "ImportDecoder.h"
#include "MnemosyneReader.h"

#include <algorithm>
#include <iterator>

CPassageImport::CPassageImport(const CPassageStore& store, IDisplayLineCounter& lines)
    : check_(store, {&lines}, {}) {}

CPassageImport::CPassageImport(const CPassageStore& store, std::vector<IDisplayLineCounter*> lines,
                               ThreadStart start)
    : check_(store, std::move(lines), std::move(start)) {}

void CPassageImport::Read(std::string_view bytes) {
    DecodedImport decoded = DecodeImport(bytes);
    encoding_ = std::move(decoded.encoding);
    // The first reader that can read the text; the delimited text's reads any.
    const CAnkiHeaderReader anki;
    const CMnemosyneReader cards;
    const CDelimitedReader delimited;
    const IImportReader* const readers[] = {&anki, &cards, &delimited};
    const IImportReader* const reader = *std::find_if(
        std::begin(readers), std::end(readers),
        [&decoded](const IImportReader* candidate) { return candidate->CanRead(decoded.text); });
    ImportTable table = reader->Read(decoded.text);
    ignoredColumns_ = std::move(table.ignoredColumns);
    check_.Run(table, defaultTrans_);
}
