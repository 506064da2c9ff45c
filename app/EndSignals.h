// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QObject>

class QSocketNotifier;

// Turns the signals with which a desktop ends its programs (SIGTERM at logout or shutdown, SIGHUP
// when the terminal goes, SIGINT for Ctrl+C) into a Qt signal on the user-interface thread, so
// that the program ends with its normal save instead of dying on the spot. The handler only
// writes a byte into a pipe; everything else happens when the event loop reads it. A signal that
// arrives while no event loop runs (during loading or saving) waits in the pipe and interrupts
// nothing.
class CEndSignals : public QObject {
    Q_OBJECT
public:
    explicit CEndSignals(QObject* parent = nullptr);
    ~CEndSignals() override;
    CEndSignals(const CEndSignals&) = delete;
    CEndSignals& operator=(const CEndSignals&) = delete;

signals:
    // One of the signals arrived (several in a row are reported once).
    void endRequested();

private:
    void Drain();

    QSocketNotifier* notifier_ = nullptr;
};
