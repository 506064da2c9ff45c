// SPDX-License-Identifier: GPL-2.0-or-later
#include "HandheldExportCommand.h"

#include "MessageBoxService.h"
#include "PassageStore.h"
#include "Preferences.h"
#include "Shell.h"

#include <QDir>

namespace {

constexpr const char* kSyncLibrary = "rapi";
constexpr const char* kExporter = "Export.exe";

constexpr const char* kInstructions =
    "Prior to using 'Export Pocket PC' function:\n"
    "* Install RecitorPpcSetup On Pocket-PC by selecting:\n"
    "   Start + Program + Recitor Folder + Install Pocket-PC\n"
    "\n"
    "* 'Export Pocket PC' does NOT work with Palm PDA's, or older\n"
    "  WinCE devices (HandHeld PC, HPC-Pro, PalmSize PDA. etc.)\n"
    "\n"
    "* Prior to 1st sync (now), check that PPC has Ps 119:11,\n"
    "  John 3:16, and 1st John 4:8 available with menu item 'Passage'\n"
    "\n"
    "* Connect Pocket PC to desktop with ActiveSync working. You\n"
    "  should have been able to sync Outlook tasks, contacts, etc.\n"
    "  prior to using the Recitor 'Export Pocket PC' function.\n"
    "  (Recitor 'hangs' if Pocket PC not connected, but will \n"
    "  'recover' and sync if Pocket PC connected belatedly)\n"
    "\n"
    "* Up to 16 passages from 'Most Frequent/Daily',\n"
    "  'Less Frequent/Weekly' and 'Least Frequent/Monthly'\n"
    "  will be synched with Pocket PC";

constexpr const char* kReminder = "Make sure Pocket PC is connected, and ActiveSync\n"
                                  "is 'alive' and working. 'Exit' from Recitor-PPC.\n"
                                  "\n"
                                  "Note: Recitor on PPC-2002 must be closed with 'Exit'\n"
                                  "on lower menu bar, rather than 'Smart-Minimize X' \n"
                                  "in upper right. Otherwise, changes won't be 'seen'\n"
                                  "until actual 'Exit' done from Recitor-PPC. \n"
                                  "\n"
                                  "Then click 'OK'.\n"
                                  "\n"
                                  "(Recitor 'hangs' until Pocket PC connected, but\n"
                                  "will 'recover' and sync if Pocket PC connected belatedly)";

QString ExporterPath() {
    return QDir::current().filePath(QLatin1String(kExporter));
}

bool Confirm(QWidget* owner, const char* text) {
    return MessageBoxes().Show(owner, QStringLiteral("Recitor"), QString::fromLatin1(text),
                               MsgIcon::Warning, MsgButtons::OkCancel) == MsgAnswer::Ok;
}

} // namespace

// The exporter first: where it is missing, as on most computers, the library is not searched for
// at all, which would delay the main window's first appearance.
bool CHandheldExportCommand::Available() {
    return Shell().FileOpens(ExporterPath()) && Shell().LibraryLoads(QLatin1String(kSyncLibrary));
}

void CHandheldExportCommand::Run() {
    CPassageStore& store = context_.store;
    CPreferences& prefs = context_.prefs;
    QWidget* owner = context_.owner;
    if (!prefs.PpcSyncInitialized) {
        if (!Confirm(owner, kInstructions))
            return;
        prefs.PpcSyncInitialized = true;
    }
    // A file that cannot be written has been reported by the writer; the exporter may still carry
    // the previous one.
    if (store.ExportDue())
        store.WriteExport();
    if (!Confirm(owner, kReminder))
        return;
    // Started as a program and left to itself: it is never waited for, and its result is not
    // read. (The desktop's "open" action would at best show the file, never run it.)
    QString reason;
    if (!Shell().StartProgram(ExporterPath(), reason))
        MessageBoxes().Show(
            owner, QStringLiteral("Recitor"),
            QStringLiteral("%1 could not be started:\n%2\n(%3)")
                .arg(QLatin1String(kExporter), QDir::toNativeSeparators(ExporterPath()), reason),
            MsgIcon::Warning, MsgButtons::Ok);
}
