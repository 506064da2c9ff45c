// SPDX-License-Identifier: GPL-2.0-or-later
// Import Passages: references against the book table, the file's encodings, separators, quoting
// and header lines, each line through the Edit Passage checks with its reason when refused, and
// the bundled collection exported for Anki and read back unchanged.

#include "FlashcardExport.h"
#include "HtmlText.h"
#include "PassageCheck.h"
#include "PassageImport.h"
#include "RefTables.h"
#include "ReferenceParser.h"
#include "TestSupport.h"
#include "TextScan.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <system_error>
#include <thread>

namespace fs = std::filesystem;

namespace {

// Counts the lines of a text as its line breaks give them, and how often it was asked.
class CBreakCounter : public IDisplayLineCounter {
public:
    int Lines(std::string_view text, int pointSize) override {
        ++calls;
        lastPoints = pointSize;
        int lines = 1;
        for (std::size_t at = text.find("\r\n"); at != std::string_view::npos;
             at = text.find("\r\n", at + 2))
            ++lines;
        return lines;
    }
    int calls = 0;
    int lastPoints = 0;
};

WrittenReference Parsed(std::string_view text) {
    WrittenReference reference;
    std::string reason;
    EXPECT_TRUE(ParseReference(text, reference, reason)) << text << ": " << reason;
    return reference;
}

std::string Refusal(std::string_view text) {
    WrittenReference reference;
    std::string reason;
    EXPECT_FALSE(ParseReference(text, reference, reason)) << text;
    return reason;
}

} // namespace

TEST(ImportReferenceTest, BooksByFullNameTableNameAndAbbreviation) {
    const auto is = [](std::string_view text, int book, unsigned chapter, unsigned first,
                       unsigned last) {
        const WrittenReference r = Parsed(text);
        EXPECT_EQ(r.book, book) << text;
        EXPECT_EQ(r.chapter, chapter) << text;
        EXPECT_EQ(r.firstVerse, first) << text;
        EXPECT_EQ(r.lastVerse, last) << text;
    };
    is("John 3:16-18", 54, 3, 16, 18);
    is("1 John 4:8", 73, 4, 8, 8);
    is("Psalms 23:1-6", 19, 23, 1, 6);
    is("Psalm 119:11", 19, 119, 11, 11);
    is("Song of Solomon 2:4", 22, 2, 4, 4);
    is("SongOfSol 2:4", 22, 2, 4, 4);
    is("1 Corinthians 13:4", 57, 13, 4, 4);
    is("1 Cor. 13:4-7", 57, 13, 4, 7);
    is("I Cor 13:4", 57, 13, 4, 4);
    is("1Co 13:4", 57, 13, 4, 4);
    is("II Timothy 3:16", 66, 3, 16, 16);
    is("Second Kings 2:11", 12, 2, 11, 11);
    is("Deuteronomy 6:4", 5, 6, 4, 4);
    is("ISAIAH 53:5", 23, 53, 5, 5);
    is("Is 53:5", 23, 53, 5, 5);
    is("Jn 1:1", 54, 1, 1, 1);
    is("Rom 8:28\xE2\x80\x93"
       "30",
       56, 8, 28, 30); // en dash
    is("Ephesians 2:8-2:9", 60, 2, 8, 9);
    is("Jude 24-25", 76, 1, 24, 25); // a book of one chapter
    is("Philemon 6", 68, 1, 6, 6);
    is("Revelation 3.20", 77, 3, 20, 20);
    is("3 John 1:4", 75, 1, 4, 4);
}

TEST(ImportReferenceTest, UnreadableReferencesSayWhy) {
    EXPECT_EQ(Refusal("Jhon 3:16"), "Unknown book \"Jhon\"");
    EXPECT_EQ(Refusal("4 John 1:1"), "Unknown book \"4 John\"");
    EXPECT_EQ(Refusal("John 3"), "Reference \"John 3\" names no verse");
    EXPECT_EQ(Refusal("John"), "Reference \"John\" names no chapter and verse");
    EXPECT_EQ(Refusal("John 3:16a"), "Reference \"John 3:16a\" cannot be read");
    EXPECT_EQ(Refusal("John 3:"), "Reference \"John 3:\" cannot be read");
    EXPECT_EQ(Refusal("John 3:16-"), "Reference \"John 3:16-\" cannot be read");
    EXPECT_EQ(Refusal("John 99999999:1"), "Reference \"John 99999999:1\" cannot be read");
    EXPECT_EQ(Refusal("John 3:36-4:2"),
              "Reference \"John 3:36-4:2\" runs into another chapter; a passage lies within one "
              "chapter");
}

