// SPDX-License-Identifier: GPL-3.0-or-later
// The output's loss and return: a pipeline whose output fell back to the
// silent sink, or failed, is watched until a real output opens, then taken
// through NULL so that autoaudiosink chooses again.
#include "gst_media_backend.h"

#include "gst_sound_output.h"

#include <gst/gst.h>

namespace vantrel {

void GstMediaBackend::checkSoundOutput()
{
    // autoaudiosink has chosen by the first preroll of a load; later prerolls
    // (after seeks) change nothing.
    if (m_outputChecked)
        return;
    m_outputChecked = true;
    if (!playsSilently(m_pipeline)) {
        m_outputWatch.watchForLoss();
        return;
    }
    // Hearings are still timed, so the student can go on; said once.
    sayNoSoundOutput();
    m_outputWatch.watchForReturn();
}

void GstMediaBackend::onOutputLost()
{
    m_outputLost = true;
    // A play under way hears of it itself, by an error.
    if (!m_pipeline || m_failed || m_state == State::Playing)
        return;
    // The sinks of one process share one connection to a server: the dead
    // one, held by this idle pipeline, would fail every look for its return.
    m_resumeAt = m_state == State::Paused ? position() : 0;
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    resetLoad();
    // Played before the server is back, the file is loaded again, silently.
    m_failed = true;
}

void GstMediaBackend::reopenOutput()
{
    // A load since the output was lost may have found it again.
    if (!m_pipeline || (!m_failed && !m_outputLost && !playsSilently(m_pipeline)))
        return;
    // A play under way goes on silently to its end: taking it up again from
    // the middle would start late and cut.
    if (m_state == State::Playing) {
        m_reopenWanted = true;
        return;
    }
    // A pipeline already taken to NULL no longer knows where it stood.
    const qint64 resumeAt = m_state != State::Paused ? 0 : m_outputLost ? m_resumeAt : position();
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    // Only NULL lets autoaudiosink choose again; a new file alone would not.
    m_outputLost = false;
    resetLoad();
    if (m_source.isEmpty())
        return;
    // Loaded and warmed up anew, so that the next play starts at once; the
    // state the player shows and its duration stay as they are.
    m_resumeAt = resumeAt;
    m_pendingSeek = resumeAt > 0 || m_rate != 1.0 ? resumeAt : -1;
    preroll();
}

} // namespace vantrel
