// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "story_folder.h"

#include <atomic>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

struct StoryTimings {
    std::optional<std::string> webVtt;  // the timing file to write beside the sound
    std::vector<MakeError> problems;    // errors in a teacher's timing file, or the warning why none was made
    std::string untimedBecause;         // with that warning: why, in its words
    bool interrupted = false;
};

// The times of each sentence of STORY in its converted sound MP3, which
// plays for PLAYINGMS: from the timing file the story names, or else found by
// aligning its transcript with its recording (when ALIGN). Times are of the
// sound as played, so a teacher's times, which are of the recording, move by
// the encoder's delay too, unless the file's note says they are as played
// already (vantrel-make wrote it).
StoryTimings timeStory(const FolderStory &story, double playingMs, bool align, const std::atomic<bool> &stop);

} // namespace vantrel
