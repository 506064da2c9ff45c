// SPDX-License-Identifier: GPL-2.0-or-later
// Benchmarks of Check Recitation at the longest passage the Edit Passage dialog accepts (2,320
// characters, about 440 words in lines that begin with their verse numbers): the check itself
// with a recitation that is all right, one with the reference before and after it, one with a
// mistake in every few words, one typed by first letters and the longest typed text the check
// accepts; then, in the window on the offscreen platform, a key press in the typing box and a
// Check that shows the marked passage.

#include "Passage.h"
#include "PassageCheck.h"
#include "QtBenchRun.h"
#include "RecitationCheck.h"
#include "RecitationDlg.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Verses of the King James Version, taken in turn to fill the passage.
constexpr const char* kVerses[] = {
    "I waited patiently for the LORD; and he inclined unto me, and heard my cry.",
    "He brought me up also out of an horrible pit, out of the miry clay, and set my feet upon a "
    "rock, and established my goings.",
    "And he hath put a new song in my mouth, even praise unto our God: many shall see it, and "
    "fear, and shall trust in the LORD.",
    "Blessed is that man that maketh the LORD his trust, and respecteth not the proud, nor such "
    "as turn aside to lies.",
    "Many, O LORD my God, are thy wonderful works which thou hast done, and thy thoughts which are "
    "to us-ward: they cannot be reckoned up in order unto thee: if I would declare and speak of "
    "them, they are more than can be numbered.",
};

// Lines "<verse> <text>" with CR LF between them, cut at exactly the longest context's length.
std::string LongPassageText() {
    std::string text;
    for (int verse = 1; text.size() < CPassageCheck::kMaxContext; ++verse) {
        if (!text.empty())
            text += "\r\n";
        text += std::to_string(verse) + " " + kVerses[(verse - 1) % std::size(kVerses)];
    }
    text.resize(CPassageCheck::kMaxContext);
    return text;
}

// The passage's words as someone would type them: lower case, no punctuation, one line.
std::vector<std::string> Words(const std::string& passage) {
    const CRecitationCheck words(passage, passage, CRecitationCheck::Mode::kWords);
    std::vector<std::string> out;
    for (const CRecitationCheck::Word& word : words.Words())
        out.push_back(passage.substr(word.passageBegin, word.passageEnd - word.passageBegin));
    return out;
}

std::string Join(const std::vector<std::string>& words) {
    std::string out;
    for (const std::string& word : words)
        out.append(out.empty() ? "" : " ").append(word);
    return out;
}

// Every seventh word left out, every eleventh said differently, an extra one after every
// thirteenth.
std::string WithMistakes(const std::vector<std::string>& words) {
    std::vector<std::string> typed;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i % 7 == 6)
            continue;
        typed.push_back(i % 11 == 10 ? std::string("behold") : words[i]);
        if (i % 13 == 12)
            typed.push_back("verily");
    }
    return Join(typed);
}

std::string FirstLetters(const std::vector<std::string>& words) {
    std::string out;
    for (const std::string& word : words)
        out.append(out.empty() ? "" : " ").append(1, word.front());
    return out;
}

// The passage's reference, which the check holds a typed reference against.
constexpr const char* kReference = "Psalm 40:1-21";

void RunCheck(benchmark::State& state, const std::string& typed, CRecitationCheck::Mode mode) {
    const std::string passage = LongPassageText();
    int matched = 0;
    for (auto _ : state) {
        const CRecitationCheck check(passage, typed, mode, kReference);
        matched = check.Matched();
        benchmark::DoNotOptimize(matched);
    }
    const CRecitationCheck check(passage, typed, mode, kReference);
    if (check.TooLong())
        std::abort();
    state.counters["passage_chars"] = static_cast<double>(passage.size());
    state.counters["passage_words"] = check.PassageWords();
    state.counters["typed_words"] = check.TypedWords();
    state.counters["matched"] = check.Matched();
}

void BM_CheckAllRight(benchmark::State& state) {
    RunCheck(state, Join(Words(LongPassageText())), CRecitationCheck::Mode::kWords);
}
BENCHMARK(BM_CheckAllRight)->Unit(benchmark::kMillisecond);

