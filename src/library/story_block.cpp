// SPDX-License-Identifier: GPL-3.0-or-later
#include "story_block.h"

#include <stdexcept>

namespace vantrel {

namespace {

constexpr std::string_view kEnding = "\r\n";

// Hands each field of the block to `visit` with its line, so that reading
// and writing follow the one layout.
template <typename Block, typename Visit>
void forEachLine(Block &block, Visit visit)
{
    visit(kAudioNameLine, block.audioName);
    visit(kTitleLine, block.title);
    visit(kTranscriptLine, block.transcript);
    for (int q = 0; q < kQuestionCount; ++q) {
        auto &question = block.questions[static_cast<std::size_t>(q)];
        visit(questionLine(q), question.text);
        for (int a = 0; a < kAnswerCount; ++a) {
            auto &answer = question.answers[static_cast<std::size_t>(a)];
            visit(answerLine(q, a), answer.text);
            visit(keyLine(q, a), answer.key);
        }
    }
}

} // namespace

int blockBase(int slot)
{
    if (slot < 1 || slot > kSlotCount)
        throw std::out_of_range("story slot " + std::to_string(slot) + " is outside 1 to 12");
    return kBlockSize * (slot - 1);
}

bool isCorrectKey(std::string_view key)
{
    return key == kCorrectKey;
}

StoryBlock StoryBlock::read(const StoryLines &lines, int base)
{
    StoryBlock block;
    forEachLine(block, [&](int k, std::string &text) { text = lines.line(base + k); });
    return block;
}

StoryBlock StoryBlock::ofSlot(const StoryLines &lines, int slot)
{
    return read(lines, blockBase(slot));
}

std::string StoryBlock::bytes() const
{
    std::array<const std::string *, kBlockSize> inOrder{};
    forEachLine(*this, [&](int k, const std::string &text) { inOrder[static_cast<std::size_t>(k - 1)] = &text; });
    std::string out;
    for (const std::string *text : inOrder)
        out.append(*text).append(kEnding);
    return out;
}

} // namespace vantrel
