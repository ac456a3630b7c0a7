// SPDX-License-Identifier: GPL-3.0-or-later
// Position reports while playing, and the last resort against a stream that
// stopped moving while the pipeline says it plays: rarely, after a pause, a
// flush and a play, the sound server's stream clock (the pipeline's clock)
// stands still or jumps far ahead, and only a new stream brings it back.
#include "gst_media_backend.h"

#include <cstdio>

namespace vantrel {

namespace {

// Reports at which the position stood still, while it should have moved:
// long enough for a sound server waking a suspended output, which a stall
// must not be mistaken for.
constexpr int kStalledReports = 15;

} // namespace

void GstMediaBackend::onReportTick()
{
    const qint64 now = position();
    watchForStall(now);
    emit positionChanged(now);
}

void GstMediaBackend::watchForStall(qint64 now)
{
    if (now != m_lastReported || m_phase != Phase::Playing) {
        m_lastReported = now;
        m_stillReports = 0;
        return;
    }
    // Once per play: a stream that stalls again is left as it is.
    if (++m_stillReports < kStalledReports || m_restartsThisPlay > 0)
        return;
    ++m_restartsThisPlay;
    restartStream(now);
}

void GstMediaBackend::restartStream(qint64 at)
{
    std::fprintf(stderr, "vantrel: the sound stopped moving at %lld ms; its stream is opened again\n",
                 static_cast<long long>(at));
    // READY gives the stream back to the sound server. The new one is
    // warmed up muted, as a fresh load is, so that it starts at once; then
    // the sound goes on from where it stood.
    m_pipeline->setTarget(SoundPipeline::Target::Ready);
    forgetLoad();
    m_stillReports = 0;
    openFile(at);
    m_positionReports.start();
}

} // namespace vantrel
