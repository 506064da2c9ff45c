// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

// The addresses that the Help menu's and the Translation menu's web and mail commands open.
namespace WebLinks {

// The address of a web or mail command of the menu ("Contact Us", "Visit Home Page",
// "UserManual.doc", "Watch Slideshow" and the two outside sites); empty for any other id.
QString Address(int commandId);

// The "Check for Update" mail to the support address: a subject and a body that tells the
// version, the user's own passage count, the translation filter and how long loading took. The
// body after the version stands as it is, blanks and punctuation included, for the mail program
// to show.
QString UpdateMail(int userCount, int transFilter, double loadSeconds);

} // namespace WebLinks
