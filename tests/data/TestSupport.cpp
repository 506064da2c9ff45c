// SPDX-License-Identifier: GPL-2.0-or-later
#include "TestSupport.h"

#include "RefTables.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

std::string Elem::Line() const {
    char numbers[200];
    std::snprintf(numbers, sizeof numbers,
                  "\" vCount=\"%02d\" ctxLines=\"%02d\" psgLines=\"%02d\" psgStart=\"%04d\" "
                  "psgEnd=\"%04d\" hintStart=\"%04d\" hintEnd=\"%04d\" topic=\"%04d\" context=\"",
                  vCount, ctxLines, psgLines, psgStart, psgEnd, hintStart, hintEnd, topic);
    return "<psg key=\"" + key + numbers + context + "\"> </psg>";
}

std::string KeyText(int book, int chapter, int verse, char suffix) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d%03d%03d%c", book, chapter, verse, suffix);
    return text;
}

Elem PlainElem(int book, int chapter, int verse, char suffix) {
    Elem e;
    e.key = KeyText(book, chapter, verse, suffix);
    e.context = std::to_string(verse) + " Verse text";
    e.psgEnd = static_cast<int>(e.context.size());
    e.hintEnd = 4;
    return e;
}

std::vector<std::string> Filler(int n) {
    std::vector<std::string> lines;
    for (int verse = 1; verse <= n; ++verse)
        lines.push_back(PlainElem(1, 1, verse, '3').Line());
    return lines;
}

std::string John(int verse, char suffix, int vCount) {
    Elem e = PlainElem(54, 3, verse, suffix);
    e.vCount = vCount;
    return e.Line();
}

CLineReader::ReadFunction FailingAfter(std::size_t bytes) {
    return [left = bytes](std::FILE* file, char* into, std::size_t size,
                          int& error) mutable -> std::size_t {
        if (left == 0) {
            error = EIO;
            return 0;
        }
        const std::size_t got = std::fread(into, 1, std::min(size, left), file);
        left -= got;
        return got;
    };
}

std::vector<std::string> JohnBase() {
    std::vector<std::string> lines = Filler(15);
    lines.push_back(John(15, '8', 2));
    lines.push_back(John(16, '8', 3));
    lines.push_back(John(17));
    return lines;
}

namespace {
std::string File(const std::vector<std::string>& lines, int count) {
    char header[100];
    std::snprintf(header, sizeof header, "<passages count=\"%03d\" formatversion=\"20031126\">",
                  count == kCountOfLines ? static_cast<int>(lines.size()) : count);
    std::string out = std::string(kDecl) + "\r\n" + header + "\r\n";
    for (const std::string& line : lines)
        out += line + "\r\n";
    return out + "</passages>\r\n";
}
} // namespace

std::string PassageFile(const std::vector<std::string>& lines, int count) {
    return File(lines, count);
}

std::string StatsFile(const std::vector<std::string>& lines, int count) {
    return File(lines, count); // the same header as the passage files
}

std::string StatsLine(const std::string& keyText, int prog, int freq) {
    return "<psg key=\"" + keyText + " prog=\"" + std::to_string(prog) + "\" freq=\"" +
           std::to_string(freq) + "\"> </psg>";
}

StoreTest::StoreTest() {
    static std::atomic<int> serial{0};
    dir = fs::temp_directory_path() /
          ("recitor-data-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
    fs::remove_all(dir);
    fs::create_directories(dir);
}

StoreTest::~StoreTest() {
    store.reset();
    std::error_code error;
    fs::remove_all(dir, error);
}

void StoreTest::Write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string StoreTest::Read(const std::string& name) const {
    std::ifstream in(dir / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool StoreTest::Exists(const std::string& name) const {
    return fs::exists(dir / name);
}

DirSnapshot StoreTest::Snapshot() const {
    DirSnapshot files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        files[name] = entry.is_directory() ? "<dir>" : Read(name);
    }
    return files;
}

void StoreTest::WriteFiles(const std::vector<std::string>& info,
                           const std::vector<std::string>& user,
                           const std::vector<std::string>* stats) {
    Write(CPassageStore::kInfoFile, PassageFile(info));
    Write(CPassageStore::kUserFile, PassageFile(user));
    if (stats)
        Write(CPassageStore::kStatsFile, StatsFile(*stats));
}

Status StoreTest::Load() {
    store = std::make_unique<CPassageStore>(sink, settings, clock, dir);
    return store->Load();
}

void StoreTest::LoadJohn() {
    const std::vector<std::string> stats = {StatsLine("540030168\"", 2, 0),
                                            StatsLine("540030158\"", 1, 1)};
    WriteFiles(JohnBase(), {}, &stats);
    ASSERT_EQ(Load(), Status::Ok);
    ASSERT_TRUE(sink.shown.empty());
}

std::unique_ptr<CPassage> NewJohn16(int trans, const std::string& context) {
    auto p = std::make_unique<CPassage>();
    const char suffix = static_cast<char>(trans > 9 ? trans + 55 : trans + 48);
    p->SetAll({.key = 54003016,
               .ctxLines = 3,
               .psgLines = 1,
               .vCount = 1,
               .psgStart = 0,
               .psgEnd = 4,
               .hintStart = 0,
               .hintEnd = 2,
               .primaryTopic = 18,
               .secondaryTopic = 9,
               .trans = trans,
               .context = context,
               .keyText = std::string("54003016") + suffix + "_"});
    return p;
}

int StoreTest::ReviseUnchanged(int index) const {
    return store->Revise(index, store->Passage(index).GetValues());
}

void StoreTest::MakeExportDue() const {
    const int john17 = store->Find(CPassage("540030178\"").MatchKey());
    ASSERT_EQ(store->Passage(john17).freq, kFreqInactive);
    store->SetFrequency(john17, 1);
    store->SetFrequency(john17, kFreqInactive);
}

void StoreTest::ExpectOneMessage(const std::string& caption, const std::string& text,
                                 MsgIcon icon) const {
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].caption, caption);
    EXPECT_EQ(sink.shown[0].text, text);
    EXPECT_EQ(sink.shown[0].icon, icon);
}

void StoreTest::ExpectFatal(const std::string& caption, const std::string& text) {
    const DirSnapshot before = Snapshot();
    EXPECT_EQ(Load(), Status::Fatal);
    ExpectOneMessage(caption, text, MsgIcon::Error);
    EXPECT_EQ(Snapshot(), before);
}

CTimeZoneGuard::CTimeZoneGuard(const char* zone) {
    if (const char* before = std::getenv("TZ")) {
        hadZone_ = true;
        saved_ = before;
    }
    Use(zone);
}

CTimeZoneGuard::~CTimeZoneGuard() {
    if (hadZone_)
        setenv("TZ", saved_.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

void CTimeZoneGuard::Use(const char* zone) {
    setenv("TZ", zone, 1);
    tzset();
}
