// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound_features.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>
#include <utility>
#include <numbers>

namespace vantrel {

namespace {

constexpr double kWindowMs = 25.0;
constexpr int kBands = Spectra::kBands;
constexpr double kLowestHz = 100.0;
constexpr double kHighestHz = 7000.0;  // below the 32 kbit/s encoder's cut and a 16 kHz rate's limit
constexpr float kPreEmphasis = 0.97F;
constexpr float kActivityWeight = 3.0F;
constexpr double kFloorShare = 0.1;   // of a recording's frames: at least this many are pauses, its noise
constexpr double kSpeechShare = 0.9;  // and its vowels lie above these
double melOf(double hz) { return 2595.0 * std::log10(1.0 + hz / 700.0); }
double hzOf(double mel) { return 700.0 * (std::pow(10.0, mel / 2595.0) - 1.0); }

struct FftDeleter {
    void operator()(fftwf_plan_s *plan) const { fftwf_destroy_plan(plan); }
};

// Triangular mel bands over the bins of an FFT of SIZE points.
std::vector<std::vector<float>> melBands(int size, int rate)
{
    const int bins = size / 2 + 1;
    const double top = std::min(kHighestHz, rate / 2.0);
    std::vector<double> edges(kBands + 2);
    for (int i = 0; i < kBands + 2; ++i)
        edges[i] = hzOf(melOf(kLowestHz) + (melOf(top) - melOf(kLowestHz)) * i / (kBands + 1));
    std::vector<std::vector<float>> bands(kBands, std::vector<float>(bins, 0.0F));
    for (int band = 0; band < kBands; ++band) {
        for (int bin = 0; bin < bins; ++bin) {
            const double hz = static_cast<double>(bin) * rate / size;
            const double rise = (hz - edges[band]) / (edges[band + 1] - edges[band]);
            const double fall = (edges[band + 2] - hz) / (edges[band + 2] - edges[band + 1]);
            bands[band][bin] = static_cast<float>(std::max(0.0, std::min(rise, fall)));
        }
    }
    return bands;
}

// Each coefficient to mean 0 and deviation 1 over the whole sound.
void normalise(Features &features)
{
    if (features.frames == 0)
        return;
    for (int c = 0; c < Features::kCoefficients; ++c) {
        double sum = 0.0, squares = 0.0;
        for (int f = 0; f < features.frames; ++f) {
            const double value = features.cepstrum[f * Features::kCoefficients + c];
            sum += value, squares += value * value;
        }
        const double mean = sum / features.frames;
        const double deviation = std::sqrt(std::max(squares / features.frames - mean * mean, 1e-12));
        for (int f = 0; f < features.frames; ++f) {
            float &value = features.cepstrum[f * Features::kCoefficients + c];
            value = static_cast<float>((value - mean) / deviation);
        }
    }
}

float bandSum(const Spectra &spectra, int frame)
{
    const auto first = spectra.bands.begin() + static_cast<std::ptrdiff_t>(frame) * Spectra::kBands;
    return std::accumulate(first, first + Spectra::kBands, 0.0F);
}

void measureActivity(Features &features)
{
    const float quiet = percentile(features.loudness, 0.05), loud = percentile(features.loudness, 0.9);
    const float range = std::max(loud - quiet, 1.0F);
    features.activity.resize(features.loudness.size());
    for (std::size_t f = 0; f < features.loudness.size(); ++f)
        features.activity[f] = kActivityWeight * std::clamp((features.loudness[f] - quiet) / range, 0.0F, 1.0F);
}

} // namespace

Spectra computeSpectra(const std::vector<float> &samples, int rate)
{
    const int window = static_cast<int>(std::lround(rate * kWindowMs / 1000.0));
    const double hop = rate * Features::kHopMs / 1000.0;
    int size = 1;
    while (size < window)
        size *= 2;
    Spectra spectra;
    if (window < 2 || samples.size() < static_cast<std::size_t>(window))
        return spectra;
    spectra.frames = 1 + static_cast<int>((static_cast<double>(samples.size()) - window) / hop);
    spectra.bands.resize(static_cast<std::size_t>(spectra.frames) * Spectra::kBands);
    spectra.power.resize(spectra.frames);

    std::vector<float> hamming(window);
    for (int i = 0; i < window; ++i)
        hamming[i] = static_cast<float>(0.54 - 0.46 * std::cos(2.0 * std::numbers::pi * i / (window - 1)));
    const auto bands = melBands(size, rate);
    float *in = fftwf_alloc_real(size);
    fftwf_complex *out = fftwf_alloc_complex(size / 2 + 1);
    const std::unique_ptr<fftwf_plan_s, FftDeleter> plan(fftwf_plan_dft_r2c_1d(size, in, out, FFTW_ESTIMATE));
    std::vector<float> power(size / 2 + 1);

    for (int f = 0; f < spectra.frames; ++f) {
        const auto first = static_cast<std::size_t>(std::lround(f * hop));
        double energy = 0.0;
        std::fill(in, in + size, 0.0F);
        for (int i = 0; i < window; ++i) {
            const float sample = samples[first + i];
            const float previous = first + i > 0 ? samples[first + i - 1] : 0.0F;
            energy += static_cast<double>(sample) * sample;
            in[i] = (sample - kPreEmphasis * previous) * hamming[i];
        }
        spectra.power[f] = static_cast<float>(energy / window);
        fftwf_execute(plan.get());
        for (int bin = 0; bin <= size / 2; ++bin)
            power[bin] = out[bin][0] * out[bin][0] + out[bin][1] * out[bin][1];
        for (int band = 0; band < kBands; ++band) {
            double sum = 0.0;
            for (int bin = 0; bin <= size / 2; ++bin)
                sum += bands[band][bin] * power[bin];
            spectra.bands[static_cast<std::size_t>(f) * kBands + band] = static_cast<float>(sum);
        }
    }
    fftwf_free(in);
    fftwf_free(out);
    return spectra;
}

Spectra heardAs(Spectra clean, const Spectra &recording)
{
    if (clean.frames == 0 || recording.frames == 0)
        return clean;
    // Above its floor, the clean sound's vowels as loud as the recording's.
    const auto lift = [](const std::vector<float> &clean, const std::vector<float> &heard) {
        const float floor = percentile(heard, kFloorShare);
        return std::pair(std::max(percentile(heard, kSpeechShare) - floor, 0.0F)
                             / std::max(percentile(clean, kSpeechShare), 1e-20F),
                         floor);
    };
    const auto [powerScale, powerFloor] = lift(clean.power, recording.power);
    for (float &power : clean.power)
        power = powerScale * power + powerFloor;
    std::vector<float> cleanSums(clean.frames), heardSums(recording.frames);
    for (int f = 0; f < clean.frames; ++f)
        cleanSums[f] = bandSum(clean, f);
    for (int f = 0; f < recording.frames; ++f)
        heardSums[f] = bandSum(recording, f);
    const float scale = lift(cleanSums, heardSums).first;
    for (int band = 0; band < kBands; ++band) {
        std::vector<float> values(recording.frames);
        for (int f = 0; f < recording.frames; ++f)
            values[f] = recording.bands[static_cast<std::size_t>(f) * kBands + band];
        const float noise = percentile(std::move(values), kFloorShare);
        for (int f = 0; f < clean.frames; ++f) {
            float &value = clean.bands[static_cast<std::size_t>(f) * kBands + band];
            value = scale * value + noise;
        }
    }
    return clean;
}

Features computeFeatures(const Spectra &spectra)
{
    Features features;
    features.frames = spectra.frames;
    features.cepstrum.resize(static_cast<std::size_t>(features.frames) * Features::kCoefficients);
    features.loudness.resize(features.frames);
    std::vector<double> logBands(kBands);
    for (int f = 0; f < features.frames; ++f) {
        features.loudness[f] = std::max(kSilenceDb, static_cast<float>(10.0 * std::log10(spectra.power[f] + 1e-12)));
        for (int band = 0; band < kBands; ++band)
            logBands[band] = std::log(spectra.bands[static_cast<std::size_t>(f) * kBands + band] + 1e-10);
        // DCT-II; coefficient 0 (overall loudness) is left out.
        for (int c = 1; c <= Features::kCoefficients; ++c) {
            double sum = 0.0;
            for (int band = 0; band < kBands; ++band)
                sum += logBands[band] * std::cos(std::numbers::pi * c * (band + 0.5) / kBands);
            features.cepstrum[f * Features::kCoefficients + c - 1] = static_cast<float>(sum);
        }
    }
    normalise(features);
    measureActivity(features);
    return features;
}

Features computeFeatures(const std::vector<float> &samples, int rate)
{
    return computeFeatures(computeSpectra(samples, rate));
}

} // namespace vantrel
