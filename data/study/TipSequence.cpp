// SPDX-License-Identifier: GPL-2.0-or-later
#include "TipSequence.h"

#include "Preferences.h"

#include <cstdint>

CTipSequence::CTipSequence(ISettings& settings, const std::string& created,
                           const std::filesystem::path& directory)
    : settings_(settings) {
    showAtStartup_ = settings_.ReadNumber(kSectionTip, SettingKey::kRctStartUp, 0) == 0;
    long position = settings_.ReadNumber(kSectionTip, SettingKey::kRctFilePos, 0);
    file_.reset(std::fopen(FilePath(directory).string().c_str(), "rb"));
    if (!file_) {
        text_ = kMissingText;
        return;
    }
    if (settings_.ReadText(kSectionTip, SettingKey::kRctTimeStamp, "") != created) {
        settings_.WriteText(kSectionTip, SettingKey::kRctTimeStamp, created);
        position = 0;
    }
    // A position past the end is harmless (the first read wraps to the top); one before the
    // start cannot be reached at all.
    startTrouble_ = !SeekTo(position);
}

std::filesystem::path CTipSequence::FilePath(const std::filesystem::path& directory) {
    return directory.empty() ? std::filesystem::path(kFileName) : directory / kFileName;
}

bool CTipSequence::SeekTo(long position) {
    return position >= 0 && std::fseek(file_.get(), position, SEEK_SET) == 0;
}

CTipSequence::Read CTipSequence::Next() {
    if (!file_)
        return Read::Ok;
    if (startTrouble_) {
        // The file stays at its top, where the next tip is then read.
        startTrouble_ = false;
        text_.clear();
        return Read::Trouble;
    }
    char line[kMaxTipLength + 1];
    // Two passes over the whole file at most: a file without any tip line gives a note instead
    // of reading for ever.
    int wraps = 0;
    while (true) {
        if (!std::fgets(line, sizeof line, file_.get())) {
            if (++wraps > 2) {
                text_ = kNoTipsText;
                return Read::Ok;
            }
            if (!SeekTo(0)) {
                text_.clear();
                return Read::Trouble;
            }
            continue;
        }
        const char first = line[0];
        if (first == ' ' || first == '\t' || first == '\n' || first == '\r' || first == ';')
            continue;
        text_ = line;
        if (text_.ends_with("\r\n"))
            text_.erase(text_.size() - 2, 1); // the line end is kept, as LF
        return Read::Ok;
    }
}

void CTipSequence::SetShowAtStartup(bool show) {
    showAtStartup_ = show;
    settings_.WriteNumber(kSectionTip, SettingKey::kRctStartUp, show ? 0 : 1);
}

void CTipSequence::SavePosition() {
    if (!file_)
        return;
    settings_.WriteNumber(kSectionTip, SettingKey::kRctFilePos,
                          static_cast<std::int32_t>(std::ftell(file_.get())));
}
