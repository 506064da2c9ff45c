// SPDX-License-Identifier: GPL-2.0-or-later
#include "Win1252.h"

#include "TextEncoding.h"

#include <algorithm>

// The table itself is the data layer's, so that what the windows show and what the files hold
// can never disagree.

QString FromWin1252(std::string_view bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes)
        *out++ = QChar(static_cast<char16_t>(CharOfWin1252(static_cast<unsigned char>(byte))));
    return text;
}

QString FromWin1252Lines(std::string_view bytes) {
    QString text = FromWin1252(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

bool ToWin1252(const QString& text, std::string& bytes, qsizetype* firstBad) {
    bytes.clear();
    bytes.reserve(static_cast<std::size_t>(text.size()));
    bool ok = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char byte = '?';
        if (!Win1252OfChar(text[i].unicode(), byte)) {
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
        if (Win1252OfChar(c.unicode(), byte))
            continue;
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            code = QChar::surrogateToUcs4(c, text[++i]);
        if (std::find(found.begin(), found.end(), code) == found.end())
            found.push_back(code);
    }
}
