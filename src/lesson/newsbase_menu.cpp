// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and the story menu.
#include "newsbase.h"

#include "lesson_texts.h"
#include "message_box.h"
#include "option_button.h"
#include "story_file.h"
#include "story_text.h"
#include "ui_newsbase.h"


namespace vantrel {

void NewsBase::Form_Load()
{
    const SizeCheck size = checkStoryFileSize(kStoryFileName);
    if (size.verdict == SizeCheck::Verdict::OutOfRange) {
        // No window and no box, but never a silent success either.
        endProgram(1, texts::storyFileSize(size.size));
        return;
    }
    if (size.verdict == SizeCheck::Verdict::Unreadable) {
        reportUnreadableStoryFile(size.reason);
        return;
    }

    m_boxes.show(nullptr, texts::kStartupTitle, texts::startup());
    if (!loadStoryFile())
        return;
    fillMenuByPresence();
    ui->SelectNews->show();
    ui->StoryChosen->setEnabled(false);
}

bool NewsBase::loadStoryFile()
{
    LoadResult loaded = vantrel::loadStoryFile(kStoryFileName);
    if (!loaded.lines) {
        // The file went away or turned unreadable after it was sized.
        reportUnreadableStoryFile(loaded.reason);
        return false;
    }
    StoryLines = std::move(*loaded.lines);
    return true;
}

void NewsBase::fillMenuByPresence()
{
    const auto options = storyOptions();
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        const StoryBlock story = StoryBlock::ofSlot(StoryLines, slot);
        if (!story.isPresent())
            continue;
        OptionButton *option = options[static_cast<size_t>(slot - 1)];
        option->setText(storyCaption(story.title));
        option->setEnabled(true);
    }
}

void NewsBase::Cuento_Click()
{
    ui->StoryChosen->setEnabled(true);
    emit storyPicked();
}

void NewsBase::SelectNews_DragDrop()
{
    ui->StoryChosen->setEnabled(true);
    emit storyPicked();
}

} // namespace vantrel
