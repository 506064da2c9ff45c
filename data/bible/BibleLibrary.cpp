// SPDX-License-Identifier: GPL-2.0-or-later
// The entry point of the library that the program opens when it first needs the installed
// Bibles, so that the Bible modules' library and the many libraries it brings are mapped only
// then, not at every start.
#include "BibleSource.h"
#include "SwordBible.h"

#include <type_traits>

// Makes the installed Bibles; the caller owns them. Its name is kBibleSourceFactory.
extern "C" __attribute__((visibility("default"))) IBibleSource* RecitorMakeBibleSource() {
    return new CSwordBible;
}
static_assert(std::is_same_v<decltype(&RecitorMakeBibleSource), BibleSourceFactory>);
