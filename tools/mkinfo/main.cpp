// SPDX-License-Identifier: GPL-2.0-or-later
// mkinfo builds the bundled passage collection RctInfo.xml from the passage
// list (passages.txt) and the verse texts extracted from the Bible modules
// (verses.txt). The output depends only on those two files and on the
// sans-serif font the line counts are measured in, so rerunning it gives the
// same bytes.
//
// Usage: mkinfo passages.txt verses.txt RctInfo.xml
//        mkinfo --extract passages.txt verses.txt
//            writes verses.txt from the installed Bible modules

#include "DialogUnits.h"
#include "DisplayLines.h"
#include "FileFormat.h"
#include "Passage.h"
#include "PassageCheck.h"
#include "PassageStore.h"
#include "SwordBible.h"
#include "TextEncoding.h"
#include "TextFormat.h"
#include "Win1252.h"

#include <QFile>
#include <QFontInfo>
#include <QGuiApplication>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

constexpr int kRecordTrans = -1;
const QString kLineBreak = QStringLiteral("\r\n");
const QString kParagraphBreak = QStringLiteral("\r\n\r\n");

struct Translation {
    int number;
    QString abbrev;
};

// The two translations every passage is generated in.
const Translation kKjv{3, QStringLiteral("KJV")};
const Translation kWeb{32, QStringLiteral("WEB")};

// Context records are written in the WEB wording: its modern English helps
// the reader of either translation follow the surrounding verses, and each
// block of record text carries the label "WEB" so that the KJV passages never
// seem to stand in a KJV context.
const Translation& kRecordWording = kWeb;

enum class Sharing { None, Around, Before, After };

// The most verses a context holds on either side of its passage.
constexpr int kWidestSpan = 3;

struct PassageEntry {
    int book = 0;
    int chapter = 0;
    int first = 0;
    int last = 0;
    int primaryTopic = 0;
    int secondaryTopic = 0;
    Sharing sharing = Sharing::None;
    int lineNumber = 0;
};

struct VerseLine {
    int chapter = 0;
    int verse = 0;
    QString text;
};

struct Window {
    std::vector<VerseLine> before;
    std::vector<VerseLine> passage;
    std::vector<VerseLine> after;
};

// One element of the file while it is built: the values the passage record writes, with the
// context held as text until then (values.context stays empty so far).
struct Element {
    const PassageEntry* entry = nullptr; // the passage it is made for, named in messages
    CPassage::Values values;
    QString context;
};

[[noreturn]] void Fail(const QString& message) {
    std::fprintf(stderr, "mkinfo: %s\n", qPrintable(message));
    std::exit(1);
}

QString ReadUtf8File(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        Fail(QStringLiteral("cannot read %1").arg(path));
    return QString::fromUtf8(file.readAll());
}

class VerseSource {
public:
    explicit VerseSource(const QString& path) {
        const QStringList lines = ReadUtf8File(path).split(QLatin1Char('\n'));
        for (const QString& line : lines) {
            if (line.isEmpty())
                continue;
            const QStringList f = line.split(QLatin1Char(' '));
            if (f.size() >= 5 && f[0] == QLatin1String("C")) {
                chapterLength_[{f[1], f[2].toInt(), f[3].toInt()}] = f[4].toInt();
            } else if (f.size() >= 6 && f[0] == QLatin1String("V")) {
                const int skip =
                    f[0].size() + f[1].size() + f[2].size() + f[3].size() + f[4].size() + 5;
                verses_[{f[1], f[2].toInt(), f[3].toInt(), f[4].toInt()}] = line.mid(skip);
            } else {
                Fail(QStringLiteral("bad line in %1: %2").arg(path, line));
            }
        }
    }

    // Verses in the chapter, 0 when the chapter is not known.
    int ChapterLength(const QString& abbrev, int book, int chapter) const {
        const auto it = chapterLength_.find({abbrev, book, chapter});
        return it == chapterLength_.end() ? 0 : it->second;
    }

    QString Text(const QString& abbrev, int book, int chapter, int verse) const {
        const auto it = verses_.find({abbrev, book, chapter, verse});
        if (it == verses_.end() || it->second.trimmed().isEmpty())
            Fail(QStringLiteral("no text for %1 %2 %3:%4 (rerun make_info.sh?)")
                     .arg(abbrev)
                     .arg(book)
                     .arg(chapter)
                     .arg(verse));
        return it->second;
    }

private:
    std::map<std::tuple<QString, int, int>, int> chapterLength_;
    std::map<std::tuple<QString, int, int, int>, QString> verses_;
};

