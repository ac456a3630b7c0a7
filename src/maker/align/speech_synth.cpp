// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech_synth.h"

#include <espeak-ng/speak_lib.h>

namespace vantrel {

namespace {

constexpr int kWordsPerMinute = 150;  // a news reader's calm pace

int gSampleRate = 0;

int collect(short *samples, int count, espeak_EVENT *events)
{
    auto *sound = static_cast<Sound *>(events->user_data);
    for (int i = 0; samples && i < count; ++i)
        sound->samples.push_back(samples[i] / 32768.0F);
    return 0;
}

std::string startProblem(const std::string &voice)
{
    if (gSampleRate <= 0) {
        gSampleRate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
        if (gSampleRate <= 0)
            return "espeak-ng cannot start; install espeak-ng-data";
        espeak_SetSynthCallback(collect);
    }
    if (espeak_SetVoiceByName(voice.c_str()) != EE_OK)
        return "espeak-ng has no voice \"" + voice + "\"; install espeak-ng-data";
    espeak_SetParameter(espeakRATE, kWordsPerMinute, 0);
    return {};
}

} // namespace

SpokenSentences speakSentences(const std::vector<std::string> &sentences, const std::string &voice)
{
    SpokenSentences spoken;
    spoken.problem = startProblem(voice);
    if (!spoken.problem.empty())
        return spoken;
    for (const std::string &sentence : sentences) {
        Sound sound;
        sound.rate = gSampleRate;
        const espeak_ERROR result = espeak_Synth(sentence.c_str(), sentence.size() + 1, 0, POS_CHARACTER, 0,
                                                 espeakCHARS_UTF8, nullptr, &sound);
        if (result != EE_OK) {
            spoken.sentences.clear();
            spoken.problem = "espeak-ng cannot read the sentence \"" + sentence + "\" aloud";
            return spoken;
        }
        spoken.sentences.push_back(std::move(sound));
    }
    return spoken;
}

} // namespace vantrel
