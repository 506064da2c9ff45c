// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string_view>

// Fixed tables that turn the numbers stored in a passage into the names the user sees. The
// numbers are those of the key text and the passage files, so they can never be renumbered.

inline constexpr int kBookCount = 101;    // book numbers 0..100
inline constexpr int kNonBibleBook = 100; // "EvanExplo"
inline constexpr int kTopicCount = 58;    // topic numbers 0..57
inline constexpr int kTopicMisc = 23;     // fallback for an invalid topic number
inline constexpr int kTransContext = -1;  // a context record
inline constexpr int kTransAll = 33;      // the translation filter that shows everything
inline constexpr int kTransMax = 35;      // highest translation a key suffix can carry
inline constexpr int kTransListSize = 36; // entries of the Edit dialog's Translation list
inline constexpr int kBookListSize = 66;  // entries of the Edit dialog's Book list
inline constexpr int kFreqInactive = 3;   // "Not Started/Inactive"
inline constexpr int kFreqCount = 4;
inline constexpr int kProgCount = 5;

// Book name of 0..100; an empty name for any other number.
std::string_view BookName(int number);

// Translation abbreviation: "Context" for any negative number, "InValid Trans > 35" above 35,
// an empty name for 34 and 35, which have no abbreviation.
std::string_view TransAbbrev(int number);

// Topic name of 0..57; an empty name for any other number.
std::string_view TopicName(int number);

// Text of the Edit dialog's Translation list at position 0..35 (the position is the translation
// number); entries beginning with "----" name translations without passages.
std::string_view TransListText(int position);

// Whether a translation can be chosen for a passage in the Edit dialog (its entry has no "----").
bool TransEditable(int number);

// The Edit dialog's Book list: books 1-39 then 51-77. Position 0..65 to book number and back;
// -1 for a number outside the list.
int BookFromListPosition(int position);
int ListPositionFromBook(int book);

// Frequency class texts: the main window's radio choice and the passage tree's group.
std::string_view FreqChoiceText(int freq);
std::string_view FreqGroupText(int freq);

// Progress level text, "Not Started" .. "Mastered".
std::string_view ProgText(int prog);

// The book a name written in a reference stands for: the book table's own names, the full names
// ("Psalms", "1 Corinthians", "Song of Solomon") and the usual abbreviations ("Ps", "1 Cor",
// "Jn"), in any case, with or without blanks and full stops, with "I", "II", "III", "First",
// "Second" or "Third" for a leading number. 0 when the name is none of these.
int BookFromName(std::string_view name);

// Number of chapters of a book of one chapter (Obadiah, Philemon, 2 and 3 John, Jude), so that
// "Jude 3" names a verse; false for every other book.
bool BookHasOneChapter(int book);

// The translation an abbreviation names, in any case (0..35), or -1.
int TransFromAbbrev(std::string_view abbrev);

// The topic a name stands for, in any case, with underscores for blanks as tags write it
// (1..57), or -1; "n/a" is topic 0.
int TopicFromName(std::string_view name);
