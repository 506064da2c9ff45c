// SPDX-License-Identifier: GPL-2.0-or-later
#include "EndSignals.h"

#include <QSocketNotifier>

#ifndef _WIN32
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

#ifndef _WIN32
constexpr int kEndSignals[] = {SIGTERM, SIGHUP, SIGINT};

// The pipe from the signal handler to the event loop: [0] is read by the notifier, [1] written by
// the handler. Process-wide, since signal dispositions are.
int endPipe[2] = {-1, -1};

extern "C" void OnEndSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already holds a request; nothing is lost by dropping this one.
    [[maybe_unused]] const ssize_t written = ::write(endPipe[1], &byte, 1);
    errno = savedErrno;
}
#endif

} // namespace

CEndSignals::CEndSignals(QObject* parent) : QObject(parent) {
#ifndef _WIN32
    if (::pipe2(endPipe, O_NONBLOCK | O_CLOEXEC) != 0)
        return; // the program still runs; such a signal then ends it at once, as by default
    notifier_ = new QSocketNotifier(endPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &CEndSignals::Drain);
    struct sigaction action = {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    // Calls that a signal interrupts go on, so that a save in progress completes.
    action.sa_flags = SA_RESTART;
    for (const int signal : kEndSignals)
        ::sigaction(signal, &action, nullptr);
#endif
}

CEndSignals::~CEndSignals() {
#ifndef _WIN32
    if (!notifier_)
        return;
    // Everything has been saved by now: later signals may end the process as they normally do.
    for (const int signal : kEndSignals)
        std::signal(signal, SIG_DFL);
    delete notifier_;
    ::close(endPipe[0]);
    ::close(endPipe[1]);
    endPipe[0] = endPipe[1] = -1;
#endif
}

void CEndSignals::Drain() {
#ifndef _WIN32
    char bytes[64];
    while (::read(endPipe[0], bytes, sizeof bytes) > 0) {
    }
    emit endRequested();
#endif
}
