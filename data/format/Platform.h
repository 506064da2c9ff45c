// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The small interfaces through which the passage data reaches the platform: the user is told
// about faults through a message sink, preferences live in a settings store, and time comes
// from a clock. The data layer never shows, stores or reads anything of the platform directly,
// so it runs and is tested without any user interface.

enum class MsgIcon { None, Error, Warning, Information };

// Receives every message the data layer has for the user, at the point where the fault happens.
class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    virtual void Show(const std::string& caption, const std::string& text, MsgIcon icon) = 0;
};

// Keeps messages to show later, in the order they came. Work done on a second thread reports
// through one, and its messages are shown afterwards at the point where the work belongs.
class CMessageLog : public IMessageSink {
public:
    void Show(const std::string& caption, const std::string& text, MsgIcon icon) override;
    bool Empty() const { return entries_.empty(); }
    void Replay(IMessageSink& messages) const;

private:
    struct Entry {
        std::string caption;
        std::string text;
        MsgIcon icon;
    };
    std::vector<Entry> entries_;
};

// Per-user settings: numbers are 32-bit values read back as signed, texts are byte strings.
// A missing or unreadable value yields the default.
class ISettings {
public:
    virtual ~ISettings() = default;
    virtual std::int32_t ReadNumber(const std::string& section, const std::string& name,
                                    std::int32_t defaultValue) = 0;
    virtual void WriteNumber(const std::string& section, const std::string& name,
                             std::int32_t value) = 0;
    virtual std::string ReadText(const std::string& section, const std::string& name,
                                 const std::string& defaultValue) = 0;
    virtual void WriteText(const std::string& section, const std::string& name,
                           const std::string& value) = 0;
    // Writes what is pending and takes in what another copy of the program has written since
    // these settings were read.
    virtual void Sync() = 0;
};

// Settings sections.
inline constexpr const char* kSectionParams = "Params";
inline constexpr const char* kSectionExport = "Export\\Params";
inline constexpr const char* kSectionTip = "RctTip";
inline constexpr const char* kSectionReview = "Review";

// Wall clock: whole seconds since 1 January 1970 UTC, and milliseconds since then.
class IClock {
public:
    virtual ~IClock() = default;
    virtual std::uint32_t NowSeconds() = 0;
    virtual std::int64_t NowMilliseconds() = 0;
};

// The real clock, from std::chrono.
class CSystemClock : public IClock {
public:
    std::uint32_t NowSeconds() override;
    std::int64_t NowMilliseconds() override;
};

// What a data operation tells its caller. A fatal fault has already been reported through the
// message sink; the application then ends with kFatalExitCode.
enum class Status { Ok, Fatal };
inline constexpr int kFatalExitCode = 5;
