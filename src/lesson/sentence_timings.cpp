// SPDX-License-Identifier: GPL-3.0-or-later
#include "sentence_timings.h"

#include "cp1252.h"
#include "mp3_duration.h"
#include "timing_check.h"

#include <filesystem>
#include <optional>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

std::optional<std::int64_t> playingMs(const fs::path &sound)
{
    const std::optional<Mp3Scan> scan = scanMp3File(sound);
    if (!scan)
        return std::nullopt;
    return scan->wholeMs();
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
    const TimingFileCheck timing =
        checkTimingFile(file, file.filename().string(), transcript, playingMs(fs::u8path(name + ".MP3")));
    if (!timing.findings.empty()) {
        err << "vantrel: " << formatFinding(timing.findings.front()) << " (its sentence timings are not used)\n";
        return {};
    }
    std::vector<SentenceTime> times;
    for (const Cue &cue : timing.cues)
        times.push_back({cue.startMs, cue.endMs, timedWords(cue)});
    return times;
}

} // namespace vantrel
