// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>

// What tells one version of a file from another without reading it: its size, modification time
// (to the nanosecond), inode and device, as the path names it now (through a symbolic link, the
// target). A file that is not there is an identity of its own, so that a file appearing or going
// away counts as a change. Every save of the program replaces a file by a new one, which alone
// changes the inode; the rest catches files rewritten in place by other tools.
struct FileIdentity {
    bool exists = false;
    std::uintmax_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    std::uint64_t inode = 0;
    std::uint64_t device = 0;

    // The identity of the file at path at this moment; a path that cannot be examined (missing,
    // no permission) gives the identity of a missing file.
    static FileIdentity Of(const std::filesystem::path& path);

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};
