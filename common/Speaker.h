// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class ISpeechEngine;

// What the program asks of a speech engine: read a text aloud, stop, and tell when reading ends.
// The window holds one; tests give it one that records what it was told to read.
class ISpeaker : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Whether a speech engine is installed at all. Looks at what is installed only; no engine is
    // started.
    virtual bool EngineInstalled() = 0;
    // Starts reading text aloud at rate (-1 slowest, 0 normal, 1 fastest) and returns at once;
    // speaking() is emitted with true. false, with why in Problem(), when no engine could be
    // started.
    virtual bool Say(const QString& text, double rate) = 0;
    // Stops reading; speaking() is emitted with false when it was reading.
    virtual void Stop() = 0;
    // From Say until the text has been read, reading was stopped or the engine failed.
    virtual bool Speaking() const = 0;
    // Why the last Say could not start reading, or why the engine broke off reading; also why
    // EngineInstalled could not look for an engine, when it could not.
    virtual QString Problem() const = 0;

signals:
    void speaking(bool on);
};

// The desktop's speech through Qt's text-to-speech, read by the speech library, which is opened at
// the first question that needs an engine (EngineInstalled, Say), not at start. The engine is
// chosen and started at the first Say and kept for the run: the first of engines that is installed
// and starts. By default that is speech-dispatcher where the desktop's service answers (it speaks
// with the voice and the output the user set up), else the offline flite voice. When the library
// cannot be loaded, no engine is installed and Problem() says why.
class CSpeaker : public ISpeaker {
    Q_OBJECT
public:
    // Reads through the speech library at library; empty: the program's own.
    explicit CSpeaker(QStringList engines = {QStringLiteral("speechd"), QStringLiteral("flite")},
                      QString library = {});
    ~CSpeaker() override;

    bool EngineInstalled() override;
    bool Say(const QString& text, double rate) override;
    void Stop() override;
    bool Speaking() const override;
    QString Problem() const override;

private:
    // The library's engine, or null when the library cannot be loaded (failure_ says why).
    ISpeechEngine* Engine();

    QStringList engines_;
    QString library_;
    bool opened_ = false;
    std::unique_ptr<ISpeechEngine> engine_;
    QString failure_;
};
