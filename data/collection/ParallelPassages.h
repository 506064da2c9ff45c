// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

class CPassageStore;

// A passage with every other translation of it that the collection holds: the passages of the
// same book, chapter and first verse in the other translations (where they end does not matter),
// in increasing translation number. Texts are Windows-1252 bytes with CR LF line breaks; the
// result is a copy and stays as it is when the collection changes.
class CParallelPassages {
public:
    // The parallels of the passage at index in store.
    CParallelPassages(const CPassageStore& store, int index);

    // "<reference>  <Topic: <primary topic>>  <translation>".
    const std::string& Caption() const { return caption_; }
    // The passage's own text.
    const std::string& PassageText() const { return passageText_; }
    // One block for each other translation, its abbreviation, a blank and its text, the blocks
    // separated by an empty line; empty when there is no other translation.
    const std::string& Text() const { return text_; }
    int Count() const { return count_; }

private:
    std::string caption_;
    std::string passageText_;
    std::string text_;
    int count_ = 0;
};
