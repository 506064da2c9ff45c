// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "Platform.h"

#include <cstdint>
#include <memory_resource>
#include <string>
#include <string_view>

class CMemoryArena;

// The values a passage record stores, in the order the program has always kept them: what its
// element line in a passage file and its statistics line hold. Everything else a record knows is
// derived from them.
struct PassageFields {
    std::uint32_t key = 0; // book * 1,000,000 + chapter * 1,000 + first verse
    int psgLines = 0;
    int ctxLines = 0; // 96, 98 and 99 mark shared contexts
    int vCount = 0;
    int psgStart = 0;
    int psgEnd = 0;
    int hintStart = 0;
    int hintEnd = 0;
    int primaryTopic = 0;
    int secondaryTopic = 0;
    int trans = 0;            // -1 context record, 0..35 translations
    int freq = 3;             // 0 Most Frequent .. 3 Not Started/Inactive
    int prog = 0;             // 0 Not Started .. 4 Mastered
    std::pmr::string context; // lines separated by CR LF
    bool baseline = true;     // unchanged from the baseline file; false for a user passage
};

// One memorised passage: where it stands in the Bible, in which translation, its texts (the
// context with the passage and the hint marked inside it by character offsets), its topics and
// the learner's statistics. It is identified by its VerseKey: book, chapter, first verse and
// translation, written as eight digits and a suffix character ("54003016" + "8" for John 3:16 in
// translation 8). Records are owned by the passage store and never copied.
//
// A record is made on the heap (new CPassage) or, with its context, in arenas that outlive it
// (new (records) CPassage(&texts)): the store keeps the passages it loads that way, so that tens
// of thousands of them take a few blocks of memory rather than an allocation each. A record knows
// where it was made, and deleting one gives back heap memory only.
class CPassage : public PassageFields {
public:
    static constexpr std::size_t kMaxKeyText = 19; // longest key text a record accepts

    // A new record with every field at its default.
    CPassage() = default;
    // A new record whose context takes its memory from texts.
    explicit CPassage(std::pmr::memory_resource* texts)
        : PassageFields{.context = std::pmr::string(texts)} {}
    // A record built from a key text, as for a statistics line: baseline 0 and key 1001001, then
    // the key text parsed. Check the text with IsValidKeyText first.
    explicit CPassage(std::string_view keyText);

    CPassage(const CPassage&) = delete;
    CPassage& operator=(const CPassage&) = delete;

    static void* operator new(std::size_t size);
    static void* operator new(std::size_t size, CMemoryArena& arena);
    static void operator delete(void* record);
    static void operator delete(void* record, CMemoryArena& arena);

    // A key text is the digits, the suffix character and one trailing character; at least two and
    // at most kMaxKeyText characters.
    static bool IsValidKeyText(std::string_view keyText);

    // Parses a valid key text: the number its digits before the suffix give becomes the key (which
    // keeps its value when there are no digits), book, chapter and first verse follow from the
    // key, the translation from the suffix, and the sort keys from all of them.
    void ParseKeyText(std::string_view keyText);

    // Marks the record as baseline (flag 1) or user (anything else) and keeps bit 0 of sortKey
    // in step.
    void SetBaseline(int flag);

    // The translation's suffix character of the key text ("/" for a context record).
    char SuffixChar() const;

    // Texts taken from the context by offsets. A range outside the context is cut to it, so a
    // damaged offset never reads past the text.
    std::string_view PassageText() const;
    std::string_view HintText() const;
    std::string_view TextBeforePassage() const;

    std::string_view PrimaryTopicName() const;
    std::string_view SecondaryTopicName() const;
    std::string_view TransName() const;

    // What the Edit Passage dialog saves for a passage.
    struct Values {
        std::uint32_t key = 0;
        int ctxLines = 0;
        int psgLines = 0;
        int vCount = 0;
        int psgStart = 0;
        int psgEnd = 0;
        int hintStart = 0;
        int hintEnd = 0;
        int primaryTopic = 0;
        int secondaryTopic = 0;
        int trans = 0;
        std::string context;
        std::string keyText; // the key text the dialog built ("%08u%c_")
    };
    // Stores the values, then parses their key text, measures the context as the passage files
    // will hold it and rebuilds the references, so that the record is what the next start reads
    // back. freq, prog and baseline are kept.
    void SetAll(const Values& values);
    // The values SetAll would take to leave the record as it is, with the key text the Edit
    // Passage dialog builds for it.
    Values GetValues() const;

    // Fills a fresh record (whose baseline flag the caller has set) from one element line of a
    // passage file. A damaged line is reported through messages and gives Status::Fatal.
    Status ParseElement(std::string_view line, IMessageSink& messages);

    // The element line of this record for the user file, ending in CR LF.
    std::string ElementLine() const;
    // Appends the element line to out: a save writes every user passage into one text.
    void AppendElement(std::string& out) const;

    // Derives where the context starts from the key, vCount and the context measures.
    void BuildReferences();

    // What the record derives from its stored values: the sort keys and the verse from the key
    // text (ParseKeyText), the context measures from the context (ParseElement, SetAll) and where
    // the context starts from all of them (BuildReferences). The reference texts are made from
    // them when asked for: they are shown a few at a time, and kept for every passage they would
    // cost the start-up more than they save.
    std::uint32_t MatchKey() const { return matchKey_; } // sortKey with bit 0 cleared
    // book<<23 + chapter<<15 + verse<<7 + (trans + 1)<<1 + baseline
    std::int32_t SortKey() const { return sortKey_; }
    int Book() const { return book_; }
    int Chapter() const { return chapter_; }
    int FirstVerse() const { return firstVerse_; }
    std::string Reference() const;             // "John 3:16"
    std::string ContextReference() const;      // "John 3:14-18"
    std::string ContextStartReference() const; // "John 3:14"
    std::string PassageReference() const;      // "John 3:16-17"
    int ContextStartKey() const { return contextStartKey_; }
    int ContextFirstVerse() const { return contextFirstVerse_; }
    int ContextLastVerse() const { return contextLastVerse_; }
    int ContextLineCount() const {
        return contextLineCount_;
    } // a paragraph break counts as one break
    int VersesBeforePassage() const { return versesBeforePassage_; }

private:
    void ComputeSortKey();
    // Measures and unescapes the context as it stands in a file line.
    void TakeEscapedContext(std::string_view escaped);
    // The context measures of the context held, taken from it as the files write it.
    void MeasureContext();
    void ReadFirstVerse(std::string_view escaped);
    void ReadLastVerse(std::string_view escaped, std::size_t lastBackslash);

    // The passage's last verse, and the chapters in which its context starts and ends.
    int LastVerse() const;
    int ContextStartChapter() const;
    int ContextEndChapter() const;

    std::uint32_t matchKey_ = 0; // same VerseKey, same matchKey
    std::int32_t sortKey_ = 0;
    int book_ = 1;
    int chapter_ = 1;
    int firstVerse_ = 1;
    int contextStartKey_ = 0;
    int contextFirstVerse_ = 1;
    int contextLastVerse_ = 1;
    int contextLineCount_ = 1;
    int versesBeforePassage_ = 0;
};

// A range of text by offset and length, cut to the text: a start outside it or a negative length
// gives an empty text.
std::string_view TextRange(std::string_view text, int start, int length);

// Context escaping of the passage file: CR LF becomes backslash n, quotation marks and apostrophes
// become entities. A lone LF is written as backslash n too, since a raw one would end the line.
void AppendEscapedContext(std::string& out, std::string_view context);
