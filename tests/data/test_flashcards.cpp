// The flashcard files: Anki's header and notes, Mnemosyne's narrower two-column form held to its
// importer's rules line by line, the escapes both need, and the atomic write.

#include "AtomicFile.h"
#include "FlashcardExport.h"
#include "RefTables.h"
#include "TestSupport.h"
#include "TextEncoding.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using Program = CFlashcardExport::Program;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        lines.push_back(text.substr(at, end - at));
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t at = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', at);
        fields.push_back(line.substr(at, tab - at));
        if (tab == std::string::npos)
            return fields;
        at = tab + 1;
    }
}

// A passage whose texts hold what the files must escape: markup characters, a tab, a quotation
// mark at the start, line breaks, "&#" as typed, and a Windows-1252 curly quote and e acute.
std::unique_ptr<CPassage> AwkwardPassage() {
    const std::string context = "\"Tom & Jerry\" <b>\tsaid:\r\nfish &#9; \x93"
                                "caf\xE9\x94\r\n17 end";
    auto p = std::make_unique<CPassage>();
    p->SetAll({.key = 54003016,
               .ctxLines = 3,
               .psgLines = 2,
               .vCount = 2,
               .psgStart = 0,
               .psgEnd = static_cast<int>(context.find("17 end")),
               .hintStart = 0,
               .hintEnd = 12,
               .primaryTopic = 7,    // Day of the Lord
               .secondaryTopic = 12, // God's Faithfulness
               .trans = 14,
               .context = context,
               .keyText = "54003016"
                          "E_"});
    return p;
}

} // namespace

TEST(FlashcardFieldTest, EscapesMarkupBreaksAndTabsForEachProgram) {
    const std::string text = "a&b<c>\"d\"\te\r\nf\ng\rh\x93i\x01";
    EXPECT_EQ(CFlashcardExport::HtmlField(text, Program::Anki),
              "a&amp;b&lt;c&gt;&quot;d&quot;&#9;e<br>f<br>g<br>h\xE2\x80\x9Ci ");
    EXPECT_EQ(CFlashcardExport::HtmlField(text, Program::Mnemosyne),
              "a&amp;b&lt;c&gt;&quot;d&quot; e<br>f<br>g<br>h\xE2\x80\x9Ci ");
    // A literal "&#" as typed can never come out as "&#": its ampersand is escaped.
    EXPECT_EQ(CFlashcardExport::HtmlField("&#33267; &#x41;", Program::Mnemosyne),
              "&amp;#33267; &amp;#x41;");
}

TEST(FlashcardFieldTest, TagsHaveNoBlanksOrQuotationMarks) {
    EXPECT_EQ(CFlashcardExport::Tag("Day of the Lord"), "Day_of_the_Lord");
    EXPECT_EQ(CFlashcardExport::Tag("God's \"Faithfulness\""), "God's_Faithfulness");
    EXPECT_EQ(CFlashcardExport::Tag("InValid Trans > 35"), "InValid_Trans_>_35");
    PassageChoice choice{PassageChoice::Kind::Topic, 7};
    EXPECT_EQ(CFlashcardExport::SuggestedTag(choice), "Recitor::Day_of_the_Lord");
    choice = {PassageChoice::Kind::FrequencyClass, 1};
    EXPECT_EQ(CFlashcardExport::SuggestedTag(choice), "Recitor::Less_Frequent");
    EXPECT_EQ(CFlashcardExport::SuggestedTag({}), "Recitor");
}

TEST_F(StoreTest, AnkiFileHasItsHeaderAndOneNoteAPassage) {
    LoadJohn();
    auto awkward = AwkwardPassage();
    awkward->freq = 0;
    ASSERT_GE(store->Add(awkward), 0);
    const std::vector<int> chosen = PassageChoice{PassageChoice::Kind::Active}.Passages(*store);
    ASSERT_EQ(chosen.size(), 3u);
    const std::string text = CFlashcardExport::Format(*store, chosen, Program::Anki);
    const std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 4u + chosen.size());
    EXPECT_EQ(lines[0], "#separator:tab");
    EXPECT_EQ(lines[1], "#html:true");
    EXPECT_EQ(lines[2], "#columns:Reference\tHint\tPassage\tContext\tTags");
    EXPECT_EQ(lines[3], "#tags column:5");
    for (std::size_t i = 4; i < lines.size(); ++i) {
        SCOPED_TRACE(lines[i]);
        EXPECT_EQ(Fields(lines[i]).size(), 5u);
        EXPECT_NE(lines[i].front(), '#');                 // a comment line to Anki
        EXPECT_EQ(lines[i].find('"'), std::string::npos); // a quoted field to Anki
        EXPECT_EQ(lines[i].find('\r'), std::string::npos);
        EXPECT_TRUE(IsValidUtf8(lines[i]));
    }
    // The active passages in list order: class 0 (John 3:16 NIV and ESV), then class 1.
    const std::vector<std::string> note = Fields(lines[4]);
    const CPassage& shown = store->Passage(chosen[0]);
    EXPECT_EQ(note[0], CFlashcardExport::ReferenceText(shown));
    const std::vector<std::string> awkwardNote =
        Fields(shown.context.starts_with("\"Tom") ? lines[4] : lines[5]);
    EXPECT_EQ(awkwardNote[0], "John 3:16-17 ESV");
    EXPECT_EQ(awkwardNote[1], "&quot;Tom &amp; Jerry");
    EXPECT_EQ(awkwardNote[2], "&quot;Tom &amp; Jerry&quot; &lt;b&gt;&#9;said:<br>fish &amp;#9; "
                              "\xE2\x80\x9C"
                              "caf\xC3\xA9\xE2\x80\x9D<br>");
    EXPECT_EQ(awkwardNote[3], awkwardNote[2] + "17 end");
    EXPECT_EQ(awkwardNote[4], "Day_of_the_Lord God's_Faithfulness ESV Most_Frequent");
}

