// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "speech_coverage.h"  // percentile

#include <vector>

namespace vantrel {

// What the aligner compares of two sounds: per 10 ms frame, the shape of the
// spectrum (mel cepstrum, loudness left out, each coefficient normalised over
// the sound, so two voices and two recording levels become comparable) and
// the loudness on its own, in dB, to find the pauses.
struct Features {
    static constexpr int kCoefficients = 8;  // the spectrum's outline: more tells speakers apart, not sounds
    static constexpr double kHopMs = 10.0;

    int frames = 0;
    std::vector<float> cepstrum;  // frames x kCoefficients
    std::vector<float> loudness;  // dB of the frame's mean square, at least kSilenceDb
    std::vector<float> activity;  // loudness from the sound's quiet (0) to its vowels (1), scaled to weigh
                                  // like the spectrum: speech meets speech, and pauses pauses

    const float *frame(int index) const { return cepstrum.data() + static_cast<std::size_t>(index) * kCoefficients; }
};

inline constexpr float kSilenceDb = -100.0F;


// A sound's power per 10 ms frame, overall and in mel bands: what the
// features are made of.
struct Spectra {
    static constexpr int kBands = 26;
    int frames = 0;
    std::vector<float> bands;  // frames x kBands
    std::vector<float> power;  // the frame's mean square
};

// SAMPLES are mono, in -1..1, at RATE samples a second.
Spectra computeSpectra(const std::vector<float> &samples, int rate);

// A clean sound (the synthesiser's) as it would sound in RECORDING: at its
// level and over its noise floor, band by band, so that noise in the
// recording does not make every frame of it unlike the clean one.
Spectra heardAs(Spectra clean, const Spectra &recording);

Features computeFeatures(const Spectra &spectra);
Features computeFeatures(const std::vector<float> &samples, int rate);

} // namespace vantrel
