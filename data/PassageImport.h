#pragma once

#include "Passage.h"
#include "PassageCheck.h"
#include "StartBeside.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CPassageStore;

// Reads a text file of passages, one a line, and decides for each line whether it can be added
// to the collection, before anything is added: the preview of the Import Passages command.
//
// The file is UTF-8 or Windows-1252: a byte-order mark decides (UTF-8, or UTF-16 in either byte
// order); without one, each line that is well-formed UTF-8 is read as UTF-8 and any other line
// as Windows-1252, so that a file pieced together from both reads right. Columns are separated by
// the character that splits the first lines into the same number of columns most often (tab,
// bar, semicolon, colon, comma, preferred in that order), with fields quoted as spreadsheets
// write them. A first line naming the columns (reference, translation, passage, context, topics,
// hint, tags) gives their order, and its other columns are not read; without one the order is
// reference, translation, passage, context, topics, or reference and passage in a file of two
// columns. The header lines of a file written for Anki (#separator, #html, #columns, #tags
// column) are understood, so that such a file reads back, and notes of two or three fields
// without column names are the reference, the passage and its context; other lines beginning
// with # are comments. Fields are HTML where the file says so or holds HTML tags.
//
// Each line goes through the checks of the Edit Passage dialog, with the hint the first words of
// the passage where none is given, the context the passage where none is given, and the line
// counts measured as that dialog measures them.
class CPassageImport {
public:
    // A line that can be added, and the passage it gives.
    struct Accepted {
        int line = 0;          // the record's first line in the file, from 1
        std::string reference; // "John 3:16-18 KJV", UTF-8
        std::unique_ptr<CPassage> passage;
    };
    // A line that will not be added, and why.
    struct Refused {
        int line = 0;
        int lastLine = 0;   // the last line of a record whose quoted field spans lines
        std::string text;   // the line as read, shortened, UTF-8
        std::string reason; // UTF-8; several reasons are joined by "; "
    };

    // store is asked about duplicates and room; lines measures as the Edit Passage dialog does.
    // Both outlive the import.
    CPassageImport(const CPassageStore& store, IDisplayLineCounter& lines);
    // Measures with several counters at once, each on a thread of its own (the first on the
    // calling thread): measuring is most of an import's work. Each counter is used by one thread
    // only; there is at least one. The threads are started with start (none: std::jthread); the
    // share of one that cannot be started is read on the calling thread.
    CPassageImport(const CPassageStore& store, std::vector<IDisplayLineCounter*> lines,
                   ThreadStart start = {});

    // The translation number of the lines that give none, at the next Read; -1 (the default)
    // refuses them.
    void SetDefaultTranslation(int trans) { defaultTrans_ = trans; }

    // Reads the bytes of a file; the results below are those of the last call. What the reading
    // throws (only running out of memory) comes from this call, on the calling thread.
    void Read(std::string_view bytes);

    const std::vector<Accepted>& AcceptedLines() const { return accepted_; }
    const std::vector<Refused>& RefusedLines() const { return refused_; }
    // How the file was read: "UTF-8", "Windows-1252", "UTF-16", with a note of the lines read
    // otherwise in a file that mixes the two.
    const std::string& EncodingText() const { return encoding_; }
    // The names of the columns that the file's header names but that are not read, in file order.
    const std::vector<std::string>& IgnoredColumns() const { return ignoredColumns_; }
    // The passages that can be added, in file order; the import holds none afterwards.
    std::vector<std::unique_ptr<CPassage>> TakePassages();

    // The longest file the command reads: a full user file is far smaller.
    static constexpr std::size_t kMaxFileSize = 64u << 20;
    // Words of the passage that make the hint when the file gives none.
    static constexpr int kHintWords = 3;

    // The hint made from a passage: its first words, after a leading verse number.
    static std::string HintFromPassage(std::string_view passage);

    // A reference as it is written ("1 John 4:8", "Song of Solomon 2:4-6", "Jude 3"), parsed
    // against the book table. reason is set (UTF-8) when it cannot be read.
    struct Reference {
        int book = 0;
        std::uint32_t chapter = 0;
        std::uint32_t firstVerse = 0;
        std::uint32_t lastVerse = 0;
    };
    static bool ParseReference(std::string_view text, Reference& reference, std::string& reason);

private:
    // Extra is a note's third field: the context where the passage lies in it.
    enum class Column {
        Reference,
        Translation,
        Passage,
        Context,
        Topics,
        Hint,
        Tags,
        Extra,
        Ignored
    };
    static constexpr std::size_t kColumnKinds = static_cast<std::size_t>(Column::Ignored);
    struct Record {
        int line = 0;
        int lastLine = 0;
        std::vector<std::string> fields;
        std::string_view raw;
        bool unclosedQuote = false;
    };

    std::string Decode(std::string_view bytes);
    std::size_t ReadAnkiHeader(const std::string& text);
    std::vector<Record> SplitRecords(const std::string& text, std::size_t start) const;
    bool TakeHeader(const Record& record);
    void TakeNoteFields(const Record& record);
    // A line that passed every check but the line measure.
    struct Pending {
        int line = 0;
        int lastLine = 0;
        std::string_view raw;
        CPassageCheck::Entry entry;
        int contextLines = 0;
        int passageLines = 0;
    };

    // What reading a line gave: nothing (a blank line), a refusal, or a line to measure.
    struct Outcome {
        enum class Kind { Skip, Refuse, Measure };
        Kind kind = Kind::Skip;
        std::string reason;
        Pending pending;
        void Refuse(std::string why) {
            kind = Kind::Refuse;
            reason = std::move(why);
        }
    };

    // Reads and checks a line; safe on several threads at once.
    void TakeRecord(const Record& record, Outcome& outcome) const;
    void Accept(Pending& pending);
    void Refuse(int line, int lastLine, std::string_view raw, std::string reason);
    void Refuse(const Record& record, std::string reason);

    const CPassageStore& store_;
    std::vector<IDisplayLineCounter*> lines_;
    ThreadStart start_;
    std::vector<Accepted> accepted_;
    std::vector<Refused> refused_;
    std::string encoding_;
    char separator_ = '\t';
    bool separatorKnown_ = false;
    bool html_ = false;
    bool ankiFile_ = false;
    int tagsColumn_ = -1;                    // 0-based, from the Anki header
    bool ankiFieldsByPosition_ = false;      // an Anki header without the column names
    std::vector<std::size_t> ankiIdColumns_; // its note id, note type and deck columns
    std::vector<Column> columns_;
    std::vector<std::string> ignoredColumns_;
    int defaultTrans_ = -1;
    std::unordered_map<std::uint32_t, std::size_t> seenKeys_; // matchKey to its accepted line
};
