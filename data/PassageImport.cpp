#include "PassageImport.h"

#include "HtmlText.h"
#include "PassageCheck.h"
#include "PassageStore.h"
#include "RefTables.h"
#include "TextEncoding.h"

#include <algorithm>
#include <charconv>
#include <exception>

namespace {

constexpr std::size_t kShownLineLength = 100;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string Lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           static_cast<unsigned char>(c) >= 0x80;
}

// A column number of a header line ("#tags column:5"), or 0 when it is none: no file of
// passages has more columns than this, and a larger number would only make the columns' table
// grow without bound.
constexpr int kMaxColumnNumber = 100;
int ColumnNumber(std::string_view value) {
    int number = 0;
    const std::string_view digits = Trimmed(value);
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size() || number < 1 ||
        number > kMaxColumnNumber)
        return 0;
    return number;
}

// The name of a column in a header line, or Ignored for a name that is none of them (the Anki
// note's own field names included).
struct ColumnName {
    std::string_view name;
    int column; // CPassageImport's Column
};
constexpr ColumnName kColumnNames[] = {
    {"reference", 0}, {"ref", 0},     {"verse reference", 0}, {"translation", 1},
    {"trans", 1},     {"version", 1}, {"passage", 2},         {"text", 2},
    {"verses", 2},    {"context", 3}, {"topics", 4},          {"topic", 4},
    {"hint", 5},      {"tags", 6},
};
int ColumnOfName(std::string_view name) {
    const std::string wanted = Lowered(Trimmed(name));
    for (const ColumnName& known : kColumnNames)
        if (known.name == wanted)
            return known.column;
    return -1;
}

std::string Shortened(std::string_view raw) {
    std::string shown;
    for (const char c : raw) {
        if (shown.size() >= kShownLineLength) {
            // Not inside a UTF-8 sequence.
            while (!shown.empty() && (static_cast<unsigned char>(shown.back()) & 0xC0) == 0x80)
                shown.pop_back();
            if (!shown.empty() && static_cast<unsigned char>(shown.back()) >= 0xC0)
                shown.pop_back();
            shown.append("...");
            break;
        }
        shown.push_back(c == '\t' ? ' ' : (c == '\r' || c == '\n') ? ' ' : c);
    }
    return shown;
}

bool ReadNumber(std::string_view text, std::size_t& at, std::uint32_t& value) {
    const std::size_t start = at;
    while (at < text.size() && IsDigit(text[at]))
        ++at;
    if (at == start || at - start > 6)
        return false;
    std::from_chars(text.data() + start, text.data() + at, value);
    return true;
}

// The dashes a range is written with: hyphen, en dash and em dash (UTF-8).
std::size_t DashLength(std::string_view text, std::size_t at) {
    if (at < text.size() && text[at] == '-')
        return 1;
    for (const std::string_view dash :
         {std::string_view("\xE2\x80\x93"), std::string_view("\xE2\x80\x94")})
        if (text.substr(at).starts_with(dash))
            return dash.size();
    return 0;
}

std::string Quoted(std::string_view text) {
    return std::string("\"").append(text).append("\"");
}

// A passage's reference as the preview shows it: "John 3:16-18 KJV", UTF-8.
std::string ShownReference(const CPassage& passage) {
    std::string shown;
    AppendUtf8FromWin1252(shown, passage.PassageReference());
    shown.append(" ");
    AppendUtf8FromWin1252(shown, passage.TransName());
    return shown;
}

