#pragma once

#include "media_backend.h"

#include <QAudioOutput>
#include <QMediaPlayer>

namespace vantrel {

// The real engine: QMediaPlayer playing to the default audio output.
class QtMediaBackend : public MediaBackend
{
    Q_OBJECT

public:
    explicit QtMediaBackend(QObject *parent = nullptr);
    ~QtMediaBackend() override;

    void setSource(const QUrl &source) override;
    void play() override;
    void pause() override;
    void stop() override;

    void setPosition(qint64 ms) override;
    qint64 position() const override;
    qint64 duration() const override;

    void setVolume(float volume) override;
    void setPlaybackRate(qreal rate) override;

    State state() const override;

private:
    void onPlaybackStateChanged(QMediaPlayer::PlaybackState playbackState);
    void onPositionChanged(qint64 ms);
    void onMediaStatusChanged(QMediaPlayer::MediaStatus status);
    void onError(QMediaPlayer::Error error, const QString &message);

    // Declared before the player, so the player, which points to it, goes first.
    QAudioOutput m_output;
    QMediaPlayer m_player;
    QUrl m_failedSource;
};

} // namespace vantrel
