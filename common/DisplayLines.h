// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QFont>
#include <QHash>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

// Number of lines text occupies when word-wrapped to a box of the given width (in dialog units
// of the dialog font) in the dialog font's face at pointSize. Every line break (CR LF or LF)
// starts a new line and an empty line counts as one, so a paragraph break adds one line. A word
// wider than the box is broken inside. The Edit Passage dialog stores these counts with a
// passage, and the generator of the bundled passages measures with the same function, so that
// both give the main window's display the same measure.
int CountDisplayLines(const QString& text, double pointSize, int widthDialogUnits);

// The same measure for many texts at one size and width, with the font and the width made once:
// what the import uses on thousands of passages.
// With rememberParagraphs the count of each paragraph is kept, so that a paragraph met again (the
// verses that the contexts of neighbouring passages share) is not laid out twice.
//
// The counts are stored in the passage files, so they are always those of Qt's text layout. Most
// paragraphs are counted without laying them out: the words' widths are measured once each and
// wrapped as the layout wraps them; a break decided within a hair of the box's edge is left to
// the layout of that line alone. A paragraph with a character whose wrapping or width depends on
// its neighbours (tabs, no-break spaces, soft hyphens, anything outside Windows-1252) or a word
// too wide for the box is laid out in full.
class CDisplayLineMeasure {
public:
    CDisplayLineMeasure(double pointSize, int widthDialogUnits, bool rememberParagraphs = false);
    int Count(const QString& text) const;
    // How many paragraphs Count has laid out in full so far rather than wrapped word by word.
    int LaidOutParagraphs() const { return laidOut_; }

private:
    struct SWord {
        qreal advance = 0;
        qreal overhang = 0; // how far the last letter's ink reaches past its advance
    };

    int CountParagraph(const QString& paragraph) const;
    // The count of the paragraph from its words' widths; none when only the layout can tell.
    std::optional<int> WrapWords(const QString& paragraph) const;
    SWord Word(QStringView word) const;
    // Whether the layout keeps the word at wordStart on the line begun at lineStart; spacesEnd is
    // where the spaces after the word end.
    bool FitsOnLine(const QString& paragraph, qsizetype lineStart, qsizetype wordStart,
                    qsizetype spacesEnd) const;
    int LayOut(const QString& paragraph) const;

    QFont font_;
    qreal width_ = 0;
    qreal spaceWidth_ = 0;
    bool remember_ = false;
    mutable QHash<QString, int> remembered_;
    // Looked up by a view into the paragraph, so that a word met again costs no copy.
    struct SWordHash {
        using is_transparent = void;
        std::size_t operator()(std::u16string_view word) const;
    };
    mutable std::unordered_map<std::u16string, SWord, SWordHash, std::equal_to<>> words_;
    mutable int laidOut_ = 0;
};
