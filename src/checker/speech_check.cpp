// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech_check.h"

#include "recording.h"
#include "speech_coverage.h"

#include <atomic>
#include <cstdio>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

constexpr int kHearingRate = 16000;

std::string seconds(std::int64_t ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(ms) / 1000.0);
    return text;
}

} // namespace

// Speech in the MP3 that no sentence's times hold, and times that hold no
// speech: a sentence the transcript leaves out, or one the reader never said.
void hearTimingFile(const fs::path &heard, const std::vector<Cue> &cues, const std::string &shownName,
                    std::vector<Finding> &findings)
{
    static const std::atomic<bool> kNever{false};
    std::vector<float> samples;
    if (!fs::is_regular_file(heard) || !decodeRecording(heard, kHearingRate, samples, kNever).ok)
        return;
    const std::string sound = heard.filename().string();
    const SpeechCoverage coverage = checkSpeechCoverage(loudnessPerFrame(samples, kHearingRate), cues);
    const auto warning = [&](int line, std::string message) {
        findings.push_back({line, Finding::Severity::Warning, std::move(message), shownName});
    };
    for (const UntimedSpeech &speech : coverage.untimed) {
        const bool last = speech.before == cues.size();
        warning(last ? cues.back().line : cues[speech.before].line,
                sound + " speaks from " + seconds(speech.startMs) + " to " + seconds(speech.endMs)
                    + (last ? ", after the last sentence" : ", before this sentence")
                    + ", but no sentence's times hold it: a sentence's times may stop short or start late, or the "
                      "transcript may leave a sentence out");
    }
    for (const std::size_t sentence : coverage.silent) {
        warning(cues[sentence].line, "this sentence's times, " + seconds(cues[sentence].startMs) + " to "
                                         + seconds(cues[sentence].endMs) + ", hold no speech in " + sound
                                         + ": the recording may not say it");
    }
}

} // namespace vantrel
