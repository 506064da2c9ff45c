#pragma once

class CPassageStore;
class CPreferences;
class QWidget;

// The File menu's Import Passages command: asks for a text file of passages, reads it, shows
// what it will add and what it will not, and on the user's confirmation adds the passages to the
// collection as passages of the user's own (saved, as every added passage is, at the next save).
// The translation the user chooses in the preview for the lines without one is kept in prefs.
// Returns the number of passages added.
int ImportPassages(CPassageStore& store, CPreferences& prefs, QWidget* owner);