// The separator of a file without a #separator line: of tab, bar, semicolon, colon and comma the
// one that splits the most of the first lines into the same number of columns (more than one),
// the earlier in that list where two do as well. Quoted fields are passed over as the lines are
// read. A colon between digits is a reference's chapter and verse ("John 3:16"), not a
// separator: counted, it would make every line of references two columns apart.
constexpr std::size_t kGuessLines = 10;
char GuessSeparator(std::string_view text) {
    constexpr char kCandidates[] = {'\t', '|', ';', ':', ','};
    char best = '\t';
    std::size_t bestLines = 0;
    for (const char sep : kCandidates) {
        std::vector<std::size_t> counts;
        std::size_t at = 0;
        while (at < text.size() && counts.size() < kGuessLines) {
            if (text[at] == '\n' || text[at] == '\r' || text[at] == '#') {
                // A blank line or a comment.
                const std::size_t end = text.find('\n', at);
                at = end == std::string_view::npos ? text.size() : end + 1;
                continue;
            }
            std::size_t columns = 1;
            while (at < text.size() && text[at] != '\n') {
                const bool fieldStart = at == 0 || text[at - 1] == sep || text[at - 1] == '\n';
                if (text[at] == '"' && fieldStart) {
                    std::size_t close = text.find('"', at + 1);
                    while (close != std::string_view::npos && close + 1 < text.size() &&
                           text[close + 1] == '"')
                        close = text.find('"', close + 2); // "" is a quotation mark
                    at = close == std::string_view::npos ? text.size() : close + 1;
                    continue;
                }
                if (text[at] == sep && !(sep == ':' && at > 0 && IsDigit(text[at - 1]) &&
                                         at + 1 < text.size() && IsDigit(text[at + 1])))
                    ++columns;
                ++at;
            }
            counts.push_back(columns);
            ++at;
        }
        for (const std::size_t columns : counts) {
            const auto lines =
                static_cast<std::size_t>(std::count(counts.begin(), counts.end(), columns));
            if (columns > 1 && lines > bestLines) {
                best = sep;
                bestLines = lines;
            }
        }
    }
    return best;
}

// The problems of the check, one message a line, as one reason.
std::string JoinedProblems(const std::string& problems) {
    std::string joined;
    std::size_t at = 0;
    while (at < problems.size()) {
        std::size_t end = problems.find("\r\n", at);
        if (end == std::string::npos)
            end = problems.size();
        if (end > at) {
            if (!joined.empty())
                joined.append("; ");
            std::string message;
            AppendUtf8FromWin1252(message, std::string_view(problems).substr(at, end - at));
            joined.append(message);
        }
        at = end + 2;
    }
    return joined;
}

} // namespace

CPassageImport::CPassageImport(const CPassageStore& store, IDisplayLineCounter& lines)
    : store_(store), lines_{&lines} {}

CPassageImport::CPassageImport(const CPassageStore& store, std::vector<IDisplayLineCounter*> lines,
                               ThreadStart start)
    : store_(store), lines_(std::move(lines)), start_(std::move(start)) {}

std::vector<std::unique_ptr<CPassage>> CPassageImport::TakePassages() {
    std::vector<std::unique_ptr<CPassage>> passages;
    passages.reserve(accepted_.size());
    for (Accepted& accepted : accepted_)
        passages.push_back(std::move(accepted.passage));
    accepted_.clear();
    return passages;
}

// ---------------------------------------------------------------------------------------------
// Texts

std::string CPassageImport::HintFromPassage(std::string_view passage) {
    std::size_t at = 0;
    const auto skipBlanks = [&] {
        while (at < passage.size() && (passage[at] == ' ' || passage[at] == '\t'))
            ++at;
    };
    skipBlanks();
    // A verse number standing before the words is no help as a hint.
    std::size_t afterNumber = at;
    while (afterNumber < passage.size() && IsDigit(passage[afterNumber]))
        ++afterNumber;
    if (afterNumber > at && afterNumber < passage.size() && passage[afterNumber] == ' ') {
        at = afterNumber;
        skipBlanks();
    }
    const std::size_t start = at;
    int words = 0;
    std::size_t end = at;
    while (at < passage.size() && passage[at] != '\r' && passage[at] != '\n') {
        while (at < passage.size() && !IsBlank(passage[at]))
            ++at;
        ++words;
        end = at;
        // At least two characters, as the hint must have.
        if (words >= kHintWords && end - start >= 2)
            break;
        skipBlanks();
    }
    return std::string(passage.substr(start, end - start));
}

