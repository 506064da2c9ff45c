#include "Win1252.h"

#include <algorithm>
#include <array>

namespace {

// Characters of the bytes 0x80-0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t CharOf(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : char16_t{byte};
}

bool ByteOf(char16_t c, char& byte) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        byte = static_cast<char>(c);
        return true;
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == c) {
            byte = static_cast<char>(0x80 + i);
            return true;
        }
    return false;
}

} // namespace

QString FromWin1252(std::string_view bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes)
        *out++ = QChar(CharOf(static_cast<unsigned char>(byte)));
    return text;
}

bool ToWin1252(const QString& text, std::string& bytes, qsizetype* firstBad) {
    bytes.clear();
    bytes.reserve(static_cast<std::size_t>(text.size()));
    bool ok = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char byte = '?';
        if (!ByteOf(text[i].unicode(), byte)) {
            if (ok && firstBad)
                *firstBad = i;
            ok = false;
        }
        bytes.push_back(byte);
    }
    return ok;
}

void AddUnavailable(const QString& text, std::vector<char32_t>& found) {
    char byte = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (ByteOf(c.unicode(), byte))
            continue;
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            code = QChar::surrogateToUcs4(c, text[++i]);
        if (std::find(found.begin(), found.end(), code) == found.end())
            found.push_back(code);
    }
}