TEST(TextScanTest, HintsAndHtmlFields) {
    EXPECT_EQ(CPassageImport::HintFromPassage("For God so loved the world"), "For God so");
    EXPECT_EQ(CPassageImport::HintFromPassage("16 For God so loved"), "For God so");
    EXPECT_EQ(CPassageImport::HintFromPassage("  Jesus wept."), "Jesus wept.");
    EXPECT_EQ(CPassageImport::HintFromPassage("I am\r\nthe vine"), "I am");
    EXPECT_EQ(CPassageImport::HintFromPassage("I"), "I");
    EXPECT_EQ(TextFromHtml("a<br>b<BR />c&amp;d&lt;&#9;&#x41;&quot;&nbsp;&bogus;"),
              "a\nb\nc&d<\tA\"\xC2\xA0&bogus;");
    EXPECT_EQ(TextFromHtml("<div>one</div><div>two</div>"), "one\ntwo");
}

class ImportTest : public StoreTest {
protected:
    // Loads JohnBase (Genesis 1:1-15 KJV, John 3:15-17 NIV) and reads text, with trans for the
    // lines without a translation.
    void Import(const std::string& text, int trans = -1, IBibleSource* bible = nullptr) {
        if (!store)
            LoadJohn();
        import = std::make_unique<CPassageImport>(*store, lines);
        import->SetDefaultTranslation(trans);
        import->SetBible({bible, 2, 1});
        import->Read(text);
    }
    std::string FirstReason() const {
        return import->RefusedLines().empty() ? "" : import->RefusedLines()[0].reason;
    }
    // The reason given for the line, or "" when the line is not refused.
    std::string ReasonOf(int line) const {
        for (const auto& refused : import->RefusedLines())
            if (refused.line == line)
                return refused.reason;
        return "";
    }
    const CPassage& AcceptedAt(std::size_t i) const { return *import->AcceptedLines()[i].passage; }

    CBreakCounter lines;
    std::unique_ptr<CPassageImport> import;
};

TEST_F(ImportTest, TabSeparatedLinesWithAHeaderBecomePassagesAsTheEditDialogWouldSaveThem) {
    Import("Reference\tTranslation\tPassage\tContext\tTopics\r\n"
           "1 John 4:8\tKJV\tGod is love.\t7 Beloved, let us love. 8 He that loveth not knoweth "
           "not God; for God is love.\tLove; God\r\n"
           "Psalm 23:1\tNIV\tThe LORD is my shepherd\t\t\r\n"
           "\r\n");
    ASSERT_EQ(import->RefusedLines().size(), 0u) << import->RefusedLines()[0].reason;
    ASSERT_EQ(import->AcceptedLines().size(), 2u);
    EXPECT_EQ(import->EncodingText(), "UTF-8");
    const CPassage& love = AcceptedAt(0);
    EXPECT_EQ(import->AcceptedLines()[0].line, 2);
    EXPECT_EQ(import->AcceptedLines()[0].reference, "1 John 4:8 KJV");
    EXPECT_EQ(love.key, 73004008u);
    EXPECT_EQ(love.trans, 3);
    EXPECT_EQ(love.PassageText(), "God is love.");
    EXPECT_EQ(love.HintText(), "God is love.");
    EXPECT_EQ(love.primaryTopic, 18);
    EXPECT_EQ(love.secondaryTopic, 11);
    EXPECT_EQ(love.freq, kFreqInactive);
    // The first occurrence of the passage in the context, as the dialog finds it.
    EXPECT_EQ(love.psgStart, static_cast<int>(love.context.find("God is love.")));
    const CPassage& psalm = AcceptedAt(1);
    EXPECT_EQ(psalm.context, "The LORD is my shepherd"); // no context: the passage
    EXPECT_EQ(psalm.HintText(), "The LORD is");
    EXPECT_EQ(psalm.primaryTopic, 0);
    EXPECT_EQ(psalm.ctxLines, 1);
    EXPECT_EQ(lines.lastPoints, CPassageCheck::kPassageMeasurePoints);
}

