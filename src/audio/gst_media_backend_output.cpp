// SPDX-License-Identifier: GPL-3.0-or-later
// The output's loss and return: a pipeline whose output fell back to the
// silent sink, or failed, is watched until a real output opens, then taken
// through NULL so that autoaudiosink chooses again.
#include "gst_media_backend.h"

#include "gst_sound_output.h"

namespace vantrel {

void GstMediaBackend::checkSoundOutput()
{
    if (!m_pipeline->playsSilently()) {
        m_pipeline->watchForLoss();
        return;
    }
    // Hearings are still timed, so the student can go on; said once.
    sayNoSoundOutput();
    m_pipeline->watchForReturn();
}

void GstMediaBackend::onOutputLost()
{
    // A play under way hears of it itself, by an error.
    if (m_phase == Phase::Silent || failedOrLost() || m_state == State::Playing)
        return;
    // The sinks of one process share one connection to a server: the dead
    // one, held by this idle pipeline, would fail every look for its return.
    if (m_phase == Phase::Empty) {
        m_pipeline->setTarget(SoundPipeline::Target::Null);
        return;
    }
    m_resumeAt = m_state == State::Paused ? position() : 0;
    m_pipeline->setTarget(SoundPipeline::Target::Null);
    forgetLoad();
    m_pendingSeek = -1;
    // Played before the server is back, the file is loaded again, silently.
    moveTo(Phase::Lost, "output lost");
}

void GstMediaBackend::onOutputAvailable()
{
    // A load since the output was lost may have found it again.
    if (m_phase == Phase::Silent || (!failedOrLost() && !m_pipeline->playsSilently()))
        return;
    // A play under way goes on silently to its end: taking it up again from
    // the middle would start late and cut. Its end looks again.
    if (m_state == State::Playing)
        return;
    const qint64 resumeAt = m_state == State::Paused ? position() : 0;
    // Only NULL lets autoaudiosink choose again; a new file alone would not.
    m_pipeline->setTarget(SoundPipeline::Target::Null);
    forgetLoad();
    if (m_source.isEmpty()) {
        moveTo(Phase::Empty, "output back, no file");
        return;
    }
    // Loaded and warmed up anew, so that the next play starts at once; the
    // state the player shows and its duration stay as they are.
    openFile(resumeAt);
}

} // namespace vantrel
