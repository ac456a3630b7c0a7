// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech_coverage.h"

#include <algorithm>
#include <cmath>

namespace vantrel {

namespace {

constexpr float kSilenceDb = -100.0F;
constexpr double kFloorShare = 0.05;   // of the frames: the quietest, the room's own sound
constexpr double kVowelShare = 0.9;    // the loudest but a few: vowels
constexpr float kSpeechShare = 0.35F;  // of the way from the floor to the vowels: surely speech above it
constexpr float kLeastRangeDb = 15.0F; // less between floor and vowels, and pauses can't be told from speech
constexpr int kEdgeSlackFrames = 10;   // a sentence's times may miss its edges by this much
constexpr int kJoinFrames = 30;        // speech with shorter pauses between is one stretch
constexpr int kLeastUntimedFrames = 50;
constexpr int kLeastSpokenFrames = 15;

int frameOf(std::int64_t ms)
{
    return static_cast<int>(std::floor(static_cast<double>(ms) / kLoudnessFrameMs));
}

// Per frame: surely speech, and held by some sentence's times.
struct Frames {
    std::vector<bool> speech, timed;
};

void findUntimed(const Frames &frames, const std::vector<Cue> &cues, SpeechCoverage &coverage)
{
    const int count = static_cast<int>(frames.speech.size());
    std::size_t next = 0;  // the first cue starting after the frame
    for (int f = 0; f < count; ++f) {
        if (frames.timed[f] || !frames.speech[f])
            continue;
        int last = f, spoken = 0;
        for (int g = f; g < count && !frames.timed[g] && g - last <= kJoinFrames; ++g) {
            if (frames.speech[g])
                last = g, ++spoken;
        }
        while (next < cues.size() && frameOf(cues[next].startMs) <= f)
            ++next;
        if (spoken >= kLeastUntimedFrames) {
            coverage.untimed.push_back({static_cast<std::int64_t>(f * kLoudnessFrameMs),
                                        static_cast<std::int64_t>((last + 1) * kLoudnessFrameMs), next});
        }
        f = last;
    }
}

} // namespace

float percentile(std::vector<float> values, double share)
{
    if (values.empty())
        return 0.0F;
    const auto at = static_cast<std::ptrdiff_t>(share * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + at, values.end());
    return values[static_cast<std::size_t>(at)];
}

SpeechLevels speechLevels(const std::vector<float> &loudness)
{
    SpeechLevels levels;
    levels.floor = percentile(loudness, kFloorShare);
    levels.vowels = percentile(loudness, kVowelShare);
    levels.speech = levels.floor + kSpeechShare * (levels.vowels - levels.floor);
    levels.judged = !loudness.empty() && levels.vowels - levels.floor >= kLeastRangeDb;
    return levels;
}

std::vector<float> loudnessPerFrame(const std::vector<float> &samples, int rate)
{
    const auto size = static_cast<std::size_t>(std::lround(rate * kLoudnessFrameMs / 1000.0));
    std::vector<float> loudness;
    for (std::size_t first = 0; size > 0 && first + size <= samples.size(); first += size) {
        double energy = 0.0;
        for (std::size_t i = first; i < first + size; ++i)
            energy += static_cast<double>(samples[i]) * samples[i];
        loudness.push_back(std::max(kSilenceDb, static_cast<float>(10.0 * std::log10(energy / size + 1e-12))));
    }
    return loudness;
}

SpeechCoverage checkSpeechCoverage(const std::vector<float> &loudness, const std::vector<Cue> &cues)
{
    SpeechCoverage coverage;
    const SpeechLevels levels = speechLevels(loudness);
    coverage.judged = levels.judged;
    if (!coverage.judged)
        return coverage;
    const int count = static_cast<int>(loudness.size());
    Frames frames{std::vector<bool>(count), std::vector<bool>(count, false)};
    for (int f = 0; f < count; ++f)
        frames.speech[f] = loudness[f] > levels.speech;
    for (std::size_t s = 0; s < cues.size(); ++s) {
        const int first = std::max(0, frameOf(cues[s].startMs)), end = std::min(count, frameOf(cues[s].endMs));
        int spoken = 0;
        for (int f = first; f < end; ++f)
            spoken += frames.speech[f] ? 1 : 0;
        if (spoken < kLeastSpokenFrames)
            coverage.silent.push_back(s);
        for (int f = std::max(0, first - kEdgeSlackFrames); f < std::min(count, end + kEdgeSlackFrames); ++f)
            frames.timed[f] = true;
    }
    findUntimed(frames, cues, coverage);
    return coverage;
}

} // namespace vantrel
