// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "PassageChoice.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

class CPassage;
class CPassageStore;
struct FileFault;

// What the Front and Back of an Anki note show besides the reference and the passage.
struct AnkiSides {
    bool hintOnFront = false;
    bool contextOnBack = false;
};

// The chosen passages written as a UTF-8 text file that a flashcard program imports:
// - Anki: tab-separated with the header lines that tell its importer the separator, that fields
//   are HTML, the column names and the tags column. Anki gives a column to the note field of the
//   same name, so the first two are named after the fields of its default note type: Front (the
//   reference and translation, and the hint when chosen) and Back (the passage, and the context
//   when chosen); then the reference, the hint, the passage and the context each in a column of
//   its own, for a note type with those fields and for reading the file back; then the tags
//   (topics, translation, class).
// - Mnemosyne: exactly two tab-separated fields a line (question: reference, translation and
//   hint; answer: the passage), no header and no byte-order mark; it has no tags column, so the
//   tag is given at import (SuggestedTag).
// Texts are HTML-escaped and line breaks written as <br>, so that no field holds a raw tab or
// line break.
class CFlashcardExport {
public:
    enum class Program { Anki, Mnemosyne };

    // The file's text for the passages at indices of store, in that order; sides is read for
    // Anki only.
    static std::string Format(const CPassageStore& store, const std::vector<int>& indices,
                              Program program, AnkiSides sides = {});
    // Writes text to path atomically (the old file stays until the new one is complete); false
    // with the fault when it could not.
    static bool Write(const std::filesystem::path& path, std::string_view text, FileFault& fault);
    // Writes the text Format gives to path in the same way, formatting straight into the file a
    // megabyte at a time: an export of the whole collection is tens of megabytes, which are then
    // never held, nor copied, at once.
    static bool Write(const std::filesystem::path& path, const CPassageStore& store,
                      const std::vector<int>& indices, Program program, AnkiSides sides,
                      FileFault& fault);

    // The column names of the Anki file, in order; the tags are the last column.
    static constexpr std::string_view kAnkiColumns[] = {"Front",   "Back",    "Reference", "Hint",
                                                        "Passage", "Context", "Tags"};

    // A Windows-1252 text as an HTML field: & < > and " as entities, each line break (CR LF, LF
    // or CR) as <br>, a tab as a blank for Mnemosyne (whose fields may not hold "&#") and as
    // &#9; for Anki, in UTF-8.
    static std::string HtmlField(std::string_view text, Program program);
    // The reference with the translation, as the question side names a passage: "John 3:16-18
    // KJV".
    static std::string ReferenceText(const CPassage& passage);
    // The Anki tags of a passage, blank-separated: its topics, its translation and its frequency
    // class, each with underscores for blanks ("Day_of_the_Lord KJV Most_Frequent").
    static std::string AnkiTags(const CPassage& passage);
    // A tag as Anki keeps tags: no blanks (underscores instead), no quotation marks, UTF-8.
    static std::string Tag(std::string_view win1252);
    // The tag text of each frequency class.
    static std::string_view ClassTag(int freq);
    // The tag to give the cards when Mnemosyne imports them, after the passages chosen:
    // "Recitor", or "Recitor::Love" for a topic, "Recitor::Most_Frequent" for a class.
    static std::string SuggestedTag(const PassageChoice& choice);
};
