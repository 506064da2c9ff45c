// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// Shared pieces of the window and application tests: a message-box service that answers from a
// script, settings kept in memory, a small passage collection written byte for byte, and the
// test program's start that keeps every file, setting and lock away from the user's own.

#include "MemorySettings.h"
#include "MessageBoxService.h"
#include "Platform.h"

#include <QApplication>
#include <QByteArray>
#include <QDialog>
#include <QList>
#include <QMap>
#include <QString>
#include <QTest>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <utility>
#include <vector>

struct ShownBox {
    QString caption;
    QString text;
    MsgIcon icon;
    MsgButtons buttons;
};

// Records every message box and answers from answers; with the script used up it answers OK,
// Cancel or No, whichever the box offers. Installed for its own lifetime.
class CScriptedMessageBoxes : public IMessageBoxService {
public:
    CScriptedMessageBoxes() { SetMessageBoxes(this); }
    ~CScriptedMessageBoxes() override { SetMessageBoxes(nullptr); }
    CScriptedMessageBoxes(const CScriptedMessageBoxes&) = delete;
    CScriptedMessageBoxes& operator=(const CScriptedMessageBoxes&) = delete;

    MsgAnswer Show(QWidget* owner, const QString& caption, const QString& text, MsgIcon icon,
                   MsgButtons buttons) override;

    std::deque<MsgAnswer> answers;
    QList<ShownBox> shown;
    QList<QWidget*> owners;
};

// The sample collection: 18 baseline passages (Genesis 1:1-13 KJV as inactive filler, a context
// record for Psalm 23:1, John 3:16 in KJV and NIV, John 3:17 NIV, Romans 8:28 KJV) and two user
// passages (Philippians 4:13 and 4:19 NIV); four of them active through the statistics file.
// Their indices in the store:
namespace Sample {
inline constexpr int kGenesisFirst = 0; // .. 12
inline constexpr int kPsalmRecord = 13;
inline constexpr int kJohn16Kjv = 14;
inline constexpr int kJohn16Niv = 15; // class 0, progress 2, three-line context
inline constexpr int kJohn17Niv = 16; // class 1, progress 1
inline constexpr int kRomans828 = 17; // class 2, progress 3, two verses
inline constexpr int kPhil413 = 18;   // user passage, class 0, progress 4
inline constexpr int kPhil419 = 19;   // user passage, inactive
inline constexpr int kPassages = 20;
inline constexpr int kScore = 1 * 2 + 1 * 1 + 2 * 3 + 1 * 4;
inline constexpr int kStatsCount = 4;
inline constexpr int kNiv = 8;
inline constexpr int kAsv = 0; // a translation without passages

// The in-memory context of John 3:16 NIV and its passage and hint.
extern const char* const kJohnContext;
extern const char* const kJohnPassage;
extern const char* const kJohnHint;

// Writes RctInfo.xml, RctUser.xml, RctStats.xml and RctStatsSpare.xml into dir.
void WriteFiles(const QString& dir);
} // namespace Sample

void WriteFile(const QString& path, const QByteArray& bytes);
QByteArray ReadFile(const QString& path);
// Every file of dir by name with its bytes.
QMap<QString, QByteArray> Snapshot(const QString& dir);

// Runs action on the active modal dialog as soon as the event loop of the next modal run starts.
void OnNextModal(const std::function<void(QDialog*)>& action);

// The control of window whose id (object name) is id; the test program stops when there is none.
template <typename T> T* Control(const QWidget& window, int id) {
    auto* control = window.findChild<T*>(QString::number(id));
    if (!control)
        qFatal("no control %d", id);
    return control;
}

// A fixed text of a window: the id (object name) of the control or command that shows it, or
// kTheWindow for the window's title; the property that holds it; the text in UTF-8.
struct FixedText {
    int id;
    const char* property;
    const char* text;
};
inline constexpr int kTheWindow = 0;
// The entries of texts that window does not show, one line each with what it shows instead, so
// that comparing with an empty string names every wrong one.
QString TextsNotShown(const QObject& window, std::span<const FixedText> texts);

// Writes a generated collection into dir: baselineCount bundled passages, userCount passages of
// the user's own (none revising a bundled one) and activeCount of them all active. False, with
// the reason as a test failure, when it cannot.
bool WriteSynthetic(const QString& dir, int baselineCount, int userCount, int activeCount);

// Keeps the test program's settings, runtime files and home in private temporary directories and
// puts the standard paths in test mode; call before the application object is made.
void PrepareUiTestEnvironment();

#define RECITOR_UI_TEST_MAIN(TestClass)                                                            \
    int main(int argc, char** argv) {                                                              \
        PrepareUiTestEnvironment();                                                                \
        QApplication application(argc, argv);                                                      \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
