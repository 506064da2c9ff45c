// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Conversions between the Windows-1252 bytes the passage files hold and the Unicode texts that
// files of other programs hold, without any locale. The five bytes Windows-1252 leaves unassigned
// stand for the C1 control characters of the same number, as everywhere else in the program.

// The Unicode character of a Windows-1252 byte.
char32_t CharOfWin1252(unsigned char byte);
// The Windows-1252 byte of a character; false when it has none.
bool Win1252OfChar(char32_t c, char& byte);

// Appends the UTF-8 form of one character, or of Windows-1252 bytes.
void AppendUtf8(std::string& out, char32_t c);
void AppendUtf8FromWin1252(std::string& out, std::string_view bytes);

// Whether text is well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool IsValidUtf8(std::string_view text);

// Converts well-formed UTF-8 to Windows-1252 bytes. A character without a Windows-1252 form
// becomes '?', and is added to unavailable unless it is there already (in the order met).
void Win1252FromUtf8(std::string_view utf8, std::string& out, std::vector<char32_t>& unavailable);
