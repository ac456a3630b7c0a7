// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "finding.h"
#include "timing_file.h"

#include <filesystem>
#include <string>
#include <vector>

namespace vantrel {

// Hears the MP3 `heard` against the cues of its timing file, shown as
// `shownName`, when GStreamer can decode it: a warning for speech that no
// sentence's times hold, and one for each sentence's times that hold no
// speech. Only for cues that passed checkTimingFile.
void hearTimingFile(const std::filesystem::path &heard, const std::vector<Cue> &cues, const std::string &shownName,
                    std::vector<Finding> &findings);

} // namespace vantrel
