// SPDX-License-Identifier: GPL-2.0-or-later
#include "SwordBible.h"

#include "BiblePassage.h"
#include "RefTables.h"
#include "VerseText.h"

#include <localemgr.h>
#include <swmgr.h>
#include <swmodule.h>
#include <versekey.h>
#include <versificationmgr.h>

#include <array>
#include <cstring>
#include <mutex>
#include <string_view>

namespace {

// The translations whose Bible comes as a Debian package, with the package's module.
struct PackagedBible {
    std::string_view abbrev;
    const char* module;
    std::string_view package;
};
constexpr std::array<PackagedBible, 2> kPackagedBibles = {{
    {"KJV", "engKJV2006eb", "sword-text-kjv"},
    {"WEB", "engWEB2015eb", "sword-text-web"},
}};

// The OSIS names of the books, in the order of the Edit dialog's Book list.
constexpr std::array<const char*, kBookListSize> kOsisBooks = {
    "Gen",   "Exod", "Lev",  "Num",  "Deut", "Josh", "Judg",  "Ruth",   "1Sam",   "2Sam",  "1Kgs",
    "2Kgs",  "1Chr", "2Chr", "Ezra", "Neh",  "Esth", "Job",   "Ps",     "Prov",   "Eccl",  "Song",
    "Isa",   "Jer",  "Lam",  "Ezek", "Dan",  "Hos",  "Joel",  "Amos",   "Obad",   "Jonah", "Mic",
    "Nah",   "Hab",  "Zeph", "Hag",  "Zech", "Mal",  "Matt",  "Mark",   "Luke",   "John",  "Acts",
    "Rom",   "1Cor", "2Cor", "Gal",  "Eph",  "Phil", "Col",   "1Thess", "2Thess", "1Tim",  "2Tim",
    "Titus", "Phlm", "Heb",  "Jas",  "1Pet", "2Pet", "1John", "2John",  "3John",  "Jude",  "Rev"};

// Where a book and chapter lie in a module's versification.
struct Place {
    const sword::VersificationMgr::System* system = nullptr;
    int bookIndex = -1; // in the versification's books, from 0
    int lastVerse = 0;  // 0: no such book or chapter
};

Place PlaceOf(const sword::SWModule& module, int book, int chapter) {
    Place place;
    const int position = ListPositionFromBook(book);
    const char* name = module.getConfigEntry("Versification");
    place.system = sword::VersificationMgr::getSystemVersificationMgr()->getVersificationSystem(
        name && *name ? name : "KJV");
    if (!place.system || position < 0)
        return place;
    // The library numbers the books from 1 here, and from 0 everywhere else.
    place.bookIndex =
        place.system->getBookNumberByOSISName(kOsisBooks[static_cast<std::size_t>(position)]) - 1;
    const sword::VersificationMgr::Book* entry =
        place.bookIndex >= 0 ? place.system->getBook(place.bookIndex) : nullptr;
    if (entry && chapter >= 1 && chapter <= entry->getChapterMax())
        place.lastVerse = entry->getVerseMax(chapter);
    return place;
}

// Left alone, the library reads every locale installed with it (book names in some sixty
// languages, half a second) when the first module is opened. Verses are looked up here by
// number, so the built-in English locale is all they need: a locale manager given a directory
// that cannot be opened (an empty name) reads none. Set once, before the first module exists.
void UseBuiltInLocaleOnly() {
    static std::once_flag once;
    std::call_once(once, [] { sword::LocaleMgr::setSystemLocaleMgr(new sword::LocaleMgr("")); });
}

} // namespace

CSwordBible::CSwordBible() = default;
CSwordBible::~CSwordBible() = default;

std::string CSwordBible::WhereToGet(int trans) {
    const std::string_view abbrev = TransAbbrev(trans);
    for (const PackagedBible& bible : kPackagedBibles)
        if (bible.abbrev == abbrev)
            return "No " + std::string(abbrev) +
                   " Bible is installed on this computer. The Debian "
                   "package " +
                   std::string(bible.package) + " provides it.";
    return "No " + std::string(abbrev) +
           " Bible is installed on this computer. A Bible module "
           "named " +
           std::string(abbrev) + " installed with BibleTime or Xiphos provides it.";
}

void CSwordBible::Open() {
    if (manager_)
        return;
    UseBuiltInLocaleOnly();
    manager_ = std::make_unique<sword::SWMgr>();
    for (int trans = 0; trans < kTransListSize; ++trans) {
        if (!TransEditable(trans) || TransAbbrev(trans).empty())
            continue;
        const std::string abbrev(TransAbbrev(trans));
        sword::SWModule* found = nullptr;
        for (const PackagedBible& bible : kPackagedBibles)
            if (bible.abbrev == abbrev)
                found = manager_->getModule(bible.module);
        if (!found)
            for (const auto& [name, module] : manager_->getModules())
                if (strcasecmp(name.c_str(), abbrev.c_str()) == 0 &&
                    std::strcmp(module->getType(), sword::SWMgr::MODTYPE_BIBLES) == 0)
                    found = module;
        if (found)
            modules_.emplace(trans, found);
    }
}

sword::SWModule* CSwordBible::Module(int trans) {
    Open();
    const auto found = modules_.find(trans);
    return found == modules_.end() ? nullptr : found->second;
}

std::vector<int> CSwordBible::Translations() {
    const std::lock_guard lock(mutex_);
    Open();
    std::vector<int> translations;
    for (const auto& [trans, module] : modules_)
        translations.push_back(trans);
    return translations;
}

int CSwordBible::LastVerse(int trans, int book, int chapter) {
    const std::lock_guard lock(mutex_);
    const sword::SWModule* module = Module(trans);
    return module ? PlaceOf(*module, book, chapter).lastVerse : -1;
}

bool CSwordBible::Verses(int trans, int book, int chapter, int first, int last,
                         std::vector<std::string>& texts, std::string& reason) {
    const std::lock_guard lock(mutex_);
    texts.clear();
    sword::SWModule* module = Module(trans);
    if (!module) {
        reason = WhereToGet(trans);
        return false;
    }
    const Place place = PlaceOf(*module, book, chapter);
    if (place.lastVerse == 0) {
        reason = ChapterNotInBible(trans, book, chapter);
        return false;
    }
    if (first < 1 || last > place.lastVerse || first > last) {
        reason = VerseNotInBible(trans, book, chapter, first < 1 ? first : last, place.lastVerse);
        return false;
    }
    sword::VerseKey key;
    key.setVersificationSystem(place.system->getName());
    key.setAutoNormalize(false);
    const int otBooks = place.system->getBMAX()[0];
    const bool newTestament = place.bookIndex >= otBooks;
    key.setTestament(newTestament ? 2 : 1);
    key.setBook(static_cast<char>(place.bookIndex - (newTestament ? otBooks : 0) + 1));
    key.setChapter(chapter);
    for (int verse = first; verse <= last; ++verse) {
        key.setVerse(verse);
        module->setKey(key);
        std::string text;
        char32_t unconvertible = 0;
        if (!PlainVerseText(module->getRawEntry(), text, unconvertible)) {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(unconvertible));
            reason = std::string(BookName(book)) + " " + std::to_string(chapter) + ":" +
                     std::to_string(verse) + " in the " + std::string(TransAbbrev(trans)) +
                     " Bible holds a character (" + code + ") that the passage files cannot keep";
            texts.clear();
            return false;
        }
        texts.push_back(std::move(text));
    }
    return true;
}