// The passage as messages name it: book, chapter and first verse.
QString Where(const PassageEntry& entry) {
    return QStringLiteral("%1:%2:%3").arg(entry.book).arg(entry.chapter).arg(entry.first);
}

bool TooLong(const QString& context) {
    return std::size_t(context.size()) > CPassageCheck::kMaxContext;
}

std::vector<PassageEntry> ReadPassages(const QString& path) {
    std::vector<PassageEntry> entries;
    const QStringList lines = ReadUtf8File(path).split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].section(QLatin1Char('#'), 0, 0).simplified();
        if (line.isEmpty())
            continue;
        const QStringList f = line.split(QLatin1Char(' '));
        if (f.size() != 6 && f.size() != 7)
            Fail(QStringLiteral("%1:%2: expected 6 or 7 fields").arg(path).arg(i + 1));
        PassageEntry entry;
        entry.book = f[0].toInt();
        entry.chapter = f[1].toInt();
        entry.first = f[2].toInt();
        entry.last = f[3].toInt();
        entry.primaryTopic = f[4].toInt();
        entry.secondaryTopic = f[5].toInt();
        entry.lineNumber = i + 1;
        if (f.size() == 7) {
            if (f[6] == QLatin1String("around"))
                entry.sharing = Sharing::Around;
            else if (f[6] == QLatin1String("before"))
                entry.sharing = Sharing::Before;
            else if (f[6] == QLatin1String("after"))
                entry.sharing = Sharing::After;
            else
                Fail(QStringLiteral("%1:%2: unknown sharing %3").arg(path).arg(i + 1).arg(f[6]));
        }
        const bool bookOk =
            (entry.book >= 1 && entry.book <= 39) || (entry.book >= 51 && entry.book <= 77);
        // Topics 56 and 57 are kept for the user's own use.
        const bool topicsOk = entry.primaryTopic >= 1 && entry.primaryTopic <= 55 &&
                              entry.secondaryTopic >= 1 && entry.secondaryTopic <= 55;
        if (!bookOk || entry.chapter < 1 || entry.chapter > 150 || entry.first < 1 ||
            entry.last < entry.first || entry.last - entry.first > 3 || entry.last > 176 ||
            !topicsOk)
            Fail(QStringLiteral("%1:%2: passage out of range").arg(path).arg(i + 1));
        entries.push_back(entry);
    }
    return entries;
}

// The passage with two or three verses on either side: three around passages
// of one or two verses, two around longer ones. The context may run into the
// neighbouring chapter, but only where the verse numbers still let the
// program tell that it does: a context that begins in the previous chapter
// must begin with a verse number above the passage's first verse, and one
// that ends in the next chapter must end with a number below the passage's
// last verse. A book's first and last verses simply have fewer neighbours.
Window BuildWindow(const VerseSource& source, const QString& abbrev, const PassageEntry& entry) {
    Window window;
    const int span = entry.last - entry.first + 1 <= 2 ? kWidestSpan : kWidestSpan - 1;
    const int chapterLength = source.ChapterLength(abbrev, entry.book, entry.chapter);
    if (chapterLength < entry.last)
        Fail(QStringLiteral("line %1: chapter has only %2 verses")
                 .arg(entry.lineNumber)
                 .arg(chapterLength));

    for (int v = entry.first; v <= entry.last; ++v)
        window.passage.push_back(
            {entry.chapter, v, source.Text(abbrev, entry.book, entry.chapter, v)});

    int c = entry.chapter;
    int v = entry.first - 1;
    while (int(window.before.size()) < span) {
        if (v < 1) {
            const int previousLength = source.ChapterLength(abbrev, entry.book, c - 1);
            if (c != entry.chapter || previousLength == 0)
                break;
            --c;
            v = previousLength;
        }
        window.before.push_back({c, v, source.Text(abbrev, entry.book, c, v)});
        --v;
    }
    std::reverse(window.before.begin(), window.before.end());
    if (!window.before.empty() && window.before.front().chapter != entry.chapter &&
        window.before.front().verse <= entry.first)
        std::erase_if(window.before,
                      [&](const VerseLine& l) { return l.chapter != entry.chapter; });

    c = entry.chapter;
    v = entry.last + 1;
    while (int(window.after.size()) < span) {
        if (v > source.ChapterLength(abbrev, entry.book, c)) {
            if (c != entry.chapter || source.ChapterLength(abbrev, entry.book, c + 1) == 0)
                break;
            ++c;
            v = 1;
        }
        window.after.push_back({c, v, source.Text(abbrev, entry.book, c, v)});
        ++v;
    }
    if (!window.after.empty() && window.after.back().chapter != entry.chapter &&
        window.after.back().verse >= entry.last)
        std::erase_if(window.after, [&](const VerseLine& l) { return l.chapter != entry.chapter; });
    return window;
}