TEST_F(ImportTest, CommaSeparatedFileAsSpreadsheetsQuoteIt) {
    Import("passage,reference,translation,context,hint\n"
           "\"\"\"Come now, let us reason together,\"\" says the LORD\",Isaiah 1:18,KJV,,says\n"
           "\"Jesus\nwept.\",John 11:35,KJV,,\n"
           "\"In the beginning\",Gen 1:1,ASV\n");
    ASSERT_EQ(import->RefusedLines().size(), 0u) << import->RefusedLines()[0].reason;
    ASSERT_EQ(import->AcceptedLines().size(), 3u);
    EXPECT_EQ(AcceptedAt(0).PassageText(), "\"Come now, let us reason together,\" says the LORD");
    EXPECT_EQ(AcceptedAt(0).HintText(), "says");
    // A line break inside a quoted field is a line break of the passage, as CR LF.
    EXPECT_EQ(AcceptedAt(1).PassageText(), "Jesus\r\nwept.");
    EXPECT_EQ(AcceptedAt(1).ctxLines, 2);
    EXPECT_EQ(import->AcceptedLines()[2].line, 5);
}

TEST_F(ImportTest, FileWithoutHeaderTakesTheUsualOrderAndAQuotationThatIsNoQuoting) {
    // The translation may follow the reference when its column is empty.
    Import("John 3:16 ASV\t\t\"For God so loved\" the world\n");
    ASSERT_EQ(import->AcceptedLines().size(), 1u) << ReasonOf(1);
    EXPECT_EQ(AcceptedAt(0).trans, 0);
    // Without a header the second column is the translation, and the passage is the third.
    Import("John 3:16\tASV\t\"For God so loved\" the world\t\tFaith\n");
    ASSERT_EQ(import->AcceptedLines().size(), 1u) << ReasonOf(1);
    EXPECT_EQ(AcceptedAt(0).PassageText(), "\"For God so loved\" the world");
    EXPECT_EQ(AcceptedAt(0).primaryTopic, 9);
}

TEST_F(ImportTest, EncodingsByByteOrderMarkOrByLine) {
    const std::string header = "reference\ttranslation\tpassage\n";
    // UTF-8 with a byte-order mark: e acute and a curly quotation mark have Windows-1252 forms.
    Import("\xEF\xBB\xBF" + header + "John 1:1\tKJV\tcaf\xC3\xA9 \xE2\x80\x9Cword\xE2\x80\x9D\n");
    ASSERT_EQ(import->AcceptedLines().size(), 1u) << ReasonOf(2);
    EXPECT_EQ(AcceptedAt(0).PassageText(), "caf\xE9 \x93word\x94");
    // Windows-1252 throughout.
    Import(header + "John 1:1\tKJV\tcaf\xE9 \x93word\x94\n");
    EXPECT_EQ(import->EncodingText(), "Windows-1252");
    ASSERT_EQ(import->AcceptedLines().size(), 1u);
    EXPECT_EQ(AcceptedAt(0).PassageText(), "caf\xE9 \x93word\x94");
    // Both in one file: each line as what it is, and the lines read otherwise are named.
    Import(header + "John 1:1\tKJV\tcaf\xC3\xA9\nJohn 1:2\tKJV\tcaf\xE9\n");
    EXPECT_EQ(import->EncodingText(),
              "UTF-8, with lines that are not UTF-8 read as Windows-1252 (line 3)");
    ASSERT_EQ(import->AcceptedLines().size(), 2u);
    EXPECT_EQ(AcceptedAt(0).PassageText(), "caf\xE9");
    EXPECT_EQ(AcceptedAt(1).PassageText(), "caf\xE9");
    // UTF-16 as a spreadsheet's "Unicode text" writes it.
    std::string utf16 = "\xFF\xFE";
    for (const char c : header + "John 1:1\tKJV\tWord\n")
        utf16.append({c, '\0'});
    Import(utf16);
    EXPECT_EQ(import->EncodingText(), "UTF-16");
    EXPECT_EQ(import->AcceptedLines().size(), 1u);
}

