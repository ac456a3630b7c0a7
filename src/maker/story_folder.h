// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "story_source.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vantrel {

// A problem in the teacher's sources, at a line of a story file.
struct MakeError {
    std::filesystem::path file;
    int line = 1;
    std::string message;
    bool warning = false;  // the library is still made
};

// "stories/rain.story:4: error: ...", the form compilers use.
std::string formatMakeError(const MakeError &error);

struct FolderStory {
    std::filesystem::path file;       // the .story file
    std::filesystem::path recording;  // beside it
    StorySource story;
};

struct StoryFolder {
    std::vector<FolderStory> stories;  // in file-name order
    std::vector<MakeError> errors;
    std::vector<MakeError> warnings;   // files that may be meant as stories but are not read as ones
    std::string failure;               // when the folder itself cannot be read, or holds no story
};

// A story text that does not fit where the window shows it: the message, or
// empty when it fits. The real measure needs the window's fonts (Qt).
using CaptionCheck = std::function<std::string(const StorySource &story, const SourceText &text)>;

// Reads every *.story and *.story.txt file of FOLDER, at most 12, and checks
// what can be checked before any sound is converted: the format, the
// characters, the captions' widths, that each recording is there, and the
// story file's size. Warns of the other files that look like stories.
StoryFolder readStoryFolder(const std::filesystem::path &folder, const CaptionCheck &captionFits);

} // namespace vantrel
