// SPDX-License-Identifier: GPL-3.0-or-later
// What the pipeline says: prerolled, its duration, its end and its errors.
#include "gst_media_backend.h"

#include "gst_sound_output.h"

#include <utility>

namespace vantrel {

void GstMediaBackend::onPrerolled()
{
    if (m_phase != Phase::Loading && m_phase != Phase::Seeking)
        return;
    onDurationChanged();
    if (m_phase == Phase::Loading)
        checkSoundOutput();
    if (m_pendingSeek >= 0) {
        const qint64 ms = std::exchange(m_pendingSeek, -1);
        if (issueSeek(ms))
            return;  // still loading or seeking, until that preroll
    }
    // A fresh file is warmed up first, even when a play is waiting for it.
    if (m_phase == Phase::Loading)
        startWarmUp();
    else
        settle();
}

void GstMediaBackend::onDurationChanged()
{
    const qint64 ms = m_pipeline->duration().value_or(0);
    if (ms > 0 && ms != m_duration)
        emit durationChanged(m_duration = ms);
}

void GstMediaBackend::onEndOfStream()
{
    if (m_phase == Phase::Warming) {
        endWarmUp();
        return;
    }
    if (m_phase != Phase::Playing)
        return;
    m_positionReports.stop();
    emit positionChanged(m_duration);
    rewind();
    setState(State::Stopped);
}

void GstMediaBackend::onFailed(const QString &message, bool outputError)
{
    if (m_phase == Phase::Silent || failedOrLost())
        return;
    // Only a lost output is worth waiting for; a broken file stays broken.
    if (outputError)
        m_pipeline->watchForReturn();
    m_warmUp.stop();
    m_positionReports.stop();
    // NULL, not READY: a playbin left in READY after an error may fail the
    // next file too.
    m_pipeline->setTarget(SoundPipeline::Target::Null);
    // One report per load: the file's later errors are of no more use.
    m_pipeline->forgetMessages();
    m_pipeline->setVolume(m_volume);
    m_resumeAt = 0;
    m_pendingSeek = -1;
    moveTo(Phase::Failed, "error");
    setState(State::Stopped);
    emit errorOccurred(message);
}

} // namespace vantrel
