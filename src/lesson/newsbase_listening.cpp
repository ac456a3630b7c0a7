// SPDX-License-Identifier: GPL-3.0-or-later
// The three hearings of a story.
#include "newsbase.h"

#include "hearing.h"
#include "lesson_texts.h"
#include "message_box.h"
#include "ui_newsbase.h"

#include <QTimer>

#include <limits>

namespace vantrel {

namespace {

int timerInterval(qint64 audioBytes)
{
    const std::uintmax_t delay = hearingDelayMs(static_cast<std::uintmax_t>(audioBytes));
    // A hearing lasts as long as the file says, however long; only what
    // QTimer cannot hold at all is cut (about 24 days).
    return static_cast<int>(std::min<std::uintmax_t>(delay, std::numeric_limits<int>::max()));
}

} // namespace

void NewsBase::Escuchar_Click()
{
    const QString fileName = audioFileName();
    const std::optional<qint64> size = audioFileSize(fileName);
    if (!size) {
        // Without its sound the hearing can't start; the student may pick
        // another story.
        m_boxes.show(this, texts::kProgramTitle, texts::missingAudio(fileName));
        return;
    }
    ui->SimplePlayer->setFileName(fileName);
    ui->CambioCuento->setEnabled(false);
    ui->Ayuda->setEnabled(false);
    ui->Escuchar->setEnabled(false);
    // An interval of 0 fires on the next turn of the event loop, so even an
    // empty sound file ends its hearing.
    Atrasado->start(timerInterval(*size));
}

void NewsBase::Atrasado_Timer()
{
    Atrasado->stop();
    enableListeningButtons();
    ++HeardCount;
    if (const std::optional<QString> prompt = texts::promptAfterHearing(HeardCount))
        setPrompt(*prompt);
    if (HeardCount == 3)
        openQuestions();
}

void NewsBase::openQuestions()
{
    for (QGroupBox *question : {ui->PreguntaUno, ui->PreguntaDos, ui->PreguntaTres}) {
        question->show();
        question->setEnabled(true);
    }
    ui->CheckWork->show();
    ui->CheckWork->setEnabled(true);
    ui->Escuchar->hide();
    ui->SimplePlayer->hide();
    ui->AudioPlayer->setFileName(audioFileName());
    loadSentences();
    ui->AudioPlayer->show();
    keepFocusOnScreen();
}

void NewsBase::stopHearing()
{
    if (!Atrasado->isActive())
        return;
    Atrasado->stop();
    ui->SimplePlayer->stop();
    enableListeningButtons();
}

void NewsBase::enableListeningButtons()
{
    ui->Escuchar->setEnabled(true);
    ui->CambioCuento->setEnabled(true);
    ui->Ayuda->setEnabled(true);
}

} // namespace vantrel
