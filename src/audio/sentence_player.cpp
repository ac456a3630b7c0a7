// SPDX-License-Identifier: GPL-3.0-or-later
#include "sentence_player.h"

#include <algorithm>

namespace vantrel {

namespace {

// How often the position is looked at while the sound plays: a sentence's
// end is met within this, on top of the output's own delay.
constexpr int kWatchMs = 10;
// A word played alone starts this much early, so that its first sound is
// heard whole even where its time is a little late.
constexpr qint64 kWordLeadInMs = 50;

} // namespace

SentencePlayer::SentencePlayer(QObject *parent)
    : QObject(parent)
{
    m_watch.setInterval(kWatchMs);
    connect(&m_watch, &QTimer::timeout, this, &SentencePlayer::watch);
}

void SentencePlayer::attach(MediaBackend *backend)
{
    m_backend = backend;
    connect(backend, &MediaBackend::stateChanged, this, &SentencePlayer::onStateChanged);
}

void SentencePlayer::setSentences(SentenceSteps sentences)
{
    m_sentences = std::move(sentences);
    m_stopAfter = m_stopWord = m_pausedAfter = m_pausedWord = m_shown = m_shownWord = -1;
    m_watch.stop();
}

int SentencePlayer::current() const
{
    if (m_pausedAfter >= 0 || !m_backend)
        return m_pausedAfter >= 0 ? m_pausedAfter : m_sentences.current(0);
    return m_sentences.current(position());
}

int SentencePlayer::currentWord() const
{
    const int index = current();
    if (index < 0 || !m_backend)
        return -1;
    if (m_pausedAfter >= 0)
        return m_pausedWord;
    const SentenceTime &sentence = m_sentences.at(index);
    return wordAtTime(sentence.words, sentence.endMs, position());
}

qint64 SentencePlayer::position() const
{
    return m_movedTo >= 0 ? m_movedTo : m_backend->position();
}

void SentencePlayer::previous()
{
    play(m_sentences.previous(current()));
}

void SentencePlayer::repeat()
{
    play(std::max(current(), 0));
}

void SentencePlayer::next()
{
    play(m_sentences.next(current()));
}

void SentencePlayer::play(int index)
{
    if (index >= 0 && index < m_sentences.count())
        playSpan(index, m_sentences.at(index).startMs, m_sentences.at(index).endMs);
}

void SentencePlayer::playFrom(int index, int word)
{
    if (index < 0 || index >= m_sentences.count())
        return;
    const SentenceTime &sentence = m_sentences.at(index);
    if (word < 0 || word >= static_cast<int>(sentence.words.size()))
        return play(index);
    playSpan(index, sentence.words[static_cast<std::size_t>(word)].startMs, sentence.endMs);
}

void SentencePlayer::playWord(int index, int word)
{
    if (index < 0 || index >= m_sentences.count())
        return;
    const SentenceTime &sentence = m_sentences.at(index);
    if (word < 0 || word >= static_cast<int>(sentence.words.size()))
        return;
    const qint64 start = sentence.words[static_cast<std::size_t>(word)].startMs;
    playSpan(index, std::max<qint64>(start - kWordLeadInMs, 0), wordEndMs(sentence.words, word, sentence.endMs), word);
}

void SentencePlayer::playSpan(int index, qint64 fromMs, qint64 toMs, int word)
{
    if (!m_backend)
        return;
    m_pausedAfter = m_pausedWord = -1;
    m_movedTo = -1;
    m_stopAfter = index;
    m_stopAtMs = toMs;
    m_stopWord = word;
    m_endAhead = false;
    m_backend->setPosition(fromMs);
    m_backend->play();
    m_watch.start();
    watch();
}

void SentencePlayer::setPauseAfterEach(bool on)
{
    m_pauseAfterEach = on;
    if (on && m_backend && m_backend->state() == MediaBackend::State::Playing && m_stopAfter < 0)
        stopAtNextEnd();
}

void SentencePlayer::playing()
{
    m_pausedAfter = m_pausedWord = -1;
    if (m_pauseAfterEach && m_backend && m_stopAfter < 0)
        stopAtNextEnd();
    m_movedTo = -1;
    if (!m_sentences.empty())
        m_watch.start();
}

void SentencePlayer::stopAtNextEnd()
{
    m_stopAfter = m_sentences.endingAfter(position());
    m_stopAtMs = m_stopAfter >= 0 ? m_sentences.at(m_stopAfter).endMs : 0;
    m_stopWord = -1;
    m_endAhead = true;
}

void SentencePlayer::forget(qint64 at)
{
    m_pausedAfter = m_pausedWord = m_stopAfter = -1;
    m_movedTo = at;
}

void SentencePlayer::watch()
{
    if (!m_backend)
        return;
    if (m_stopAfter >= 0) {
        // Until a seek has taken, the position may still be the old one,
        // past this sentence's end: the end counts once it lay ahead.
        const bool ended = m_backend->position() >= m_stopAtMs;
        if (ended && m_endAhead)
            pauseAt(m_stopAfter);
        m_endAhead = m_endAhead || !ended;
    }
    if (const int now = current(); now != m_shown)
        emit currentChanged(m_shown = now);
    if (const int word = currentWord(); word != m_shownWord)
        emit currentWordChanged(m_shownWord = word);
}

void SentencePlayer::pauseAt(int index)
{
    // Known before the pause is told, so that whoever hears of it finds the
    // sentence and word it paused after.
    m_pausedAfter = index;
    m_pausedWord = m_stopWord;
    m_stopAfter = m_stopWord = -1;
    m_backend->pause();
}

void SentencePlayer::onStateChanged(MediaBackend::State state)
{
    if (state != MediaBackend::State::Playing)
        m_watch.stop();
    else if (!m_sentences.empty())
        m_watch.start();
    if (state == MediaBackend::State::Stopped)
        forget(0);
}

} // namespace vantrel
