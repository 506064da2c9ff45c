// SPDX-License-Identifier: GPL-2.0-or-later
#include "DisplayLines.h"

#include "DialogUnits.h"

#include <QFontMetricsF>
#include <QStringList>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <cmath>

namespace {

// A break decided closer than this to the box's edge is left to the layout: a word's width
// measured alone can differ from its width among its neighbours by a fraction of a pixel
// (kerning across a space, the rounding of the layout's fixed-point widths).
constexpr qreal kEdgeBand = 2.0;

// Characters whose width and wrapping do not depend on their neighbours: the printable characters
// of Windows-1252 apart from the no-break space (which glues words together) and the soft hyphen
// (which shows only at a break). The plain space is handled by the word wrap itself.
bool IsPlain(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x7f)
        return u > 0x20;
    if (u <= 0xff)
        return u > 0xa0 && u != 0xad;
    switch (u) {
    case 0x0152:
    case 0x0153:
    case 0x0160:
    case 0x0161:
    case 0x0178:
    case 0x017d:
    case 0x017e:
    case 0x0192:
    case 0x02c6:
    case 0x02dc:
    case 0x2013:
    case 0x2014:
    case 0x2018:
    case 0x2019:
    case 0x201a:
    case 0x201c:
    case 0x201d:
    case 0x201e:
    case 0x2020:
    case 0x2021:
    case 0x2022:
    case 0x2026:
    case 0x2030:
    case 0x2039:
    case 0x203a:
    case 0x20ac:
    case 0x2122:
        return true;
    default:
        return false;
    }
}

// Characters between which the line-breaking rules allow no break unless a space comes between:
// letters, digits, and the punctuation that clings to the word before or after it. A paragraph of
// these alone needs no look at the rules.
bool ClingsToItsWord(QChar c) {
    const char16_t u = c.unicode();
    if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9'))
        return true;
    if (u >= 0xc0 && u <= 0xff)
        return u != 0xd7 && u != 0xf7;
    switch (u) {
    case '.':
    case ',':
    case ';':
    case ':':
    case '\'':
    case '"':
    case '(':
    case ')':
    case 0x2018:
    case 0x2019:
    case 0x201c:
    case 0x201d:
        return true;
    default:
        return false;
    }
}

} // namespace

int CountDisplayLines(const QString& text, double pointSize, int widthDialogUnits) {
    return CDisplayLineMeasure(pointSize, widthDialogUnits).Count(text);
}

CDisplayLineMeasure::CDisplayLineMeasure(double pointSize, int widthDialogUnits,
                                         bool rememberParagraphs)
    : font_(DialogFont()), remember_(rememberParagraphs) {
    font_.setPointSizeF(pointSize);
    width_ = CDialogUnits().X(widthDialogUnits);
    spaceWidth_ = QFontMetricsF(font_).horizontalAdvance(QLatin1Char(' '));
}

int CDisplayLineMeasure::Count(const QString& text) const {
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList paragraphs = normalised.split(QLatin1Char('\n'));

    int lines = 0;
    for (const QString& paragraph : paragraphs) {
        if (paragraph.isEmpty()) {
            ++lines;
            continue;
        }
        if (!remember_) {
            lines += CountParagraph(paragraph);
            continue;
        }
        const auto found = remembered_.constFind(paragraph);
        if (found != remembered_.constEnd()) {
            lines += *found;
            continue;
        }
        const int count = CountParagraph(paragraph);
        // A bound on what is kept: a whole collection's verses, not more.
        constexpr qsizetype kMostRemembered = 200000;
        if (remembered_.size() >= kMostRemembered)
            remembered_.clear();
        remembered_.insert(paragraph, count);
        lines += count;
    }
    return lines;
}

int CDisplayLineMeasure::CountParagraph(const QString& paragraph) const {
    if (const std::optional<int> lines = WrapWords(paragraph))
        return *lines;
    ++laidOut_;
    return LayOut(paragraph);
}

