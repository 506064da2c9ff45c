// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "SpeechEngine.h"

class QTextToSpeech;

// The desktop's speech through Qt's text-to-speech. The engine is chosen and started at the first
// Say and kept for the run: the first of engines that is installed and starts.
class CTextToSpeechEngine : public ISpeechEngine {
public:
    CTextToSpeechEngine(QStringList engines, std::function<void(bool)> speakingChanged);
    ~CTextToSpeechEngine() override;
    CTextToSpeechEngine(const CTextToSpeechEngine&) = delete;
    CTextToSpeechEngine& operator=(const CTextToSpeechEngine&) = delete;

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
    std::function<void(bool)> speakingChanged_;
    QTextToSpeech* engine_ = nullptr; // owned
    bool chosen_ = false;
    bool speaking_ = false;
    bool engineStarted_ = false; // the engine has begun reading the text of the last Say
    QString problem_;
};
