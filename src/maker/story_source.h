// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// One text of a story as the story file will hold it (Windows-1252 bytes),
// with the line of the .story file it came from.
struct SourceText {
    std::string bytes;
    int line = 0;
};

struct SourceAnswer {
    SourceText text;
    bool correct = false;
};

struct SourceQuestion {
    SourceText text;
    std::array<SourceAnswer, 3> answers;
};

// What a teacher writes in one .story file.
struct StorySource {
    SourceText title;
    SourceText audio;       // the recording's file name, beside the .story file
    SourceText transcript;  // its lines joined with single spaces
    std::vector<SourceText> transcriptLines;  // each line as it joins it
    SourceText timings;     // optional: a timing file beside the .story file (line 0 when none)
    std::array<SourceQuestion, 3> questions;
};

struct SourceError {
    int line = 0;
    std::string message;
};

struct ParsedStory {
    StorySource story;               // complete only when `errors` is empty
    std::vector<SourceError> errors; // in line order
};

// Reads a .story file: UTF-8 with or without a byte order mark, or UTF-16
// with one (see decodeTeachersText); LF or CR LF line endings. Bytes that
// are not text at all get one error, at line 1. Never throws on any bytes.
ParsedStory parseStorySource(std::string_view bytes);

// True when the first line that is neither blank nor a comment starts with
// "title:", as a story's does: for files that were meant to be stories.
bool looksLikeStorySource(std::string_view bytes);

} // namespace vantrel
