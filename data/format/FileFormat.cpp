// SPDX-License-Identifier: GPL-2.0-or-later
#include "FileFormat.h"

#include "TextFormat.h"

void AppendPassagesHeader(std::string& out, int count) {
    out.append("<passages count=\"");
    AppendInt(out, count, 3, true);
    out.append("\" formatversion=\"");
    AppendInt(out, kFormatVersion);
    out.append("\">");
    out.append(kCrLf);
}

std::string EmptyPassageFile() {
    std::string text(kDeclaration);
    text.append(kCrLf);
    AppendPassagesHeader(text, 0);
    text.append(kEndLine);
    return text;
}