// Wraps as the layout does: a line ends before a word when the line so far, the spaces after it
// and the word would be wider than the box; the spaces at the end of a line hang past its edge.
// A word ends at a space and at each place the line-breaking rules allow a break (after a hyphen,
// around a dash).
std::optional<int> CDisplayLineMeasure::WrapWords(const QString& paragraph) const {
    const qsizetype length = paragraph.size();
    if (paragraph.front() == QLatin1Char(' '))
        return std::nullopt;
    bool clinging = true;
    for (const QChar c : paragraph) {
        if (c == QLatin1Char(' '))
            continue;
        if (!IsPlain(c))
            return std::nullopt;
        clinging = clinging && ClingsToItsWord(c);
    }

    std::optional<QTextBoundaryFinder> breaks;
    if (!clinging)
        breaks.emplace(QTextBoundaryFinder::Line, paragraph);
    int lines = 1;
    qreal line = 0;   // the words on the line and the spaces between them
    qreal spaces = 0; // the spaces after the line's last word
    bool lineEmpty = true;
    qsizetype lineStart = 0;
    for (qsizetype start = 0; start < length;) {
        qsizetype end = start + 1;
        for (; end < length && paragraph[end] != QLatin1Char(' '); ++end) {
            if (!breaks)
                continue;
            breaks->setPosition(end);
            if (breaks->isAtBoundary())
                break;
        }
        const SWord word = Word(QStringView(paragraph).sliced(start, end - start));
        if (word.advance + word.overhang > width_ - kEdgeBand)
            return std::nullopt; // the layout breaks it inside
        qsizetype next = end;
        while (next < length && paragraph[next] == QLatin1Char(' '))
            ++next;

        const qreal needed = line + spaces + word.advance + word.overhang;
        if (lineEmpty) {
            line = word.advance;
            lineEmpty = false;
        } else if (std::abs(needed - width_) > kEdgeBand
                       ? needed > width_
                       : !FitsOnLine(paragraph, lineStart, start, next)) {
            ++lines;
            line = word.advance;
            lineStart = start;
        } else {
            line += spaces + word.advance;
        }
        spaces = static_cast<qreal>(next - end) * spaceWidth_;
        if (spaces > width_ - kEdgeBand)
            return std::nullopt; // the layout ends the line inside the spaces
        start = next;
    }
    return lines;
}

std::size_t CDisplayLineMeasure::SWordHash::operator()(std::u16string_view word) const {
    return qHash(QStringView(word));
}

CDisplayLineMeasure::SWord CDisplayLineMeasure::Word(QStringView word) const {
    const std::u16string_view key(word.utf16(), static_cast<std::size_t>(word.size()));
    const auto found = words_.find(key);
    if (found != words_.end())
        return found->second;
    const QFontMetricsF metrics(font_);
    SWord measured;
    measured.advance = metrics.horizontalAdvance(word.toString());
    measured.overhang = std::max<qreal>(0, -metrics.rightBearing(word.back()));
    // A bound on what is kept: far more than the distinct words of a whole collection.
    constexpr qsizetype kMostWords = 500000;
    if (words_.size() >= kMostWords)
        words_.clear();
    words_.emplace(key, measured);
    return measured;
}

// The layout of the paragraph from the line's start through the word after this one tells: the
// line's break falls before the word or after it. The text before the line's start plays no part
// in where the line breaks, and what follows the word keeps its last letter's width and the
// breaks after it as they are in the paragraph.
bool CDisplayLineMeasure::FitsOnLine(const QString& paragraph, qsizetype lineStart,
                                     qsizetype wordStart, qsizetype spacesEnd) const {
    qsizetype end = spacesEnd;
    while (end < paragraph.size() && paragraph[end] != QLatin1Char(' '))
        ++end;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QTextLayout layout(paragraph.sliced(lineStart, end - lineStart), font_);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(width_);
    const bool fits = line.textLength() > wordStart - lineStart;
    layout.endLayout();
    return fits;
}

int CDisplayLineMeasure::LayOut(const QString& paragraph) const {
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QTextLayout layout(paragraph, font_);
    layout.setTextOption(option);
    layout.beginLayout();
    int lines = 0;
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width_);
        ++lines;
    }
    layout.endLayout();
    return lines;
}
