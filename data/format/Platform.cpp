// SPDX-License-Identifier: GPL-2.0-or-later
#include "Platform.h"

#include <chrono>

std::uint32_t CSystemClock::NowSeconds() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<seconds>(system_clock::now().time_since_epoch()).count());
}

std::int64_t CSystemClock::NowMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

void CMessageLog::Show(const std::string& caption, const std::string& text, MsgIcon icon) {
    entries_.push_back({caption, text, icon});
}

void CMessageLog::Replay(IMessageSink& messages) const {
    for (const Entry& entry : entries_)
        messages.Show(entry.caption, entry.text, entry.icon);
}
