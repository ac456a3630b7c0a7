// SPDX-License-Identifier: GPL-3.0-or-later
#include "sentence_timings.h"

#include "cp1252.h"
#include "mp3_duration.h"
#include "timing_check.h"
#include "timing_file.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

std::optional<std::int64_t> playingMs(const fs::path &sound)
{
    std::ifstream in(sound, std::ios::binary);
    const std::optional<Mp3Scan> scan = in ? scanMp3(in) : std::nullopt;
    if (!scan)
        return std::nullopt;
    return static_cast<std::int64_t>(std::ceil(scan->durationMs));
}

} // namespace

std::vector<SentenceTime> storySentenceTimes(const std::string &soundName, std::string_view transcript,
                                             std::ostream &err)
{
    const std::string name = utf8FromCp1252(soundName);
    const fs::path file = fs::u8path(name + ".vtt");
    std::error_code ec;
    if (name.empty() || !fs::exists(file, ec))
        return {};
    const std::vector<Finding> findings =
        checkTimingFile(file, file.filename().string(), transcript, playingMs(fs::u8path(name + ".MP3")));
    if (!findings.empty()) {
        err << "vantrel: " << formatFinding(findings.front()) << " (its sentence timings are not used)\n";
        return {};
    }
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<SentenceTime> times;
    for (const Cue &cue : readWebVtt(bytes).cues)
        times.push_back({cue.startMs, cue.endMs});
    return times;
}

} // namespace vantrel
