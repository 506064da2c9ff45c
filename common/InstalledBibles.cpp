// SPDX-License-Identifier: GPL-2.0-or-later
#include "InstalledBibles.h"

#include "ProgramLibrary.h"

#include <QLibrary>

#include <utility>

CInstalledBibles::CInstalledBibles(QString path) : path_(std::move(path)) {}

// The library stays loaded after the source is gone: unloading the Bible modules' library
// while the program runs gains nothing and runs its static destructors early.
CInstalledBibles::~CInstalledBibles() = default;

QString CInstalledBibles::ProgramLibrary() {
    return ::ProgramLibrary(QStringLiteral(RECITOR_BIBLE_LIBRARY_NAME));
}

IBibleSource* CInstalledBibles::Source() {
    std::call_once(opened_, [this] {
        QLibrary library(path_);
        const auto make =
            reinterpret_cast<BibleSourceFactory>(library.resolve(kBibleSourceFactory));
        if (make)
            source_.reset(make());
        else
            failure_ = "The library that reads the installed Bibles could not be loaded: " +
                       library.errorString().toStdString();
    });
    return source_.get();
}

std::vector<int> CInstalledBibles::Translations() {
    IBibleSource* source = Source();
    return source ? source->Translations() : std::vector<int>();
}

int CInstalledBibles::LastVerse(int trans, int book, int chapter) {
    IBibleSource* source = Source();
    return source ? source->LastVerse(trans, book, chapter) : -1;
}

bool CInstalledBibles::Verses(int trans, int book, int chapter, int first, int last,
                              std::vector<std::string>& texts, std::string& reason) {
    IBibleSource* source = Source();
    if (source)
        return source->Verses(trans, book, chapter, first, last, texts, reason);
    texts.clear();
    reason = failure_;
    return false;
}
