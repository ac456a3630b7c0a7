// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech_coverage.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vantrel;

namespace {

// A recording drawn as text, one character per 10 ms frame: '#' speech
// (-20 dB), '.' a pause (-60 dB), '-' a soft sound (-50 dB) that is no speech.
std::vector<float> recording(const std::string &frames)
{
    std::vector<float> loudness;
    for (const char frame : frames)
        loudness.push_back(frame == '#' ? -20.0F : frame == '-' ? -50.0F : -60.0F);
    return loudness;
}

std::string times(std::size_t frames, char c) { return std::string(frames, c); }

Cue cue(std::int64_t startMs, std::int64_t endMs) { return {startMs, endMs, {}, 0}; }

// Two sentences of 1 s each, with pauses around them: 0-0.5 s pause,
// 0.5-1.5 s speech, 1.5-2 s pause, 2-3 s speech, 3-3.5 s pause.
const std::string kTwo = times(50, '.') + times(100, '#') + times(50, '.') + times(100, '#') + times(50, '.');

struct Case {
    const char *name;
    std::string frames;
    std::vector<Cue> cues;
    std::vector<UntimedSpeech> untimed;
    std::vector<std::size_t> silent;
};
void PrintTo(const Case &c, std::ostream *out) { *out << c.name; }

const Case kCases[] = {
    {"everyStretchTimed", kTwo, {cue(500, 1500), cue(2000, 3000)}, {}, {}},
    // Times that miss a sentence's edges by up to 100 ms leave nothing out.
    {"edgesMissedByALittle", kTwo, {cue(590, 1410), cue(2090, 2910)}, {}, {}},
    {"aSentenceLeftOutBefore", kTwo, {cue(2000, 3000)}, {{500, 1500, 0}}, {}},
    {"aSentenceLeftOutAfter", kTwo, {cue(500, 1500)}, {{2000, 3000, 1}}, {}},
    // Times that stop short leave the rest of the sentence out, once it is half a second.
    {"timesStopShort", kTwo, {cue(500, 900), cue(2000, 2500)}, {{1000, 1500, 1}}, {}},
    // Less than half a second of speech outside is a breath or a click.
    {"aShortSoundIsNoSentence", times(50, '.') + times(49, '#') + times(50, '.') + times(100, '#') + times(50, '.'),
     {cue(1490, 2490)}, {}, {}},
    // Speech with short pauses inside is one stretch; soft sounds are not speech.
    {"oneStretchThroughShortPauses",
     times(50, '.') + times(30, '#') + times(20, '-') + times(30, '#') + times(50, '.') + times(100, '#'),
     {cue(1800, 2800)}, {{500, 1300, 0}}, {}},
    {"timesOfAPause", kTwo, {cue(500, 1500), cue(1550, 1600), cue(2000, 3000)}, {}, {1}},
};

class SpeechCoverageTest : public testing::TestWithParam<Case> {};

TEST_P(SpeechCoverageTest, findsSpeechNoSentenceHoldsAndSentencesWithoutSpeech)
{
    const SpeechCoverage coverage = checkSpeechCoverage(recording(GetParam().frames), GetParam().cues);
    EXPECT_TRUE(coverage.judged);
    EXPECT_EQ(coverage.untimed, GetParam().untimed);
    EXPECT_EQ(coverage.silent, GetParam().silent);
}

INSTANTIATE_TEST_SUITE_P(, SpeechCoverageTest, testing::ValuesIn(kCases),
                         [](const auto &info) { return std::string(info.param.name); });

// A recording without pauses (music, a steady hum) can't be judged: nothing is said of it.
TEST(SpeechCoverage, aRecordingWithoutPausesIsNotJudged)
{
    const SpeechCoverage coverage = checkSpeechCoverage(std::vector<float>(300, -20.0F), {cue(0, 500)});
    EXPECT_FALSE(coverage.judged);
    EXPECT_TRUE(coverage.untimed.empty());
    EXPECT_TRUE(coverage.silent.empty());
}

// 10 ms frames of the samples' mean square, in dB.
TEST(SpeechCoverage, loudnessIsMeasuredPerTenMilliseconds)
{
    std::vector<float> samples(16000 / 100 * 3, 0.0F);
    std::fill(samples.begin() + 160, samples.begin() + 320, 0.5F);
    const std::vector<float> loudness = loudnessPerFrame(samples, 16000);
    ASSERT_EQ(loudness.size(), 3u);
    EXPECT_NEAR(loudness[1], 10.0 * std::log10(0.25), 0.01);
    EXPECT_LT(loudness[0], -90.0F);
}

} // namespace
