// SPDX-License-Identifier: GPL-2.0-or-later
#include "RefTables.h"

#include <array>
#include <string>
#include <utility>

namespace {

// Slots 40-50 and 78-99 name no book; their names are numbers, those after the New Testament one
// below their index.
constexpr std::array<std::string_view, kBookCount> kBooks = {
    "",           "Genesis",   "Exodus",   "Leviticus", "Numbers",   "Deut",     "Joshua",
    "Judges",     "Ruth",      "1 Sam",    "2 Sam",     "1 Kings",   "2 Kings",  "1 Chron",
    "2 Chron",    "Ezra",      "Nehemiah", "Esther",    "Job",       "Psalm",    "Proverbs",
    "Ecclesia",   "SongOfSol", "Isaiah",   "Jeremiah",  "Lament",    "Ezekiel",  "Daniel",
    "Hosea",      "Joel",      "Amos",     "Obadiah",   "Jonah",     "Micah",    "Nahum",
    "Habakkuk",   "Zephaniah", "Haggai",   "Zechariah", "Malachi",   "40",       "41",
    "42",         "43",        "44",       "45",        "46",        "47",       "48",
    "49",         "50",        "Matthew",  "Mark",      "Luke",      "John",     "Acts",
    "Romans",     "1 Cor",     "2 Cor",    "Galatians", "Ephesians", "Philip",   "Colos",
    "1 Thess",    "2 Thess",   "1 Tim",    "2 Tim",     "Titus",     "Philemon", "Hebrews",
    "James",      "1 Peter",   "2 Peter",  "1 John",    "2 John",    "3 John",   "Jude",
    "Revelation", "77",        "78",       "79",        "80",        "81",       "82",
    "83",         "84",        "85",       "86",        "87",        "88",       "89",
    "90",         "91",        "92",       "93",        "94",        "95",       "96",
    "97",         "98",        "EvanExplo"};

struct TransRow {
    std::string_view abbrev;
    std::string_view listText;
};

constexpr std::array<TransRow, kTransListSize> kTrans = {{
    {"ASV", "ASV    American Standard"},
    {"ISV", "ISV      International Standard"},
    {"NRSV", "NRSV New Revised Standard"},
    {"KJV", "KJV     King James Version"},
    {"RSV", "RSV    Revised Standard Version"},
    {"NASB", "NASB  New American Standard"},
    {"NET", "NET    New English Translation"},
    {"NLT", "NLT    New Living Translation"},
    {"NIV", "NIV     New International"},
    {"NKJV", "NKJV  New King James"},
    {"AMP", "AMP   Amplified Bible"},
    {"BBE", "BBE    Bible in Basic English"},
    {"CEV", "CEV    Contemporary English"},
    {"DB", "DB      Darby Bible"},
    {"ESV", "ESV    English Standard"},
    {"FNIV", "----       French NIV"},
    {"GW", "GW     God's Word"},
    {"MKJV", "MKJV  Modern King James"},
    {"IB", "----       Inclusive Bible"},
    {"JB", "----       Jerusalem Bible"},
    {"KJ21", "KJ21   King James 21st Century"},
    {"LB", "LB       Living Bible"},
    {"MSG", "MSG   Message Bible"},
    {"NCV", "NCV    New Century"},
    {"LITV", "LITV    Literal Translation"},
    {"PHLP", "----       Phillips Bible"},
    {"TNIV", "----       Today's NIV"},
    {"REV", "----       Revised English"},
    {"SNIV", "----       Spanish NIV"},
    {"TEV", "TEV    Today's English"},
    {"NMB", "----       New Millenium"},
    {"NEB", "----       New English"},
    {"WEB", "WEB   Worldwide English"},
    {"All", "----       Catholic Bible"},
    {"", "----       Young's Literal"},
    {"", "----       New World (JW)"},
}};

constexpr std::array<std::string_view, kTopicCount> kTopics = {"n/a",
                                                               "Assurance",
                                                               "Blessing",
                                                               "Calling",
                                                               "Church",
                                                               "Confession",
                                                               "Creation",
                                                               "Day of the Lord",
                                                               "Envy",
                                                               "Faith",
                                                               "Forgiveness",
                                                               "God",
                                                               "God's Faithfulness",
                                                               "Grace",
                                                               "Holy Spirit",
                                                               "Idols",
                                                               "Judgment",
                                                               "Justification",
                                                               "Love",
                                                               "Marriage",
                                                               "Meditation",
                                                               "Mercy",
                                                               "Messiah",
                                                               "Misc",
                                                               "Obedience",
                                                               "Omniscience",
                                                               "Omnipotence",
                                                               "Omnipresence",
                                                               "Parenting",
                                                               "Peace",
                                                               "Pleasing God",
                                                               "Prayer",
                                                               "Pride",
                                                               "Preaching",
                                                               "Repentance",
                                                               "Righteousness",
                                                               "Sabbath",
                                                               "Sanctification",
                                                               "Sin",
                                                               "Sovereignty",
                                                               "Temptation",
                                                               "Wisdom",
                                                               "Witness",
                                                               "Word of God",
                                                               "Worldly Concerns",
                                                               "Worship",
                                                               "Wrath",
                                                               "Faithfulness",
                                                               "Healing",
                                                               "Other World",
                                                               "Our Tongues",
                                                               "Sex",
                                                               "Stewardship",
                                                               "Suffering",
                                                               "Vices-Other",
                                                               "Virtues-Other",
                                                               "User #1",
                                                               "User #2"};

constexpr std::array<std::string_view, kFreqCount> kFreqChoices = {
    "Most Frequent/Daily", "Less Frequent", "Least Frequent", "Not Started/Inactive"};

constexpr std::array<std::string_view, kFreqCount> kFreqGroups = {
    "Learning (Most Frequent)", "Learned (Less Frequent)", "Archive (Least Frequent)",
    "Not Started/Inactive"};

constexpr std::array<std::string_view, kProgCount> kProgs = {"Not Started", "Just Started", "Fair",
                                                             "Good", "Mastered"};

constexpr int kLastOldTestamentBook = 39;
constexpr int kNewTestamentGap = 11; // book numbers 40-50 are unused

} // namespace

