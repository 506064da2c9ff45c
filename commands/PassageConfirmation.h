// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

class CPassage;
class QWidget;

// Asks question about passage, with its reference and key number, in a Yes/No box over owner;
// true for Yes.
bool ConfirmForPassage(QWidget* owner, const char* question, const CPassage& passage);
