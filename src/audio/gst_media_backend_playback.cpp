// SPDX-License-Identifier: GPL-3.0-or-later
// Play, pause, stop and seek on the loaded file, and the muted warm-up.
#include "gst_media_backend.h"

#include <gst/gst.h>

#include <algorithm>

namespace vantrel {

void GstMediaBackend::play()
{
    if (!m_pipeline || m_source.isEmpty())
        return;
    if (m_failed)
        load(m_source);
    endWarmUp();
    m_warmUpWanted = false;
    m_restartedThisPlay = false;
    m_stillReports = 0;
    // Going to PLAYING while a seek still prerolls can leave PulseAudio's
    // stream corked for good after a quick pause, seek and play: the player
    // says Playing and nothing moves. So PLAYING waits for the preroll.
    m_playWhenPrerolled = !m_prerolled;
    if (m_prerolled)
        gst_element_set_state(m_pipeline, GST_STATE_PLAYING);
    setState(State::Playing);
    m_positionReports.start();
}

void GstMediaBackend::pause()
{
    if (!m_pipeline || m_failed || m_source.isEmpty())
        return;
    endWarmUp();
    m_playWhenPrerolled = false;
    m_positionReports.stop();
    gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
    setState(State::Paused);
}

void GstMediaBackend::stop()
{
    m_playWhenPrerolled = false;
    m_positionReports.stop();
    if (m_pipeline && !m_failed && !m_source.isEmpty()) {
        if (m_warming)
            endWarmUp();
        else if (m_state != State::Stopped || position() > 0)
            rewind();
    }
    setState(State::Stopped);
    emit positionChanged(0);
}

void GstMediaBackend::startWarmUp()
{
    m_warming = true;
    applyVolume(0.0);
    gst_element_set_state(m_pipeline, GST_STATE_PLAYING);
    m_warmUp.start();
}

void GstMediaBackend::endWarmUp()
{
    if (!m_warming)
        return;
    m_warming = false;
    m_warmUp.stop();
    // Paused before the volume comes back, and the flush then drops every
    // muted sample still on its way: the next play starts whole, where the
    // player stood.
    gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
    applyVolume(m_volume);
    seekTo(m_resumeAt);
}

void GstMediaBackend::rewind()
{
    gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
    seekTo(0);
}

void GstMediaBackend::seekTo(qint64 ms)
{
    if (!m_prerolled) {
        // Seeks wait for the preroll; the last one asked for wins.
        m_pendingSeek = ms;
        return;
    }
    const auto flags = GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    // A flushing seek prerolls again and says so with ASYNC_DONE.
    m_prerolled = !gst_element_seek(m_pipeline, m_rate, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET,
                                    ms * GST_MSECOND, GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE);
}

void GstMediaBackend::setPosition(qint64 ms)
{
    if (!m_pipeline || m_failed || m_source.isEmpty())
        return;
    endWarmUp();
    // A warm-up still to come winds back here too.
    m_resumeAt = std::max<qint64>(ms, 0);
    seekTo(m_resumeAt);
    emit positionChanged(ms);
}

void GstMediaBackend::reportPosition()
{
    const qint64 now = position();
    watchForStall(now);
    emit positionChanged(now);
}

} // namespace vantrel