TEST_F(ImportTest, EveryRefusedLineSaysWhy) {
    const std::string longText(2400, 'x');
    Import("reference\ttranslation\tpassage\tcontext\ttopics\n"
           "Jhon 3:16\tKJV\tFor God\t\t\n"                // 2
           "John 3:16\tXYZ\tFor God\t\t\n"                // 3
           "John 3:16\tNIV\tFor God\t\t\n"                // 4: in the store
           "John 1:1\tKJV\tIn the beginning\t\t\n"        // 5
           "John 1:1\tKJV\tIn the beginning\t\t\n"        // 6: as line 5
           "John 1:2\tKJV\t\xD7\x90 \xE2\x86\x92 x\t\t\n" // 7: Hebrew, arrow
           "John 1:3\tKJV\t" +
           longText +
           "\t\t\n"                                       // 8
           "John 1:4\tKJV\tlife\tIn him was light\t\n"    // 9
           "John 1:5\tKJV\tlight\t\tLove; Loev\n"         // 10
           "John 1:6\tKJV\tsent\t\tLove; Grace; God\n"    // 11
           "John 1:7\tKJV\n"                              // 12
           "John 1:8\tFNIV\tHe was not\t\t\n"             // 13
           "John 1:9\tKJV\ttrue\t\t\tstray\n"             // 14
           "John 200:1\tKJV\tword\t\t\n"                  // 15
           "John 1:10\tKJV\t\"unclosed\t\t\n"             // 16
           "\tKJV\tno reference\t\t\n"                    // 17
           "John 1:11\tKJV\tHe came \\n to his own\t\t\n" // 18
           "John 1:12\tKJV\tgood\t\t\n");                 // 19
    EXPECT_EQ(ReasonOf(2), "Unknown book \"Jhon\"");
    EXPECT_EQ(ReasonOf(3), "Unknown translation \"XYZ\"");
    EXPECT_EQ(ReasonOf(4), "Duplicate: the collection already holds John 3:16-18 NIV");
    EXPECT_EQ(ReasonOf(5), "");
    EXPECT_EQ(ReasonOf(6), "Duplicate: line 5 gives John 1:1 KJV already");
    EXPECT_EQ(ReasonOf(7), "U+05D0 not available in the passage files; U+2192 not available in "
                           "the passage files");
    EXPECT_EQ(ReasonOf(8), "Context exceeds maximum length");
    EXPECT_EQ(ReasonOf(9), "Passage not found in Context");
    EXPECT_EQ(ReasonOf(10), "Unknown topic \"Loev\"");
    EXPECT_EQ(ReasonOf(11), "More than two topics");
    EXPECT_EQ(ReasonOf(12), "Damaged line: 2 columns where the reference and the passage need 3");
    EXPECT_EQ(ReasonOf(13), "Invalid translation choice");
    EXPECT_EQ(ReasonOf(14), "Damaged line: 6 columns where the file has 5");
    EXPECT_EQ(ReasonOf(15), "Chapter number must be between 1 and 150");
    EXPECT_EQ(ReasonOf(16), "Damaged line: a quotation mark that opens a field is never closed");
    EXPECT_EQ(ReasonOf(17), "No reference");
    EXPECT_EQ(ReasonOf(18), "Text \"\\n\" in the Context cannot be kept in the passage files");
    ASSERT_EQ(import->AcceptedLines().size(), 2u);
    EXPECT_EQ(import->AcceptedLines()[1].line, 19);
    // The refused line is shown as read, shortened.
    for (const auto& refused : import->RefusedLines())
        EXPECT_LE(refused.text.size(), 103u) << refused.line;
    // Nothing has changed in the store.
    EXPECT_EQ(store->PassageCount(), 18);
    EXPECT_FALSE(store->UserFileChanged());
}

TEST_F(ImportTest, AddingTakesTheLinesIntoTheStoreInOneChange) {
    LoadJohn();
    struct Counter : IStoreListener {
        void PassagesChanged() override { ++changes; }
        int changes = 0;
    } listener;
    store->SetListener(&listener);
    Import("reference\ttranslation\tpassage\n"
           "Romans 8:28\tKJV\tAll things\nGen 1:1\tNIV\tIn the beginning\nRev 22:21\tKJV\tGrace\n");
    ASSERT_EQ(import->AcceptedLines().size(), 3u);
    std::vector<std::unique_ptr<CPassage>> passages = import->TakePassages();
    EXPECT_EQ(store->AddMany(passages), 3);
    EXPECT_EQ(listener.changes, 1);
    EXPECT_EQ(store->PassageCount(), 21);
    EXPECT_EQ(store->UserCount(), 3);
    EXPECT_TRUE(store->UserFileChanged());
    for (int i = 1; i < store->PassageCount(); ++i)
        EXPECT_LT(static_cast<std::uint32_t>(store->Passage(i - 1).SortKey()),
                  static_cast<std::uint32_t>(store->Passage(i).SortKey()));
    EXPECT_GE(store->Find(CPassage("560080283\"").MatchKey()), 0);
    EXPECT_TRUE(sink.shown.empty());
    store->SetListener(nullptr);

    // What the preview did not see is still refused by the store, and the run stops there.
    auto again = NewJohn16(8);
    std::vector<std::unique_ptr<CPassage>> more;
    more.push_back(std::move(again));
    more.push_back(NewJohn16(3));
    EXPECT_EQ(store->AddMany(more), 0);
    EXPECT_NE(more[0], nullptr);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].caption, "Recitor Invalid AddPassage");
    EXPECT_EQ(store->PassageCount(), 21);
}

