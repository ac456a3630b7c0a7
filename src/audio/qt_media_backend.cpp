#include "qt_media_backend.h"

namespace vantrel {

namespace {

MediaBackend::State toState(QMediaPlayer::PlaybackState playbackState)
{
    switch (playbackState) {
    case QMediaPlayer::PlayingState:
        return MediaBackend::State::Playing;
    case QMediaPlayer::PausedState:
        return MediaBackend::State::Paused;
    case QMediaPlayer::StoppedState:
        break;
    }
    return MediaBackend::State::Stopped;
}

} // namespace

QtMediaBackend::QtMediaBackend(QObject *parent)
    : MediaBackend(parent)
{
    m_player.setAudioOutput(&m_output);
    connect(&m_player, &QMediaPlayer::positionChanged, this, &QtMediaBackend::onPositionChanged);
    connect(&m_player, &QMediaPlayer::durationChanged, this, &QtMediaBackend::durationChanged);
    connect(&m_player, &QMediaPlayer::playbackStateChanged, this,
            &QtMediaBackend::onPlaybackStateChanged);
    connect(&m_player, &QMediaPlayer::mediaStatusChanged, this,
            &QtMediaBackend::onMediaStatusChanged);
    connect(&m_player, &QMediaPlayer::errorOccurred, this, &QtMediaBackend::onError);
}

QtMediaBackend::~QtMediaBackend()
{
    // The player may still signal while it tears its pipeline down; by then
    // this object is half destroyed and must not be reached.
    m_player.disconnect(this);
}

void QtMediaBackend::setSource(const QUrl &source)
{
    // QMediaPlayer ignores an unchanged source. That keeps a good file
    // loaded, so the next hearing starts at once, but leaves a failed one
    // dead: load that one afresh.
    if (source == m_player.source() && source == m_failedSource)
        m_player.setSource(QUrl());
    m_failedSource.clear();
    m_player.setSource(source);
}

void QtMediaBackend::play()
{
    m_player.play();
}

void QtMediaBackend::pause()
{
    m_player.pause();
}

void QtMediaBackend::stop()
{
    m_player.stop();
}

void QtMediaBackend::setPosition(qint64 ms)
{
    m_player.setPosition(ms);
}

qint64 QtMediaBackend::position() const
{
    return m_player.position();
}

qint64 QtMediaBackend::duration() const
{
    return m_player.duration();
}

void QtMediaBackend::setVolume(float volume)
{
    m_output.setVolume(volume);
}

void QtMediaBackend::setPlaybackRate(qreal rate)
{
    m_player.setPlaybackRate(rate);
}

MediaBackend::State QtMediaBackend::state() const
{
    // After a failed load QMediaPlayer still claims to play; nothing is heard.
    if (!m_failedSource.isEmpty() && m_player.source() == m_failedSource)
        return State::Stopped;
    return toState(m_player.playbackState());
}

void QtMediaBackend::onPlaybackStateChanged(QMediaPlayer::PlaybackState)
{
    emit stateChanged(state());
}

void QtMediaBackend::onPositionChanged(qint64 ms)
{
    // Sound that moves on proves the file good, whatever error came before:
    // a failed file's last errors may arrive after the next file has started.
    if (ms > 0 && !m_failedSource.isEmpty()) {
        m_failedSource.clear();
        emit stateChanged(state());
    }
    emit positionChanged(ms);
}

void QtMediaBackend::onMediaStatusChanged(QMediaPlayer::MediaStatus status)
{
    if (status == QMediaPlayer::EndOfMedia)
        emit endOfMedia();
}

void QtMediaBackend::onError(QMediaPlayer::Error, const QString &message)
{
    // Not stopped here: the error may be a late one of the file before, and
    // stopping would silence the file now playing.
    m_failedSource = m_player.source();
    emit errorOccurred(message);
    emit stateChanged(state());
}

} // namespace vantrel
