// SPDX-License-Identifier: GPL-2.0-or-later
#include "ImportCommand.h"

#include "EditBoxLineCounter.h"
#include "FileDialogService.h"
#include "FreedMemory.h"
#include "ImportPreviewDlg.h"
#include "MessageBoxService.h"
#include "PassageImport.h"
#include "PassageStore.h"
#include "Preferences.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <memory>
#include <thread>

namespace {

void Tell(QWidget* owner, const QString& text, MsgIcon icon) {
    MessageBoxes().Show(owner, QStringLiteral("Recitor"), text, icon, MsgButtons::Ok);
}

} // namespace

int CImportCommand::Run() {
    // The file, its lines' measures and the preview are freed as the command ends.
    const CReturnFreedMemory returnFreed;
    CPassageStore& store = context_.store;
    CPreferences& prefs = context_.prefs;
    QWidget* owner = context_.owner;
    // A full user file is told before a file is chosen.
    if (!store.CheckRoomForUserPassage())
        return 0;
    const QString path = FileDialogs().OpenFileName(
        owner, QStringLiteral("Choose a File of Passages"),
        QStringLiteral("Text files (*.txt *.tsv *.csv *.tab);;All files (*)"));
    if (path.isEmpty())
        return 0;
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Tell(owner, QStringLiteral("%1\ncannot be read: %2").arg(shown, file.errorString()),
             MsgIcon::Warning);
        return 0;
    }
    if (file.size() > static_cast<qint64>(CPassageImport::kMaxFileSize)) {
        Tell(owner,
             QStringLiteral("%1\nis too large to be a file of passages (more than %2 MB).")
                 .arg(shown)
                 .arg(CPassageImport::kMaxFileSize >> 20),
             MsgIcon::Warning);
        return 0;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        Tell(owner, QStringLiteral("%1\ncannot be read: %2").arg(shown, file.errorString()),
             MsgIcon::Warning);
        return 0;
    }

    // Measuring the passages' lines is most of the work: a counter for each core.
    std::vector<std::unique_ptr<CEditBoxLineCounter>> counters;
    std::vector<IDisplayLineCounter*> lines;
    const unsigned cores = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    for (unsigned core = 0; core < cores; ++core)
        lines.push_back(counters.emplace_back(std::make_unique<CEditBoxLineCounter>()).get());
    CPassageImport import(store, lines);
    import.SetBible({context_.bible, prefs.BibleVersesBefore, prefs.BibleVersesAfter});
    const auto read = [&import, &bytes](int trans) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        import.SetDefaultTranslation(trans);
        import.Read(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        QApplication::restoreOverrideCursor();
    };
    read(prefs.ImportTranslation());
    if (import.AcceptedLines().empty() && import.RefusedLines().empty()) {
        Tell(owner, QStringLiteral("%1\nholds no passages.").arg(shown), MsgIcon::Information);
        return 0;
    }
    CImportPreviewDlg preview(
        import, path, prefs.ImportTranslation(),
        [&prefs, &read](int trans) {
            prefs.ImportTrans = trans;
            read(trans);
        },
        owner);
    if (preview.exec() != QDialog::Accepted)
        return 0;
    std::vector<std::unique_ptr<CPassage>> passages = import.TakePassages();
    // The store refuses, with its own warning, what it cannot take.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int added = store.AddMany(passages);
    QApplication::restoreOverrideCursor();
    if (added > 0)
        Tell(owner,
             (added == 1 ? QStringLiteral("1 passage added")
                         : QStringLiteral("%1 passages added").arg(added)) +
                 QStringLiteral(" to \"Not Started/Inactive\". They are saved with your "
                                "collection at the next save."),
             MsgIcon::Information);
    return added;
}
