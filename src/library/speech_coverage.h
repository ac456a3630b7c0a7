// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "timing_file.h"

#include <cstdint>
#include <vector>

namespace vantrel {

// The value below which SHARE (0..1) of VALUES lie; 0 for none.
float percentile(std::vector<float> values, double share);

// A recording's loudness levels, in dB: its floor (the room's own sound), its
// vowels, and above what it is surely speech. With less than 15 dB between
// floor and vowels, pauses can't be told from speech: not `judged`.
struct SpeechLevels {
    float floor = 0.0F, vowels = 0.0F, speech = 0.0F;
    bool judged = false;
};
SpeechLevels speechLevels(const std::vector<float> &loudness);

// A recording's loudness, in dB, per 10 ms frame of its samples (mono, -1..1).
std::vector<float> loudnessPerFrame(const std::vector<float> &samples, int rate);
inline constexpr double kLoudnessFrameMs = 10.0;

// Speech the timed sentences leave out: from its first sound to its last.
struct UntimedSpeech {
    std::int64_t startMs = 0, endMs = 0;
    std::size_t before = 0;  // the first sentence after it; the number of sentences when it comes last

    bool operator==(const UntimedSpeech &) const = default;
};

struct SpeechCoverage {
    bool judged = false;                  // false when the recording has no pauses to tell speech from
    std::vector<UntimedSpeech> untimed;   // speech of half a second or more that no sentence's times hold
    std::vector<std::size_t> silent;      // sentences whose times hold no speech
};

// Where the recording (LOUDNESS, see loudnessPerFrame) speaks, against the
// times of its sentences (CUES, in order, in the recording's time). Speech
// is told from pauses by loudness alone, so the check needs no transcript:
// the teachers' tools run it on a recording and its timing file.
SpeechCoverage checkSpeechCoverage(const std::vector<float> &loudness, const std::vector<Cue> &cues);

} // namespace vantrel
