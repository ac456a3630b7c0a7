// SPDX-License-Identifier: GPL-3.0-or-later
#include "pauses.h"

#include "sound_features.h"
#include "speech_coverage.h"

#include <algorithm>
#include <cstdlib>

namespace vantrel {

namespace {

constexpr int kPauseFrames = 12;       // a pause between sentences lasts 120 ms at least
constexpr float kAboveFloorDb = 4.0F;  // a soft first consonant still stands out this much
constexpr int kSoftFrames = 15;        // and lasts no longer than 150 ms
constexpr int kWordPauseFrames = 10;   // a reader's pause within a sentence lasts 100 ms at least
constexpr float kBelowVowelsDb = 40.0F; // and is this far under the vowels, at least
constexpr float kLeastWordPauseRangeDb = 30.0F;  // from the floor to the vowels: less, and such pauses are not told

} // namespace

Pauses::Pauses(const std::vector<float> &loudness) : m_loudness(loudness), m_levels(speechLevels(loudness))
{
    m_silence = m_levels.floor + kAboveFloorDb;
}

int Pauses::soundStartNear(int frame, int reach) const
{
    return edgeNear(frame, reach, -1);
}

int Pauses::soundEndNear(int frame, int reach) const
{
    return edgeNear(frame, reach, +1);
}

std::pair<int, int> Pauses::pauseWithin(int from, int to) const
{
    std::pair<int, int> longest{-1, -1};
    // In noise, soft sounds within words sink to the floor as well.
    if (!hasPauses() || m_levels.vowels - m_levels.floor < kLeastWordPauseRangeDb)
        return longest;
    to = std::min(to, static_cast<int>(m_loudness.size()) - 1);
    for (int f = from + 1, quietFrom = -1; f <= to; ++f) {
        // At the recording's floor, or far below its vowels where that floor
        // is digital silence; not merely below the speech, which in noise
        // soft sounds are too.
        if (isSilent(f) || m_loudness[f] < m_levels.vowels - kBelowVowelsDb) {
            quietFrom = quietFrom < 0 ? f : quietFrom;
            continue;
        }
        if (quietFrom >= 0 && f - quietFrom >= kWordPauseFrames && f - quietFrom > longest.second - longest.first) {
            // Back from the surely spoken frame over a soft first consonant,
            // which stands out of the pause's own floor.
            const float floor = *std::min_element(m_loudness.begin() + quietFrom, m_loudness.begin() + f);
            int edge = f;
            while (edge > quietFrom && f - edge < kSoftFrames && m_loudness[edge - 1] >= floor + kAboveFloorDb)
                --edge;
            longest = {quietFrom, edge};
        }
        quietFrom = -1;
    }
    return longest;
}

int Pauses::edgeNear(int frame, int reach, int side) const
{
    const int frames = static_cast<int>(m_loudness.size());
    if (!hasPauses())
        return frame;
    int best = frame, bestDistance = reach + 1;
    for (int f = std::max(0, frame - reach); f <= std::min(frames - 1, frame + reach); ++f) {
        if (isQuiet(f))
            continue;
        bool pause = true;
        for (int g = 1; g <= kPauseFrames && pause; ++g)
            pause = isQuiet(f + side * g);
        if (!pause)
            continue;
        // Out from the surely spoken frame to the last that stands out of the floor.
        int edge = f;
        while (edge + side >= 0 && edge + side < frames && std::abs(edge - f) < kSoftFrames && !isSilent(edge + side))
            edge += side;
        const int at = side < 0 ? edge : edge + 1;
        if (std::abs(at - frame) < bestDistance)
            best = at, bestDistance = std::abs(at - frame);
    }
    return best;
}

} // namespace vantrel
