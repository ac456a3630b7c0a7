// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace vantrel {

struct Sound {
    std::vector<float> samples;  // mono, -1..1
    int rate = 0;
};

struct SentenceSpan {
    double startMs = 0.0;  // where its first sound starts
    double endMs = 0.0;    // where its last sound ends
};

struct Alignment {
    std::vector<SentenceSpan> sentences;  // empty when the alignment is not trusted
    double match = 0.0;                   // how much better the transcript fits than the same sounds
                                          // backwards: 0 (no better) to 1 (a perfect fit)
    std::string doubt;                    // why it is not trusted
};

// How well a recording must match its transcript spoken by the synthesiser.
// Measured: readings of the text itself by espeak-ng, by a Festival HMM voice,
// slowed, sped up and in noise matched 0.15 to 0.84; recordings of another
// text in the same voices at most 0.09.
inline constexpr double kLeastMatch = 0.12;

// Where each sentence lies in RECORDING, found by warping the sentences as
// SPOKEN one by one by a speech synthesiser onto it. Times are in the
// recording's own time.
Alignment alignSentences(const Sound &recording, const std::vector<Sound> &spoken);

} // namespace vantrel