TEST_F(ImportTest, AFullUserFileRefusesTheLinesBeyondIt) {
    LoadJohn();
    std::string text = "reference\ttranslation\tpassage\n";
    // More lines than the user file can take.
    int lineCount = 0;
    for (int chapter = 1; chapter <= 150 && lineCount <= CPassageStore::kMaxPassages; ++chapter)
        for (int verse = 1; verse <= 101 && lineCount <= CPassageStore::kMaxPassages; ++verse) {
            text +=
                "Job " + std::to_string(chapter) + ":" + std::to_string(verse) + "\tKJV\tword\n";
            ++lineCount;
        }
    Import(text);
    EXPECT_EQ(import->AcceptedLines().size(),
              static_cast<std::size_t>(CPassageStore::kMaxPassages));
    ASSERT_EQ(import->RefusedLines().size(), 1u);
    EXPECT_EQ(import->RefusedLines()[0].reason,
              "The user file is full: it holds at most 15000 passages");
}

// The bundled collection written for Anki and read back into a store of other passages gives
// every passage again with its reference, translation, texts, marks and topics.
TEST_F(ImportTest, BundledCollectionRoundTripsThroughTheAnkiFile) {
    const fs::path res = fs::path(RECITOR_SOURCE_DIR) / "res";
    fs::copy_file(res / "RctInfo.xml", dir / "RctInfo.xml");
    Write("RctUser.xml", PassageFile({}));
    Write("RctStats.xml", StatsFile({}));
    ASSERT_EQ(Load(), Status::Ok);
    const std::vector<int> all = PassageChoice{}.Passages(*store);
    ASSERT_GT(all.size(), 100u);
    const std::string file = CFlashcardExport::Format(*store, all, CFlashcardExport::Program::Anki);
    std::unique_ptr<CPassageStore> bundled = std::move(store);

    // Into a store that has only the John passages.
    LoadJohn();
    Import(file);
    std::size_t compared = 0;
    for (const int index : all) {
        const CPassage& original = bundled->Passage(index);
        SCOPED_TRACE(original.PassageReference() + " " + std::string(original.TransName()));
        if (store->Find(original.MatchKey()) >= 0)
            continue; // the John passages are there already
        const auto found =
            std::find_if(import->AcceptedLines().begin(), import->AcceptedLines().end(),
                         [&](const CPassageImport::Accepted& a) {
                             return a.passage->MatchKey() == original.MatchKey();
                         });
        ASSERT_NE(found, import->AcceptedLines().end());
        const CPassage& copy = *found->passage;
        EXPECT_EQ(copy.key, original.key);
        EXPECT_EQ(copy.trans, original.trans);
        EXPECT_EQ(copy.vCount, original.vCount);
        EXPECT_EQ(copy.context, original.context);
        EXPECT_EQ(copy.PassageText(), original.PassageText());
        EXPECT_EQ(copy.HintText(), original.HintText());
        EXPECT_EQ(copy.psgStart, original.psgStart);
        EXPECT_EQ(copy.hintStart, original.hintStart);
        EXPECT_EQ(copy.primaryTopic, original.primaryTopic);
        if (original.secondaryTopic != original.primaryTopic) {
            EXPECT_EQ(copy.secondaryTopic, original.secondaryTopic);
        }
        ++compared;
    }
    EXPECT_EQ(import->AcceptedLines().size(), compared);
    EXPECT_EQ(import->AcceptedLines().size() + import->RefusedLines().size(), all.size());
    for (const auto& refused : import->RefusedLines())
        EXPECT_TRUE(refused.reason.starts_with("Duplicate: the collection already holds"))
            << refused.reason;
}

