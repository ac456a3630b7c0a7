// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech_synth.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <utility>

namespace vantrel {

namespace {

constexpr int kWordsPerMinute = 150;  // a news reader's calm pace

int gSampleRate = 0;

// A sentence being spoken: its sound, and where espeak-ng says each word
// starts, as (character of the text counted from 0, ms into the sound).
struct Speaking {
    Sound sound;
    std::vector<std::pair<int, int>> wordEvents;
};

int collect(short *samples, int count, espeak_EVENT *events)
{
    auto *speaking = static_cast<Speaking *>(events->user_data);
    for (int i = 0; samples && i < count; ++i)
        speaking->sound.samples.push_back(samples[i] / 32768.0F);
    for (const espeak_EVENT *event = events; event->type != espeakEVENT_LIST_TERMINATED; ++event) {
        if (event->type == espeakEVENT_WORD)
            speaking->wordEvents.emplace_back(event->text_position - 1, event->audio_position);
    }
    return 0;
}

// Per character of SENTENCE (UTF-8), the run of non-blank characters it is
// in, counted from 0; -1 for a blank.
std::vector<int> tokenOfCharacter(const std::string &sentence)
{
    std::vector<int> tokens;
    int token = -1;
    bool inToken = false;
    for (const char byte : sentence) {
        if ((static_cast<unsigned char>(byte) & 0xC0U) == 0x80U)
            continue;  // a continuation byte: the same character
        const bool blank = byte == ' ' || byte == '\t';
        token += !blank && !inToken;
        inToken = !blank;
        tokens.push_back(blank ? -1 : token);
    }
    return tokens;
}

// Each word's start once, the first event within it, in order: espeak-ng
// may speak one token as several words ("1,200"), or none ("—").
std::vector<SoundWord> wordsOf(const Speaking &speaking, const std::string &sentence, int rate)
{
    const std::vector<int> tokens = tokenOfCharacter(sentence);
    std::vector<SoundWord> words;
    for (const auto &[character, ms] : speaking.wordEvents) {
        if (character < 0 || character >= static_cast<int>(tokens.size()) || tokens[character] < 0)
            continue;
        const auto token = static_cast<std::size_t>(tokens[character]);
        const auto sample = static_cast<std::size_t>(std::max(ms, 0)) * static_cast<std::size_t>(rate) / 1000;
        if (words.empty() || (token > words.back().token && sample >= words.back().sample))
            words.push_back({token, std::min(sample, speaking.sound.samples.size())});
    }
    return words;
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
        Speaking speaking;
        speaking.sound.rate = gSampleRate;
        const espeak_ERROR result = espeak_Synth(sentence.c_str(), sentence.size() + 1, 0, POS_CHARACTER, 0,
                                                 espeakCHARS_UTF8, nullptr, &speaking);
        if (result != EE_OK) {
            spoken.sentences.clear();
            spoken.problem = "espeak-ng cannot read the sentence \"" + sentence + "\" aloud";
            return spoken;
        }
        speaking.sound.words = wordsOf(speaking, sentence, gSampleRate);
        spoken.sentences.push_back(std::move(speaking.sound));
    }
    return spoken;
}

} // namespace vantrel
