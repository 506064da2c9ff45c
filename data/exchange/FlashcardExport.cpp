// SPDX-License-Identifier: GPL-2.0-or-later
#include "FlashcardExport.h"

#include "AtomicFile.h"
#include "PassageStore.h"
#include "RefTables.h"
#include "TextEncoding.h"

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

std::string CFlashcardExport::HtmlField(std::string_view text, Program program) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
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
            out.append(program == Program::Anki ? "&#9;" : " ");
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

std::string CFlashcardExport::Format(const CPassageStore& store, const std::vector<int>& indices,
                                     Program program, AnkiSides sides) {
    std::string out;
    if (program == Program::Anki)
        AppendAnkiHeader(out);
    for (const int index : indices) {
        const CPassage& passage = store.Passage(index);
        const std::string reference = HtmlField(ReferenceText(passage), program);
        const std::string hint = HtmlField(passage.HintText(), program);
        const std::string text = HtmlField(passage.PassageText(), program);
        if (program == Program::Anki) {
            const std::string context = HtmlField(passage.context, program);
            out.append(reference);
            if (sides.hintOnFront && !hint.empty())
                out.append("<br>").append(hint);
            out.append("\t").append(text);
            // A blank line sets the context apart from the passage it holds.
            if (sides.contextOnBack && !context.empty())
                out.append("<br><br>").append(context);
            out.append("\t").append(reference).append("\t").append(hint).append("\t").append(text);
            out.append("\t").append(context).append("\t").append(AnkiTags(passage));
        } else {
            // Question: the reference, and the hint beneath it; answer: the passage.
            out.append(reference);
            if (!hint.empty())
                out.append("<br>").append(hint);
            out.append("\t").append(BlankOnly(text) ? std::string("<br>") : text);
        }
        out.push_back('\n');
    }
    return out;
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