// Measured on several threads, each with its own counter, the lines give what one counter gives.
TEST_F(ImportTest, SeveralCountersMeasureAsOne) {
    std::string text = "reference\ttranslation\tpassage\tcontext\n";
    for (int verse = 1; verse <= 40; ++verse) {
        std::string context = "\"before";
        for (int extra = 0; extra < verse % 5; ++extra)
            context += "\nline";
        context += "\nword " + std::to_string(verse) + "\"";
        text += "Job 1:" + std::to_string(verse) + "\tKJV\tword " + std::to_string(verse) + "\t" +
                context + "\n";
    }
    Import(text);
    ASSERT_EQ(import->AcceptedLines().size(), 40u) << import->RefusedLines()[0].reason;
    std::vector<int> single;
    std::vector<int> singleLines;
    for (const auto& accepted : import->AcceptedLines()) {
        single.push_back(accepted.passage->ctxLines);
        singleLines.push_back(accepted.line);
    }

    CBreakCounter second;
    CBreakCounter third;
    CPassageImport threaded(*store, {&lines, &second, &third});
    lines.calls = 0;
    threaded.Read(text);
    ASSERT_EQ(threaded.AcceptedLines().size(), 40u);
    for (std::size_t i = 0; i < single.size(); ++i) {
        EXPECT_EQ(threaded.AcceptedLines()[i].passage->ctxLines, single[i]);
        EXPECT_EQ(threaded.AcceptedLines()[i].passage->ctxLines, 2 + static_cast<int>(i + 1) % 5);
        EXPECT_EQ(threaded.AcceptedLines()[i].line, singleLines[i]);
    }
    EXPECT_GT(lines.calls, 0);
    EXPECT_GT(second.calls, 0);
    EXPECT_GT(third.calls, 0);
}

// A helper thread that cannot be started leaves its share of the lines to the calling thread:
// every line is still read and measured, and the program goes on.
TEST_F(ImportTest, ThreadsThatCannotStartLeaveTheirLinesToTheCaller) {
    std::string text = "reference\ttranslation\tpassage\n";
    for (int verse = 1; verse <= 30; ++verse)
        text += "Job 1:" + std::to_string(verse) + "\tKJV\tword " + std::to_string(verse) + "\n";
    LoadJohn();
    CBreakCounter second;
    CBreakCounter third;
    int starts = 0;
    // The first start succeeds; the second fails as it does on a system out of threads.
    const auto start = [&starts](std::function<void()> work) {
        if (++starts > 1)
            throw std::system_error(
                std::make_error_code(std::errc::resource_unavailable_try_again));
        return std::jthread(std::move(work));
    };
    CPassageImport reader(*store, {&lines, &second, &third}, start);
    reader.Read(text);
    EXPECT_EQ(starts, 2);
    EXPECT_EQ(reader.AcceptedLines().size(), 30u);
    EXPECT_TRUE(reader.RefusedLines().empty());
    // Each counter measured the context and the passage of its ten lines.
    EXPECT_EQ(lines.calls, 20);
    EXPECT_EQ(second.calls, 20);
    EXPECT_EQ(third.calls, 20);
}

// A file Anki wrote itself: no column names, the note id, note type and deck columns first, and
// basic notes of two fields (front: reference and translation; back: the passage, in HTML).
TEST_F(ImportTest, BasicNotesExportedByAnkiItself) {
    Import("#separator:tab\n#html:true\n#guid column:1\n#notetype column:2\n#deck column:3\n"
           "#tags column:6\n"
           "a1b2\tBasic\tVerses\tPsalm 119:11 (KJV)\tThy word have I hid<br>in mine "
           "heart\tWord_of_God\n"
           "c3d4\tBasic\tVerses\tJn 11:35 KJV\tJesus wept.\t\n");
    ASSERT_EQ(import->AcceptedLines().size(), 2u) << import->RefusedLines()[0].reason;
    EXPECT_EQ(AcceptedAt(0).key, 19119011u);
    EXPECT_EQ(AcceptedAt(0).PassageText(), "Thy word have I hid\r\nin mine heart");
    EXPECT_EQ(AcceptedAt(0).primaryTopic, 43);
    EXPECT_EQ(AcceptedAt(1).PassageText(), "Jesus wept.");
}

// Column numbers in the header lines beyond any real file's columns (or not numbers at all) are
// taken as not given, instead of making a table of hundreds of millions of columns.
TEST_F(ImportTest, HeaderColumnNumbersOutOfReachAreIgnored) {
    Import("#separator:tab\n#html:true\n#tags column:333333333\n#guid column:2147483647\n"
           "#deck column:7x\n"
           "Jn 11:35 KJV\tJesus\tJesus wept.\tJesus wept.\n");
    ASSERT_EQ(import->AcceptedLines().size(), 1u) << import->RefusedLines()[0].reason;
    EXPECT_EQ(AcceptedAt(0).PassageText(), "Jesus wept.");
}

