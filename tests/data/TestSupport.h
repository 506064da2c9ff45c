// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// Shared doubles and helpers of the data-layer tests: a recording message sink, settings kept in
// memory, a clock the test sets, a private working directory and builders for the data files.

#include "BibleSource.h"
#include "MemorySettings.h"
#include "PassageStore.h"
#include "Platform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Sets the process's time zone for local-time arithmetic and puts the one before back at the end.
class CTimeZoneGuard {
public:
    explicit CTimeZoneGuard(const char* zone);
    ~CTimeZoneGuard();
    CTimeZoneGuard(const CTimeZoneGuard&) = delete;
    CTimeZoneGuard& operator=(const CTimeZoneGuard&) = delete;
    // Switches to another zone; the one before the guard is still the one put back.
    void Use(const char* zone);

private:
    bool hadZone_ = false;
    std::string saved_;
};

struct ShownMessage {
    std::string caption;
    std::string text;
    MsgIcon icon;
};

// A Bible of the KJV only, whose chapters 1..50 have ten verses each, each verse its number
// ("v3"); other translations have none. Counts the verses it gives.
class CFakeBible : public IBibleSource {
public:
    std::vector<int> Translations() override { return {kTrans}; }
    int LastVerse(int trans, int, int chapter) override {
        return trans != kTrans ? -1 : chapter <= 50 ? 10 : 0;
    }
    bool Verses(int trans, int book, int chapter, int first, int last,
                std::vector<std::string>& texts, std::string& reason) override {
        texts.clear();
        if (LastVerse(trans, book, chapter) < last) {
            reason = trans != kTrans ? "no such Bible" : "past the end";
            return false;
        }
        for (int verse = first; verse <= last; ++verse, ++given)
            texts.push_back(std::string("v").append(std::to_string(verse)));
        return true;
    }
    static constexpr int kTrans = 3;
    int given = 0;
};

class CRecordingSink : public IMessageSink {
public:
    void Show(const std::string& caption, const std::string& text, MsgIcon icon) override {
        shown.push_back({caption, text, icon});
    }
    std::vector<ShownMessage> shown;
};

// Seconds are fixed; every millisecond reading advances by msStep.
class CFixedClock : public IClock {
public:
    std::uint32_t NowSeconds() override { return seconds; }
    std::int64_t NowMilliseconds() override {
        const std::int64_t now = milliseconds;
        milliseconds += msStep;
        return now;
    }
    std::uint32_t seconds = 1700000000;
    std::int64_t milliseconds = 5000;
    std::int64_t msStep = 0;
};

// One element line of a passage file, built independently of the program's own writer. The key
// is the key text without its closing quotation mark; the context is given as stored in the file.
struct Elem {
    std::string key;
    std::string context;
    int vCount = 1;
    int ctxLines = 3;
    int psgLines = 1;
    int psgStart = 0;
    int psgEnd = 0;
    int hintStart = 0;
    int hintEnd = 0;
    int topic = 918;
    std::string Line() const;
};

// Keys of the form "%02d%03d%03d" + suffix.
std::string KeyText(int book, int chapter, int verse, char suffix);
// A plain element for the verse with a one-line context beginning with the verse number.
Elem PlainElem(int book, int chapter, int verse, char suffix);
// Genesis 1:1..n in translation 3: filler that sorts before every other test passage.
std::vector<std::string> Filler(int n);
// The element line of John 3:<verse> in the translation of suffix.
std::string John(int verse, char suffix = '8', int vCount = 1);
// A new John 3:16 passage in a translation as the Edit Passage dialog saves it.
std::unique_ptr<CPassage> NewJohn16(int trans, const std::string& context = "16 x");

// 18 baseline passages: filler, then John 3:15 (two verses), 3:16 (three verses) and 3:17 in
// translation 8, at indices 15, 16 and 17.
std::vector<std::string> JohnBase();

// A passage or statistics file: declaration, header (count defaults to the number of lines),
// the lines and the closing line, every line ending in CR LF.
inline constexpr int kCountOfLines = std::numeric_limits<int>::min();
std::string PassageFile(const std::vector<std::string>& lines, int count = kCountOfLines);
std::string StatsFile(const std::vector<std::string>& lines, int count = kCountOfLines);
// keyText is the token as it stands in the line, with its closing quotation mark.
std::string StatsLine(const std::string& keyText, int prog, int freq);

inline constexpr const char* kDecl = "<?xml version=\"1.0\" standalone=\"no\" ?>";

// A read function for the line reader that reads the first bytes of a file and then fails, as a
// disk does when it cannot read a block.
CLineReader::ReadFunction FailingAfter(std::size_t bytes);

using DirSnapshot = std::map<std::string, std::string>; // file name -> bytes ("<dir>" for dirs)

// A test with its own empty working directory, removed afterwards, and a store over it.
class StoreTest : public ::testing::Test {
protected:
    StoreTest();
    ~StoreTest() override;

    void Write(const std::string& name, const std::string& bytes) const;
    std::string Read(const std::string& name) const;
    bool Exists(const std::string& name) const;
    DirSnapshot Snapshot() const;

    // Writes the three files (the statistics file only when stats is given).
    void WriteFiles(const std::vector<std::string>& info, const std::vector<std::string>& user,
                    const std::vector<std::string>* stats);
    // A new store over the directory, loaded; the status of the load.
    Status Load();
    // Loads JohnBase with no user passages and statistics for John 3:15 (prog 1, freq 1) and 3:16
    // (prog 2, freq 0); expects no message.
    void LoadJohn();
    // Loads and expects exactly one fatal message, and no file changed by the attempt.
    void ExpectFatal(const std::string& caption, const std::string& text);
    void ExpectOneMessage(const std::string& caption, const std::string& text, MsgIcon icon) const;

    // A passage of the store to shape directly, as a hand-edited file would have it; the store's
    // counts are not kept in step.
    CPassage& Shape(int index) const { return const_cast<CPassage&>(store->Passage(index)); }
    // The passage at index revised with its own values, as the Edit dialog would save it
    // unchanged: it becomes a user passage and the user file is due. Returns its index after.
    int ReviseUnchanged(int index) const;
    // Makes the handheld export due as the user would, moving John 3:17 (inactive) into an active
    // class and back, which leaves what the export holds as it was.
    void MakeExportDue() const;

    std::filesystem::path dir;
    CRecordingSink sink;
    CMemorySettings settings;
    CFixedClock clock;
    std::unique_ptr<CPassageStore> store;
};
