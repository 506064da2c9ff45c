// SPDX-License-Identifier: GPL-2.0-or-later
#include "Speaker.h"

#include "ProgramLibrary.h"
#include "SpeechEngine.h"

#include <QLibrary>

#include <utility>

CSpeaker::CSpeaker(QStringList engines, QString library)
    : engines_(std::move(engines)), library_(std::move(library)) {}

// The library stays loaded after the engine is gone: the engine's code runs until it is deleted,
// and unloading Qt's speech plugins while the program runs gains nothing.
CSpeaker::~CSpeaker() = default;

ISpeechEngine* CSpeaker::Engine() {
    if (opened_)
        return engine_.get();
    opened_ = true;
    QLibrary library(library_.isEmpty()
                         ? ProgramLibrary(QStringLiteral(RECITOR_SPEECH_LIBRARY_NAME))
                         : library_);
    const auto make = reinterpret_cast<SpeechEngineFactory>(library.resolve(kSpeechEngineFactory));
    if (make)
        engine_.reset(make(engines_, [this](bool on) { emit speaking(on); }));
    else
        failure_ =
            QStringLiteral("The speech library could not be loaded: %1").arg(library.errorString());
    return engine_.get();
}

bool CSpeaker::EngineInstalled() {
    ISpeechEngine* engine = Engine();
    return engine && engine->EngineInstalled();
}

bool CSpeaker::Say(const QString& text, double rate) {
    ISpeechEngine* engine = Engine();
    return engine && engine->Say(text, rate);
}

// Nothing can be under way before the library is opened, so these do not open it.
void CSpeaker::Stop() {
    if (engine_)
        engine_->Stop();
}

bool CSpeaker::Speaking() const {
    return engine_ && engine_->Speaking();
}

QString CSpeaker::Problem() const {
    return engine_ ? engine_->Problem() : failure_;
}