// Mnemosyne's tab-separated import refuses the whole file over one bad line, so every rule of
// its reader is held here line by line.
TEST_F(StoreTest, MnemosyneFileKeepsEveryRuleOfItsImporter) {
    LoadJohn();
    auto awkward = AwkwardPassage();
    ASSERT_GE(store->Add(awkward), 0);
    // A passage whose text is only blanks: the reader strips them and would find one field.
    auto blank = NewJohn16(3, "   x");
    blank->psgStart = 0;
    blank->psgEnd = 3;
    ASSERT_GE(store->Add(blank), 0);
    const std::vector<int> chosen = PassageChoice{}.Passages(*store);
    const std::string text = CFlashcardExport::Format(*store, chosen, Program::Mnemosyne);

    EXPECT_FALSE(text.starts_with("\xEF\xBB\xBF")) << "no byte-order mark";
    EXPECT_TRUE(IsValidUtf8(text));
    const std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), chosen.size()) << "no header or comment line, one line a passage";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        SCOPED_TRACE(line);
        const std::vector<std::string> fields = Fields(line);
        ASSERT_EQ(fields.size(), 2u) << "exactly two columns";
        EXPECT_EQ(line.find("&#"), std::string::npos) << "no numeric entity";
        EXPECT_EQ(line.find('\r'), std::string::npos) << "no raw line break";
        EXPECT_FALSE(fields[0].empty()) << "a question";
        // The reader strips blanks at the line's end: the answer must keep something.
        EXPECT_NE(fields[1].find_first_not_of(" \t\xC2\xA0"), std::string::npos);
        const CPassage& passage = store->Passage(chosen[i]);
        EXPECT_TRUE(fields[0].starts_with(CFlashcardExport::HtmlField(
            CFlashcardExport::ReferenceText(passage), Program::Mnemosyne)));
    }
    const auto awkwardLine = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
        return l.starts_with("John 3:16-17 ESV");
    });
    ASSERT_NE(awkwardLine, lines.end());
    EXPECT_EQ(*awkwardLine,
              "John 3:16-17 ESV<br>&quot;Tom &amp; Jerry\t&quot;Tom &amp; Jerry&quot; "
              "&lt;b&gt; said:<br>fish &amp;#9; \xE2\x80\x9C"
              "caf\xC3\xA9\xE2\x80\x9D<br>");
}

TEST_F(StoreTest, FlashcardFileIsWrittenWholeOrNotAtAll) {
    Write("cards.txt", "old");
    FileFault fault;
    EXPECT_TRUE(CFlashcardExport::Write(dir / "cards.txt", "new text\n", fault));
    EXPECT_EQ(Read("cards.txt"), "new text\n");
    // A file in a folder that does not exist: refused with its reason, nothing left behind.
    EXPECT_FALSE(CFlashcardExport::Write(dir / "missing" / "cards.txt", "x", fault));
    EXPECT_EQ(fault.step, FileFault::Step::Open);
    EXPECT_NE(fault.error, 0);
    EXPECT_FALSE(Exists("missing"));
}

// Mnemosyne's own importer, where it is installed (Debian's mnemosyne package): the bundled
// collection and the awkward passage come in as one front-to-back card each, without a word
// from it.
TEST_F(StoreTest, RealMnemosyneImporterTakesTheFile) {
    const fs::path checker = fs::path(RECITOR_SOURCE_DIR) / "tools" / "mnemosyne-import-check.py";
    if (std::system("/usr/bin/python3 -c 'import mnemosyne.script' >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "Mnemosyne is not installed";
    const fs::path res = fs::path(RECITOR_SOURCE_DIR) / "res";
    fs::copy_file(res / "RctInfo.xml", dir / "RctInfo.xml");
    Write("RctUser.xml", PassageFile({}));
    Write("RctStats.xml", StatsFile({}));
    ASSERT_EQ(Load(), Status::Ok);
    auto awkward = AwkwardPassage();
    ASSERT_GE(store->Add(awkward), 0);
    const std::vector<int> all = PassageChoice{}.Passages(*store);
    Write("cards.txt", CFlashcardExport::Format(*store, all, Program::Mnemosyne));
    const std::string command = "/usr/bin/python3 '" + checker.string() + "' '" +
                                (dir / "cards.txt").string() + "' " + std::to_string(all.size());
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
}