std::string_view BookName(int number) {
    return number >= 0 && number < kBookCount ? kBooks[number] : std::string_view{};
}

std::string_view TransAbbrev(int number) {
    if (number < 0)
        return "Context";
    if (number > kTransMax)
        return "InValid Trans > 35";
    return kTrans[number].abbrev;
}

std::string_view TopicName(int number) {
    return number >= 0 && number < kTopicCount ? kTopics[number] : std::string_view{};
}

std::string_view TransListText(int position) {
    return position >= 0 && position < kTransListSize ? kTrans[position].listText
                                                      : std::string_view{};
}

bool TransEditable(int number) {
    return number >= 0 && number < kTransListSize && !kTrans[number].listText.starts_with("----");
}

int BookFromListPosition(int position) {
    if (position < 0 || position >= kBookListSize)
        return -1;
    const int book = position + 1;
    return book <= kLastOldTestamentBook ? book : book + kNewTestamentGap;
}

int ListPositionFromBook(int book) {
    if (book >= 1 && book <= kLastOldTestamentBook)
        return book - 1;
    if (book > kLastOldTestamentBook + kNewTestamentGap && book <= 77)
        return book - kNewTestamentGap - 1;
    return -1;
}

std::string_view FreqChoiceText(int freq) {
    return freq >= 0 && freq < kFreqCount ? kFreqChoices[freq] : std::string_view{};
}

std::string_view FreqGroupText(int freq) {
    return freq >= 0 && freq < kFreqCount ? kFreqGroups[freq] : std::string_view{};
}

std::string_view ProgText(int prog) {
    return prog >= 0 && prog < kProgCount ? kProgs[prog] : std::string_view{};
}