// Appends verse lines, one verse per line beginning with its number; a blank
// line marks where a new chapter starts.
class TextBuilder {
public:
    // Returns the offset at which the first appended line begins.
    int Append(const std::vector<VerseLine>& lines) {
        int start = -1;
        for (const VerseLine& line : lines) {
            if (lastChapter_ != 0) {
                text_ += kLineBreak;
                if (line.chapter != lastChapter_)
                    text_ += kLineBreak;
            }
            if (start < 0)
                start = int(text_.size());
            text_ += QString::number(line.verse) + QLatin1Char(' ') + line.text;
            lastChapter_ = line.chapter;
        }
        return start;
    }
    const QString& Text() const { return text_; }

private:
    QString text_;
    int lastChapter_ = 0;
};

QString JoinLines(const std::vector<VerseLine>& lines) {
    TextBuilder builder;
    builder.Append(lines);
    return builder.Text();
}

// A place where a hint is looked up: the program finds a hint by its first
// occurrence in the whole context, so that occurrence must be the one inside
// the passage. `shift` is where the element's own text starts in `context`.
struct HintCheck {
    QString context;
    int shift;
};

// Picks the hint: the opening words of the passage (four, or five when they
// are short), lengthened until the first occurrence in every context the
// element is shown in is the one in the passage. When the words alone are
// never unique, the hint starts with the verse number.
void ChooseHint(Element& e, int wordsStart, const std::vector<HintCheck>& checks) {
    const QString& ctx = e.context;
    CPassage::Values& v = e.values;
    int lineEnd = ctx.indexOf(kLineBreak, v.psgStart);
    if (lineEnd < 0 || lineEnd > v.psgEnd)
        lineEnd = v.psgEnd;

    auto tryFrom = [&](int start, int minWords) -> bool {
        std::vector<int> wordEnds;
        for (int i = start; i < lineEnd; ++i)
            if (ctx[i] != QLatin1Char(' ') && (i + 1 == lineEnd || ctx[i + 1] == QLatin1Char(' ')))
                wordEnds.push_back(i + 1);
        // A verse of fewer words than wanted is its own hint.
        minWords = std::min(minWords, int(wordEnds.size()));
        for (int k = std::max(minWords, 1); k <= int(wordEnds.size()); ++k) {
            int end = wordEnds[k - 1];
            while (end > start && QStringLiteral(",;:").contains(ctx[end - 1]))
                --end;
            if (end - start < 2)
                continue;
            if (k == minWords && k < int(wordEnds.size()) && end - start < 15)
                continue; // four short words make a thin hint; take five
            const QString hint = ctx.mid(start, end - start);
            const bool firstEverywhere =
                std::all_of(checks.begin(), checks.end(), [&](const HintCheck& c) {
                    return c.context.indexOf(hint) == c.shift + start;
                });
            if (firstEverywhere) {
                v.hintStart = start;
                v.hintEnd = end;
                return true;
            }
        }
        return false;
    };
    if (tryFrom(wordsStart, 4) || tryFrom(v.psgStart, 3))
        return;
    Fail(QStringLiteral("no unique hint for %1").arg(Where(*e.entry)));
}

// Where the words of a passage start: after its leading verse number (and the
// translation label of a context record).
int WordsStart(const QString& text, int psgStart) {
    int i = psgStart;
    while (i < text.size() && text[i] != QLatin1Char(' ')) {
        if (text[i].isLetter()) {
            i = text.indexOf(QLatin1Char(' '), i) + 1;
            continue;
        }
        ++i;
    }
    return i + 1;
}