bool CPassageImport::ParseReference(std::string_view text, Reference& reference,
                                    std::string& reason) {
    text = Trimmed(text);
    // The chapter begins at the first digit that follows a letter of the book's name.
    std::size_t chapterAt = std::string_view::npos;
    bool letterSeen = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsLetter(text[i]))
            letterSeen = true;
        else if (IsDigit(text[i]) && letterSeen) {
            chapterAt = i;
            break;
        }
    }
    if (chapterAt == std::string_view::npos) {
        reason = "Reference " + Quoted(text) + " names no chapter and verse";
        return false;
    }
    const std::string_view bookName = Trimmed(text.substr(0, chapterAt));
    reference.book = BookFromName(bookName);
    if (reference.book == 0) {
        reason = "Unknown book " + Quoted(bookName);
        return false;
    }
    const std::string_view numbers = text.substr(chapterAt);
    const std::string unreadable = "Reference " + Quoted(text) + " cannot be read";
    std::size_t at = 0;
    std::uint32_t first = 0;
    if (!ReadNumber(numbers, at, first)) {
        reason = unreadable;
        return false;
    }
    if (at < numbers.size() && (numbers[at] == ':' || numbers[at] == '.')) {
        reference.chapter = first;
        ++at;
        if (!ReadNumber(numbers, at, reference.firstVerse)) {
            reason = unreadable;
            return false;
        }
    } else if (BookHasOneChapter(reference.book)) {
        reference.chapter = 1;
        reference.firstVerse = first;
    } else {
        reason = "Reference " + Quoted(text) + " names no verse";
        return false;
    }
    reference.lastVerse = reference.firstVerse;
    if (const std::size_t dash = DashLength(numbers, at); dash > 0) {
        at += dash;
        std::uint32_t last = 0;
        if (!ReadNumber(numbers, at, last)) {
            reason = unreadable;
            return false;
        }
        if (at < numbers.size() && (numbers[at] == ':' || numbers[at] == '.')) {
            // "3:16-3:18" stays in its chapter; "3:36-4:2" does not.
            ++at;
            std::uint32_t lastOfOther = 0;
            if (!ReadNumber(numbers, at, lastOfOther)) {
                reason = unreadable;
                return false;
            }
            if (last != reference.chapter) {
                reason = "Reference " + Quoted(text) +
                         " runs into another chapter; a passage lies within one chapter";
                return false;
            }
            last = lastOfOther;
        }
        reference.lastVerse = last;
    }
    if (!Trimmed(numbers.substr(at)).empty()) {
        reason = unreadable;
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Reading

std::string CPassageImport::Decode(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 8);
    const bool utf16le = bytes.starts_with("\xFF\xFE");
    const bool utf16be = bytes.starts_with("\xFE\xFF");
    if (utf16le || utf16be) {
        encoding_ = "UTF-16";
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const auto unit = [&](std::size_t at) -> char32_t {
                const auto a = static_cast<unsigned char>(bytes[at]);
                const auto b = static_cast<unsigned char>(bytes[at + 1]);
                return utf16le ? char32_t(a | (b << 8)) : char32_t((a << 8) | b);
            };
            char32_t c = unit(i);
            if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
                const char32_t low = unit(i + 2);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                    i += 2;
                }
            }
            if (c >= 0xD800 && c <= 0xDFFF)
                c = 0xFFFD;
            AppendUtf8(text, c);
        }
        return text;
    }
    const bool bom = bytes.starts_with("\xEF\xBB\xBF");
    if (bom)
        bytes.remove_prefix(3);
    std::vector<int> win1252Lines;
    bool utf8Seen = false;
    int line = 1;
    for (std::size_t at = 0; at < bytes.size(); ++line) {
        std::size_t end = bytes.find('\n', at);
        end = end == std::string_view::npos ? bytes.size() : end + 1;
        const std::string_view piece = bytes.substr(at, end - at);
        const bool ascii =
            std::all_of(piece.begin(), piece.end(), [](char c) { return (c & 0x80) == 0; });
        if (ascii || IsValidUtf8(piece)) {
            text.append(piece);
            utf8Seen = utf8Seen || !ascii;
        } else {
            AppendUtf8FromWin1252(text, piece);
            win1252Lines.push_back(line);
        }
        at = end;
    }
    if (win1252Lines.empty())
        encoding_ = "UTF-8";
    else if (!utf8Seen && !bom)
        encoding_ = "Windows-1252";
    else {
        encoding_ = "UTF-8, with lines that are not UTF-8 read as Windows-1252 (line";
        encoding_.append(win1252Lines.size() > 1 ? "s " : " ");
        for (std::size_t i = 0; i < win1252Lines.size() && i < 10; ++i)
            encoding_.append(i > 0 ? ", " : "").append(std::to_string(win1252Lines[i]));
        encoding_.append(win1252Lines.size() > 10 ? ", ...)" : ")");
    }
    return text;
}

