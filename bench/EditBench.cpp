// SPDX-License-Identifier: GPL-2.0-or-later
// Benchmarks of editing passages: the check the Edit Passage dialog runs after every key press, at
// a context of the largest length with the passage and the hint near its end, and saving an
// added passage into a collection at the files' maximum size, until the tree is rebuilt and the
// window repainted.
//
// The collection is generated with 15,000 baseline and 14,999 user passages and no revisions, so
// that the added passage makes it 30,000 (and the user file full). The windows run on the
// offscreen platform: the figures hold the painting into the backing store but not the display
// server's share.

#include "BenchSupport.h"
#include "DisplayLines.h"
#include "EditPassageDlg.h"
#include "MainDlg.h"
#include "MemorySettings.h"
#include "PassageCheck.h"
#include "PassageStore.h"
#include "Platform.h"
#include "Preferences.h"
#include "QtBenchRun.h"
#include "RefTables.h"
#include "SyntheticCollection.h"
#include "Win1252.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram = "recitor_edit_bench";

[[noreturn]] void Fail(const std::string& what) {
    BenchFail(kProgram, what);
}

struct SEditBench {
    CFailingSink sink{kProgram};
    CMemorySettings settings;
    CSystemClock clock;
    CPreferences prefs;
    std::unique_ptr<CPassageStore> store;
    std::unique_ptr<CMainDlg> window;
    std::uint32_t freeKey = 0; // a VerseKey of book 77 in translation 32 that no passage has
    std::uint32_t freeMatchKey = 0;
};
SEditBench* gBench = nullptr;

// Verse lines of about 80 characters; the passage is the last two of them but one, the hint the
// passage's first words.
struct SLongText {
    std::string context;
    std::string passage;
    std::string hint;
};
SLongText LongText(std::size_t length) {
    SLongText text;
    int verse = 1;
    std::string lines;
    while (lines.size() + 170 < length) {
        lines += std::to_string(verse) + " and the words of verse " + std::to_string(verse) +
                 " go on as the verses of a chapter go on, line after line\r\n";
        ++verse;
    }
    text.passage = std::to_string(verse) + " Behold, the passage itself stands here near the end";
    text.hint = text.passage.substr(0, 14);
    std::string tail = "\r\n" + std::to_string(verse + 1) + " and one more verse";
    text.context = lines + text.passage + tail;
    text.context.append(length - text.context.size(), '.');
    return text;
}

// The passage the key-press benchmarks revise: a context of 2,319 characters.
const CPassage& LongPassage() {
    static const auto passage = [] {
        const SLongText text = LongText(CPassageCheck::kMaxContext - 1);
        CPassage::Values values;
        values.key = 54003016;
        values.keyText = "54003016W_";
        values.trans = 32;
        values.vCount = 1;
        values.context = text.context;
        values.psgStart = static_cast<int>(text.context.find(text.passage));
        values.psgEnd = values.psgStart + static_cast<int>(text.passage.size());
        values.hintStart = static_cast<int>(text.context.find(text.hint));
        values.hintEnd = values.hintStart + static_cast<int>(text.hint.size());
        values.primaryTopic = 18;
        auto made = std::make_unique<CPassage>();
        made->SetAll(values);
        return made;
    }();
    return *passage;
}

// One key press in a box of the open Edit dialog, through the dialog's own handling: the boxes
// are read, everything is checked, the check box and Save are updated. The presses alternate
// between two keys at the end of the box that undo each other: the context stays at 2,319 and
// 2,320 characters, the hint within the passage.
void KeystrokeIn(benchmark::State& state, int boxId, Qt::Key first, Qt::Key second) {
    CEditPassageDlg dialog(&LongPassage(), 0, *gBench->store, kTransAll);
    dialog.show();
    QCoreApplication::processEvents();
    auto* box = dialog.findChild<QPlainTextEdit*>(QString::number(boxId));
    QTextCursor cursor = box->textCursor();
    cursor.movePosition(QTextCursor::End);
    box->setTextCursor(cursor);
    auto* save = dialog.findChild<QPushButton*>(QString::number(CEditPassageDlg::kSave));
    bool typed = false;
    for (auto _ : state) {
        QTest::keyClick(box, typed ? second : first);
        typed = !typed;
    }
    if (!save->isEnabled())
        Fail("the benchmark's passage does not pass the checks: " +
             dialog.findChild<QPlainTextEdit*>(QString::number(CEditPassageDlg::kVerifyBox))
                 ->toPlainText()
                 .toStdString());
    state.counters["context"] = static_cast<double>(LongPassage().context.size());
}

void BM_KeystrokeInContext(benchmark::State& state) {
    KeystrokeIn(state, CEditPassageDlg::kContextBox, Qt::Key_X, Qt::Key_Backspace);
}
BENCHMARK(BM_KeystrokeInContext)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_KeystrokeInHint(benchmark::State& state) {
    // The hint ends in "the": its last letter goes and comes back.
    KeystrokeIn(state, CEditPassageDlg::kHintBox, Qt::Key_Backspace, Qt::Key_E);
}
BENCHMARK(BM_KeystrokeInHint)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The check on its own, with the real line measure, the context changed every time.
class CQtLines : public IDisplayLineCounter {
public:
    int Lines(std::string_view text, int pointSize) override;
};

