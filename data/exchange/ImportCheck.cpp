// SPDX-License-Identifier: GPL-2.0-or-later
#include "ImportCheck.h"

#include "BiblePassage.h"
#include "HtmlText.h"
#include "PassageStore.h"
#include "RefTables.h"
#include "ReferenceParser.h"
#include "TextEncoding.h"
#include "TextScan.h"

#include <algorithm>
#include <charconv>
#include <exception>

using namespace TextScan;

namespace {

constexpr std::size_t kShownLineLength = 100;
// The kinds of column that hold a text of the entry.
constexpr std::size_t kColumnKinds = static_cast<std::size_t>(ImportColumn::Ignored);

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
        return pointSize == CPassageCheck::kContextMeasurePoints ? context_ : passage_;
    }

private:
    int context_;
    int passage_;
};

} // namespace

CImportCheck::CImportCheck(const CPassageStore& store, std::vector<IDisplayLineCounter*> lines,
                           ThreadStart start)
    : store_(store), lines_(std::move(lines)), start_(std::move(start)) {}

std::vector<std::unique_ptr<CPassage>> CImportCheck::TakePassages() {
    std::vector<std::unique_ptr<CPassage>> passages;
    passages.reserve(accepted_.size());
    for (Accepted& accepted : accepted_)
        passages.push_back(std::move(accepted.passage));
    accepted_.clear();
    return passages;
}

// ---------------------------------------------------------------------------------------------
// Texts

std::string CImportCheck::HintFromPassage(std::string_view passage) {
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

// ---------------------------------------------------------------------------------------------
// The records

void CImportCheck::Refuse(int line, int lastLine, std::string_view raw, std::string reason) {
    refused_.push_back({line, lastLine, Shortened(raw), std::move(reason)});
}

void CImportCheck::Run(const ImportTable& table, int defaultTrans) {
    accepted_.clear();
    refused_.clear();
    seenKeys_.clear();
    // Each line is read, checked and measured by one of the threads (the measure is most of the
    // work); then, in the order of the file, checked again with its measures, and looked at for
    // duplicates and room.
    const std::vector<ImportRecord>& records = table.records;
    const std::size_t count = records.size();
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
                TakeRecord(records[i], table, defaultTrans, bible_, outcome);
                if (outcome.kind != Outcome::Kind::Measure)
                    continue;
                Pending& line = outcome.pending;
                line.contextLines =
                    lines.Lines(line.entry.context, CPassageCheck::kContextMeasurePoints);
                line.passageLines =
                    lines.Lines(line.entry.passage, CPassageCheck::kPassageMeasurePoints);
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
            Refuse(records[i].line, records[i].lastLine, records[i].raw, std::move(outcome.reason));
        else if (outcome.kind == Outcome::Kind::Measure)
            Accept(outcome.pending);
    }
}

// ---------------------------------------------------------------------------------------------
// One line

void CImportCheck::TakeRecord(const ImportRecord& record, const ImportTable& table,
                              int defaultTrans, const BibleFill& bible, Outcome& outcome) {
    const std::vector<ImportColumn>& columns = table.columns;
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
    // With a Bible to take it from, the passage may be left out.
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i] == ImportColumn::Reference ||
            (columns[i] == ImportColumn::Passage && !bible.bible))
            needed = i + 1;
    if (record.fields.size() < needed) {
        outcome.Refuse("Damaged line: " + std::to_string(record.fields.size()) +
                       (record.fields.size() == 1 ? " column" : " columns") +
                       " where the reference and the passage need " + std::to_string(needed));
        return;
    }
    for (std::size_t i = columns.size(); i < record.fields.size(); ++i)
        if (!Trimmed(record.fields[i]).empty()) {
            outcome.Refuse("Damaged line: " + std::to_string(record.fields.size()) +
                           " columns where the file has " + std::to_string(columns.size()));
            return;
        }
    for (std::size_t i = 0; i < columns.size() && i < record.fields.size(); ++i) {
        const auto column = static_cast<std::size_t>(columns[i]);
        if (columns[i] == ImportColumn::Ignored || given[column])
            continue;
        fields[column] = table.html ? TextFromHtml(record.fields[i]) : record.fields[i];
        given[column] = true;
    }
    const auto field = [&fields](ImportColumn column) -> std::string& {
        return fields[static_cast<std::size_t>(column)];
    };

    std::vector<std::string> reasons;
    // The tags of an Anki note name its topics and its translation.
    std::vector<std::string_view> tags;
    {
        const std::string_view all = field(ImportColumn::Tags);
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
    std::string_view referenceText = Trimmed(field(ImportColumn::Reference));
    std::string_view transText = Trimmed(field(ImportColumn::Translation));
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

    WrittenReference reference;
    std::string reason;
    const bool referenceRead =
        !referenceText.empty() && ParseReference(referenceText, reference, reason);
    if (referenceText.empty())
        reasons.emplace_back("No reference");
    else if (!referenceRead)
        reasons.push_back(reason);
    int trans = -1;
    if (transText.empty() && defaultTrans >= 0)
        trans = defaultTrans;
    else if (transText.empty())
        reasons.emplace_back("No translation");
    else if ((trans = TransFromAbbrev(transText)) < 0)
        reasons.push_back("Unknown translation " + Quoted(transText));

    // Topics: names separated by semicolons, commas or bars; or the tags that are topics.
    int topics[2] = {0, 0};
    int topicCount = 0;
    const std::string_view topicText = Trimmed(field(ImportColumn::Topics));
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
    const auto take = [&](ImportColumn column, std::string& out) {
        Win1252FromUtf8(Trimmed(field(column)), converted, entry.unavailable);
        out = CPassageCheck::WithCrLf(converted);
    };
    take(ImportColumn::Passage, entry.passage);
    take(ImportColumn::Context, entry.context);
    take(ImportColumn::Hint, entry.hint);
    if (entry.context.empty() && !Trimmed(field(ImportColumn::Extra)).empty()) {
        // A characters' fault of a text that is not taken is none of the line's.
        std::vector<char32_t> unavailable;
        Win1252FromUtf8(Trimmed(field(ImportColumn::Extra)), converted, unavailable);
        std::string extra = CPassageCheck::WithCrLf(converted);
        if (!entry.passage.empty() && extra.find(entry.passage) != std::string::npos) {
            entry.context = std::move(extra);
            entry.unavailable.insert(entry.unavailable.end(), unavailable.begin(),
                                     unavailable.end());
        }
    }
    if (entry.passage.empty() && bible.bible && referenceRead && trans >= 0) {
        BiblePassage taken;
        if (PassageFromBible(
                *bible.bible, trans, reference.book, static_cast<int>(reference.chapter),
                static_cast<int>(reference.firstVerse), static_cast<int>(reference.lastVerse),
                bible.before, bible.after, taken, reason)) {
            entry.passage = std::move(taken.passage);
            if (entry.context.empty())
                entry.context = std::move(taken.context);
        } else
            reasons.push_back(reason);
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
    check.SetBible(bible.bible);
    if (!check.Run(entry)) {
        outcome.Refuse(JoinedProblems(check.Problems()));
        return;
    }
    outcome.kind = Outcome::Kind::Measure;
    outcome.pending = {record.line, record.lastLine, record.raw, std::move(entry), 0, 0};
}

void CImportCheck::Accept(Pending& pending) {
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
