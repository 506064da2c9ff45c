// SPDX-License-Identifier: GPL-2.0-or-later
// The flashcard files: Anki's header and notes, Mnemosyne's narrower two-column form held to its
// importer's rules line by line, the escapes both need, and the atomic write.

#include "AtomicFile.h"
#include "FlashcardExport.h"
#include "RefTables.h"
#include "TestSupport.h"
#include "TextEncoding.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// The fields of a note type filled from each note line of a file as Anki's text import fills
// them: by exact column name when a "#columns:" line names the columns, else in order; the tags
// column never fills a field; a field that no column names stays empty, but for the first,
// which then takes the first column that is not the tags.
std::vector<std::vector<std::string>> AnkiNotes(const std::string& file,
                                                const std::vector<std::string>& noteFields) {
    std::vector<std::string> names;
    std::size_t tags = std::string::npos;
    std::vector<std::vector<std::string>> notes;
    for (const std::string& line : Lines(file)) {
        if (line.starts_with("#columns:"))
            names = Fields(line.substr(9));
        else if (line.starts_with("#tags column:"))
            tags = std::stoul(line.substr(13)) - 1;
        if (line.starts_with("#"))
            continue;
        const std::vector<std::string> columns = Fields(line);
        std::vector<std::size_t> ordinary;
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (i != tags)
                ordinary.push_back(i);
        std::vector<std::string> note(noteFields.size());
        for (std::size_t f = 0; f < noteFields.size(); ++f) {
            std::size_t source = std::string::npos;
            if (!names.empty()) {
                const auto named = static_cast<std::size_t>(
                    std::find(names.begin(), names.end(), noteFields[f]) - names.begin());
                if (named < names.size() && named != tags)
                    source = named;
                else if (f == 0 && !ordinary.empty())
                    source = ordinary[0];
            } else if (f < ordinary.size()) {
                source = ordinary[f];
            }
            if (source < columns.size())
                note[f] = columns[source];
        }
        notes.push_back(std::move(note));
    }
    return notes;
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
    EXPECT_EQ(lines[2], "#columns:Front\tBack\tReference\tHint\tPassage\tContext\tTags");
    EXPECT_EQ(lines[3], "#tags column:7");
    for (std::size_t i = 4; i < lines.size(); ++i) {
        SCOPED_TRACE(lines[i]);
        EXPECT_EQ(Fields(lines[i]).size(), 7u);
        EXPECT_NE(lines[i].front(), '#');                 // a comment line to Anki
        EXPECT_EQ(lines[i].find('"'), std::string::npos); // a quoted field to Anki
        EXPECT_EQ(lines[i].find('\r'), std::string::npos);
        EXPECT_TRUE(IsValidUtf8(lines[i]));
    }
    // The active passages in list order: class 0 (John 3:16 NIV and ESV), then class 1.
    const std::vector<std::string> note = Fields(lines[4]);
    const CPassage& shown = store->Passage(chosen[0]);
    EXPECT_EQ(note[2], CFlashcardExport::ReferenceText(shown));
    const int awkwardLine = shown.context.starts_with("\"Tom") ? 4 : 5;
    const std::vector<std::string> awkwardNote = Fields(lines[awkwardLine]);
    const std::string reference = "John 3:16-17 ESV";
    const std::string hint = "&quot;Tom &amp; Jerry";
    const std::string passage = "&quot;Tom &amp; Jerry&quot; &lt;b&gt;&#9;said:<br>fish &amp;#9; "
                                "\xE2\x80\x9C"
                                "caf\xC3\xA9\xE2\x80\x9D<br>";
    const std::string context = passage + "17 end";
    const std::string tags = "Day_of_the_Lord God's_Faithfulness ESV Most_Frequent";
    EXPECT_EQ(awkwardNote, (std::vector<std::string>{reference, passage, reference, hint, passage,
                                                     context, tags}));

    // The hint and the context on the cards when the user chooses them, beneath a line break
    // (and a blank line before the context); the other columns stay as they are.
    const std::string both = CFlashcardExport::Format(*store, chosen, Program::Anki,
                                                      {.hintOnFront = true, .contextOnBack = true});
    EXPECT_EQ(Fields(Lines(both)[awkwardLine]),
              (std::vector<std::string>{reference + "<br>" + hint, passage + "<br><br>" + context,
                                        reference, hint, passage, context, tags}));
    const std::string hintOnly =
        CFlashcardExport::Format(*store, chosen, Program::Anki, {.hintOnFront = true});
    EXPECT_EQ(Fields(Lines(hintOnly)[awkwardLine])[1], passage);
}

// The file imported by Anki's rules: Basic and "Basic (and reversed card)" (fields Front and
// Back) get the reference on the front and the passage on the back; a note type with fields
// named after the columns gets each of them.
TEST_F(StoreTest, AnkiImportRulesGiveUsableCards) {
    LoadJohn();
    const std::vector<int> chosen = PassageChoice{}.Passages(*store);
    ASSERT_FALSE(chosen.empty());
    const std::string file = CFlashcardExport::Format(*store, chosen, Program::Anki);
    const auto basic = AnkiNotes(file, {"Front", "Back"});
    const auto own = AnkiNotes(file, {"Reference", "Passage", "Hint", "Context"});
    ASSERT_EQ(basic.size(), chosen.size());
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        const CPassage& passage = store->Passage(chosen[i]);
        SCOPED_TRACE(passage.PassageReference());
        const std::string reference =
            CFlashcardExport::HtmlField(CFlashcardExport::ReferenceText(passage), Program::Anki);
        const std::string text = CFlashcardExport::HtmlField(passage.PassageText(), Program::Anki);
        EXPECT_EQ(basic[i], (std::vector<std::string>{reference, text}));
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(own[i], (std::vector<std::string>{
                              reference, text,
                              CFlashcardExport::HtmlField(passage.HintText(), Program::Anki),
                              CFlashcardExport::HtmlField(passage.context, Program::Anki)}));
    }
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

// The file written straight from the store, a megabyte at a time, is the text Format gives.
TEST_F(StoreTest, FlashcardFileWrittenFromTheStoreIsTheFormattedText) {
    LoadJohn();
    auto awkward = AwkwardPassage();
    ASSERT_GE(store->Add(awkward), 0);
    std::vector<int> chosen;
    for (const std::vector<int> all = PassageChoice{}.Passages(*store); chosen.size() < 60000;)
        chosen.insert(chosen.end(), all.begin(), all.end());
    for (const Program program : {Program::Anki, Program::Mnemosyne}) {
        const AnkiSides sides{.hintOnFront = true};
        const std::string text = CFlashcardExport::Format(*store, chosen, program, sides);
        ASSERT_GT(text.size(), 2u << 20);
        FileFault fault;
        ASSERT_TRUE(
            CFlashcardExport::Write(dir / "cards.txt", *store, chosen, program, sides, fault));
        EXPECT_TRUE(Read("cards.txt") == text);
    }
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
