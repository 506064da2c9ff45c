// SPDX-License-Identifier: GPL-2.0-or-later
#include "Speaker.h"

#include <QTextToSpeech>

#include <algorithm>
#include <utility>

CSpeaker::CSpeaker(QStringList engines) : engines_(std::move(engines)) {}

CSpeaker::~CSpeaker() {
    if (engine_)
        engine_->stop();
}

bool CSpeaker::EngineInstalled() {
    const QStringList installed = QTextToSpeech::availableEngines();
    return std::any_of(engines_.cbegin(), engines_.cend(),
                       [&installed](const QString& name) { return installed.contains(name); });
}

QTextToSpeech* CSpeaker::Engine() {
    if (chosen_)
        return engine_;
    chosen_ = true;
    const QStringList installed = QTextToSpeech::availableEngines();
    for (const QString& name : std::as_const(engines_)) {
        if (!installed.contains(name))
            continue;
        auto* engine = new QTextToSpeech(name, this);
        // An engine that cannot reach its service or its audio output says so at once, in its
        // state or (flite without an audio device) only in its error text.
        if (engine->state() != QTextToSpeech::Error && engine->errorString().isEmpty()) {
            engine_ = engine;
            connect(engine_, &QTextToSpeech::stateChanged, this,
                    [this](QTextToSpeech::State state) { OnEngineState(state); });
            return engine_;
        }
        problem_ = engine->errorString();
        delete engine;
    }
    if (problem_.isEmpty())
        problem_ = QStringLiteral("No speech engine is installed.");
    return nullptr;
}

bool CSpeaker::Say(const QString& text, double rate) {
    QTextToSpeech* engine = Engine();
    if (!engine)
        return false;
    engine->setRate(rate);
    engineStarted_ = false;
    problem_.clear();
    engine->say(text);
    if (!speaking_) {
        speaking_ = true;
        emit speaking(true);
    }
    return true;
}

void CSpeaker::Stop() {
    if (engine_)
        engine_->stop();
    Finish();
}

// The engine reports its states late: a Ready that stems from stopping an earlier text may come
// after the next Say, so only the end of a text that the engine has begun ends the reading. An
// error ends it at any time.
void CSpeaker::OnEngineState(int state) {
    if (state == QTextToSpeech::Speaking) {
        engineStarted_ = true;
    } else if (state == QTextToSpeech::Error) {
        problem_ = engine_->errorString();
        Finish();
    } else if (state == QTextToSpeech::Ready && engineStarted_) {
        Finish();
    }
}

void CSpeaker::Finish() {
    engineStarted_ = false;
    if (!speaking_)
        return;
    speaking_ = false;
    emit speaking(false);
}
