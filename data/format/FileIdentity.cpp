// SPDX-License-Identifier: GPL-2.0-or-later
#include "FileIdentity.h"

#include <sys/stat.h>

FileIdentity FileIdentity::Of(const std::filesystem::path& path) {
    FileIdentity identity;
#ifdef _WIN32
    struct _stat64 info {};
    if (::_wstat64(path.c_str(), &info) != 0)
        return identity;
    identity.modifiedSeconds = info.st_mtime;
#else
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return identity;
    identity.modifiedSeconds = info.st_mtim.tv_sec;
    identity.modifiedNanoseconds = info.st_mtim.tv_nsec;
#endif
    identity.exists = true;
    identity.size = static_cast<std::uintmax_t>(info.st_size);
    identity.inode = static_cast<std::uint64_t>(info.st_ino);
    identity.device = static_cast<std::uint64_t>(info.st_dev);
    return identity;
}
