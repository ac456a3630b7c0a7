// SPDX-License-Identifier: GPL-3.0-or-later
// Opening the chosen story.
#include "newsbase.h"

#include "lesson_texts.h"
#include "option_button.h"
#include "story_text.h"
#include "ui_newsbase.h"

namespace vantrel {

void NewsBase::StoryChosen_Click()
{
    HeardCount = 0;
    const auto options = storyOptions();
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        OptionButton *option = options[static_cast<size_t>(slot - 1)];
        if (option->isChecked()) {
            StoryBase = blockBase(slot);
            option->clearSelection();
        }
    }
    copyStoryIntoWindow();
    clearAnswerSelections();

    ui->SelectNews->hide();
    ui->SimplePlayer->show();
    ui->Escuchar->show();
    ui->Escuche->show();
    ui->CambioCuento->show();
    ui->Ayuda->show();
    setPrompt(texts::kFirstPrompt);
    ui->StoryTitle->show();
    keepFocusOnScreen();
    preloadStory();
}

void NewsBase::preloadStory()
{
    // The first hearing then starts as soon as it is asked for.
    const QString fileName = audioFileName();
    if (audioFileSize(fileName))
        ui->SimplePlayer->preload(fileName);
}

void NewsBase::copyStoryIntoWindow()
{
    const StoryBlock story = chosenStory();
    setStoryTitle(storyText(story.title));
    ui->ScriptBox->setPlainText(storyText(story.transcript));

    // Each question is its caption, then three answers of caption and key.
    const std::array<QGroupBox *, kQuestionCount> frames = {ui->PreguntaUno, ui->PreguntaDos, ui->PreguntaTres};
    const auto options = answerOptions();
    for (size_t q = 0; q < frames.size(); ++q) {
        const BlockQuestion &question = story.questions[q];
        frames[q]->setTitle(storyCaption(question.text));
        for (size_t a = 0; a < question.answers.size(); ++a) {
            OptionButton *option = options[q * kAnswerCount + a];
            option->setText(storyCaption(question.answers[a].text));
            option->setTag(storyText(question.answers[a].key));
        }
    }
}

void NewsBase::clearAnswerSelections()
{
    for (OptionButton *answer : answerOptions())
        answer->clearSelection();
}

} // namespace vantrel
