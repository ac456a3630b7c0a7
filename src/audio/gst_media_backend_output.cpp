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
    if (!playsSilently(m_pipeline))
        return;
    // Hearings are still timed, so the student can go on; said once.
    sayNoSoundOutput();
    m_outputWatch.watch();
}

void GstMediaBackend::reopenOutput()
{
    // A load since the output was lost may have found it again.
    if (!m_pipeline || (!m_failed && !playsSilently(m_pipeline)))
        return;
    // A play under way goes on silently to its end: taking it up again from
    // the middle would start late and cut.
    if (m_state == State::Playing) {
        m_reopenWanted = true;
        return;
    }
    const qint64 resumeAt = m_state == State::Paused ? position() : 0;
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
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
