// SPDX-License-Identifier: GPL-2.0-or-later
#include "FreedMemory.h"

#include <cstdlib> // defines __GLIBC__ where the C library is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

CReturnFreedMemory::~CReturnFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
