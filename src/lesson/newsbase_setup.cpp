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
    auto line = [this](int k) { return field(StoryLines, StoryBase, k); };
    setStoryTitle(storyText(line(2)));
    ui->ScriptBox->setPlainText(storyText(line(3)));

    // Each question is its caption line, then three answers of caption and key.
    const std::array<QGroupBox *, 3> questions = {ui->PreguntaUno, ui->PreguntaDos, ui->PreguntaTres};
    const auto answers = answerOptions();
    int k = 4;
    for (size_t q = 0; q < questions.size(); ++q) {
        questions[q]->setTitle(storyCaption(line(k++)));
        for (size_t a = 0; a < 3; ++a) {
            OptionButton *answer = answers[q * 3 + a];
            answer->setText(storyCaption(line(k++)));
            answer->setTag(storyText(line(k++)));
        }
    }
}

void NewsBase::clearAnswerSelections()
{
    for (OptionButton *answer : answerOptions())
        answer->clearSelection();
}

} // namespace vantrel