namespace {

// Other names of the books, besides the table's own: the full names and the abbreviations in
// common use. Written in the normalised form NormalisedBookName gives (lower case, no blanks or
// full stops, a leading number as a digit).
struct BookAliases {
    int book;
    std::string_view names[6];
};
constexpr BookAliases kBookAliases[] = {
    {1, {"gen", "ge", "gn"}},
    {2, {"exod", "exo", "ex"}},
    {3, {"lev", "le", "lv"}},
    {4, {"num", "nu", "nm", "nb"}},
    {5, {"deuteronomy", "dt", "deu"}},
    {6, {"josh", "jos", "jsh"}},
    {7, {"judg", "jdg", "jg", "jdgs"}},
    {8, {"rut", "ru", "rth"}},
    {9, {"1samuel", "1sa", "1sm"}},
    {10, {"2samuel", "2sa", "2sm"}},
    {11, {"1kgs", "1ki", "1kg", "1kin"}},
    {12, {"2kgs", "2ki", "2kg", "2kin"}},
    {13, {"1chronicles", "1chr", "1ch"}},
    {14, {"2chronicles", "2chr", "2ch"}},
    {15, {"ezr", "ez"}},
    {16, {"neh", "ne"}},
    {17, {"esth", "est", "es"}},
    {18, {"jb"}},
    {19, {"psalms", "ps", "pss", "psa", "psm", "pslm"}},
    {20, {"prov", "pro", "prv", "pr"}},
    {21, {"ecclesiastes", "eccl", "eccles", "ecc", "ec", "qoh"}},
    {22, {"songofsolomon", "songofsongs", "song", "sos", "canticles", "ss"}},
    {23, {"isa", "is"}},
    {24, {"jer", "je", "jr"}},
    {25, {"lamentations", "lam", "la"}},
    {26, {"ezek", "eze", "ezk"}},
    {27, {"dan", "da", "dn"}},
    {28, {"hos", "ho"}},
    {29, {"joe", "jl"}},
    {30, {"am"}},
    {31, {"obad", "oba", "ob"}},
    {32, {"jon", "jnh"}},
    {33, {"mic", "mc"}},
    {34, {"nah", "na"}},
    {35, {"hab", "hb"}},
    {36, {"zeph", "zep", "zp"}},
    {37, {"hag", "hg"}},
    {38, {"zech", "zec", "zc"}},
    {39, {"mal", "ml"}},
    {51, {"matt", "mat", "mt"}},
    {52, {"mrk", "mk", "mr"}},
    {53, {"luk", "lk"}},
    {54, {"jn", "jhn", "joh"}},
    {55, {"act", "ac"}},
    {56, {"rom", "ro", "rm"}},
    {57, {"1corinthians", "1co"}},
    {58, {"2corinthians", "2co"}},
    {59, {"gal", "ga"}},
    {60, {"eph", "ephes"}},
    {61, {"philippians", "phil", "php", "pp"}},
    {62, {"colossians", "col", "co"}},
    {63, {"1thessalonians", "1th", "1thes"}},
    {64, {"2thessalonians", "2th", "2thes"}},
    {65, {"1timothy", "1ti", "1tm"}},
    {66, {"2timothy", "2ti", "2tm"}},
    {67, {"tit", "ti"}},
    {68, {"phlm", "philem", "phm", "pm"}},
    {69, {"heb"}},
    {70, {"jas", "jm"}},
    {71, {"1pet", "1pe", "1pt", "1p"}},
    {72, {"2pet", "2pe", "2pt", "2p"}},
    {73, {"1jn", "1jhn", "1joh", "1jo"}},
    {74, {"2jn", "2jhn", "2joh", "2jo"}},
    {75, {"3jn", "3jhn", "3joh", "3jo"}},
    {76, {"jud", "jd"}},
    {77, {"rev", "re", "revelations", "apocalypse"}},
};

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

// Lower case without blanks and full stops; a leading "I", "II", "III", "First", "Second" or
// "Third" standing before the name (followed by a blank or a full stop) becomes its digit.
std::string NormalisedBookName(std::string_view name) {
    std::string lowered;
    for (const char c : name)
        lowered.push_back(Lower(c));
    constexpr std::pair<std::string_view, char> kOrdinals[] = {
        {"iii", '3'},   {"ii", '2'},  {"i", '1'},   {"first", '1'}, {"second", '2'},
        {"third", '3'}, {"1st", '1'}, {"2nd", '2'}, {"3rd", '3'}};
    std::string out;
    for (const auto& [word, digit] : kOrdinals)
        if (lowered.starts_with(word) && lowered.size() > word.size() &&
            (lowered[word.size()] == ' ' || lowered[word.size()] == '.')) {
            out.push_back(digit);
            lowered.erase(0, word.size());
            break;
        }
    for (const char c : lowered)
        if (c != ' ' && c != '.' && c != '\t')
            out.push_back(c);
    return out;
}

} // namespace

int BookFromName(std::string_view name) {
    const std::string wanted = NormalisedBookName(name);
    if (wanted.empty())
        return 0;
    for (int position = 0; position < kBookListSize; ++position) {
        const int book = BookFromListPosition(position);
        if (NormalisedBookName(BookName(book)) == wanted)
            return book;
    }
    for (const BookAliases& aliases : kBookAliases)
        for (const std::string_view alias : aliases.names)
            if (!alias.empty() && alias == wanted)
                return aliases.book;
    return 0;
}

bool BookHasOneChapter(int book) {
    return book == 31 || book == 68 || book == 74 || book == 75 || book == 76;
}

int TransFromAbbrev(std::string_view abbrev) {
    if (abbrev.empty())
        return -1;
    for (int trans = 0; trans <= kTransMax; ++trans)
        if (trans != kTransAll && EqualNoCase(TransAbbrev(trans), abbrev))
            return trans;
    return -1;
}

int TopicFromName(std::string_view name) {
    if (name.empty())
        return -1;
    for (int topic = 0; topic < kTopicCount; ++topic) {
        const std::string_view topicName = TopicName(topic);
        if (topicName.size() != name.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i) {
            const char a = Lower(topicName[i]);
            const char b = Lower(name[i]);
            same = a == b || (a == ' ' && b == '_');
        }
        if (same)
            return topic;
    }
    return -1;
}
