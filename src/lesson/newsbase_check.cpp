// SPDX-License-Identifier: GPL-3.0-or-later
// Checking the answers.
#include "newsbase.h"

#include "lesson_texts.h"
#include "message_box.h"
#include "option_button.h"
#include "story_block.h"
#include "ui_newsbase.h"

namespace vantrel {

void NewsBase::CheckWork_Click()
{
    int score = 0;
    for (const OptionButton *answer : answerOptions()) {
        const bool selected = answer->isChecked();
        const bool correct = isCorrectKey(answer->tag().toStdString());
        if (selected && correct)
            ++score;
    }
    m_boxes.show(this, texts::kCheckTitle, texts::checkResult(score));
    if (score == 3)
        showFullScore();
}

void NewsBase::showFullScore()
{
    ui->CheckWork->setEnabled(false);
    setPrompt(texts::kReadPrompt);
    ui->ScriptBox->show();
    offerDictation();
}

} // namespace vantrel
