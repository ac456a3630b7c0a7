// SPDX-License-Identifier: GPL-3.0-or-later
#include "library_layout.h"

#include "fit.h"
#include "story_file.h"
#include "story_lines.h"

#include <cstdio>
#include <stdexcept>

namespace vantrel {

namespace {

constexpr const char *kEnding = "\r\n";

void addLine(std::string &out, const std::string &text)
{
    out += text;
    out += kEnding;
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
    std::string block;
    addLine(block, audioNameOf(slot));
    addLine(block, story.title.bytes);
    addLine(block, story.transcript.bytes);
    for (const SourceQuestion &question : story.questions) {
        addLine(block, question.text.bytes);
        for (const SourceAnswer &answer : question.answers) {
            addLine(block, answer.text.bytes);
            addLine(block, answer.correct ? "*" : "");
        }
    }
    return block;
}

LaidOutLibrary layOutLibrary(const std::vector<StorySource> &stories)
{
    if (stories.size() > static_cast<std::size_t>(kSlotCount))
        throw std::invalid_argument("more stories than slots");
    std::string lines;
    int slot = 0;
    for (const StorySource &story : stories)
        lines += storyBlock(story, ++slot);
    for (int n = slot * kBlockSize; n < kSlotCount * kBlockSize; ++n)
        lines += kEnding;

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
