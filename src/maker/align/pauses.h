// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "speech_coverage.h"

#include <utility>
#include <vector>

namespace vantrel {

// Finds where sound starts after a pause, and where it stops before one, in
// a sound's loudness per 10 ms frame. The warp's estimate of a sentence's
// edge is good to a syllable; the pause before a sentence is exact.
class Pauses {
public:
    explicit Pauses(const std::vector<float> &loudness);

    // The frame where sound starts after a pause, nearest to FRAME within
    // REACH frames; FRAME itself when no pause is that near.
    int soundStartNear(int frame, int reach) const;
    // The frame after the last frame of sound before a pause, likewise.
    int soundEndNear(int frame, int reach) const;

    // The longest pause of 100 ms or more after FROM that ends by TO: its
    // first quiet frame and the frame where sound starts again (TO at the
    // latest); {-1, -1} when none.
    std::pair<int, int> pauseWithin(int from, int to) const;

    bool hasPauses() const { return m_levels.judged; }

private:
    // SIDE -1: a start, with the pause before it; +1: an end, with the pause after.
    int edgeNear(int frame, int reach, int side) const;

    // Before and after the sound is as good as a pause.
    bool isQuiet(int frame) const
    {
        return frame < 0 || frame >= static_cast<int>(m_loudness.size()) || m_loudness[frame] < m_levels.speech;
    }
    bool isSilent(int frame) const { return m_loudness[frame] < m_silence; }

    const std::vector<float> &m_loudness;
    SpeechLevels m_levels;
    float m_silence = 0.0F;  // surely no speech below this
};

} // namespace vantrel
