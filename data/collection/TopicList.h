// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

class CPassageStore;

// The passages that carry one topic, as primary or secondary topic, in one translation or in all
// of them, in the collection's order: the list the topic list window shows, and its caption.
class CTopicList {
public:
    // Collects from store the passages with topic in translation transFilter (kTransAll for every
    // translation). The list is a copy: it stays as it is when the collection changes.
    CTopicList(const CPassageStore& store, int topic, int transFilter);

    // For each passage its reference (with the last verse of a longer passage) and topics on one
    // line, its text below and an empty line after it; Windows-1252 bytes with CR LF line breaks.
    const std::string& Text() const { return text_; }
    // The number of passages in the list.
    int Count() const { return count_; }
    // "Topic: <name>  Translation: <abbreviation>  Count: <count>", in Windows-1252.
    std::string Caption() const;

private:
    int topic_;
    int transFilter_;
    std::string text_;
    int count_ = 0;
};
