// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "media_backend.h"

#include <QStringList>
#include <QUrl>

#include <utility>

namespace vantrel {

// A media engine that makes no sound: it records what it is asked to do and
// lets a test play the part of the media (duration known, playing on, end).
class FakeMediaBackend : public MediaBackend
{
public:
    using MediaBackend::MediaBackend;

    // Every request in order: "setSource <url>", "play", "pause", "stop",
    // "seek <ms>", "volume <0..1>", "rate <rate>".
    QStringList calls;
    QUrl source;

    void setSource(const QUrl &url) override
    {
        calls << QStringLiteral("setSource ") + url.toString();
        // As the real engine: an unchanged source stays loaded where it is.
        if (url != source) {
            source = url;
            rewind();
        }
    }
    void play() override { record(QStringLiteral("play"), State::Playing); }
    void pause() override { record(QStringLiteral("pause"), State::Paused); }
    void stop() override
    {
        calls << QStringLiteral("stop");
        rewind();
    }
    void setPosition(qint64 ms) override
    {
        calls << QStringLiteral("seek %1").arg(ms);
        if (slowSeeks)
            m_seekingTo = ms;
        else
            moveTo(ms);
    }
    qint64 position() const override { return m_position; }
    qint64 duration() const override { return m_duration; }
    void setVolume(float volume) override { calls << QStringLiteral("volume %1").arg(volume); }
    void setPlaybackRate(qreal rate) override { calls << QStringLiteral("rate %1").arg(rate); }
    State state() const override { return m_state; }

    // As a real engine's seek, which takes a while: until settle(), the
    // position stays where it was.
    bool slowSeeks = false;

    // The media's side.
    void settle()
    {
        if (m_seekingTo >= 0)
            moveTo(std::exchange(m_seekingTo, -1));
    }
    void loadDuration(qint64 ms) { emit durationChanged(m_duration = ms); }
    void moveTo(qint64 ms) { emit positionChanged(m_position = ms); }
    void finish()
    {
        moveTo(m_duration);
        setState(State::Stopped);
    }

private:
    void record(const QString &call, State state)
    {
        calls << call;
        setState(state);
    }
    void rewind()
    {
        if (slowSeeks) {
            m_seekingTo = 0;
            setState(State::Stopped);
            return;
        }
        moveTo(0);
        setState(State::Stopped);
    }
    void setState(State state)
    {
        if (state != m_state)
            emit stateChanged(m_state = state);
    }

    qint64 m_position = 0;
    qint64 m_seekingTo = -1;
    qint64 m_duration = 0;
    State m_state = State::Stopped;
};

} // namespace vantrel