// The header lines of a file written for Anki, at its start: the separator, whether fields are
// HTML, the column names and the tags column. Returns where the records begin.
std::size_t CPassageImport::ReadAnkiHeader(const std::string& text) {
    std::size_t at = 0;
    std::vector<std::string> names;
    while (at < text.size() && text[at] == '#') {
        std::size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end;
        std::string_view line(text.data() + at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::size_t colon = line.find(':');
        const std::string key =
            colon == std::string_view::npos ? std::string() : Lowered(line.substr(1, colon - 1));
        const std::string_view value =
            colon == std::string_view::npos ? std::string_view() : line.substr(colon + 1);
        if (key == "separator") {
            const std::string name = Lowered(Trimmed(value));
            separator_ = name == "tab"         ? '\t'
                         : name == "comma"     ? ','
                         : name == "semicolon" ? ';'
                         : name == "pipe"      ? '|'
                         : name == "space"     ? ' '
                         : value.empty()       ? '\t'
                                               : value.front();
            separatorKnown_ = true;
            ankiFile_ = true;
        } else if (key == "html") {
            html_ = Lowered(Trimmed(value)) == "true";
            ankiFile_ = true;
        } else if (key == "columns") {
            const char separator = separatorKnown_
                                       ? separator_
                                       : (value.find('\t') != std::string_view::npos ? '\t' : ',');
            names.clear();
            std::size_t from = 0;
            for (;;) {
                const std::size_t next = value.find(separator, from);
                names.emplace_back(Trimmed(value.substr(from, next - from)));
                if (next == std::string_view::npos)
                    break;
                from = next + 1;
            }
            ankiFile_ = true;
        } else if (key == "tags column") {
            tagsColumn_ = ColumnNumber(value) - 1;
            ankiFile_ = true;
        } else if (key == "guid column" || key == "notetype column" || key == "deck column") {
            const int number = ColumnNumber(value);
            if (number >= 1) {
                if (columns_.size() < static_cast<std::size_t>(number))
                    columns_.resize(static_cast<std::size_t>(number), Column::Reference);
                columns_[static_cast<std::size_t>(number) - 1] = Column::Ignored;
                ankiIdColumns_.push_back(static_cast<std::size_t>(number) - 1);
            }
            ankiFile_ = true;
        }
        at = end < text.size() ? end + 1 : end;
    }
    if (!ankiFile_)
        return at; // comments only
    // Names that give the reference and the passage are read by name; others (the fields of a
    // note type of the user's, "Front", "Back", "Extra") leave the fields to their order.
    const auto named = [&names](Column wanted) {
        return std::any_of(names.begin(), names.end(), [wanted](const std::string& name) {
            return ColumnOfName(name) == static_cast<int>(wanted);
        });
    };
    if (named(Column::Reference) && named(Column::Passage)) {
        columns_.clear();
        for (std::size_t i = 0; i < names.size(); ++i) {
            const int column = ColumnOfName(names[i]);
            if (static_cast<int>(i) == tagsColumn_)
                columns_.push_back(Column::Tags);
            else if (column >= 0)
                columns_.push_back(static_cast<Column>(column));
            else {
                columns_.push_back(Column::Ignored);
                if (!names[i].empty())
                    ignoredColumns_.push_back(names[i]);
            }
        }
    } else {
        // The notes' fields in the order this program writes them, after the columns Anki
        // writes first (note id, note type, deck) and around the tags.
        std::vector<Column> ordered;
        constexpr Column kFields[] = {Column::Reference, Column::Hint, Column::Passage,
                                      Column::Context};
        std::size_t field = 0;
        const std::size_t count = std::max<std::size_t>(columns_.size() + std::size(kFields) + 1,
                                                        static_cast<std::size_t>(tagsColumn_ + 1));
        for (std::size_t i = 0; i < count; ++i) {
            if (i < columns_.size() && columns_[i] == Column::Ignored)
                ordered.push_back(Column::Ignored);
            else if (static_cast<int>(i) == tagsColumn_)
                ordered.push_back(Column::Tags);
            else if (field < std::size(kFields))
                ordered.push_back(kFields[field++]);
            else
                ordered.push_back(Column::Ignored);
        }
        columns_ = std::move(ordered);
        ankiFieldsByPosition_ = true;
    }
    if (tagsColumn_ >= 0 && static_cast<std::size_t>(tagsColumn_) < columns_.size())
        columns_[static_cast<std::size_t>(tagsColumn_)] = Column::Tags;
    return at;
}

std::vector<CPassageImport::Record> CPassageImport::SplitRecords(const std::string& text,
                                                                 std::size_t start) const {
    std::vector<Record> records;
    const char sep = separator_;
    std::size_t at = start;
    int line = 1 + static_cast<int>(std::count(
                       text.begin(), text.begin() + static_cast<std::ptrdiff_t>(start), '\n'));
    const auto lineEnd = [&](std::size_t from) {
        const std::size_t end = text.find('\n', from);
        return end == std::string::npos ? text.size() : end;
    };
    while (at < text.size()) {
        if (text[at] == '#') {
            // A comment line.
            at = lineEnd(at);
            at += at < text.size() ? 1 : 0;
            ++line;
            continue;
        }
        Record record;
        record.line = line;
        const std::size_t recordStart = at;
        std::string field;
        bool done = false;
        bool damaged = false;
        while (!done && !damaged) {
            field.clear();
            if (at < text.size() && text[at] == '"') {
                // A quoted field: "" is a quotation mark; it may hold separators and line breaks.
                std::size_t i = at + 1;
                bool closed = false;
                int breaks = 0;
                while (i < text.size()) {
                    if (text[i] == '"') {
                        if (i + 1 < text.size() && text[i + 1] == '"') {
                            field.push_back('"');
                            i += 2;
                            continue;
                        }
                        closed = true;
                        ++i;
                        break;
                    }
                    if (text[i] == '\n')
                        ++breaks;
                    field.push_back(text[i++]);
                }
                if (!closed) {
                    // The line is damaged; reading goes on at the next line.
                    const std::size_t end = lineEnd(recordStart);
                    record.raw = std::string_view(text).substr(recordStart, end - recordStart);
                    record.unclosedQuote = true;
                    at = end + 1;
                    damaged = true;
                    break;
                }
                if (i >= text.size() || text[i] == sep || text[i] == '\r' || text[i] == '\n') {
                    at = i;
                    line += breaks;
                } else {
                    // Text after the closing mark: the field was not quoted after all, as in a
                    // passage that begins with a quotation.
                    field.clear();
                    while (at < text.size() && text[at] != sep && text[at] != '\n' &&
                           !(text[at] == '\r' && (at + 1 >= text.size() || text[at + 1] == '\n')))
                        field.push_back(text[at++]);
                }
            } else {
                while (at < text.size() && text[at] != sep && text[at] != '\n' &&
                       !(text[at] == '\r' && (at + 1 >= text.size() || text[at + 1] == '\n')))
                    field.push_back(text[at++]);
            }
            record.fields.push_back(field);
            if (at < text.size() && text[at] == sep) {
                ++at;
                continue;
            }
            done = true;
        }
        if (!damaged) {
            record.raw = std::string_view(text).substr(recordStart, at - recordStart);
            if (at < text.size() && text[at] == '\r')
                ++at;
            if (at < text.size() && text[at] == '\n')
                ++at;
        }
        record.lastLine = line;
        ++line;
        records.push_back(std::move(record));
    }
    return records;
}

// Notes of two or three fields (Anki's basic front and back, with the extra field of a note
// type of three; written by Anki itself without the column names) are the reference with the
// translation, the passage and a text that may be its context. Notes of more fields keep the
// order this program writes.
void CPassageImport::TakeNoteFields(const Record& record) {
    std::vector<std::size_t> fields;
    for (std::size_t i = 0; i < record.fields.size(); ++i)
        if (static_cast<int>(i) != tagsColumn_ &&
            std::find(ankiIdColumns_.begin(), ankiIdColumns_.end(), i) == ankiIdColumns_.end())
            fields.push_back(i);
    if (fields.size() != 2 && fields.size() != 3)
        return;
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i] != Column::Tags)
            columns_[i] = Column::Ignored;
    if (columns_.size() < fields.back() + 1)
        columns_.resize(fields.back() + 1, Column::Ignored);
    constexpr Column kNoteFields[] = {Column::Reference, Column::Passage, Column::Extra};
    for (std::size_t i = 0; i < fields.size(); ++i)
        columns_[fields[i]] = kNoteFields[i];
}

