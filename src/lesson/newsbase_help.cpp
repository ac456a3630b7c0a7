// SPDX-License-Identifier: GPL-3.0-or-later
// Help, the closing message, and the transcript box's click.
#include "newsbase.h"

#include "lesson_texts.h"
#include "message_box.h"
#include "ui_newsbase.h"

#include <QCloseEvent>

namespace vantrel {

void NewsBase::Ayuda_Click()
{
    m_boxes.show(this, texts::kHelpTitle, texts::help());
}

void NewsBase::Salida_Click()
{
    m_boxes.show(this, texts::kProgramTitle, texts::closing());
    endProgram(0);
}

void NewsBase::ScriptBox_Click()
{
    // Disabling the focused box hands the focus on; enabling it again keeps
    // its text and leaves the focus where it went.
    ui->ScriptBox->setEnabled(false);
    ui->ScriptBox->setEnabled(true);
}

void NewsBase::closeEvent(QCloseEvent *event)
{
    // Closing by the title bar ends the program without the closing message,
    // and the sound ends with the window.
    silence();
    event->accept();
}

} // namespace vantrel
