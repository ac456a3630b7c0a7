// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "story_folder.h"
#include "timing_file.h"

#include <optional>
#include <string>
#include <vector>

namespace vantrel {

// What hearing a recording against its transcript found, in a teacher's words.
struct TranscriptCheck {
    std::vector<MakeError> warnings;
    std::optional<std::string> untimedBecause;  // set when the story is better without timings
};

// The SENTENCES of STORY, timed by CUES (in the recording's own times) in a
// recording whose loudness per frame is LOUDNESS: speech that no sentence's
// times hold, and sentences that are not said (UNSPOKEN, as the aligner found
// them, or times that hold no speech). Each is named at the story file's
// line of the sentence, quoted, with its time in the recording.
TranscriptCheck checkAgainstTranscript(const FolderStory &story, const std::vector<std::string> &sentences,
                                       const std::vector<Cue> &cues, const std::vector<float> &loudness,
                                       const std::vector<std::size_t> &unspoken);

// A sentence in quotes, cut after a word once it is long.
std::string quotedSentence(const std::string &sentence);

// The line of the story file each sentence starts on.
std::vector<int> sentenceLines(const StorySource &story, const std::vector<std::string> &sentences);

} // namespace vantrel
