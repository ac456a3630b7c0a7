// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "story_file.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vantrel {

struct Finding {
    enum class Severity { Error, Warning };
    int line = 1;  // in `file`; in vtl.txt as Vantrel counts its lines
    Severity severity = Severity::Error;
    std::string message;
    std::string file = kStoryFileName;  // or a story's timing file

    bool operator==(const Finding &) const = default;
};

struct LibraryCheck {
    bool readable = false;
    std::string reason;              // why the story file could not be read
    bool sizeOutOfRange = false;     // one of the findings says so
    std::vector<Finding> findings;   // vtl.txt's in line order, then each timing file's

    int errorCount() const;
    int warningCount() const;
    int storyFileErrorCount() const;  // errors in vtl.txt itself
};

// Checks FOLDER/vtl.txt with Vantrel's own loader, and the audio and timing
// files its present stories name; with HEAR, each timing file also against
// where its MP3 speaks, when GStreamer can decode it. Only reads.
LibraryCheck checkLibrary(const std::filesystem::path &folder, bool hear = true);

// "vtl.txt:25: error: ..." or "STORY01.vtt:4: error: ...", the form compilers
// use, so editors can jump to it.
std::string formatFinding(const Finding &finding);

// "2 errors, 1 warning".
std::string summaryLine(const LibraryCheck &check);

} // namespace vantrel