// The context that the program builds at load time for an element that only
// holds its own text, from the verse's context record.
QString AssembleSharedContext(const Element& record, const QString& abbrev, const QString& own,
                              int* prefixLength) {
    const CPassage::Values& v = record.values;
    const QString recordPassage = record.context.mid(v.psgStart, v.psgEnd - v.psgStart);
    const QString beforePassage = record.context.left(v.psgStart);
    QString prefix;
    QString suffix;
    if (v.ctxLines == CPassageCheck::kRecordBeforeOnly) {
        prefix = recordPassage + kParagraphBreak + abbrev + QLatin1Char(' ');
    } else if (v.ctxLines == CPassageCheck::kRecordAfterOnly) {
        prefix = abbrev + QLatin1Char(' ');
        suffix = kParagraphBreak + recordPassage;
    } else {
        prefix = beforePassage + kParagraphBreak + abbrev + QLatin1Char(' ');
        suffix = kParagraphBreak + recordPassage;
    }
    *prefixLength = int(prefix.size());
    return prefix + own + suffix;
}

Element NewElement(const PassageEntry& entry, int trans) {
    Element e;
    e.entry = &entry;
    CPassage::Values& v = e.values;
    v.key = std::uint32_t(entry.book) * 1000000u + std::uint32_t(entry.chapter) * 1000u +
            std::uint32_t(entry.first);
    v.trans = trans;
    v.keyText = CPassageCheck::KeyText(v.key, trans);
    v.vCount = entry.last - entry.first + 1;
    v.primaryTopic = entry.primaryTopic;
    v.secondaryTopic = entry.secondaryTopic;
    return e;
}

void MeasurePassage(Element& e) {
    CPassage::Values& v = e.values;
    v.psgLines = CountDisplayLines(e.context.mid(v.psgStart, v.psgEnd - v.psgStart),
                                   CPassageCheck::kPassageMeasurePoints, CPassageCheck::kBoxWidth);
}

int MeasureContext(const QString& context) {
    const int lines =
        CountDisplayLines(context, CPassageCheck::kContextMeasurePoints, CPassageCheck::kBoxWidth);
    if (lines == CPassageCheck::kRecordBeforeOnly || lines == CPassageCheck::kSharedContext ||
        lines == CPassageCheck::kRecordAfterOnly)
        Fail(QStringLiteral("a measured context of %1 lines would read as a sharing marker")
                 .arg(lines));
    return lines;
}

// A passage with its own full context.
Element BuildPlain(const VerseSource& source, const PassageEntry& entry, const Translation& t) {
    Window w = BuildWindow(source, t.abbrev, entry);
    Element e = NewElement(entry, t.number);
    CPassage::Values& v = e.values;
    TextBuilder builder;
    builder.Append(w.before);
    v.psgStart = builder.Append(w.passage);
    v.psgEnd = int(builder.Text().size());
    builder.Append(w.after);
    e.context = builder.Text();
    if (TooLong(e.context))
        Fail(QStringLiteral("line %1: context too long").arg(entry.lineNumber));
    v.ctxLines = MeasureContext(e.context);
    MeasurePassage(e);
    ChooseHint(e, WordsStart(e.context, v.psgStart), {{e.context, 0}});
    return e;
}

// The context record of a shared verse, holding the surrounding verses once.
Element BuildRecord(const VerseSource& source, const PassageEntry& entry) {
    const Translation& t = kRecordWording;
    const Window w = BuildWindow(source, t.abbrev, entry);
    const QString label = t.abbrev + QLatin1Char(' ');
    Element e = NewElement(entry, kRecordTrans);
    CPassage::Values& v = e.values;
    switch (entry.sharing) {
    case Sharing::Around: {
        // Verses before, then the verses after as the record's passage; the
        // program puts each translation's own passage between the two.
        if (w.before.empty() || w.after.empty())
            Fail(QStringLiteral("line %1: shared context needs verses on both sides")
                     .arg(entry.lineNumber));
        const QString before = label + JoinLines(w.before);
        const QString after = label + JoinLines(w.after);
        e.context = before + QLatin1Char(' ') + after;
        v.psgStart = int(before.size()) + 1;
        v.psgEnd = int(e.context.size());
        v.ctxLines = MeasureContext(e.context);
        break;
    }
    case Sharing::Before:
    case Sharing::After: {
        // Only the record's passage reaches the translations, so the record
        // can show the passage too, in its own wording: the record then reads
        // as one whole context in the maintainer's view and its references
        // name the verses it holds. Its passage must begin with the label.
        const bool before = entry.sharing == Sharing::Before;
        const std::vector<VerseLine>& shared = before ? w.before : w.after;
        if (shared.empty())
            Fail(QStringLiteral("line %1: shared context has no verses").arg(entry.lineNumber));
        if (before) {
            TextBuilder builder;
            builder.Append(w.before);
            const int sharedEnd = int(builder.Text().size());
            builder.Append(w.passage);
            e.context = label + builder.Text();
            v.psgStart = 0;
            v.psgEnd = int(label.size()) + sharedEnd;
            v.ctxLines = CPassageCheck::kRecordBeforeOnly;
        } else {
            const QString sharedBlock = label + JoinLines(shared);
            e.context = label + JoinLines(w.passage) + kParagraphBreak + sharedBlock;
            v.psgStart = int(e.context.size() - sharedBlock.size());
            v.psgEnd = int(e.context.size());
            v.ctxLines = CPassageCheck::kRecordAfterOnly;
        }
        break;
    }
    case Sharing::None:
        Fail(QStringLiteral("internal: record for an unshared passage"));
    }
    if (TooLong(e.context))
        Fail(QStringLiteral("line %1: record context too long").arg(entry.lineNumber));
    // The program reads the context's last verse number from the start of its
    // last line, so that line must not begin with a label.
    const int lastBreak = int(e.context.lastIndexOf(kLineBreak));
    if (lastBreak >= 0 && !e.context[lastBreak + 2].isDigit())
        Fail(QStringLiteral("line %1: record ends in a labelled line").arg(entry.lineNumber));
    MeasurePassage(e);
    ChooseHint(e, WordsStart(e.context, v.psgStart), {{e.context, 0}});
    return e;
}

