// SPDX-License-Identifier: GPL-3.0-or-later
// The dictation of a timed story: offered once the answers are right, in
// the place of the transcript and the questions; closed, the lesson is as
// it was, the full player where it stood. Its work lasts as long as the story.
#include "newsbase.h"

#include "dictation_panel.h"
#include "sentence_keys.h"
#include "ui_newsbase.h"

#include <QKeyEvent>

namespace vantrel {

void NewsBase::connectDictation()
{
    connect(ui->Dictation, &QAbstractButton::clicked, this, &NewsBase::Dictation_Click);
    connect(ui->DictationPanel, &DictationPanel::closeRequested, this, &NewsBase::closeDictation);
    connect(ui->DictationPanel, &DictationPanel::playRequested, ui->AudioPlayer, &MediaPlayerWidget::playSentence);
    connect(ui->DictationPanel, &DictationPanel::wordRequested, ui->AudioPlayer, &MediaPlayerWidget::playWord);
}

void NewsBase::offerDictation()
{
    ui->Dictation->setVisible(!m_sentenceTexts.isEmpty());
    ui->Dictation->setEnabled(true);
}

void NewsBase::Dictation_Click()
{
    if (m_sentenceTexts.isEmpty() || ui->DictationPanel->isVisible())
        return;
    if (const MediaBackend *player = ui->AudioPlayer->backend())
        m_beforeDictation = {player->state(), player->position()};
    else
        m_beforeDictation = {};
    if (m_beforeDictation.state == MediaBackend::State::Playing)
        ui->AudioPlayer->backend()->pause();
    m_markBeforeDictation = ui->ScriptBox->extraSelections();
    for (QWidget *hidden : {static_cast<QWidget *>(ui->ScriptBox), static_cast<QWidget *>(ui->PreguntaUno),
                            static_cast<QWidget *>(ui->PreguntaDos), static_cast<QWidget *>(ui->PreguntaTres)})
        hidden->hide();
    ui->Dictation->setEnabled(false);
    ui->DictationPanel->show();
    ui->DictationPanel->raise();
    // Closed by a stray Esc, it goes on where it was; a new story starts it afresh.
    if (ui->DictationPanel->started())
        ui->DictationPanel->resume();
    else
        ui->DictationPanel->start(m_sentenceTexts, timedWordsOfSentences());
}

void NewsBase::closeDictation()
{
    if (!ui->DictationPanel->isVisible())
        return;
    ui->DictationPanel->hide();
    for (QWidget *shown : {static_cast<QWidget *>(ui->PreguntaUno), static_cast<QWidget *>(ui->PreguntaDos),
                           static_cast<QWidget *>(ui->PreguntaTres), static_cast<QWidget *>(ui->ScriptBox)})
        shown->show();
    if (MediaBackend *player = ui->AudioPlayer->backend()) {
        if (player->state() == MediaBackend::State::Playing)
            player->pause();
        if (m_beforeDictation.state == MediaBackend::State::Stopped)
            ui->AudioPlayer->stop();
        else if (player->position() != m_beforeDictation.position)
            player->setPosition(m_beforeDictation.position);
    }
    ui->ScriptBox->setExtraSelections(m_markBeforeDictation);
    ui->Dictation->setEnabled(true);
    ui->Dictation->setFocus();
}

std::vector<std::vector<TimedWord>> NewsBase::timedWordsOfSentences() const
{
    std::vector<std::vector<TimedWord>> words;
    for (int s = 0; s < m_sentenceTexts.size(); ++s)
        words.push_back(ui->AudioPlayer->sentenceWords(s));
    return words;
}

bool NewsBase::handleDictationKey(const QKeyEvent *event)
{
    // Outside the panel the sentence keys still mean its sentence.
    if (!ui->DictationPanel->isVisible() || event->modifiers() != Qt::NoModifier)
        return false;
    switch (event->key()) {
    case kPreviousSentenceKey:
        ui->DictationPanel->previous();
        return true;
    case kRepeatSentenceKey:
        ui->DictationPanel->playAgain();
        return true;
    case kNextSentenceKey:
        ui->DictationPanel->next();
        return true;
    default:
        return false;
    }
}

} // namespace vantrel
