// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "media_backend.h"
#include "sentence_steps.h"

#include <QObject>
#include <QTimer>

namespace vantrel {

// Plays a recording sentence by sentence, for a player whose recording has
// timed sentences: a step plays one sentence from its start and pauses at
// its end; with the pause after each sentence on, Play pauses at every
// sentence's end. Watches the position while the sound plays, and says
// which sentence is being heard.
class SentencePlayer : public QObject
{
    Q_OBJECT

public:
    explicit SentencePlayer(QObject *parent = nullptr);

    void attach(MediaBackend *backend);
    void setSentences(SentenceSteps sentences);
    bool hasSentences() const { return !m_sentences.empty(); }
    std::vector<TimedWord> wordsOf(int index) const
    {
        return index >= 0 && index < m_sentences.count() ? m_sentences.at(index).words : std::vector<TimedWord>{};
    }

    void previous();
    void repeat();
    void next();
    void play(int index);
    // Plays sentence INDEX from its word WORD to its end.
    void playFrom(int index, int word);
    // Plays word WORD of sentence INDEX alone, from a moment before it, and
    // pauses where the next word starts.
    void playWord(int index, int word);
    void setPauseAfterEach(bool on);
    // Play was pressed; with the pause after each sentence on, it pauses at the next end.
    void playing();
    // The position was moved to AT (ms; -1 when not known), or the sound
    // stopped (at 0): no sentence is held. Until the sound plays on, AT is
    // where the player stands, whatever a seek still under way reports.
    void forget(qint64 at = -1);

    // The sentence being heard; between sentences, the one heard last; after
    // a step or a pause after a sentence, that sentence. -1 without sentences.
    int current() const;
    // The word of current() being heard; after a word played alone, that
    // word. -1 between words' sentences, or without word times.
    int currentWord() const;

signals:
    void currentChanged(int index);
    void currentWordChanged(int word);

private:
    void watch();
    void playSpan(int index, qint64 fromMs, qint64 toMs, int word = -1);
    void pauseAt(int index);
    void stopAtNextEnd();
    qint64 position() const;
    void onStateChanged(MediaBackend::State state);

    MediaBackend *m_backend = nullptr;
    SentenceSteps m_sentences;
    QTimer m_watch;
    int m_stopAfter = -1;   // the sentence whose end pauses the sound
    qint64 m_stopAtMs = 0;  // and where it ends: the sentence's end, or a word's
    int m_stopWord = -1;    // the word played alone, if one is
    int m_pausedAfter = -1; // the sentence the sound paused after
    int m_pausedWord = -1;  // and the word, when one was played alone
    bool m_endAhead = false; // the position has been before m_stopAfter's end
    qint64 m_movedTo = -1;   // where a seek or a stop put the player, until it plays
    int m_shown = -1;       // the last current() said
    int m_shownWord = -1;   // and currentWord()
    bool m_pauseAfterEach = false;
};

} // namespace vantrel
