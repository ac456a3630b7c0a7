// SPDX-License-Identifier: GPL-3.0-or-later
// Enter and Esc. A control's own handler sees a key first; the key then goes
// on to the control as usual. The window's handler acts only on a key that no
// control had the focus for, so one key press never runs two handlers.
#include "newsbase.h"

#include "option_button.h"
#include "ui_newsbase.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace vantrel {

namespace {

constexpr int kEnter = 13;
constexpr int kEsc = 27;

int keyAscii(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return kEnter;
    case Qt::Key_Escape:
        return kEsc;
    default:
        return event->text().isEmpty() ? 0 : event->text().front().unicode();
    }
}

} // namespace

void NewsBase::installKeyHandlers()
{
    for (QWidget *control : storyOptions())
        control->installEventFilter(this);
    for (QWidget *control : answerOptions())
        control->installEventFilter(this);
    for (QWidget *control : std::initializer_list<QWidget *>{
             ui->StoryChosen, ui->Salida, ui->Escuchar, ui->CambioCuento, ui->Ayuda,
             ui->CheckWork, ui->ScriptBox, ui->Dictation})
        control->installEventFilter(this);
}

bool NewsBase::isStoryMenuControl(QObject *control) const
{
    const auto options = storyOptions();
    return control == ui->StoryChosen || std::find(options.begin(), options.end(), control) != options.end();
}

bool NewsBase::isLessonControl(QObject *control) const
{
    const auto answers = answerOptions();
    return control == ui->Escuchar || control == ui->CambioCuento || control == ui->Ayuda
        || control == ui->CheckWork || control == ui->ScriptBox || control == ui->Dictation
        || std::find(answers.begin(), answers.end(), control) != answers.end();
}

bool NewsBase::handleControlKey(QObject *control, int keyAscii)
{
    if (isStoryMenuControl(control)) {
        if (keyAscii == kEnter)
            StoryChosen_Click();
        if (keyAscii == kEsc)
            Salida_Click();
        return true;
    }
    if (control == ui->Salida) {
        if (keyAscii == kEsc)
            Salida_Click();
        return true;
    }
    if (isLessonControl(control)) {
        if (keyAscii == kEsc)
            CambioCuento_Click();
        return true;
    }
    return false;
}

void NewsBase::keepFocusOnScreen()
{
    // Qt leaves the focus on a control hidden while nothing else could take
    // it; keys would then go to a control the student cannot see.
    QWidget *focused = focusWidget();
    if (focused && !focused->isVisibleTo(this))
        focusNextChild();
}

void NewsBase::Form_KeyPress(int keyAscii)
{
    if (!ui->SelectNews->isHidden() && keyAscii == kEsc) {
        Salida_Click();
        if (m_ended)
            return;
    }
    if (ui->SelectNews->isHidden() && keyAscii == kEsc)
        CambioCuento_Click();
}

void NewsBase::keyPressEvent(QKeyEvent *event)
{
    // The sentence keys act wherever the focus is; no control takes them.
    if (handleDictationKey(event) || handleSentenceKey(event))
        return;
    const bool seenByControl = event == m_controlKey;
    m_controlKey = nullptr;
    QWidget *focused = focusWidget();
    if (!seenByControl && (focused == nullptr || focused == this))
        Form_KeyPress(keyAscii(event));
    QWidget::keyPressEvent(event);
}

bool NewsBase::eventFilter(QObject *watched, QEvent *event)
{
    if (m_ended)
        return event->type() == QEvent::KeyPress; // nothing runs after the end
    switch (event->type()) {
    case QEvent::KeyPress:
        if (handleControlKey(watched, keyAscii(static_cast<QKeyEvent *>(event))))
            m_controlKey = event;
        return m_ended;
    case QEvent::DragEnter:
    case QEvent::DragMove:
        return acceptOwnDrag(watched, static_cast<QDropEvent *>(event));
    case QEvent::Drop:
        if (acceptOwnDrag(watched, static_cast<QDropEvent *>(event)))
            SelectNews_DragDrop();
        return false;
    case QEvent::MouseButtonRelease:
        if (watched == ui->ScriptBox->viewport()) {
            playSentenceAt(static_cast<QMouseEvent *>(event)->position().toPoint());
            ScriptBox_Click();
        }
        return false;
    default:
        return false;
    }
}

bool NewsBase::acceptOwnDrag(QObject *watched, QDropEvent *event)
{
    // Only a control of this window dropped on the menu counts, as the menu's
    // own drop handler expects; files dragged in from outside are refused.
    const bool own = watched == ui->SelectNews && event->source() != nullptr && isAncestorOf(qobject_cast<QWidget *>(event->source()));
    if (own)
        event->acceptProposedAction();
    return own;
}

} // namespace vantrel
