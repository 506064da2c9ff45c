// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QTextToSpeech;

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
    // Why the last Say could not start reading, or why the engine broke off reading.
    virtual QString Problem() const = 0;

signals:
    void speaking(bool on);
};

// The desktop's speech through Qt's text-to-speech. The engine is chosen and started at the first
// Say and kept for the run: the first of engines that is installed and starts. By default that is
// speech-dispatcher where the desktop's service answers (it speaks with the voice and the output
// the user set up), else the offline flite voice.
class CSpeaker : public ISpeaker {
    Q_OBJECT
public:
    explicit CSpeaker(QStringList engines = {QStringLiteral("speechd"), QStringLiteral("flite")});
    ~CSpeaker() override;

    bool EngineInstalled() override;
    bool Say(const QString& text, double rate) override;
    void Stop() override;
    bool Speaking() const override { return speaking_; }
    QString Problem() const override { return problem_; }

private:
    // The engine of this run, chosen at the first call; null when none would start.
    QTextToSpeech* Engine();
    void OnEngineState(int state);
    void Finish();

    QStringList engines_;
    QTextToSpeech* engine_ = nullptr;
    bool chosen_ = false;
    bool speaking_ = false;
    bool engineStarted_ = false; // the engine has begun reading the text of the last Say
    QString problem_;
};
