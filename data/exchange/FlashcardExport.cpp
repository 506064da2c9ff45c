// SPDX-License-Identifier: GPL-2.0-or-later
#include "FlashcardExport.h"

#include "AtomicFile.h"
#include "PassageStore.h"
#include "RefTables.h"
#include "TextEncoding.h"

#include <array>

namespace {

constexpr std::string_view kClassTags[] = {"Most_Frequent", "Less_Frequent", "Least_Frequent",
                                           "Not_Started"};

void AppendAnkiHeader(std::string& out) {
    out.append("#separator:tab\n#html:true\n#columns:");
    for (std::size_t i = 0; i < std::size(CFlashcardExport::kAnkiColumns); ++i) {
        if (i > 0)
            out.push_back('\t');
        out.append(CFlashcardExport::kAnkiColumns[i]);
    }
    out.append("\n#tags column:");
    out.append(std::to_string(std::size(CFlashcardExport::kAnkiColumns)));
    out.push_back('\n');
}

// Mnemosyne's reader strips the blanks at a line's end: an answer of blanks only would leave a
// line of one field, which makes it refuse the whole file.
bool BlankOnly(std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == ' ')
            continue;
        if (utf8.substr(i).starts_with("\xC2\xA0")) { // no-break space
            ++i;
            continue;
        }
        return false;
    }
    return true;
}

} // namespace

namespace {

// Bytes copied as they are: printable ASCII apart from what HTML or the field separators give a
// meaning to.
constexpr auto kPlainBytes = [] {
    std::array<bool, 256> plain{};
    for (int c = 0x20; c < 0x80; ++c)
        plain[static_cast<std::size_t>(c)] = c != '&' && c != '<' && c != '>' && c != '"';
    return plain;
}();

bool Plain(char c) {
    return kPlainBytes[static_cast<unsigned char>(c)];
}

// Appends the field to out: an export of the whole collection writes tens of megabytes, so runs
// of plain bytes go across in one piece and no field is built on its own.
void AppendHtmlField(std::string& out, std::string_view text, CFlashcardExport::Program program) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (Plain(text[i])) {
            std::size_t end = i + 1;
            while (end < text.size() && Plain(text[end]))
                ++end;
            out.append(text.substr(i, end - i));
            i = end - 1;
            continue;
        }
        const char c = text[i];
        switch (c) {
        case '&':
            out.append("&amp;");
            break;
        case '<':
            out.append("&lt;");
            break;
        case '>':
            out.append("&gt;");
            break;
        case '"':
            // A field beginning with a quotation mark would be read as a quoted field.
            out.append("&quot;");
            break;
        case '\t':
            out.append(program == CFlashcardExport::Program::Anki ? "&#9;" : " ");
            break;
        case '\r':
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out.append("<br>");
            break;
        case '\n':
            out.append("<br>");
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20)
                out.push_back(' '); // other control characters end lines in some importers
            else
                AppendUtf8FromWin1252(out, std::string_view(&text[i], 1));
            break;
        }
    }
}

} // namespace

std::string CFlashcardExport::HtmlField(std::string_view text, Program program) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    AppendHtmlField(out, text, program);
    return out;
}

std::string CFlashcardExport::ReferenceText(const CPassage& passage) {
    std::string text = passage.PassageReference();
    const std::string_view trans = passage.TransName();
    if (!trans.empty())
        text.append(" ").append(trans);
    return text;
}

std::string CFlashcardExport::Tag(std::string_view win1252) {
    std::string tag;
    for (const char c : win1252) {
        if (c == '"')
            continue;
        if (c == ' ' || static_cast<unsigned char>(c) < 0x20)
            tag.push_back('_');
        else
            AppendUtf8FromWin1252(tag, std::string_view(&c, 1));
    }
    return tag;
}

std::string_view CFlashcardExport::ClassTag(int freq) {
    return freq >= 0 && freq < kFreqCount ? kClassTags[freq] : kClassTags[kFreqInactive];
}

