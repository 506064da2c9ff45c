// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <string_view>

// The text of a field that flashcard programs keep as HTML: the markup their editors write
// (<br>, <div>, <p>, <b>, ...) and the entities they escape characters with.

// Text from an HTML field: <br> and the starts and ends of <div> and <p> blocks as line breaks
// (one break between two blocks), other tags dropped, entities decoded (&amp; &lt; &gt; &quot;
// &apos; &nbsp; and numeric ones); a "<" that begins no tag is kept. UTF-8 in and out.
std::string TextFromHtml(std::string_view html);

// Whether text holds a tag of that markup, so that a file that does not say it is HTML is read as
// HTML all the same.
bool HoldsHtmlTags(std::string_view text);
