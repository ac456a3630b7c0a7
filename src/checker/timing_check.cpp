// SPDX-License-Identifier: GPL-3.0-or-later
#include "timing_check.h"

#include "cp1252.h"
#include "recording.h"
#include "sentences.h"
#include "speech_coverage.h"
#include "timing_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <system_error>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

// A story of at most 65 s needs a few kilobytes of timing; far more is not a
// timing file, and is not worth holding in memory.
constexpr std::uintmax_t kMaxTimingFileBytes = 1 << 20;

// The file's bytes, or why they cannot be had.
std::optional<std::string> readTimingFile(const fs::path &path, const fs::file_status &status, std::string &bytes)
{
    if (fs::is_directory(status))
        return "the timing file is a folder, not a file";
    if (!fs::is_regular_file(status))
        return "the timing file is not a regular file";
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (!ec && size > kMaxTimingFileBytes) {
        return "the timing file is " + std::to_string(size) + " bytes; a timing file may be at most "
               + std::to_string(kMaxTimingFileBytes) + " bytes";
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (ec || !in.is_open()) {
        const std::error_code why = ec ? ec : std::error_code(errno, std::generic_category());
        return "the timing file cannot be read" + (why ? ": " + why.message() : std::string());
    }
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    return std::nullopt;
}

constexpr int kHearingRate = 16000;

std::string seconds(std::int64_t ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(ms) / 1000.0);
    return text;
}

// Speech in the MP3 that no sentence's times hold, and times that hold no
// speech: a sentence the transcript leaves out, or one the reader never said.
void hearRecording(const fs::path &heard, const std::vector<Cue> &cues, std::vector<Finding> &findings,
                   const std::string &shownName)
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

} // namespace

std::vector<Finding> checkTimingFile(const fs::path &path, const std::string &shownName, std::string_view transcript,
                                     std::optional<std::int64_t> recordingMs, const fs::path &heard)
{
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status))
        return {};
    std::vector<Finding> findings;
    const auto error = [&](int line, std::string message) {
        findings.push_back({line, Finding::Severity::Error, std::move(message), shownName});
    };
    std::string bytes;
    if (const std::optional<std::string> why = readTimingFile(path, status, bytes)) {
        error(1, *why);
        return findings;
    }
    const TimingRead read = readWebVtt(bytes);
    // A cue that could not be read would shift every later one against the
    // sentences; its own error says enough.
    const std::vector<TimingError> errors
        = read.errors.empty() ? checkCues(read.cues, splitSentences(utf8FromCp1252(transcript)),
                                          recordingMs.value_or(std::numeric_limits<std::int64_t>::max()))
                              : read.errors;
    for (const TimingError &e : errors)
        error(e.line, e.message);
    if (errors.empty() && !heard.empty())
        hearRecording(heard, read.cues, findings, shownName);
    return findings;
}

} // namespace vantrel
