// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "Platform.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

// The tips of the day, taken in turn from the tips file, one line each. Where the next tip starts
// is remembered in the settings (section "RctTip"), so that the tips shown across starts walk
// through the file and wrap around at its end; a replaced file, told apart by its creation time,
// starts again at its top. Lines beginning with ';', a blank, a tab or a line end are comments.
// Apart from the creation time of a new file, stored at once, the sequence writes the settings
// only when its owner asks, so the owner decides when a tip counts as taken. An owner that takes
// no tip from a new file leaves the old file's position behind, which the new file then starts
// from.
class CTipSequence {
public:
    static constexpr const char* kFileName = "RctTips.txt";
    // A longer line comes as several tips of at most this many characters.
    static constexpr int kMaxTipLength = 999;
    static constexpr const char* kMissingText =
        "Tips file does not exist in the prescribed directory";
    static constexpr const char* kNoTipsText = "The tips file holds no tips.";

    // What reading a tip came to. Trouble: the file could not be positioned, so there is no tip
    // (the text is empty); the caller tells the user that the tips file could not be read.
    enum class Read { Ok, Trouble };

    // Opens the tips file in directory (the working directory when empty) and reads the start-up
    // choice and the stored position. created is the file's creation time as text: when it
    // differs from the stored one, it is stored and the tips start again at the top of the file.
    // Without a file the text says so and nothing is ever written. settings outlives the sequence.
    CTipSequence(ISettings& settings, const std::string& created,
                 const std::filesystem::path& directory = {});
    CTipSequence(const CTipSequence&) = delete;
    CTipSequence& operator=(const CTipSequence&) = delete;

    // The tips file's place for a directory (the working directory when empty).
    static std::filesystem::path FilePath(const std::filesystem::path& directory);

    // Reads on to the next tip: the first call reads the tip at the stored position, each further
    // call the tip after the current one. The end of the file wraps to its top; a file without
    // any tip gives kNoTipsText after two passes. Without a file it does nothing.
    Read Next();

    // Whether the tips file is open, so that there are tips to move on to.
    bool HasFile() const { return file_ != nullptr; }
    // The current tip with its line end as LF (none for a piece of a long line), or the note
    // about a missing or tipless file; empty before the first tip is read.
    const std::string& Text() const { return text_; }

    // Whether the tips are to be shown at start-up ("RctStartUp" 0), as stored.
    bool ShowAtStartup() const { return showAtStartup_; }
    // Stores the start-up choice: "RctStartUp" 0 to show the tips, 1 not to.
    void SetShowAtStartup(bool show);
    // Stores where the tip after the current one starts ("RctFilePos"); nothing without a file.
    void SavePosition();

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    bool SeekTo(long position);

    ISettings& settings_;
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::string text_;
    bool showAtStartup_ = true;
    // The stored position could not be reached: the first Next reports it instead of reading.
    bool startTrouble_ = false;
};
