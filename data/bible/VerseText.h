// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <string_view>

// The plain words of a verse as a Bible module stores it: OSIS markup in UTF-8. The bundled
// collection was made with it, and passages taken from the installed Bibles are made with it, so
// that the two read alike.
//
// Dropped: notes (footnotes and cross references with their text), titles (headings, psalm
// titles), speakers, every other tag (Strong's numbers and morphology live in the tags'
// attributes), stray character-style markers such as \nd, paragraph marks and line breaks.
// Entities are read, white space is collapsed to single blanks, and a blank that tag removal left
// before closing punctuation or after an opening quotation mark goes.
//
// The text is then brought into Windows-1252: a character without a Windows-1252 form gets a
// fixed ASCII stand-in (hyphens and dashes, primes, fraction slash, zero-width characters);
// another one is not guessed at.
//
// Gives the verse's Windows-1252 bytes in out and true; false when a character has neither form,
// with unconvertible that character (out is then incomplete).
bool PlainVerseText(std::string_view osis, std::string& out, char32_t& unconvertible);
