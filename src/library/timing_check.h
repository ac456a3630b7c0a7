// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "finding.h"
#include "timing_file.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// A story's timing file, checked as far as it can be without hearing the
// recording.
struct TimingFileCheck {
    bool found = false;             // the story has a timing file
    std::vector<Cue> cues;          // its sentences' times, to be used only without findings
    std::vector<Finding> findings;  // errors, each on its line of the file
};

// Checks a story's timing file, a WebVTT file at `path` shown as `shownName`,
// against the story's transcript (story-file bytes) and, when known, its
// recording's playing time: one cue a sentence, with its text, in order, not
// overlapping, within the recording. A story needs no timing file: none,
// nothing found.
TimingFileCheck checkTimingFile(const std::filesystem::path &path, const std::string &shownName,
                                std::string_view transcript, std::optional<std::int64_t> recordingMs);

} // namespace vantrel
