// SPDX-License-Identifier: GPL-3.0-or-later
#include "aligner.h"

#include "sound_features.h"
#include "pauses.h"
#include "warp.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vantrel {

namespace {

constexpr double kSynthPauseMs = 300.0;
constexpr float kSynthSoundShare = 0.01F;  // of the sentence's peak: below it, the synthesiser is silent
constexpr int kPauseReach = 35;           // frames the warp's estimate may be off
constexpr double kShortestShare = 0.5;    // of the recording's length to the spoken transcript's
constexpr double kLongestShare = 2.0;

struct Frames {
    int first = 0, end = 0;  // [first, end)
};

std::string secondsText(double frames)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", frames * Features::kHopMs / 1000.0);
    return text;
}

// The sentences spoken one after another, each trimmed to its sound and
// followed by a pause, as a reader pauses between sentences; and the span
// of each one's sound, in frames.
Sound joined(const std::vector<Sound> &spoken, std::vector<Frames> &spans)
{
    Sound all;
    all.rate = spoken.empty() ? 0 : spoken.front().rate;
    const auto pause = static_cast<std::size_t>(all.rate * kSynthPauseMs / 1000.0);
    const double samplesPerFrame = all.rate * Features::kHopMs / 1000.0;
    all.samples.assign(pause, 0.0F);
    for (const Sound &sentence : spoken) {
        float peak = 0.0F;
        for (const float sample : sentence.samples)
            peak = std::max(peak, std::abs(sample));
        auto sounding = [peak](float sample) { return std::abs(sample) > kSynthSoundShare * peak; };
        const auto first = std::find_if(sentence.samples.begin(), sentence.samples.end(), sounding);
        const auto last = std::find_if(sentence.samples.rbegin(), sentence.samples.rend(), sounding).base();
        const auto start = static_cast<int>(static_cast<double>(all.samples.size()) / samplesPerFrame);
        if (first < last)
            all.samples.insert(all.samples.end(), first, last);
        const auto end = static_cast<int>(static_cast<double>(all.samples.size()) / samplesPerFrame);
        spans.push_back({start, std::max(end, start + 1)});
        all.samples.insert(all.samples.end(), pause, 0.0F);
    }
    return all;
}

// The same frames in the opposite order: speech of the same sounds that says
// something else, to see how much better the transcript fits the recording.
Features reversed(const Features &features)
{
    Features backwards = features;
    for (int f = 0; f < features.frames; ++f) {
        std::copy_n(features.frame(features.frames - 1 - f), Features::kCoefficients,
                    backwards.cepstrum.begin() + static_cast<std::ptrdiff_t>(f) * Features::kCoefficients);
    }
    std::reverse(backwards.loudness.begin(), backwards.loudness.end());
    std::reverse(backwards.activity.begin(), backwards.activity.end());
    return backwards;
}

// Each sentence after the one before it, and at least one frame long.
void putInOrder(std::vector<Frames> &sentences)
{
    for (std::size_t s = 0; s < sentences.size(); ++s) {
        if (s > 0) {
            sentences[s].first = std::max(sentences[s].first, sentences[s - 1].first + 1);
            sentences[s - 1].end = std::min(sentences[s - 1].end, sentences[s].first);
        }
        sentences[s].end = std::max(sentences[s].end, sentences[s].first + 1);
    }
}

} // namespace

Alignment alignSentences(const Sound &recording, const std::vector<Sound> &spoken)
{
    Alignment alignment;
    std::vector<Frames> spans;
    const Sound speech = joined(spoken, spans);
    const Features synthetic = computeFeatures(speech.samples, speech.rate);
    const Features heard = computeFeatures(recording.samples, recording.rate);
    if (synthetic.frames == 0 || heard.frames == 0) {
        alignment.doubt = "the recording or its transcript is too short to align";
        return alignment;
    }
    const double share = static_cast<double>(heard.frames) / synthetic.frames;
    if (share < kShortestShare || share > kLongestShare) {
        alignment.doubt = "the recording lasts " + secondsText(heard.frames) + ", but its transcript read aloud takes about "
                          + secondsText(synthetic.frames);
        return alignment;
    }
    const Warp path = warp(synthetic, heard);
    const double backwards = warp(reversed(synthetic), heard).meanCost;
    alignment.match = backwards > 0.0 ? 1.0 - path.meanCost / backwards : 0.0;
    if (alignment.match < kLeastMatch) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "the recording does not sound like its transcript (match %.2f, at least %.2f needed)",
                      alignment.match, kLeastMatch);
        alignment.doubt = text;
        return alignment;
    }

    const Pauses pauses(heard.loudness);
    std::vector<Frames> sentences;
    for (const Frames &said : spans) {
        const int start = path.firstMatch[std::min(said.first, synthetic.frames - 1)];
        const int end = path.firstMatch[std::min(said.end, synthetic.frames - 1)];
        sentences.push_back({pauses.soundStartNear(start, kPauseReach), pauses.soundEndNear(end, kPauseReach)});
    }
    putInOrder(sentences);
    for (const Frames &frames : sentences)
        alignment.sentences.push_back({frames.first * Features::kHopMs, frames.end * Features::kHopMs});
    return alignment;
}

} // namespace vantrel
