// SPDX-License-Identifier: GPL-2.0-or-later
#include "DirectoryLock.h"

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

CDirectoryLock::CDirectoryLock([[maybe_unused]] const std::filesystem::path& file) {
#ifndef _WIN32
    std::filesystem::path dir = file.parent_path();
    if (dir.empty())
        dir = ".";
    fd_ = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ >= 0)
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            // a signal handled while waiting: wait on
        }
#endif
}

CDirectoryLock::~CDirectoryLock() {
#ifndef _WIN32
    if (fd_ >= 0)
        ::close(fd_);
#endif
}
