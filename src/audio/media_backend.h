// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

namespace vantrel {

// What the player widget needs from a media engine. Behind an interface so
// widget and lesson tests run with a fake instead of real audio.
class MediaBackend : public QObject
{
    Q_OBJECT

public:
    enum class State { Stopped, Playing, Paused };
    Q_ENUM(State)

    using QObject::QObject;

    // Loads the media and leaves it stopped at its beginning.
    virtual void setSource(const QUrl &source) = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    // Stops and rewinds to the beginning.
    virtual void stop() = 0;

    virtual void setPosition(qint64 ms) = 0;
    virtual qint64 position() const = 0;
    virtual qint64 duration() const = 0;

    // Linear volume, 0 (silent) to 1 (full).
    virtual void setVolume(float volume) = 0;
    // Faster or slower, keeping the pitch; 1 is the recording's own speed.
    virtual void setPlaybackRate(qreal rate) = 0;

    virtual State state() const = 0;

signals:
    void positionChanged(qint64 ms);
    void durationChanged(qint64 ms);
    void stateChanged(vantrel::MediaBackend::State state);
    void errorOccurred(const QString &message);
};

} // namespace vantrel
