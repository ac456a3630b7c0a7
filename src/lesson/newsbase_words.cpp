// SPDX-License-Identifier: GPL-3.0-or-later
// Word by word, for a story whose words are timed: the word being heard
// marked within its sentence, and a word heard alone by its key.
#include "newsbase.h"

#include "ui_newsbase.h"

namespace vantrel {

QTextCursor NewsBase::wordInTranscript(int sentence, int word) const
{
    const std::vector<TimedWord> words = ui->AudioPlayer->sentenceWords(sentence);
    const QTextCursor found = sentenceInTranscript(sentence);
    if (word < 0 || word >= static_cast<int>(words.size()) || found.isNull())
        return {};
    // The times count UTF-8 bytes; the box counts UTF-16 units.
    const QByteArray text = m_sentenceTexts[sentence].toUtf8();
    const TimedWord &timed = words[static_cast<std::size_t>(word)];
    const auto start = QString::fromUtf8(text.left(qsizetype(timed.at))).size();
    const auto end = QString::fromUtf8(text.left(qsizetype(timed.at + timed.length))).size();
    QTextCursor cursor = found;
    cursor.setPosition(int(found.selectionStart() + start));
    cursor.setPosition(int(found.selectionStart() + end), QTextCursor::KeepAnchor);
    return cursor;
}

int NewsBase::wordAtTranscript(int sentence, int position) const
{
    const QTextCursor found = sentenceInTranscript(sentence);
    if (found.isNull())
        return -1;
    const QString before = m_sentenceTexts[sentence].left(position - found.selectionStart());
    return wordAtText(ui->AudioPlayer->sentenceWords(sentence), std::size_t(before.toUtf8().size()));
}

void NewsBase::markWord(int word)
{
    markHeard(ui->AudioPlayer->currentSentence(), word);
}

void NewsBase::markHeard(int sentence, int word)
{
    if (ui->ScriptBox->isHidden())
        return;
    const QTextCursor marked = sentenceInTranscript(sentence);
    if (marked.isNull()) {
        ui->ScriptBox->setExtraSelections({});
        return;
    }
    // Formats laid over the text, not in it: the text stays as it is. The
    // sentence is underlined and shaded; its word heard also has a line
    // over it and the selection's colours: not by colour alone.
    QTextEdit::ExtraSelection mark;
    mark.cursor = marked;
    mark.format.setFontUnderline(true);
    mark.format.setBackground(palette().color(QPalette::Highlight).lighter(170));
    mark.format.setForeground(palette().color(QPalette::Text));
    QList<QTextEdit::ExtraSelection> marks{mark};
    if (const QTextCursor heard = wordInTranscript(sentence, word); !heard.isNull()) {
        mark.cursor = heard;
        mark.format.setFontOverline(true);
        mark.format.setBackground(palette().color(QPalette::Highlight));
        mark.format.setForeground(palette().color(QPalette::HighlightedText));
        marks << mark;
    }
    ui->ScriptBox->setExtraSelections(marks);
}

void NewsBase::playWordAtCursor()
{
    if (ui->ScriptBox->isHidden())
        return;
    const int at = ui->ScriptBox->textCursor().position();
    const int sentence = sentenceAtTranscript(at);
    const int word = sentence < 0 ? -1 : wordAtTranscript(sentence, at);
    if (word >= 0)
        ui->AudioPlayer->playWord(sentence, word);
}

} // namespace vantrel
