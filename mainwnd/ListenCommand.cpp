// SPDX-License-Identifier: GPL-2.0-or-later
#include "ListenCommand.h"

#include "CommandIds.h"
#include "MainMenu.h"
#include "Passage.h"
#include "Preferences.h"
#include "Speaker.h"
#include "SpeechText.h"
#include "Win1252.h"

#include <QAction>
#include <QMenu>

namespace {

// The rates at which Listen reads for the speeds of the Preferences menu.
constexpr double kListenRates[CPreferences::kListenSpeeds] = {-0.5, -0.25, 0.0, 0.25, 0.5};
constexpr const char* kNoSpeechEngine =
    "Listening needs a speech engine: install the package qt6-speech-flite-plugin.";
constexpr const char* kNotPossible = "Listening is not possible: %1";

} // namespace

CListenCommand::CListenCommand(CMainMenu& menu, const CPreferences& prefs)
    : menu_(menu), prefs_(prefs) {
    menu_.Action(Id::kListen)->setShortcut(kKey);
    // The menu shows the tooltip that says why Listen is greyed.
    QMenu* view = menu_.View();
    view->setToolTipsVisible(true);
    connect(view, &QMenu::aboutToShow, this, [this] {
        Possible();
        ShowState();
    });
    SetSpeaker(std::make_unique<CSpeaker>());
}

CListenCommand::~CListenCommand() = default;

void CListenCommand::SetSpeaker(std::unique_ptr<ISpeaker> speaker) {
    if (speaker_)
        speaker_->Stop();
    speaker_ = std::move(speaker);
    connect(speaker_.get(), &ISpeaker::speaking, menu_.Action(Id::kListen), &QAction::setChecked);
}

bool CListenCommand::Stop() {
    if (!speaker_->Speaking())
        return false;
    speaker_->Stop();
    return true;
}

bool CListenCommand::Possible() {
    // Where the speaker could not even look for an engine, its reason says more than the advice.
    if (problem_.isEmpty() && !speaker_->EngineInstalled())
        problem_ = speaker_->Problem().isEmpty()
                       ? QString::fromLatin1(kNoSpeechEngine)
                       : QString::fromLatin1(kNotPossible).arg(speaker_->Problem());
    return problem_.isEmpty();
}

void CListenCommand::Update(const CPassage* current) {
    passageShown_ = current != nullptr;
    ShowState();
}

void CListenCommand::ShowState() {
    QAction* listen = menu_.Action(Id::kListen);
    listen->setEnabled(passageShown_ && problem_.isEmpty());
    listen->setToolTip(problem_);
}

bool CListenCommand::Toggle(const CPassage* passage, bool context) {
    // The item shows whether it reads, not what a click on it toggled.
    menu_.Action(Id::kListen)->setChecked(speaker_->Speaking());
    if (Stop() || !passage)
        return true;
    const std::string_view text = context ? passage->context : passage->PassageText();
    if (Possible() &&
        speaker_->Say(FromWin1252(SpeechText(text)), kListenRates[prefs_.ListenSpeed]))
        return true;
    if (problem_.isEmpty())
        problem_ = QString::fromLatin1(kNotPossible).arg(speaker_->Problem());
    Update(passage);
    return false;
}
