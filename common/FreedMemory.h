// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// Gives the memory freed by a large piece of transient work (an import with its preview, a run
// of printed cards) back to the system when it goes out of scope. The allocator otherwise keeps
// the freed heap for the process, which then stays tens of megabytes larger than what it holds.
// Declared before the work's objects, it ends after them.
class CReturnFreedMemory {
public:
    CReturnFreedMemory() = default;
    ~CReturnFreedMemory();
    CReturnFreedMemory(const CReturnFreedMemory&) = delete;
    CReturnFreedMemory& operator=(const CReturnFreedMemory&) = delete;
};
