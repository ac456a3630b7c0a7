// SPDX-License-Identifier: GPL-3.0-or-later
// A stream that stopped moving: after a quick pause, seek and play,
// PulseAudio's stream can stay corked while the pipeline says PLAYING. Pause
// and play do not wake it; a new stream does.
#include "gst_media_backend.h"

#include <gst/gst.h>

#include <cstdio>

namespace vantrel {

namespace {

// Reports at which the position stood still, while it should have moved:
// long enough for a sound server waking a suspended output, which a stall
// must not be mistaken for.
constexpr int kStalledReports = 15;

} // namespace

void GstMediaBackend::watchForStall(qint64 now)
{
    if (now != m_lastReported || !playingSettled()) {
        m_lastReported = now;
        m_stillReports = 0;
        return;
    }
    // Once per play: a stream that stalls again is left as it is.
    if (++m_stillReports < kStalledReports || m_restartedThisPlay)
        return;
    m_restartedThisPlay = true;
    restartStream(now);
}

bool GstMediaBackend::playingSettled() const
{
    if (m_state != State::Playing || m_warming || !m_prerolled || m_playWhenPrerolled)
        return false;
    GstState current = GST_STATE_VOID_PENDING;
    GstState pending = GST_STATE_VOID_PENDING;
    gst_element_get_state(m_pipeline, &current, &pending, 0);
    return current == GST_STATE_PLAYING && pending == GST_STATE_VOID_PENDING;
}

void GstMediaBackend::restartStream(qint64 at)
{
    std::fprintf(stderr, "vantrel: the sound stopped moving at %lld ms; its stream is opened again\n",
                 static_cast<long long>(at));
    // READY gives the stream back to the sound server. The new one is
    // warmed up muted, as a fresh load is, so that it starts at once; then
    // the sound goes on from where it stood.
    gst_element_set_state(m_pipeline, GST_STATE_READY);
    ++m_generation;
    m_prerolled = false;
    m_stillReports = 0;
    m_resumeAt = at;
    m_pendingSeek = at;
    m_playWhenPrerolled = true;
    preroll();
}

} // namespace vantrel
