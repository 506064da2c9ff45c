// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <functional>
#include <system_error>
#include <thread>

// Work on a second thread that can never end the program: the thread is a std::jthread, joined
// by its destructor however its owner's scope is left, and a thread that cannot be started leaves
// its work to the thread that asked for it.

// How a thread is started: std::jthread's own constructor, unless a test stands in for it.
using ThreadStart = std::function<std::jthread(std::function<void()>)>;

// Starts work on a second thread, which the returned thread joins when it is destroyed. When no
// thread can be started (start, or std::jthread where start is empty, throws std::system_error),
// the work is done at once on this thread and the returned thread is empty.
template <typename Work> std::jthread StartBeside(const Work& work, const ThreadStart& start = {}) {
    try {
        return start ? start(work) : std::jthread(work);
    } catch (const std::system_error&) {
        work();
        return {};
    }
}
