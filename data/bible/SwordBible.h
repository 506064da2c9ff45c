// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "BibleSource.h"

#include <map>
#include <memory>
#include <mutex>

namespace sword {
class SWMgr;
class SWModule;
} // namespace sword

// The Bibles installed as SWORD modules, where the SWORD library looks for them: the system's
// modules (/usr/share/sword, Debian's sword-text-* packages) and the user's ~/.sword, where
// BibleTime and Xiphos install theirs.
//
// A translation's Bible is the module a fixed table names for it (the Debian modules of KJV and
// WEB), or else an installed Bible module named as the translation's abbreviation ("ASV"). The
// library is opened at the first question, once; every question waits for the one before it.
class CSwordBible : public IBibleSource {
public:
    CSwordBible();
    ~CSwordBible() override;
    CSwordBible(const CSwordBible&) = delete;
    CSwordBible& operator=(const CSwordBible&) = delete;

    std::vector<int> Translations() override;
    int LastVerse(int trans, int book, int chapter) override;
    bool Verses(int trans, int book, int chapter, int first, int last,
                std::vector<std::string>& texts, std::string& reason) override;

    // What would install a Bible for trans, as a sentence (UTF-8): the Debian package, or the
    // module to install with BibleTime or Xiphos.
    static std::string WhereToGet(int trans);

private:
    // Opens the library and finds the translations' modules, the first time.
    void Open();
    // trans's module, or null.
    sword::SWModule* Module(int trans);

    std::mutex mutex_;
    std::unique_ptr<sword::SWMgr> manager_;
    std::map<int, sword::SWModule*> modules_; // translation to its module, borrowed from manager_
};