// A first line that names the columns, the reference and the passage among them, gives their
// order; the columns of other names are not read. True when record is one.
bool CPassageImport::TakeHeader(const Record& record) {
    std::vector<Column> columns;
    std::vector<std::string> ignored;
    bool reference = false;
    bool passage = false;
    for (const std::string& name : record.fields) {
        const std::string_view trimmed = Trimmed(name);
        const int column = trimmed.empty() ? -1 : ColumnOfName(trimmed);
        if (column < 0) {
            columns.push_back(Column::Ignored);
            if (!trimmed.empty())
                ignored.emplace_back(trimmed);
            continue;
        }
        reference = reference || column == static_cast<int>(Column::Reference);
        passage = passage || column == static_cast<int>(Column::Passage);
        columns.push_back(static_cast<Column>(column));
    }
    if (!reference || !passage)
        return false;
    columns_ = std::move(columns);
    ignoredColumns_ = std::move(ignored);
    return true;
}

void CPassageImport::Refuse(int line, int lastLine, std::string_view raw, std::string reason) {
    refused_.push_back({line, lastLine, Shortened(raw), std::move(reason)});
}

void CPassageImport::Refuse(const Record& record, std::string reason) {
    Refuse(record.line, record.lastLine, record.raw, std::move(reason));
}

