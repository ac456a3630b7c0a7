// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "story_lines.h"

#include <array>
#include <string>
#include <string_view>

namespace vantrel {

inline constexpr int kSlotCount = 12;
inline constexpr int kBlockSize = 24;
inline constexpr int kQuestionCount = 3;
inline constexpr int kAnswerCount = 3;

// The key that marks an answer right; any other key, empty or not, marks it wrong.
inline constexpr std::string_view kCorrectKey = "*";

// Which line of a block (1 to 24) holds what; question q and answer a count from 0.
inline constexpr int kAudioNameLine = 1;
inline constexpr int kTitleLine = 2;
inline constexpr int kTranscriptLine = 3;
constexpr int questionLine(int q) { return 4 + 7 * q; }
constexpr int answerLine(int q, int a) { return questionLine(q) + 1 + 2 * a; }
constexpr int keyLine(int q, int a) { return answerLine(q, a) + 1; }
static_assert(keyLine(kQuestionCount - 1, kAnswerCount - 1) == kBlockSize);

// Slot s (1 to 12) owns lines blockBase(s) + 1 to blockBase(s) + 24.
// Throws std::out_of_range for a slot outside 1 to 12.
int blockBase(int slot);

// Answer keys mark the correct answer only when exactly "*".
bool isCorrectKey(std::string_view key);

struct BlockAnswer {
    std::string text;
    std::string key;

    bool operator==(const BlockAnswer &) const = default;
};

struct BlockQuestion {
    std::string text;
    std::array<BlockAnswer, kAnswerCount> answers;

    bool operator==(const BlockQuestion &) const = default;
};

// One story's 24 lines of the story file, as bytes.
struct StoryBlock {
    std::string audioName;  // the MP3's name without ".MP3"
    std::string title;
    std::string transcript;
    std::array<BlockQuestion, kQuestionCount> questions;

    // The block whose lines follow line `base` of the file. Throws
    // std::out_of_range when they run past line 385.
    static StoryBlock read(const StoryLines &lines, int base);
    // The block of slot s, 1 to 12.
    static StoryBlock ofSlot(const StoryLines &lines, int slot);

    // The 24 lines in file order, each ended with CR LF.
    std::string bytes() const;

    // A story is present when its audio name holds at least one byte.
    bool isPresent() const { return !audioName.empty(); }

    bool operator==(const StoryBlock &) const = default;
};

} // namespace vantrel
