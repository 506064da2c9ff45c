// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

#include <string>
#include <string_view>
#include <vector>

// The data files hold Windows-1252 bytes, one byte a character, so that character offsets are byte
// offsets. The user interface converts with a fixed table when it shows text and back when the
// user enters text; no locale is involved.

// Every byte has a character: the five bytes that Windows-1252 leaves unassigned map to the C1
// control characters of the same number, so that any file shows and saves back unchanged.
QString FromWin1252(std::string_view bytes);

// A file's text as a window shows it: the characters of the bytes, with the files' CR LF line
// breaks as Qt's LF.
QString FromWin1252Lines(std::string_view bytes);

// The bytes of text; false when a character has no Windows-1252 form (bytes then holds a '?' in
// its place, and firstBad, when given, the position of the first such character).
bool ToWin1252(const QString& text, std::string& bytes, qsizetype* firstBad = nullptr);

// Appends to found the characters of text that have no Windows-1252 form and are not in found
// yet, in the order met; a character beyond the 16-bit range (a surrogate pair) counts as one.
void AddUnavailable(const QString& text, std::vector<char32_t>& found);
