// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// A speech engine as the speech library offers it: a plain interface, so that the program's
// speaker (Speaker.h), a QObject with its one meta-object in the program, forwards to it and
// tells of the changes of speaking() itself.
class ISpeechEngine {
public:
    virtual ~ISpeechEngine() = default;

    // Whether one of the engines asked for is installed. Looks at what is installed only; no
    // engine is started.
    virtual bool EngineInstalled() = 0;
    // Starts reading text aloud at rate (-1 slowest, 0 normal, 1 fastest) and returns at once;
    // false, with why in Problem(), when no engine could be started.
    virtual bool Say(const QString& text, double rate) = 0;
    // Stops reading.
    virtual void Stop() = 0;
    // From Say until the text has been read, reading was stopped or the engine failed.
    virtual bool Speaking() const = 0;
    // Why the last Say could not start reading, or why the engine broke off reading.
    virtual QString Problem() const = 0;
};

// The engine is in a library of its own that the program opens when it first needs speech; the
// library exports one function of this name and type. It makes an engine, which the caller owns,
// that tries engines in their order and calls speakingChanged whenever Speaking() changes.
using SpeechEngineFactory = ISpeechEngine* (*)(const QStringList& engines,
                                               std::function<void(bool)> speakingChanged);
inline constexpr const char* kSpeechEngineFactory = "RecitorMakeSpeechEngine";
