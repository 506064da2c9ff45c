// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <optional>
#include <string>

class CPassage;

// What a printed pocket card of a passage says, and the measures it is laid out by: a heading with
// reference, translation, topic and hint, then the context with the passage set apart from the
// context before and after it. Texts are Windows-1252 bytes with CR LF line breaks; the card is a
// copy and stays as it is when the passage changes.
class CPassageCard {
public:
    explicit CPassageCard(const CPassage& passage);

    // "<reference> <translation> <Topic: <primary topic>> <Hint: <hint>>".
    const std::string& Heading() const { return heading_; }
    // The context before the passage; none when the passage starts the context.
    const std::optional<std::string>& Before() const { return before_; }
    const std::string& Passage() const { return passage_; }
    // The context after the passage; none unless the context is more than five characters longer
    // than the passage (a verse ending or a stray blank is not worth a line of its own).
    const std::optional<std::string>& After() const { return after_; }

    // The normal font's size in thirds of a point: 24 for a context of 13 lines or more, so that
    // long contexts fit, 28 otherwise. The bold font is four thirds larger.
    int NormalThirds() const { return normalThirds_; }
    int BoldThirds() const { return normalThirds_ + 4; }
    // A font height in device units for a vertical resolution in dots per inch (truncated).
    static int FontHeight(int thirds, int dpiY) { return thirds * dpiY / 216; }

    // The card's area: 4.70 by 2.70 inches, in device units (truncated).
    static int AreaWidth(int dpiX) { return dpiX * 470 / 100; }
    static int AreaHeight(int dpiY) { return dpiY * 270 / 100; }
    // The room kept clear inside each of the card's edges, 0.08 inch in device units (truncated):
    // a cut along the edge, a little off the line, still cuts no letter.
    static int Inset(int dpi) { return dpi * 8 / 100; }

private:
    std::string heading_;
    std::optional<std::string> before_;
    std::string passage_;
    std::optional<std::string> after_;
    int normalThirds_ = 28;
};
