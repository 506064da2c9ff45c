// SPDX-License-Identifier: GPL-2.0-or-later
#include "HandheldExport.h"

#include "AtomicFile.h"
#include "FileFormat.h"
#include "JointCommit.h"
#include "PassageStore.h"
#include "TextFormat.h"

#include <algorithm>
#include <string>
#include <vector>

void CHandheldExport::ReportFault(const FileFault& fault) const {
    messages_.Show("Recitor Cannot write SpecialHandling file",
                   FaultText(fault, "PpcXport.txt file"), MsgIcon::Error);
}

bool CHandheldExport::WriteInPlace(std::uint32_t& timestamp) const {
    // A commit of one file is a single rename; its lock keeps the temporary file from the
    // clean-up of another copy.
    CJointCommit commit(store_.PathOf(CPassageStore::kSaveRecordFile));
    CAtomicFile file;
    if (!Write(file, timestamp))
        return false;
    CAtomicFile* const files[] = {&file};
    if (!commit.Commit(files)) {
        ReportFault(commit.Fault());
        return false;
    }
    return true;
}

bool CHandheldExport::Write(CAtomicFile& file, std::uint32_t& timestamp) const {
    const auto fail = [this, &file] {
        ReportFault(file.Fault());
        file.Discard();
        return false;
    };
    if (!file.Open(store_.PathOf(CPassageStore::kExportFile)))
        return fail();
    timestamp = clock_.NowSeconds();
    std::vector<const CPassage*> entries;
    const std::vector<int> exportList = store_.ExportList();
    entries.reserve(exportList.size());
    for (const int index : exportList)
        if (index >= 0 && index < store_.PassageCount())
            entries.push_back(&store_.Passage(index));

    std::string& out = file.Buffer();
    out.append("count= ");
    AppendInt(out, static_cast<std::int64_t>(entries.size()));
    out.append(" formatversion= ");
    AppendInt(out, kFormatVersion);
    out.append(" timestamp= ");
    AppendUnsigned(out, timestamp, 11);
    out.append(kCrLf);
    std::string text;
    for (const CPassage* passage : entries) {
        // The text keeps the passage's length, so that columns 5 to 7 measure it as written: a
        // CR LF becomes backslash n, and a lone CR or LF, which must not break the line, a blank.
        text.assign(passage->PassageText());
        for (std::size_t cr = text.find('\r'); cr != std::string::npos; cr = text.find('\r', cr)) {
            if (cr + 1 < text.size() && text[cr + 1] == '\n') {
                text.replace(cr, kEscapedBreak.size(), kEscapedBreak);
                cr += kEscapedBreak.size();
            } else
                text[cr++] = ' ';
        }
        std::replace(text.begin(), text.end(), '\n', ' '); // the line feeds left are lone ones
        AppendUnsigned(out, passage->key, 8, true);
        out.push_back(' ');
        AppendInt(out, passage->trans, 2);
        out.push_back(' ');
        AppendInt(out, passage->prog, 2);
        out.push_back(' ');
        AppendInt(out, passage->freq, 2);
        out.push_back(' ');
        AppendInt(out, WrapAdd(std::int64_t{passage->hintStart} - passage->psgStart), 4);
        out.push_back(' ');
        AppendInt(out, WrapAdd(std::int64_t{passage->hintEnd} - passage->psgStart - 1), 4);
        out.push_back(' ');
        AppendInt(out, static_cast<std::int64_t>(text.size()), 4);
        out.push_back(' ');
        out.append(text);
        out.append(kCrLf);
        file.FlushIfFull();
    }
    if (!file.Finish())
        return fail();
    return true;
}
