// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "Platform.h"

#include <cstdint>

class CAtomicFile;
class CPassageStore;
struct FileFault;

// The handheld export (PpcXport.txt): the active passages of a store in the order the handheld
// gets them (CPassageStore::ExportList), a line for each with its levels, the hint's columns and
// the passage's text, under a header with their count and a time stamp. The store keeps whether
// the export is due and the stamp of the one in place.
class CHandheldExport {
public:
    // Exports store, reporting through messages and stamping with clock; all three outlive it.
    CHandheldExport(const CPassageStore& store, IMessageSink& messages, IClock& clock)
        : store_(store), messages_(messages), clock_(clock) {}

    // Writes the export to file, finished but not in place, and gives its stamp in timestamp.
    // The passage's text stays on its line and keeps the passage's length, so that the hint's
    // columns index it. False after its message when it cannot be written; the file is then
    // discarded.
    bool Write(CAtomicFile& file, std::uint32_t& timestamp) const;
    // Writes the export and puts it in place on its own, giving its stamp in timestamp. False
    // after its message when it cannot be written or put in place.
    bool WriteInPlace(std::uint32_t& timestamp) const;
    // Tells the user that the export could not be written, with fault's step and reason.
    void ReportFault(const FileFault& fault) const;

private:
    const CPassageStore& store_;
    IMessageSink& messages_;
    IClock& clock_;
};