// The reference said before and after, as people who memorise passages say it.
void BM_CheckWithReferences(benchmark::State& state) {
    RunCheck(state,
             std::string("Psalms 40:1-21 KJV\n") + Join(Words(LongPassageText())) +
                 "\nPsalm 40:1-21",
             CRecitationCheck::Mode::kWords);
}
BENCHMARK(BM_CheckWithReferences)->Unit(benchmark::kMillisecond);

void BM_CheckWithMistakes(benchmark::State& state) {
    RunCheck(state, WithMistakes(Words(LongPassageText())), CRecitationCheck::Mode::kWords);
}
BENCHMARK(BM_CheckWithMistakes)->Unit(benchmark::kMillisecond);

void BM_CheckFirstLetters(benchmark::State& state) {
    RunCheck(state, FirstLetters(Words(LongPassageText())), CRecitationCheck::Mode::kFirstLetters);
}
BENCHMARK(BM_CheckFirstLetters)->Unit(benchmark::kMillisecond);

// The most the check takes on: the longest typed text, every letter a word of its own in the
// first-letters mode.
void BM_CheckLongestTypedText(benchmark::State& state) {
    std::string typed;
    while (typed.size() < CRecitationCheck::kMaxTypedLength)
        typed += Join(Words(LongPassageText())) + " ";
    typed.resize(CRecitationCheck::kMaxTypedLength);
    RunCheck(state, typed, CRecitationCheck::Mode::kFirstLetters);
}
BENCHMARK(BM_CheckLongestTypedText)->Unit(benchmark::kMillisecond);

CPassage& LongPassage() {
    static CPassage passage;
    if (passage.context.empty()) {
        passage.context = LongPassageText();
        passage.psgEnd = static_cast<int>(passage.context.size());
        passage.vCount = 21;
        passage.ParseKeyText("190400010_"); // Psalm 40:1, so that the reference is kReference
        passage.BuildReferences();
    }
    return passage;
}

// A key press in the typing box holding a recitation of the whole passage: the two keys undo
// each other, so that the text stays as long.
void BM_KeyPressInTypingBox(benchmark::State& state) {
    CRecitationDlg dialog(LongPassage(), QBrush(Qt::white));
    dialog.show();
    QCoreApplication::processEvents();
    auto* box = dialog.findChild<QPlainTextEdit*>(QString::number(CRecitationDlg::kTypedBoxId));
    box->setPlainText(QString::fromStdString(Join(Words(LongPassageText()))));
    box->moveCursor(QTextCursor::End);
    bool typed = false;
    for (auto _ : state) {
        QTest::keyClick(box, typed ? Qt::Key_Backspace : Qt::Key_A);
        typed = !typed;
    }
    state.counters["typed_chars"] = static_cast<double>(box->toPlainText().size());
}
BENCHMARK(BM_KeyPressInTypingBox)->Unit(benchmark::kMillisecond)->UseRealTime();

// Check in the window: the typed text read, the check, the marked passage laid out in the
// result box, the summary and the suggestion, and the window painted.
void BM_CheckInWindow(benchmark::State& state) {
    CRecitationDlg dialog(LongPassage(), QBrush(Qt::white));
    dialog.show();
    QCoreApplication::processEvents();
    auto* box = dialog.findChild<QPlainTextEdit*>(QString::number(CRecitationDlg::kTypedBoxId));
    box->setPlainText(QString::fromStdString(WithMistakes(Words(LongPassageText()))));
    auto* check = dialog.findChild<QPushButton*>(QString::number(CRecitationDlg::kCheckId));
    for (auto _ : state) {
        check->click();
        dialog.repaint();
    }
    if (!dialog.Result())
        std::abort();
    state.counters["passage_words"] = dialog.Result()->PassageWords();
    state.counters["matched"] = dialog.Result()->Matched();
}
BENCHMARK(BM_CheckInWindow)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    CQtBenchRun run(argc, argv);
    if (!run.ArgumentsOk())
        return 1;
    run.Run();
    return 0;
}
