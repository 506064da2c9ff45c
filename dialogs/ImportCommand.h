#pragma once

class CPassageStore;
class QWidget;

// The File menu's Import Passages command: asks for a text file of passages, reads it, shows
// what it will add and what it will not, and on the user's confirmation adds the passages to the
// collection as passages of the user's own (saved, as every added passage is, at the next save).
// Returns the number of passages added.
int ImportPassages(CPassageStore& store, QWidget* owner);
