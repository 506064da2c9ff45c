#pragma once

#include "Platform.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

// Quiet stand-ins for the platform, and a scratch directory for the files a run writes.

class CNullMessages : public IMessageSink {
public:
    void Show(const std::string&, const std::string&, MsgIcon) override {}
};

class CMemorySettings : public ISettings {
public:
    std::int32_t ReadNumber(const std::string& section, const std::string& name,
                            std::int32_t defaultValue) override {
        const auto it = numbers_.find(section + '/' + name);
        return it == numbers_.end() ? defaultValue : it->second;
    }
    void WriteNumber(const std::string& section, const std::string& name,
                     std::int32_t value) override {
        numbers_[section + '/' + name] = value;
    }
    std::string ReadText(const std::string& section, const std::string& name,
                         const std::string& defaultValue) override {
        const auto it = texts_.find(section + '/' + name);
        return it == texts_.end() ? defaultValue : it->second;
    }
    void WriteText(const std::string& section, const std::string& name,
                   const std::string& value) override {
        texts_[section + '/' + name] = value;
    }

private:
    std::map<std::string, std::int32_t> numbers_;
    std::map<std::string, std::string> texts_;
};

class CFixedClock : public IClock {
public:
    std::uint32_t NowSeconds() override { return 1700000000u; }
    std::int64_t NowMilliseconds() override { return 1700000000000; }
};

// A directory of this process's own, on a memory file system where there is one, so that the
// flushes of a save cost nothing.
std::filesystem::path ScratchDirectory();

void WriteFile(const std::filesystem::path& path, std::string_view bytes);

// A valid baseline file of count passages (John 1:1 onwards, KJV), for targets that fuzz the
// other files.
std::string BaselineFile(int count);