void CPassageImport::Read(std::string_view bytes) {
    accepted_.clear();
    refused_.clear();
    seenKeys_.clear();
    columns_.clear();
    separator_ = '\t';
    separatorKnown_ = false;
    html_ = false;
    ankiFile_ = false;
    ankiFieldsByPosition_ = false;
    ankiIdColumns_.clear();
    ignoredColumns_.clear();
    tagsColumn_ = -1;

    const std::string text = Decode(bytes);
    const std::size_t start = ReadAnkiHeader(text);
    if (!separatorKnown_)
        separator_ = GuessSeparator(std::string_view(text).substr(start));
    html_ = html_ || HoldsHtmlTags(std::string_view(text).substr(start));
    std::vector<Record> records = SplitRecords(text, start);
    std::size_t first = 0;
    // Blank lines before the first line do not count as it.
    while (first < records.size() && Trimmed(records[first].raw).empty())
        ++first;
    if (ankiFieldsByPosition_ && first < records.size())
        TakeNoteFields(records[first]);
    if (first < records.size() && !records[first].unclosedQuote && TakeHeader(records[first]))
        ++first;
    else if (columns_.empty() && first < records.size() && records[first].fields.size() == 2)
        // Question and answer, as flashcard programs export their cards.
        columns_ = {Column::Reference, Column::Passage};
    else if (columns_.empty())
        columns_ = {Column::Reference, Column::Translation, Column::Passage, Column::Context,
                    Column::Topics};
    // Each line is read, checked and measured by one of the threads (the measure is most of the
    // work); then, in the order of the file, checked again with its measures, and looked at for
    // duplicates and room.
    const std::size_t count = records.size() - first;
    std::vector<Outcome> outcomes(count);
    const std::size_t threads = std::max<std::size_t>(lines_.size(), 1);
    // A fault of a helper's share is kept until every thread has ended and then thrown here, as
    // it would be without helpers; thrown on the helper it would end the program.
    std::vector<std::exception_ptr> faults(threads);
    const auto work = [&](std::size_t thread) {
        try {
            IDisplayLineCounter& lines = *lines_[thread];
            for (std::size_t i = thread; i < count; i += threads) {
                Outcome& outcome = outcomes[i];
                TakeRecord(records[first + i], outcome);
                if (outcome.kind != Outcome::Kind::Measure)
                    continue;
                Pending& line = outcome.pending;
                line.contextLines = lines.Lines(line.entry.context, CPassageCheck::kContextPoints);
                line.passageLines = lines.Lines(line.entry.passage, CPassageCheck::kPassagePoints);
            }
        } catch (...) {
            faults[thread] = std::current_exception();
        }
    };
    {
        std::vector<std::jthread> helpers;
        helpers.reserve(threads);
        for (std::size_t thread = 1; thread < threads && thread < count; ++thread)
            helpers.push_back(StartBeside([&work, thread] { work(thread); }, start_));
        work(0);
    } // the helpers are joined here
    for (const std::exception_ptr& fault : faults)
        if (fault)
            std::rethrow_exception(fault);

    accepted_.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        Outcome& outcome = outcomes[i];
        if (outcome.kind == Outcome::Kind::Refuse)
            Refuse(records[first + i], std::move(outcome.reason));
        else if (outcome.kind == Outcome::Kind::Measure)
            Accept(outcome.pending);
    }
}

