// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sound_features.h"

#include <vector>

namespace vantrel {

// The cheapest monotone path through the frame distances of two sounds, from
// their first frames to their last (dynamic time warping).
struct Warp {
    std::vector<int> firstMatch;  // per frame of the first sound, the first frame of the second it meets
    std::vector<int> lastMatch;   // and the last
    double meanCost = 0.0;        // mean frame distance along the path
};

// The path keeps within a band around the straight line between the corners,
// wide enough for the pace of the two sounds to differ by a third.
Warp warp(const Features &first, const Features &second);

} // namespace vantrel
