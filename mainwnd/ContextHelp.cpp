// SPDX-License-Identifier: GPL-2.0-or-later
#include "ContextHelp.h"

#include "CommandIds.h"

#include <QAction>
#include <QWidget>

namespace {

using ContextHelp::kMenuBase;

// A text for the ids first..last.
struct Entry {
    int first;
    int last;
    const char* text;
};

constexpr Entry Control(int id, const char* text) {
    return {id, id, text};
}
constexpr Entry Command(int id, const char* text) {
    return {kMenuBase + id, kMenuBase + id, text};
}
constexpr Entry Commands(int first, int last, const char* text) {
    return {kMenuBase + first, kMenuBase + last, text};
}

constexpr Entry kEntries[] = {
    // Controls
    Control(Id::kFrequencyGroup, "How often the passage is to be recited. Most Frequent is for "
                                 "the passages you learn now; Not Started/Inactive leaves it out "
                                 "of your reviews."),
    {Id::kFirstFrequencyRadio, Id::kFirstFrequencyRadio + 3,
     "How often the passage is to be recited. A change puts it into that group of the tree and "
     "goes back to the first passage."},
    Control(Id::kProgressGroup, "How well you know the passage, from Not Started to Mastered. "
                                "It adds its verses times the level to your score."),
    {Id::kFirstProgressRadio, Id::kFirstProgressRadio + 4,
     "How well you know the passage. The score counts its verses once for Just Started up to "
     "four times for Mastered."},
    Control(Id::kVisibilityGroup, "How much of the passage is shown: nothing (Blank), a few words "
                                  "(Hint), the passage, or the verses around it (Context)."),
    {Id::kFirstVisibilityRadio, Id::kFirstVisibilityRadio + 3,
     "How much of the passage is shown. Recite at Blank, then check at Passage or Context. "
     "Ctrl+1 to Ctrl+4 choose the levels."},
    Control(Id::kPassageTree, "Every passage, grouped by how often it is to be recited. Click a "
                              "passage to show it; the arrow keys step through the list."),
    Control(Id::kTextBox, "The passage at the chosen visibility. In Context the passage is marked "
                          "within the verses around it."),
    Control(Id::kReviewStatus, "How many passages are due for review today, how many you have "
                               "reviewed today and which is due next. A due passage has a dot "
                               "beside it in the tree."),
    Control(Id::kRecitationButton, "Opens Check Recitation, where you type the passage from "
                                   "memory and see what you missed (Ctrl+R)."),

    // File
    Command(Id::kAddPassage, "Adds a passage of your own."),
    Command(Id::kDeletePassage, "Deletes the passage shown; only your own passages can be "
                                "deleted."),
    Command(Id::kEditPassage, "Revises the passage shown."),
    Command(Id::kExportPocketPc, "Hands your active passages to the companion program on a Pocket "
                                 "PC handheld."),
    Command(Id::kExportFlashcards, "Writes passages to a file that the flashcard programs Anki "
                                   "or Mnemosyne import: all, the active ones, one group or one "
                                   "topic."),
    Command(Id::kImportPassages, "Adds passages from a text file (tab- or comma-separated, "
                                 "UTF-8 or Windows-1252), after a preview of what will be added "
                                 "and what will not."),
    Command(Id::kPrint, "Prints the passage shown as a pocket card."),
    Command(Id::kPrintCards, "Prints the passages you choose (all, the active ones, a group or a "
                             "topic) as pocket cards, several to a page with lines to cut along "
                             "(Ctrl+Shift+P)."),
    Command(Id::kSave, "Saves your statistics, your passages and your preferences now."),
    Command(Id::kExit, "Saves everything and ends Recitor."),
    // View
    Commands(Id::kFirstCategory, Id::kFirstCategory + 3,
             "Opens this group of the passage tree and shows its first passage."),
    Command(Id::kParallelPassages, "Shows the passage with its other translations."),
    Command(Id::kSameTopic, "Lists the passages with the same topic as the passage shown."),
    Command(Id::kFindWord, "Not available in this version."),
    Command(Id::kCheckRecitation, "Type the passage shown from memory and see which words you "
                                  "missed, got wrong or added (Ctrl+R)."),
    Command(Id::kProgressOverTime, "Shows charts of your reviews, your progress levels, the "
                                   "verses you know and your streaks over time."),
    Command(Id::kListen, "Reads the passage aloud, or at Context the verses around it, without "
                         "the verse numbers; again, or Escape, stops (Ctrl+L)."),
    Command(Id::kReviewDue, "Steps through the passages due today: recite each, then say how it "
                            "went; the count shows how many are due (Ctrl+D)."),
    // Preferences
    Command(Id::kFlyoverDisable, "The tree and the text box come forward only when clicked."),
    Command(Id::kFlyoverEnable, "The tree or the text box comes forward as the mouse moves over "
                                "it."),
    Commands(Id::kFirstFontSize, Id::kFirstFontSize + 3,
             "The size of the passage's text: sized by its length, or one fixed size."),
    Commands(Id::kFirstBackground, Id::kFirstBackground + 24,
             "The picture behind the text box and the passage tree."),
    Command(Id::kHintSeveralWords, "The hint shows several words of the passage."),
    Command(Id::kHintLetters, "Not available in this version."),
    Command(Id::kTranslationHeading, "Choose a translation below to list only its passages among "
                                     "those not started."),
    Commands(Id::kFirstTranslation, Id::kLastTranslation,
             "Lists only this translation's passages among those not started; All lists every "
             "translation."),
    Command(Id::kVisitVersions, "Opens a web site about the Bible's translations."),
    Command(Id::kVisitBibleSite, "Opens a web site with Bible texts, from which you can copy "
                                 "passages to add."),
    Command(Id::kConfirmDelete, "Asks before a passage is deleted."),
    Command(Id::kConfirmEdit, "Asks before a revised passage is saved."),
    Command(Id::kConfirmExportPpc, "Whether the export to the handheld is to be confirmed."),
    Commands(Id::kTrainee, Id::kTrainer, "Trainer options; not available in this version."),
    Command(Id::kTopicFilter, "Lists the passages with a topic you choose."),
    Command(Id::kResetDefaults, "Not available in this version."),
    Command(Id::kReviewIntervals, "How many days each group waits between reviews, and the hour "
                                  "at which the review day changes."),
    Commands(Id::kFirstListenSpeed, Id::kFirstListenSpeed + 4,
             "How fast Listen reads the passage aloud."),
    Command(Id::kBibleVerses, "How many verses before and after a passage taken from the Bible "
                              "its context holds."),
    // Help
    Command(Id::kOverview, "Opens the help at its contents."),
    Command(Id::kHelpTopics, "Opens the help at its index of keywords."),
    Command(Id::kTutorial, "Opens the tutorial: Recitor step by step."),
    Command(Id::kUserGuide, "Opens the user guide: every window and command."),
    Command(Id::kUserManual, "Opens the printable user manual on Recitor's web site."),
    Command(Id::kContactUs, "Starts an e-mail to Recitor's support."),
    Command(Id::kHomePage, "Opens Recitor's home page."),
    Command(Id::kSlideshow, "Opens the training slideshow on Recitor's web site."),
    Command(Id::kCheckForUpdate, "Starts an e-mail that asks whether there is a newer version."),
    Command(Id::kTipOfTheDay, "Shows the next tip."),
    Command(Id::kSlowLaunch, "Tells how long loading took at this start."),
    Command(Id::kAbout, "Shows the version and the counts of your collection."),
    // The bar
    Command(Id::kFirst, "Shows the first passage of the tree (Alt+Home)."),
    Command(Id::kPrevious, "Shows the previous passage (Alt+Left)."),
    Command(Id::kNext, "Shows the next passage (Alt+Right)."),
    Command(Id::kLast, "Shows the last passage of the tree (Alt+End)."),
    Command(Id::kEdThis, "Revises the passage shown (maintainers)."),
    Command(Id::kEdNx, "Revises the passage shown, then goes on to the next one (maintainers)."),
    Command(Id::kDelThis, "Deletes the passage shown (maintainers)."),
};

} // namespace

QString ContextHelp::Text(int contextId) {
    for (const Entry& entry : kEntries)
        if (contextId >= entry.first && contextId <= entry.last)
            return QString::fromLatin1(entry.text);
    return {};
}

void ContextHelp::Apply(QWidget& window) {
    for (QWidget* control : window.findChildren<QWidget*>()) {
        bool isId = false;
        const int id = control->objectName().toInt(&isId);
        if (isId)
            control->setWhatsThis(Text(id));
    }
    for (QAction* action : window.findChildren<QAction*>()) {
        const int id = action->data().toInt();
        if (id > 0)
            action->setWhatsThis(Text(kMenuBase + id));
    }
}