// Mnemosyne exports question and answer, tab-separated, without a header, the answer in HTML
// without saying so; the translation comes from the user's choice.
TEST_F(ImportTest, TwoColumnExportWithHtmlTakesTheChosenTranslation) {
    const std::string file =
        "John 3:16\tFor God so loved the world,<br>that he gave his only begotten Son\n"
        "Romans 8:28\t<div>And we know that all things</div><div>work together for good</div>\n"
        "Prov 3:5\t<p>Trust in the LORD &amp; lean&nbsp;not &#8212; &#x201C;unto&quot; "
        "&lt;thine&gt;</p><p><i>own</i> understanding</p>\n"
        "Jn 11:35\tJesus wept. &#x5D0;\n";
    Import(file);
    ASSERT_EQ(import->RefusedLines().size(), 4u);
    EXPECT_EQ(ReasonOf(1), "No translation");
    Import(file, 3);
    ASSERT_EQ(import->AcceptedLines().size(), 3u) << FirstReason();
    EXPECT_EQ(import->AcceptedLines()[0].reference, "John 3:16 KJV");
    EXPECT_EQ(AcceptedAt(0).PassageText(),
              "For God so loved the world,\r\nthat he gave his only begotten Son");
    EXPECT_EQ(AcceptedAt(1).PassageText(), "And we know that all things\r\nwork together for good");
    EXPECT_EQ(AcceptedAt(2).PassageText(), "Trust in the LORD & lean\xA0not \x97 \x93unto\" "
                                           "<thine>\r\nown understanding");
    EXPECT_EQ(ReasonOf(4), "U+05D0 not available in the passage files");
    // A file that says it is HTML is read as HTML even where no field holds a tag.
    Import("#html:true\nJohn 3:16 KJV\tFor God &amp; the world\n");
    ASSERT_EQ(import->AcceptedLines().size(), 1u) << FirstReason();
    EXPECT_EQ(AcceptedAt(0).PassageText(), "For God & the world");
    EXPECT_EQ(TextFromHtml("a < b<br/>c"), "a < b\nc");
}

// Anki's sample files begin with comment lines; comments may stand among the notes too.
TEST_F(ImportTest, LinesBeginningWithAHashThatAreNoHeaderAreComments) {
    Import("# Sample notes for a deck of verses\n#separator:tab\n#html:true\n"
           "# fields: reference, passage, topics\n#columns:Reference\tPassage\tTags\n"
           "#tags column:3\n"
           "John 11:35 KJV\tJesus wept.\tFaith\n"
           "# more to come\n"
           "Ps 23:1 KJV\tThe LORD is my shepherd\t\n");
    EXPECT_EQ(import->RefusedLines().size(), 0u) << FirstReason();
    ASSERT_EQ(import->AcceptedLines().size(), 2u);
    EXPECT_EQ(import->AcceptedLines()[1].line, 9);
    Import("# my verses\nJohn 11:35\tKJV\tJesus wept.\n");
    EXPECT_EQ(import->RefusedLines().size(), 0u) << FirstReason();
    EXPECT_EQ(import->AcceptedLines().size(), 1u);
}

// Without a #separator line the separator is the one that splits the first lines alike: a
// semicolon file whose passages hold commas, a bar file, a comma file with quoted fields (the
// colons of its references are no separator); a #separator line still decides.
TEST_F(ImportTest, SeparatorIsGuessedFromTheFirstLines) {
    Import("John 3:16;KJV;For God so loved the world, that he gave his only begotten Son\n"
           "Ps 23:1;KJV;\"The LORD is my shepherd; I shall not want.\"\n"
           "Rom 8:28;KJV;And we know, that all things, work together\n"
           "Prov 3:5;KJV;Trust in the LORD with all thine heart\n");
    EXPECT_EQ(import->RefusedLines().size(), 0u) << FirstReason();
    ASSERT_EQ(import->AcceptedLines().size(), 4u);
    EXPECT_EQ(AcceptedAt(1).PassageText(), "The LORD is my shepherd; I shall not want.");
    Import("Jn 11:35|KJV|Jesus wept, and wept; truly\nPs 23:1|KJV|The LORD, my shepherd\n");
    EXPECT_EQ(import->AcceptedLines().size(), 2u) << FirstReason();
    Import("Jn 11:35,KJV,\"Jesus wept, and wept\"\nPs 23:1,KJV,\"The LORD, my shepherd\"\n");
    EXPECT_EQ(import->AcceptedLines().size(), 2u) << FirstReason();
    Import("#separator:Comma\nJn 11:35 KJV,Jesus wept; truly; indeed\n");
    ASSERT_EQ(import->AcceptedLines().size(), 1u) << FirstReason();
    EXPECT_EQ(AcceptedAt(0).PassageText(), "Jesus wept; truly; indeed");
}

