// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "BibleSource.h"

#include <QString>

#include <memory>
#include <mutex>

// The Bibles installed on this computer, read through the program's Bible library. The library
// (and the Bible modules' library with the dozen it brings) is opened at the first question,
// not at start, since most sessions never take a passage from a Bible. When it cannot be
// opened, every question is answered as if no Bible were installed, and the reason Verses gives
// says why the library could not be loaded.
class CInstalledBibles : public IBibleSource {
public:
    // Reads the Bibles through the library at path, opened at the first question.
    explicit CInstalledBibles(QString path = ProgramLibrary());
    ~CInstalledBibles() override;
    CInstalledBibles(const CInstalledBibles&) = delete;
    CInstalledBibles& operator=(const CInstalledBibles&) = delete;

    // The program's own Bible library: beside the program in the build tree, else where the
    // install puts it relative to the program's directory.
    static QString ProgramLibrary();

    std::vector<int> Translations() override;
    int LastVerse(int trans, int book, int chapter) override;
    bool Verses(int trans, int book, int chapter, int first, int last,
                std::vector<std::string>& texts, std::string& reason) override;

private:
    // The library's source, or null when the library cannot be loaded (failure_ says why).
    IBibleSource* Source();

    QString path_;
    std::once_flag opened_;
    std::unique_ptr<IBibleSource> source_;
    std::string failure_; // UTF-8
};
