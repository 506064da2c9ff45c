// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "BibleSource.h"
#include "Passage.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Counts the lines a text takes in a box of the Edit Passage dialog, word-wrapped to the box's
// width in the dialog's face at a point size. Wrapping depends on the fonts, so the user
// interface supplies it.
class IDisplayLineCounter {
public:
    virtual ~IDisplayLineCounter() = default;
    virtual int Lines(std::string_view text, int pointSize) = 0;
};

// What the Edit Passage dialog checks after every change, and the record line it shows when
// nothing is wrong: the line the user file will hold for the passage. It also gives the values
// that Save stores. Free of widgets, so that every rule is tested on its own.
class CPassageCheck {
public:
    static constexpr std::size_t kMaxContext = 2320;
    // Point sizes at which the stored line counts are measured: the sizes the main window's
    // display chooses from them.
    static constexpr int kContextMeasurePoints = 14;
    static constexpr int kPassageMeasurePoints = 18;
    // Width, in dialog units, of the boxes the line counts are measured in: the Edit Passage
    // dialog's text boxes, which the bundled passages are measured in too.
    static constexpr int kBoxWidth = 388;
    // The context-line count of a baseline element that takes its context from a context record.
    static constexpr int kSharedContext = 98;
    // The context-line counts that mark a context record holding only the verses before the
    // passage, or only those after it, as its passage text; a record holding both keeps its
    // measured count.
    static constexpr int kRecordBeforeOnly = 96;
    static constexpr int kRecordAfterOnly = 99;

    // The dialog's fields as the checks read them.
    struct Entry {
        int bookPosition = -1; // position in the Book list, -1 when nothing is selected
        std::uint32_t chapter = 0;
        std::uint32_t firstVerse = 0;
        std::uint32_t lastVerse = 0;
        int trans = -1; // position in the Translation list (the translation), -1 for none
        int primaryTopic = 0;
        int secondaryTopic = 0;
        // Windows-1252 bytes with CR LF line breaks (WithCrLf).
        std::string context;
        std::string passage;
        std::string hint;
        // Characters of the three texts that have no Windows-1252 form, each once, in the order
        // they were met.
        std::vector<char32_t> unavailable;
    };

    // Whether another passage of the collection holds the VerseKey of matchKey (bit 0 ignored):
    // for a new passage any passage, for a revised one every passage but itself.
    using KeyTaken = std::function<bool(std::uint32_t matchKey)>;

    // maintainersMode: the record line carries the shared-context mark instead of the measured
    // context lines, as the maintainers' baseline elements do. lines outlives the check. keyTaken
    // (none: no key is taken) is asked once the VerseKey is complete, so that the user learns of
    // a duplicate while typing rather than from a refused Save.
    CPassageCheck(IDisplayLineCounter& lines, bool maintainersMode, KeyTaken keyTaken = {});

    // With a Bible, a chapter or a last verse that its translation's Bible does not have is a
    // problem too; a translation without an installed Bible is not checked so. bible (none: no
    // such check) outlives the check.
    void SetBible(IBibleSource* bible) { bible_ = bible; }

    // Runs every check in its fixed order; true when nothing is wrong. The results below stay
    // until the next run.
    bool Run(const Entry& entry);

    // Every problem found, each message ending in CR LF; empty when nothing is wrong.
    const std::string& Problems() const { return problems_; }
    // The record line without its line end; empty while there are problems.
    const std::string& RecordLine() const { return line_; }
    // What the dialog's check box shows: the problems, or else the record line.
    const std::string& VerifyText() const { return problems_.empty() ? line_ : problems_; }
    // What Save gives the passage, from the last run without problems. The line counts are
    // always measured.
    const CPassage::Values& Values() const { return values_; }

    // An unsigned decimal number as a number box may hold it: digits with blanks around them, at
    // most 4294967295. Anything else (nothing at all, a sign, a letter) is refused.
    static bool ParseNumber(std::string_view text, std::uint32_t& value);
    // text with every line break as CR LF: a lone LF or a lone CR becomes CR LF. Offsets count a
    // break as two characters, and the user file keeps only CR LF as a break of the same length.
    static std::string WithCrLf(std::string_view text);
    // The key text the dialog builds ("%08u%c_") for a VerseKey whose fields have been checked.
    static std::string KeyText(std::uint32_t key, int trans);

private:
    // Measures again only the texts that changed since the last measure.
    int Measure(const std::string& text, int pointSize, std::string& measured, int& count);

    IDisplayLineCounter& lines_;
    const bool maintainersMode_;
    const KeyTaken keyTaken_;
    IBibleSource* bible_ = nullptr;
    std::string problems_;
    std::string line_;
    CPassage::Values values_;
    std::string measuredContext_;
    int contextLines_ = -1;
    std::string measuredPassage_;
    int passageLines_ = -1;
};