// A translation of a shared verse: only the passage itself, the rest comes
// from the record when the program loads the file.
Element BuildShared(const VerseSource& source, const PassageEntry& entry, const Translation& t,
                    const Element& record) {
    const Window w = BuildWindow(source, t.abbrev, entry);
    Element e = NewElement(entry, t.number);
    CPassage::Values& v = e.values;
    e.context = JoinLines(w.passage);
    v.psgStart = 0;
    v.psgEnd = int(e.context.size());
    v.ctxLines = CPassageCheck::kSharedContext;
    MeasurePassage(e);
    int prefixLength = 0;
    const QString assembled = AssembleSharedContext(record, t.abbrev, e.context, &prefixLength);
    if (TooLong(assembled))
        Fail(QStringLiteral("line %1: assembled context too long").arg(entry.lineNumber));
    ChooseHint(e, WordsStart(e.context, 0), {{e.context, 0}, {assembled, prefixLength}});
    return e;
}

// The element line of the passage record, written by the record itself.
void AppendElement(std::string& out, Element& e) {
    qsizetype bad = 0;
    if (!ToWin1252(e.context, e.values.context, &bad))
        Fail(QStringLiteral("U+%1 has no Windows-1252 form")
                 .arg(int(e.context[bad].unicode()), 4, 16, QLatin1Char('0')));
    CPassage record;
    record.SetAll(e.values);
    const std::size_t start = out.size();
    record.AppendElement(out);
    if (out.size() - start - kCrLf.size() > CPassageStore::kMaxLineLength)
        Fail(QStringLiteral("element line too long for %1").arg(Where(*e.entry)));
}

