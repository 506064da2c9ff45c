// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <string_view>

// What is read aloud of a passage or its context: the words without the verse numbers that begin
// its lines (with the translation's abbreviation before one, as the maintainers' context records
// have, also where such a label stands inside a line), one line per line of the text with its
// blanks evened out and empty lines left out. Every line ends in a mark at which a speech engine
// pauses: a line that has none (a verse that breaks off mid-sentence, a line of poetry) gets a
// comma, so that each line break is heard.
//
// text is Windows-1252 with CR LF or LF line breaks; so is the result, whose lines end in LF.
std::string SpeechText(std::string_view text);
