// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sound_features.h"

#include <limits>
#include <vector>

namespace vantrel {

// What a path may do besides matching frames. A recording may hold speech
// its transcript lacks, or lack a sentence the transcript has; without these
// the path would stretch a neighbouring sentence over the one or squeeze the
// other into nothing.
struct WarpAllowances {
    // Per frame of the first sound: the most a frame of the second may cost
    // when matched to it. The pauses between sentences get a finite value, so
    // that they can take in speech that is not in the transcript.
    std::vector<float> cap;
    // A sentence of the first sound passed over whole: from frame `before`
    // (the last one ahead of it) straight to frame `after`, at `cost`.
    struct Jump {
        int before = 0, after = 0;
        float cost = 0.0F;
    };
    std::vector<Jump> jumps;  // in order, at most one per `after`
};

// The cheapest monotone path through the frame distances of two sounds, from
// their first frames to their last (dynamic time warping).
struct Warp {
    std::vector<int> firstMatch;  // per frame of the first sound, the first frame of the second it meets
    std::vector<int> lastMatch;   // and the last; for a frame passed over by a jump, the frame it was passed at
    std::vector<bool> passedOver; // per frame of the first sound, passed over by a jump
    std::vector<bool> takenIn;    // per frame of the second sound, met only at its cap
    std::vector<float> frameCost; // per frame of the second sound, its mean distance to the frames it meets
                                  // below their cap; NaN for a frame taken in
    double meanCost = 0.0;        // mean frame distance along the path
};

// The path keeps within a band around the straight line between the corners,
// wide enough for the pace of the two sounds to differ by a third.
Warp warp(const Features &first, const Features &second, const WarpAllowances &allowances = {});

} // namespace vantrel
