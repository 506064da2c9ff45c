// SPDX-License-Identifier: GPL-2.0-or-later
#include "TextToSpeechEngine.h"

#include <QTextToSpeech>

#include <algorithm>
#include <utility>

CTextToSpeechEngine::CTextToSpeechEngine(QStringList engines,
                                         std::function<void(bool)> speakingChanged)
    : engines_(std::move(engines)), speakingChanged_(std::move(speakingChanged)) {}

// The engine's last states are of no one's concern any more: it is cut off before it stops.
CTextToSpeechEngine::~CTextToSpeechEngine() {
    if (!engine_)
        return;
    QObject::disconnect(engine_, nullptr, nullptr, nullptr);
    engine_->stop();
    delete engine_;
}

bool CTextToSpeechEngine::EngineInstalled() {
    const QStringList installed = QTextToSpeech::availableEngines();
    return std::any_of(engines_.cbegin(), engines_.cend(),
                       [&installed](const QString& name) { return installed.contains(name); });
}

QTextToSpeech* CTextToSpeechEngine::Engine() {
    if (chosen_)
        return engine_;
    chosen_ = true;
    const QStringList installed = QTextToSpeech::availableEngines();
    for (const QString& name : std::as_const(engines_)) {
        if (!installed.contains(name))
            continue;
        auto* engine = new QTextToSpeech(name);
        // An engine that cannot reach its service or its audio output says so at once, in its
        // state or (flite without an audio device) only in its error text.
        if (engine->state() != QTextToSpeech::Error && engine->errorString().isEmpty()) {
            engine_ = engine;
            QObject::connect(engine_, &QTextToSpeech::stateChanged, engine_,
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

bool CTextToSpeechEngine::Say(const QString& text, double rate) {
    QTextToSpeech* engine = Engine();
    if (!engine)
        return false;
    engine->setRate(rate);
    engineStarted_ = false;
    problem_.clear();
    engine->say(text);
    if (!speaking_) {
        speaking_ = true;
        speakingChanged_(true);
    }
    return true;
}

void CTextToSpeechEngine::Stop() {
    if (engine_)
        engine_->stop();
    Finish();
}

// The engine reports its states late: a Ready that stems from stopping an earlier text may come
// after the next Say, so only the end of a text that the engine has begun ends the reading. An
// error ends it at any time.
void CTextToSpeechEngine::OnEngineState(int state) {
    if (state == QTextToSpeech::Speaking) {
        engineStarted_ = true;
    } else if (state == QTextToSpeech::Error) {
        problem_ = engine_->errorString();
        Finish();
    } else if (state == QTextToSpeech::Ready && engineStarted_) {
        Finish();
    }
}

void CTextToSpeechEngine::Finish() {
    engineStarted_ = false;
    if (!speaking_)
        return;
    speaking_ = false;
    speakingChanged_(false);
}