namespace {

// Gives the check no line counts yet: they are measured afterwards for the lines that pass.
class CNoLines : public IDisplayLineCounter {
public:
    int Lines(std::string_view, int) override { return 0; }
};

// The counts measured for one line, as the check asks for them.
class CMeasuredLines : public IDisplayLineCounter {
public:
    CMeasuredLines(int context, int passage) : context_(context), passage_(passage) {}
    int Lines(std::string_view, int pointSize) override {
        return pointSize == CPassageCheck::kContextPoints ? context_ : passage_;
    }

private:
    int context_;
    int passage_;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// One line

void CPassageImport::TakeRecord(const Record& record, Outcome& outcome) const {
    const bool empty = std::all_of(record.fields.begin(), record.fields.end(),
                                   [](const std::string& f) { return Trimmed(f).empty(); });
    if (record.unclosedQuote) {
        outcome.Refuse("Damaged line: a quotation mark that opens a field is never closed");
        return;
    }
    if (empty)
        return; // a blank line, or one of separators only
    if (record.raw.find('\0') != std::string_view::npos) {
        outcome.Refuse("Damaged line: it holds a NUL character");
        return;
    }

    std::string fields[kColumnKinds];
    bool given[kColumnKinds] = {};
    std::size_t needed = 0;
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i] == Column::Reference || columns_[i] == Column::Passage)
            needed = i + 1;
    if (record.fields.size() < needed) {
        outcome.Refuse("Damaged line: " + std::to_string(record.fields.size()) +
                       (record.fields.size() == 1 ? " column" : " columns") +
                       " where the reference and the passage need " + std::to_string(needed));
        return;
    }
    for (std::size_t i = columns_.size(); i < record.fields.size(); ++i)
        if (!Trimmed(record.fields[i]).empty()) {
            outcome.Refuse("Damaged line: " + std::to_string(record.fields.size()) +
                           " columns where the file has " + std::to_string(columns_.size()));
            return;
        }
    for (std::size_t i = 0; i < columns_.size() && i < record.fields.size(); ++i) {
        const auto column = static_cast<std::size_t>(columns_[i]);
        if (columns_[i] == Column::Ignored || given[column])
            continue;
        fields[column] = html_ ? TextFromHtml(record.fields[i]) : record.fields[i];
        given[column] = true;
    }
    const auto field = [&fields](Column column) -> std::string& {
        return fields[static_cast<std::size_t>(column)];
    };

    std::vector<std::string> reasons;
    // The tags of an Anki note name its topics and its translation.
    std::vector<std::string_view> tags;
    {
        const std::string_view all = field(Column::Tags);
        std::size_t at = 0;
        while (at < all.size()) {
            while (at < all.size() && IsBlank(all[at]))
                ++at;
            std::size_t end = at;
            while (end < all.size() && !IsBlank(all[end]))
                ++end;
            if (end > at) {
                std::string_view tag = all.substr(at, end - at);
                if (const std::size_t last = tag.rfind("::"); last != std::string_view::npos)
                    tag.remove_prefix(last + 2);
                tags.push_back(tag);
            }
            at = end;
        }
    }

    // The reference, with the translation after it where no column gives one.
    std::string_view referenceText = Trimmed(field(Column::Reference));
    std::string_view transText = Trimmed(field(Column::Translation));
    if (transText.empty()) {
        const std::size_t blank = referenceText.find_last_of(' ');
        if (blank != std::string_view::npos) {
            std::string_view last = referenceText.substr(blank + 1);
            if (last.size() > 2 && last.front() == '(' && last.back() == ')')
                last = last.substr(1, last.size() - 2);
            if (TransFromAbbrev(last) >= 0) {
                transText = last;
                referenceText = Trimmed(referenceText.substr(0, blank));
            }
        }
    }
    if (transText.empty())
        for (const std::string_view tag : tags)
            if (TransFromAbbrev(tag) >= 0) {
                transText = tag;
                break;
            }
    if (transText.size() > 2 && transText.front() == '(' && transText.back() == ')')
        transText = transText.substr(1, transText.size() - 2);

    Reference reference;
    std::string reason;
    const bool referenceRead =
        !referenceText.empty() && ParseReference(referenceText, reference, reason);
    if (referenceText.empty())
        reasons.emplace_back("No reference");
    else if (!referenceRead)
        reasons.push_back(reason);
    int trans = -1;
    if (transText.empty() && defaultTrans_ >= 0)
        trans = defaultTrans_;
    else if (transText.empty())
        reasons.emplace_back("No translation");
    else if ((trans = TransFromAbbrev(transText)) < 0)
        reasons.push_back("Unknown translation " + Quoted(transText));