int CQtLines::Lines(std::string_view text, int pointSize) {
    return CountDisplayLines(FromWin1252(text), pointSize, CPassageCheck::kBoxWidth);
}

void BM_CheckOnly(benchmark::State& state) {
    CPassageCheck::Entry entry;
    entry.bookPosition = 42;
    entry.chapter = 3;
    entry.firstVerse = 16;
    entry.lastVerse = 16;
    entry.trans = 32;
    const SLongText text = LongText(CPassageCheck::kMaxContext - 1);
    entry.context = text.context;
    entry.passage = text.passage;
    entry.hint = text.hint;
    CQtLines lines;
    CPassageCheck check(lines, false);
    bool typed = false;
    for (auto _ : state) {
        if (typed)
            entry.context.pop_back();
        else
            entry.context.push_back('x');
        typed = !typed;
        if (!check.Run(entry))
            Fail("the check found problems");
    }
}
BENCHMARK(BM_CheckOnly)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Save in the Add dialog, filled with a new passage of a thousand characters, until the
// passage is in the collection, the tree rebuilt and the window repainted. The passage is
// removed again between the iterations.
void BM_SaveAddedPassage(benchmark::State& state) {
    CMainDlg& window = *gBench->window;
    CPassageStore& store = *gBench->store;
    const SLongText text = LongText(1000);
    const int before = store.PassageCount();
    for (auto _ : state) {
        state.PauseTiming();
        CEditPassageDlg dialog(nullptr, 0, store, kTransAll, &window);
        const std::uint32_t key = gBench->freeKey;
        dialog.findChild<QComboBox*>(QString::number(CEditPassageDlg::kBookList))
            ->setCurrentIndex(65);
        dialog.findChild<QLineEdit*>(QString::number(CEditPassageDlg::kChapter))
            ->setText(QString::number(key / 1000 % 1000));
        for (const int id : {CEditPassageDlg::kFirstVerse, CEditPassageDlg::kLastVerse})
            dialog.findChild<QLineEdit*>(QString::number(id))->setText(QString::number(key % 1000));
        dialog.findChild<QComboBox*>(QString::number(CEditPassageDlg::kTransList))
            ->setCurrentIndex(32);
        for (const auto& [id, value] : {std::pair{CEditPassageDlg::kContextBox, &text.context},
                                        std::pair{CEditPassageDlg::kPassageBox, &text.passage},
                                        std::pair{CEditPassageDlg::kHintBox, &text.hint}})
            dialog.findChild<QPlainTextEdit*>(QString::number(id))
                ->setPlainText(QString::fromLatin1(*value).replace("\r\n", "\n"));
        auto* save = dialog.findChild<QPushButton*>(QString::number(CEditPassageDlg::kSave));
        if (!save->isEnabled())
            Fail("the added passage does not pass the checks");
        state.ResumeTiming();

        save->click();
        if (!window.TakeNewPassage(dialog.Values()))
            Fail("the passage was not added");
        QCoreApplication::processEvents();
        window.repaint();

        state.PauseTiming();
        if (store.PassageCount() != before + 1)
            Fail("the collection did not grow by one");
        if (!store.Remove(store.Find(gBench->freeMatchKey)))
            Fail("the passage could not be removed");
        state.ResumeTiming();
    }
    state.counters["passages"] = before + 1;
}
BENCHMARK(BM_SaveAddedPassage)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    CQtBenchRun run(argc, argv);
    if (!run.ArgumentsOk())
        return 1;

    SyntheticCollectionOptions options;
    options.userCount = CPassageStore::kMaxPassages - 1;
    options.revisedCount = 0;
    SyntheticCollectionInfo info;
    const fs::path root = WriteBenchCollection(kProgram, info, options);

    SEditBench bench;
    gBench = &bench;
    bench.store = std::make_unique<CPassageStore>(bench.sink, bench.settings, bench.clock, root);
    bench.prefs.Read(bench.settings);
    if (bench.store->Load() != Status::Ok)
        Fail("the collection did not load");
    for (int verse = 176; verse > 0 && !bench.freeKey; --verse) {
        const std::uint32_t key = 77150000u + static_cast<std::uint32_t>(verse);
        const CPassage probe(std::to_string(key) + "W_");
        if (bench.store->Find(probe.MatchKey()) < 0) {
            bench.freeKey = key;
            bench.freeMatchKey = probe.MatchKey();
        }
    }
    if (!bench.freeKey)
        Fail("no free VerseKey for the added passage");
    bench.window = std::make_unique<CMainDlg>(*bench.store, bench.prefs);
    bench.window->show();
    QCoreApplication::processEvents();
    bench.window->repaint();
    std::fprintf(stderr, "recitor_edit_bench: %d passages, %d user passages\n",
                 bench.store->PassageCount(), bench.store->UserCount());

    run.Run();

    bench.window.reset();
    bench.store.reset();
    std::error_code ignored;
    fs::remove_all(root, ignored);
    return 0;
}
