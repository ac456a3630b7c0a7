// SPDX-License-Identifier: GPL-3.0-or-later
// Leaving a story for the menu.
#include "newsbase.h"

#include "dictation_panel.h"
#include "lesson_texts.h"
#include "option_button.h"
#include "story_text.h"
#include "ui_newsbase.h"

namespace vantrel {

void NewsBase::CambioCuento_Click()
{
    // Leaving ends the story's sound and any hearing still being timed.
    stopHearing();
    ui->AudioPlayer->stop();

    for (OptionButton *answer : answerOptions())
        answer->setTag(QString());
    clearAnswerSelections();
    ui->SelectNews->hide();
    hideLessonControls();
    setWindowTitle(texts::kWindowTitle);
    refreshMenuByTitle();
    ui->SelectNews->show();
    ui->SelectNews->setEnabled(true);
    ui->StoryChosen->setEnabled(false);
    keepFocusOnScreen();
}

void NewsBase::hideLessonControls()
{
    for (QWidget *control : std::initializer_list<QWidget *>{
             ui->Escuche, ui->CambioCuento, ui->Ayuda, ui->CheckWork, ui->StoryTitle,
             ui->PreguntaUno, ui->PreguntaDos, ui->PreguntaTres, ui->ScriptBox, ui->Escuchar,
             ui->AudioPlayer, ui->Dictation, ui->DictationPanel})
        control->hide();
    ui->DictationPanel->start({});  // nothing of a dictation outlives its story
}

void NewsBase::refreshMenuByTitle()
{
    // Unlike start-up, the return looks at the title line: a slot with a
    // title but no sound name becomes selectable here.
    const auto options = storyOptions();
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        const std::string title = StoryBlock::ofSlot(StoryLines, slot).title;
        if (title.empty())
            continue;
        OptionButton *option = options[static_cast<size_t>(slot - 1)];
        option->setText(storyCaption(title));
        option->setEnabled(true);
    }
}

} // namespace vantrel
