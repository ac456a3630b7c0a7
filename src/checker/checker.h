// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "finding.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vantrel {

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

// "2 errors, 1 warning".
std::string summaryLine(const LibraryCheck &check);

} // namespace vantrel