// A header keeps the columns it knows and leaves the others unread, naming them; so does the
// column line of an Anki file (this program's own names the note's front and back first).
TEST_F(ImportTest, HeaderColumnsOfUnknownNamesAreIgnoredAndNamed) {
    Import("Reference\tNotes\tTranslation\tPassage\tVerse\n"
           "John 11:35\tshortest\tKJV\tJesus wept.\t35\n");
    EXPECT_EQ(import->RefusedLines().size(), 0u) << FirstReason();
    EXPECT_EQ(import->AcceptedLines().size(), 1u);
    EXPECT_EQ(import->IgnoredColumns(), (std::vector<std::string>{"Notes", "Verse"}));
    Import("#separator:tab\n#html:true\n#columns:Front\tBack\tReference\tHint\tPassage\tContext"
           "\tTags\n#tags column:7\n"
           "Jn 11:35 KJV\tJesus wept.\tJohn 11:35 KJV\tJesus\tJesus wept.\tJesus wept.\tFaith\n");
    ASSERT_EQ(import->AcceptedLines().size(), 1u) << FirstReason();
    EXPECT_EQ(AcceptedAt(0).primaryTopic, 9);
    EXPECT_EQ(import->IgnoredColumns(), (std::vector<std::string>{"Front", "Back"}));
}

// Notes of a note type of three fields (front, back, extra), with or without the column names:
// the extra field is the context where the passage lies in it.
TEST_F(ImportTest, ThreeFieldNotesGiveReferencePassageAndContext) {
    const std::string notes =
        "John 3:16 (KJV)\tFor God so loved the world\t<b>16</b> For God so loved the world, "
        "that he gave\tFaith\n"
        "Ps 23:1 KJV\tThe LORD is my shepherd\tA psalm of David\t\n";
    for (const std::string header : {"#separator:tab\n#html:true\n#tags column:4\n",
                                     "#separator:tab\n#html:true\n#columns:Front\tBack\tExtra"
                                     "\tTags\n#tags column:4\n"}) {
        Import(header + notes);
        ASSERT_EQ(import->AcceptedLines().size(), 2u) << FirstReason();
        EXPECT_EQ(AcceptedAt(0).PassageText(), "For God so loved the world");
        EXPECT_EQ(AcceptedAt(0).context, "16 For God so loved the world, that he gave");
        EXPECT_EQ(AcceptedAt(0).primaryTopic, 9);
        EXPECT_EQ(AcceptedAt(1).context, "The LORD is my shepherd");
    }
}

// A later line of the same first verse is refused with the reference the earlier line gave.
TEST_F(ImportTest, DuplicateNamesTheReferenceOfTheLineItRepeats) {
    Import("John 1:1-3\tKJV\tIn the beginning\nJohn 1:1\tKJV\tIn the beginning\n");
    EXPECT_EQ(ReasonOf(2), "Duplicate: line 1 gives John 1:1-3 KJV already");
}

TEST_F(ImportTest, ReferencesWithoutAPassageTakeItFromTheBible) {
    const std::string file = "John 3:2-3 KJV\n"
                             "Romans 8:8\tKJV\t\t\tFaith\n"
                             "John 3:11\tKJV\tVerily\n"
                             "John 51:1\tKJV\tWords\n"
                             "John 3:16 ASV\n"
                             "Acts 1:8\tKJV\tOwn words\n";
    // Without a Bible such a line is refused, and the references are not looked up, as before.
    Import(file);
    EXPECT_EQ(import->AcceptedLines().size(), 3u);
    EXPECT_EQ(ReasonOf(1), "Damaged line: 1 column where the reference and the passage need 3");

    CFakeBible bible;
    Import(file, -1, &bible);
    ASSERT_EQ(import->AcceptedLines().size(), 3u) << FirstReason();
    const CPassage& john = AcceptedAt(0);
    EXPECT_EQ(john.context, "1 v1\r\n2 v2\r\n3 v3\r\n4 v4");
    EXPECT_EQ(john.PassageText(), "2 v2\r\n3 v3");
    EXPECT_EQ(john.HintText(), "v2");
    EXPECT_EQ(john.vCount, 2);
    EXPECT_EQ(AcceptedAt(1).primaryTopic, 9);
    EXPECT_EQ(AcceptedAt(1).context, "6 v6\r\n7 v7\r\n8 v8\r\n9 v9");
    EXPECT_EQ(AcceptedAt(2).PassageText(), "Own words"); // a passage given is kept
    EXPECT_EQ(ReasonOf(3), "John 3:11 is not in the KJV Bible: John 3 has 10 verses");
    EXPECT_EQ(ReasonOf(4), "John 51 is not in the KJV Bible");
    EXPECT_EQ(ReasonOf(5), "no such Bible");
}
