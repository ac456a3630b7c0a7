// SPDX-License-Identifier: GPL-3.0-or-later
#include "library_layout.h"

#include "fit.h"
#include "story_block.h"
#include "story_file.h"

#include <cstdio>
#include <stdexcept>

namespace vantrel {

namespace {

StoryBlock blockOf(const StorySource &story, int slot)
{
    StoryBlock block;
    block.audioName = audioNameOf(slot);
    block.title = story.title.bytes;
    block.transcript = story.transcript.bytes;
    for (std::size_t q = 0; q < story.questions.size(); ++q) {
        const SourceQuestion &question = story.questions[q];
        block.questions[q].text = question.text.bytes;
        for (std::size_t a = 0; a < question.answers.size(); ++a) {
            const SourceAnswer &answer = question.answers[a];
            block.questions[q].answers[a] = {answer.text.bytes, answer.correct ? std::string(kCorrectKey) : ""};
        }
    }
    return block;
}

} // namespace

std::string audioNameOf(int slot)
{
    char name[16];
    std::snprintf(name, sizeof name, "STORY%02d", slot);
    return name;
}

std::string storyBlock(const StorySource &story, int slot)
{
    return blockOf(story, slot).bytes();
}

LaidOutLibrary layOutLibrary(const std::vector<StorySource> &stories)
{
    if (stories.size() > static_cast<std::size_t>(kSlotCount))
        throw std::invalid_argument("more stories than slots");
    std::string lines;
    int slot = 0;
    for (const StorySource &story : stories)
        lines += storyBlock(story, ++slot);
    for (; slot < kSlotCount; ++slot)
        lines += StoryBlock().bytes();

    // The checker's --fit pads the same way an author's file is mended, so a
    // made library and a mended one look alike.
    const FitPlan plan = planFit(lines);
    LaidOutLibrary library;
    switch (plan.outcome) {
    case FitPlan::Outcome::AlreadyFits:
        library.bytes = lines;
        break;
    case FitPlan::Outcome::StoriesTooLong:
        library.overBy = plan.storyPart.minimumSize() - kMaxStoryFileSize;
        break;
    case FitPlan::Outcome::Padded:
    case FitPlan::Outcome::Trimmed:
        library.bytes = plan.bytes;
        break;
    }
    return library;
}

} // namespace vantrel