    // Topics: names separated by semicolons, commas or bars; or the tags that are topics.
    int topics[2] = {0, 0};
    int topicCount = 0;
    const std::string_view topicText = Trimmed(field(Column::Topics));
    if (!topicText.empty()) {
        std::size_t at = 0;
        while (at <= topicText.size()) {
            const std::size_t end = std::min(topicText.find_first_of(";,|", at), topicText.size());
            const std::string_view name = Trimmed(topicText.substr(at, end - at));
            if (!name.empty()) {
                const int topic = TopicFromName(name);
                if (topic < 0)
                    reasons.push_back("Unknown topic " + Quoted(name));
                else if (topicCount == 2) {
                    reasons.emplace_back("More than two topics");
                    break;
                } else
                    topics[topicCount++] = topic;
            }
            at = end + 1;
        }
    } else
        for (const std::string_view tag : tags) {
            const int topic = TopicFromName(tag);
            if (topic > 0 && topicCount < 2 && (topicCount == 0 || topics[0] != topic))
                topics[topicCount++] = topic;
        }

    // The texts, in the passage files' characters.
    CPassageCheck::Entry entry;
    std::string converted;
    const auto take = [&](Column column, std::string& out) {
        Win1252FromUtf8(Trimmed(field(column)), converted, entry.unavailable);
        out = CPassageCheck::WithCrLf(converted);
    };
    take(Column::Passage, entry.passage);
    take(Column::Context, entry.context);
    take(Column::Hint, entry.hint);
    if (entry.context.empty() && !Trimmed(field(Column::Extra)).empty()) {
        // A characters' fault of a text that is not taken is none of the line's.
        std::vector<char32_t> unavailable;
        Win1252FromUtf8(Trimmed(field(Column::Extra)), converted, unavailable);
        std::string extra = CPassageCheck::WithCrLf(converted);
        if (!entry.passage.empty() && extra.find(entry.passage) != std::string::npos) {
            entry.context = std::move(extra);
            entry.unavailable.insert(entry.unavailable.end(), unavailable.begin(),
                                     unavailable.end());
        }
    }
    if (entry.context.empty())
        entry.context = entry.passage;
    if (entry.hint.empty())
        entry.hint = HintFromPassage(entry.passage);

    if (!reasons.empty()) {
        std::string joined;
        for (const std::string& part : reasons)
            joined.append(joined.empty() ? "" : "; ").append(part);
        outcome.Refuse(std::move(joined));
        return;
    }

    entry.bookPosition = ListPositionFromBook(reference.book);
    entry.chapter = reference.chapter;
    entry.firstVerse = reference.firstVerse;
    entry.lastVerse = reference.lastVerse;
    entry.trans = trans;
    entry.primaryTopic = topics[0];
    entry.secondaryTopic = topics[1];
    CNoLines noLines;
    CPassageCheck check(noLines, false);
    if (!check.Run(entry)) {
        outcome.Refuse(JoinedProblems(check.Problems()));
        return;
    }
    outcome.kind = Outcome::Kind::Measure;
    outcome.pending = {record.line, record.lastLine, record.raw, std::move(entry), 0, 0};
}

void CPassageImport::Accept(Pending& pending) {
    // With the counts measured the check gives what the Edit Passage dialog would save; a record
    // line that the counts make too long is refused as there.
    CMeasuredLines lines(pending.contextLines, pending.passageLines);
    CPassageCheck check(lines, false);
    if (!check.Run(pending.entry)) {
        Refuse(pending.line, pending.lastLine, pending.raw, JoinedProblems(check.Problems()));
        return;
    }
    const auto refuse = [&pending, this](std::string reason) {
        Refuse(pending.line, pending.lastLine, pending.raw, std::move(reason));
    };
    auto passage = std::make_unique<CPassage>();
    passage->SetAll(check.Values());
    // A duplicate is named by the reference of the passage it repeats, which may span other
    // verses than this line's.
    if (const int held = store_.Find(passage->MatchKey()); held >= 0) {
        refuse("Duplicate: the collection already holds " + ShownReference(store_.Passage(held)));
        return;
    }
    if (const auto seen = seenKeys_.find(passage->MatchKey()); seen != seenKeys_.end()) {
        const Accepted& earlier = accepted_[seen->second];
        refuse("Duplicate: line " + std::to_string(earlier.line) + " gives " + earlier.reference +
               " already");
        return;
    }
    if (static_cast<int>(accepted_.size()) + store_.UserCount() >= CPassageStore::kMaxPassages) {
        refuse("The user file is full: it holds at most " +
               std::to_string(CPassageStore::kMaxPassages) + " passages");
        return;
    }
    seenKeys_.emplace(passage->MatchKey(), accepted_.size());
    accepted_.push_back({pending.line, ShownReference(*passage), std::move(passage)});
}
