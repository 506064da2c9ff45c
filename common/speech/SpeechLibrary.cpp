// SPDX-License-Identifier: GPL-2.0-or-later
// The entry point of the library that the program opens when it first needs speech, so that Qt's
// text-to-speech library and what it brings are mapped only then, not at every start.
#include "SpeechEngine.h"
#include "TextToSpeechEngine.h"

#include <type_traits>
#include <utility>

// Makes a speech engine; the caller owns it. Its name is kSpeechEngineFactory.
extern "C" __attribute__((visibility("default"))) ISpeechEngine*
RecitorMakeSpeechEngine(const QStringList& engines, std::function<void(bool)> speakingChanged) {
    return new CTextToSpeechEngine(engines, std::move(speakingChanged));
}
static_assert(std::is_same_v<decltype(&RecitorMakeSpeechEngine), SpeechEngineFactory>);
