// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vantrel {

struct Cue;

// A timed word of a sentence, or a run of words timed as one: where it starts
// in the sound, and where it stands in the sentence's text (UTF-8 bytes of
// the cue's text with its white space runs made one space and trimmed, as
// the story's sentence is; its trailing blank left out).
struct TimedWord {
    std::int64_t startMs = 0;
    std::size_t at = 0, length = 0;

    bool operator==(const TimedWord &) const = default;
};

// The timed words of CUE: the first starts with the cue, and a word without a
// time of its own is heard with the one before it. None when the cue times
// no word but its first.
std::vector<TimedWord> timedWords(const Cue &cue);

// Which of WORDS, of a sentence whose sound ends at ENDMS, is heard at
// POSITIONMS: -1 before the first starts and from the end on.
int wordAtTime(const std::vector<TimedWord> &words, std::int64_t endMs, std::int64_t positionMs);

// Which of WORDS holds byte AT of the sentence's text, or the blank after it:
// the last that starts there or before; -1 when none does.
int wordAtText(const std::vector<TimedWord> &words, std::size_t at);

// Where word INDEX of WORDS stops being heard: where the next starts, or at
// the sentence's ENDMS.
std::int64_t wordEndMs(const std::vector<TimedWord> &words, int index, std::int64_t endMs);

} // namespace vantrel