// Writes verses.txt: the chapter lengths and the verse texts that the contexts can take, in both
// translations, read from the installed Bible modules by the program's own reading of them, so
// that the bundled passages and the passages users take from their Bibles read alike. Only those
// verses are kept, so that the collection can be rebuilt on a machine without the modules.
//
// Lines (UTF-8, LF):  C <trans> <book> <chapter> <verses in chapter>
//                     V <trans> <book> <chapter> <verse> <text>
void ExtractVerses(const std::vector<PassageEntry>& entries, const QString& path) {
    CSwordBible bible;
    QByteArray out;
    for (const Translation& t : {kKjv, kWeb}) {
        const auto lastVerse = [&](int book, int chapter) {
            const int last = bible.LastVerse(t.number, book, chapter);
            if (last < 0)
                Fail(QString::fromStdString(CSwordBible::WhereToGet(t.number)));
            return last;
        };
        std::set<std::pair<int, int>> chapters;
        std::set<std::tuple<int, int, int>> verses;
        for (const PassageEntry& e : entries) {
            const int last = lastVerse(e.book, e.chapter);
            chapters.insert({e.book, e.chapter});
            for (int v = std::max(1, e.first - kWidestSpan);
                 v <= std::min(last, e.last + kWidestSpan); ++v)
                verses.insert({e.book, e.chapter, v});
            // The end of the previous chapter and the start of the next, where a context may run
            // into them.
            const int previous = e.first <= kWidestSpan ? lastVerse(e.book, e.chapter - 1) : 0;
            if (previous > 0) {
                chapters.insert({e.book, e.chapter - 1});
                for (int v = std::max(1, previous - kWidestSpan + 1); v <= previous; ++v)
                    verses.insert({e.book, e.chapter - 1, v});
            }
            const int next = e.last + kWidestSpan > last ? lastVerse(e.book, e.chapter + 1) : 0;
            if (next > 0) {
                chapters.insert({e.book, e.chapter + 1});
                for (int v = 1; v <= std::min(kWidestSpan, next); ++v)
                    verses.insert({e.book, e.chapter + 1, v});
            }
        }
        const QByteArray abbrev = t.abbrev.toUtf8();
        for (const auto& [book, chapter] : chapters)
            out += "C " + abbrev + ' ' + QByteArray::number(book) + ' ' +
                   QByteArray::number(chapter) + ' ' +
                   QByteArray::number(lastVerse(book, chapter)) + '\n';
        for (const auto& [book, chapter, verse] : verses) {
            std::vector<std::string> texts;
            std::string reason;
            if (!bible.Verses(t.number, book, chapter, verse, verse, texts, reason))
                Fail(QString::fromStdString(reason));
            std::string text;
            AppendUtf8FromWin1252(text, texts.front());
            out += "V " + abbrev + ' ' + QByteArray::number(book) + ' ' +
                   QByteArray::number(chapter) + ' ' + QByteArray::number(verse) + ' ' +
                   QByteArray::fromStdString(text) + '\n';
        }
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(out) != out.size())
        Fail(QStringLiteral("cannot write %1").arg(path));
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc == 4 && std::strcmp(argv[1], "--extract") == 0) {
        ExtractVerses(ReadPassages(QString::fromLocal8Bit(argv[2])),
                      QString::fromLocal8Bit(argv[3]));
        return 0;
    }
    // Measuring needs fonts but no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4)
        Fail(QStringLiteral("usage: mkinfo passages.txt verses.txt RctInfo.xml\n"
                            "       mkinfo --extract passages.txt verses.txt"));

    const std::vector<PassageEntry> entries = ReadPassages(args[1]);
    const VerseSource source(args[2]);

    std::vector<Element> elements;
    int shared = 0;
    for (const PassageEntry& entry : entries) {
        if (entry.sharing == Sharing::None) {
            elements.push_back(BuildPlain(source, entry, kKjv));
            elements.push_back(BuildPlain(source, entry, kWeb));
        } else {
            const Element record = BuildRecord(source, entry);
            elements.push_back(record);
            elements.push_back(BuildShared(source, entry, kKjv, record));
            elements.push_back(BuildShared(source, entry, kWeb, record));
            ++shared;
        }
    }

    // The order of the store's sort key, which the program checks on loading: by VerseKey, the
    // context record (translation -1) before the translations. The store takes a VerseKey once.
    const auto verseKey = [](const Element& e) { return std::pair(e.values.key, e.values.trans); };
    std::stable_sort(elements.begin(), elements.end(),
                     [&](const Element& a, const Element& b) { return verseKey(a) < verseKey(b); });
    for (size_t i = 1; i < elements.size(); ++i)
        if (verseKey(elements[i - 1]) == verseKey(elements[i]))
            Fail(QStringLiteral("two passages share the key of %1").arg(Where(*elements[i].entry)));

    std::string out;
    out.append(kDeclaration).append(kCrLf);
    out.append("<passages count=\"");
    AppendInt(out, std::int64_t(elements.size()), 3, true);
    out.append("\" formatversion=\"");
    AppendInt(out, kFormatVersion);
    out.append("\">").append(kCrLf);
    for (Element& e : elements)
        AppendElement(out, e);
    out.append(kEndLine).append(kCrLf);

    QFile file(args[3]);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(out.data(), qint64(out.size())) != qint64(out.size()))
        Fail(QStringLiteral("cannot write %1").arg(args[3]));

    QFont contextFont = DialogFont();
    contextFont.setPointSizeF(CPassageCheck::kContextMeasurePoints);
    const QFontInfo info(contextFont);
    std::fprintf(stderr,
                 "mkinfo: %zu passages (%zu elements, %d shared verses); font %s, box %d px\n",
                 entries.size(), elements.size(), shared, qPrintable(info.family()),
                 CDialogUnits().X(CPassageCheck::kBoxWidth));
    return 0;
}
