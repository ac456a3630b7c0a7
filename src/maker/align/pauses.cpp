// SPDX-License-Identifier: GPL-3.0-or-later
#include "pauses.h"

#include <algorithm>
#include <cstdlib>

namespace vantrel {

namespace {

constexpr int kPauseFrames = 12;       // a pause between sentences lasts 120 ms at least
constexpr float kSpeechShare = 0.35F;  // of the way from the floor to the vowels
constexpr float kAboveFloorDb = 4.0F;  // a soft first consonant still stands out this much
constexpr int kSoftFrames = 15;        // and lasts no longer than 150 ms

float percentile(std::vector<float> values, double share)
{
    if (values.empty())
        return 0.0F;
    const auto at = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at), values.end());
    return values[at];
}

} // namespace

Pauses::Pauses(const std::vector<float> &loudness)
    : m_loudness(loudness), m_quiet(percentile(loudness, 0.05)), m_loud(percentile(loudness, 0.9))
{
    m_speech = m_quiet + kSpeechShare * (m_loud - m_quiet);
    m_silence = m_quiet + kAboveFloorDb;
}

int Pauses::soundStartNear(int frame, int reach) const
{
    const int frames = static_cast<int>(m_loudness.size());
    if (!hasPauses())
        return frame;
    int best = frame, bestDistance = reach + 1;
    for (int f = std::max(0, frame - reach); f <= std::min(frames - 1, frame + reach); ++f) {
        if (isQuiet(f))
            continue;
        bool pauseBefore = true;
        for (int g = f - kPauseFrames; g < f && pauseBefore; ++g)
            pauseBefore = isQuiet(g);
        if (!pauseBefore)
            continue;
        // Back from the first surely spoken frame to the first that stands out of the floor.
        int start = f;
        while (start > 0 && f - start < kSoftFrames && !isSilent(start - 1))
            --start;
        if (std::abs(start - frame) < bestDistance)
            best = start, bestDistance = std::abs(start - frame);
    }
    return best;
}

int Pauses::soundEndNear(int frame, int reach) const
{
    const int frames = static_cast<int>(m_loudness.size());
    if (!hasPauses())
        return frame;
    int best = frame, bestDistance = reach + 1;
    for (int f = std::max(0, frame - reach); f <= std::min(frames - 1, frame + reach); ++f) {
        if (isQuiet(f))
            continue;
        bool pauseAfter = true;
        for (int g = f + 1; g <= f + kPauseFrames && pauseAfter; ++g)
            pauseAfter = isQuiet(g);
        if (!pauseAfter)
            continue;
        int end = f + 1;
        while (end < frames && end - f - 1 < kSoftFrames && !isSilent(end))
            ++end;
        if (std::abs(end - frame) < bestDistance)
            best = end, bestDistance = std::abs(end - frame);
    }
    return best;
}

} // namespace vantrel
