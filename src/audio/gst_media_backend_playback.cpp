// SPDX-License-Identifier: GPL-3.0-or-later
// The player's requests: play, pause, stop and seek on the loaded file; and
// the muted warm-up of a freshly loaded one.
#include "gst_media_backend.h"

#include <algorithm>

namespace vantrel {

namespace {

// The warm-up ends once its muted sound has moved this far: the server is
// then reading the stream for real, and has said so often enough that the
// stream's clock holds when the warm-up is flushed away. (After 100 ms, a
// play asked for during the load stood still once a run.)
constexpr qint64 kFlowingMs = 500;
// A play that waits ends it as soon as the server reads at all: the lesson
// times a hearing from its click, so half a second late cuts its end.
constexpr qint64 kReadingMs = 1;
// A server that never reads the stream is not waited for longer than this;
// the play then starts as it can.
constexpr qint64 kLongestWarmUpMs = 4000;

} // namespace

void GstMediaBackend::play()
{
    if (m_phase == Phase::Silent || m_source.isEmpty())
        return;
    // After an error, or once the output went, the file is loaded again.
    if (failedOrLost())
        load(m_source);
    m_restartsThisPlay = 0;
    m_stillReports = 0;
    setState(State::Playing);
    // Loading, warming or prerolling: it plays once they are done.
    if (m_phase == Phase::Ready)
        startPlaying();
    else if (m_phase == Phase::Warming)
        onWarmUpTick();
    m_positionReports.start();
}

void GstMediaBackend::startPlaying()
{
    m_pipeline->setTarget(SoundPipeline::Target::Playing);
    moveTo(Phase::Playing, "play");
}

void GstMediaBackend::pause()
{
    if (m_phase == Phase::Silent || failedOrLost() || m_source.isEmpty())
        return;
    m_positionReports.stop();
    if (m_phase == Phase::Playing) {
        // A pause that must preroll says when it has, as a seek does.
        const bool later = m_pipeline->setTarget(SoundPipeline::Target::Paused);
        moveTo(later ? Phase::Seeking : Phase::Ready, "pause");
    }
    // Anything else is paused already, or ends paused.
    setState(State::Paused);
}

void GstMediaBackend::stop()
{
    m_positionReports.stop();
    if (m_phase == Phase::Warming)
        m_resumeAt = 0;  // where the warm-up winds back to
    else if (m_phase != Phase::Silent && !failedOrLost() && !m_source.isEmpty()
             && (m_state != State::Stopped || position() > 0))
        rewind();
    setState(State::Stopped);
    emit positionChanged(0);
}

void GstMediaBackend::setPosition(qint64 ms)
{
    if (m_phase == Phase::Silent || failedOrLost() || m_source.isEmpty())
        return;
    m_resumeAt = std::max<qint64>(ms, 0);
    // A warm-up winds back to it when it ends.
    if (m_phase != Phase::Warming)
        seekTo(m_resumeAt);
    emit positionChanged(ms);
}

void GstMediaBackend::rewind()
{
    seekTo(0);
}

void GstMediaBackend::seekTo(qint64 ms)
{
    switch (m_phase) {
    case Phase::Loading:
    case Phase::Seeking:
        // A preroll under way is not interrupted: the seek follows it.
        m_pendingSeek = ms;
        return;
    case Phase::Playing:
        pauseThenSeek(ms, "pause to seek");
        return;
    case Phase::Ready:
        if (issueSeek(ms))
            moveTo(Phase::Seeking, "seek");
        return;
    default:
        return;
    }
}

void GstMediaBackend::pauseThenSeek(qint64 ms, const char *why)
{
    // Seeks are made paused, and PLAYING waits for their preroll, so that
    // every move has one preroll to wait for and none is taken for another's.
    // A pause that must preroll first is waited for too.
    if (m_pipeline->setTarget(SoundPipeline::Target::Paused)) {
        m_pendingSeek = ms;
        moveTo(Phase::Seeking, why);
    } else if (issueSeek(ms)) {
        moveTo(Phase::Seeking, why);
    } else {
        settle();
    }
}

bool GstMediaBackend::issueSeek(qint64 ms)
{
    return m_pipeline->seek(ms, m_rate);
}

void GstMediaBackend::settle()
{
    if (m_state == State::Playing)
        startPlaying();
    else
        moveTo(Phase::Ready, "prerolled");
}

void GstMediaBackend::startWarmUp()
{
    m_pipeline->setVolume(0.0);
    m_pipeline->setTarget(SoundPipeline::Target::Playing);
    m_warmFrom = m_pipeline->position().value_or(m_resumeAt);
    m_warmClock.start();
    m_warmUp.start();
    moveTo(Phase::Warming, "warm-up");
}

void GstMediaBackend::onWarmUpTick()
{
    const qint64 now = m_pipeline->position().value_or(m_warmFrom);
    const qint64 enough = m_state == State::Playing ? kReadingMs : kFlowingMs;
    if (now - m_warmFrom >= enough || m_warmClock.elapsed() >= kLongestWarmUpMs)
        endWarmUp();
}

void GstMediaBackend::endWarmUp()
{
    m_warmUp.stop();
    // Paused before the volume comes back, and the flush then drops every
    // muted sample still on its way: the next play starts whole, where the
    // player stood.
    pauseThenSeek(m_resumeAt, "warm-up over");
    m_pipeline->setVolume(m_volume);
}

} // namespace vantrel
