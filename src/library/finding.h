// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "story_file.h"

#include <string>

namespace vantrel {

// One problem vantrel-check reports, and the lesson too when a timing file
// it would use is broken.
struct Finding {
    enum class Severity { Error, Warning };
    int line = 1;  // in `file`; in vtl.txt as Vantrel counts its lines
    Severity severity = Severity::Error;
    std::string message;
    std::string file = kStoryFileName;  // or a story's timing file

    bool operator==(const Finding &) const = default;
};

// "vtl.txt:25: error: ..." or "STORY01.vtt:4: error: ...", the form compilers
// use, so editors can jump to it.
std::string formatFinding(const Finding &finding);

} // namespace vantrel
