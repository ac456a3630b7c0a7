// SPDX-License-Identifier: GPL-3.0-or-later
// Sentence by sentence, for a story whose sentences are timed: the full
// player's steps and their keys, and the transcript reading along.
#include "newsbase.h"

#include "cp1252.h"
#include "sentence_keys.h"
#include "sentence_timings.h"
#include "sentences.h"
#include "ui_newsbase.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include <iostream>

namespace vantrel {

void NewsBase::loadSentences()
{
    const StoryBlock story = chosenStory();
    const std::vector<SentenceTime> times = storySentenceTimes(story.audioName, story.transcript, std::cerr);
    ui->AudioPlayer->setSentences(times);
    m_sentenceTexts.clear();
    if (!times.empty()) {
        for (const std::string &sentence : splitSentences(utf8FromCp1252(story.transcript)))
            m_sentenceTexts << QString::fromStdString(sentence);
    }
    ui->ScriptBox->setExtraSelections({});
}

bool NewsBase::handleSentenceKey(const QKeyEvent *event)
{
    MediaPlayerWidget *player = ui->AudioPlayer;
    if (player->isHidden() || player->currentSentence() < 0 || event->modifiers() != Qt::NoModifier)
        return false;
    switch (event->key()) {
    case kPreviousSentenceKey:
        player->previousSentence();
        return true;
    case kRepeatSentenceKey:
        player->repeatSentence();
        return true;
    case kNextSentenceKey:
        player->nextSentence();
        return true;
    case kPauseAfterEachKey:
        player->togglePauseAfterEachSentence();
        return true;
    case kWordKey:
        playWordAtCursor();
        return true;
    default:
        return false;
    }
}

QTextCursor NewsBase::sentenceInTranscript(int index) const
{
    // Found afresh each time: the student may have typed in the box. A
    // sentence the typing has changed is simply not found.
    const QString text = ui->ScriptBox->toPlainText();
    qsizetype from = 0;
    for (int s = 0; s < m_sentenceTexts.size(); ++s) {
        const qsizetype at = text.indexOf(m_sentenceTexts[s], from);
        if (at < 0)
            return {};
        if (s == index) {
            QTextCursor cursor(ui->ScriptBox->document());
            cursor.setPosition(int(at));
            cursor.setPosition(int(at + m_sentenceTexts[s].size()), QTextCursor::KeepAnchor);
            return cursor;
        }
        from = at + m_sentenceTexts[s].size();
    }
    return {};
}

void NewsBase::markSentence(int index)
{
    markHeard(index, ui->AudioPlayer->currentWord());
    const QTextCursor sentence = sentenceInTranscript(index);
    if (!ui->ScriptBox->isHidden() && !sentence.isNull())
        showInTranscript(sentence);
}

void NewsBase::showInTranscript(const QTextCursor &sentence)
{
    // Scrolled by lines, without moving the student's cursor.
    QPlainTextEdit *box = ui->ScriptBox;
    const QRect shown = box->viewport()->rect();
    QTextCursor end = sentence;
    end.setPosition(sentence.selectionEnd());
    QTextCursor start = sentence;
    start.setPosition(sentence.selectionStart());
    if (shown.contains(box->cursorRect(start)) && shown.contains(box->cursorRect(end)))
        return;
    const QTextBlock block = start.block();
    const QTextLine line = block.layout()->lineForTextPosition(start.position() - block.position());
    box->verticalScrollBar()->setValue(block.firstLineNumber() + (line.isValid() ? line.lineNumber() : 0));
}

void NewsBase::readMarkedSentence(MediaBackend::State state)
{
    // Paused, the box's cursor goes to the marked word, or else sentence,
    // where a screen reader finds it; nothing is said over the sound.
    if (state != MediaBackend::State::Paused || ui->ScriptBox->isHidden())
        return;
    const int index = ui->AudioPlayer->currentSentence();
    QTextCursor marked = wordInTranscript(index, ui->AudioPlayer->currentWord());
    if (marked.isNull())
        marked = sentenceInTranscript(index);
    if (marked.isNull())
        return;
    QTextCursor cursor = marked;
    cursor.setPosition(marked.selectionStart());
    ui->ScriptBox->setTextCursor(cursor);
}

int NewsBase::sentenceAtTranscript(int position) const
{
    for (int s = 0; s < m_sentenceTexts.size(); ++s) {
        const QTextCursor sentence = sentenceInTranscript(s);
        if (!sentence.isNull() && position >= sentence.selectionStart() && position <= sentence.selectionEnd())
            return s;
    }
    return -1;
}

void NewsBase::playSentenceAt(const QPoint &point)
{
    // A click on a timed word plays from it; elsewhere in a sentence, the sentence.
    if (ui->AudioPlayer->currentSentence() < 0)
        return;
    const int at = ui->ScriptBox->cursorForPosition(point).position();
    const int s = sentenceAtTranscript(at);
    if (s >= 0)
        ui->AudioPlayer->playSentenceFrom(s, wordAtTranscript(s, at));
}

} // namespace vantrel