std::string CFlashcardExport::AnkiTags(const CPassage& passage) {
    std::string tags;
    const auto add = [&tags](std::string tag) {
        if (tag.empty())
            return;
        if (!tags.empty())
            tags.push_back(' ');
        tags.append(tag);
    };
    if (passage.primaryTopic != 0)
        add(Tag(passage.PrimaryTopicName()));
    if (passage.secondaryTopic != 0 && passage.secondaryTopic != passage.primaryTopic)
        add(Tag(passage.SecondaryTopicName()));
    add(Tag(passage.TransName()));
    add(std::string(ClassTag(passage.freq)));
    return tags;
}

std::string CFlashcardExport::SuggestedTag(const PassageChoice& choice) {
    std::string tag = "Recitor";
    switch (choice.kind) {
    case PassageChoice::Kind::All:
        break;
    case PassageChoice::Kind::Active:
        tag.append("::Active");
        break;
    case PassageChoice::Kind::FrequencyClass:
        tag.append("::").append(ClassTag(choice.value));
        break;
    case PassageChoice::Kind::Topic:
        tag.append("::").append(Tag(TopicName(choice.value)));
        break;
    }
    return tag;
}

namespace {

// The lines of the file, one passage at a time; each field is made once per passage in buffers
// that keep their room from one passage to the next.
class CCardLines {
public:
    CCardLines(CFlashcardExport::Program program, AnkiSides sides)
        : program_(program), sides_(sides) {}

    void AppendHeader(std::string& out) const {
        if (program_ == CFlashcardExport::Program::Anki)
            AppendAnkiHeader(out);
    }

    void Append(std::string& out, const CPassage& passage) {
        Field(reference_, CFlashcardExport::ReferenceText(passage));
        Field(hint_, passage.HintText());
        Field(text_, passage.PassageText());
        if (program_ == CFlashcardExport::Program::Anki) {
            Field(context_, passage.context);
            out.append(reference_);
            if (sides_.hintOnFront && !hint_.empty())
                out.append("<br>").append(hint_);
            out.append("\t").append(text_);
            // A blank line sets the context apart from the passage it holds.
            if (sides_.contextOnBack && !context_.empty())
                out.append("<br><br>").append(context_);
            out.append("\t").append(reference_).append("\t").append(hint_).append("\t");
            out.append(text_).append("\t").append(context_).append("\t");
            out.append(CFlashcardExport::AnkiTags(passage));
        } else {
            // Question: the reference, and the hint beneath it; answer: the passage.
            out.append(reference_);
            if (!hint_.empty())
                out.append("<br>").append(hint_);
            if (BlankOnly(text_))
                out.append("\t<br>");
            else
                out.append("\t").append(text_);
        }
        out.push_back('\n');
    }

private:
    void Field(std::string& into, std::string_view from) const {
        into.clear();
        AppendHtmlField(into, from, program_);
    }

    CFlashcardExport::Program program_;
    AnkiSides sides_;
    std::string reference_;
    std::string hint_;
    std::string text_;
    std::string context_;
};

} // namespace

std::string CFlashcardExport::Format(const CPassageStore& store, const std::vector<int>& indices,
                                     Program program, AnkiSides sides) {
    CCardLines lines(program, sides);
    std::string out;
    lines.AppendHeader(out);
    for (const int index : indices)
        lines.Append(out, store.Passage(index));
    return out;
}

bool CFlashcardExport::Write(const std::filesystem::path& path, const CPassageStore& store,
                             const std::vector<int>& indices, Program program, AnkiSides sides,
                             FileFault& fault) {
    CAtomicFile file;
    if (!file.Open(path)) {
        fault = file.Fault();
        return false;
    }
    CCardLines lines(program, sides);
    lines.AppendHeader(file.Buffer());
    for (const int index : indices) {
        lines.Append(file.Buffer(), store.Passage(index));
        file.FlushIfFull();
    }
    if (!file.Finish() || !file.Commit()) {
        fault = file.Fault();
        return false;
    }
    return true;
}

bool CFlashcardExport::Write(const std::filesystem::path& path, std::string_view text,
                             FileFault& fault) {
    CAtomicFile file;
    if (!file.Open(path)) {
        fault = file.Fault();
        return false;
    }
    file.Append(text);
    if (!file.Finish() || !file.Commit()) {
        fault = file.Fault();
        return false;
    }
    return true;
}
