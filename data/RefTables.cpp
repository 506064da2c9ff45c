#include "RefTables.h"

#include <array>

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
