// SPDX-License-Identifier: GPL-3.0-or-later
// Messages from the pipeline: preroll, duration, end and errors.
#include "gst_media_backend.h"

#include "gst_sound_output.h"

#include <gst/gst.h>

#include <utility>

namespace vantrel {

void GstMediaBackend::connectBus()
{
    // A sync handler, not a bus watch: a watch needs the GLib main context
    // to be run by Qt's event loop, which depends on how Qt was built and on
    // QT_NO_GLIB. The handler runs on GStreamer's threads and only posts a
    // queued call; everything else happens on the Qt thread. Queued calls to
    // a destroyed backend are discarded by Qt, and drop their message.
    GstBus *bus = gst_element_get_bus(m_pipeline);
    auto handler = [](GstBus *, GstMessage *message, gpointer data) -> GstBusSyncReply {
        auto *self = static_cast<GstMediaBackend *>(data);
        switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ERROR:
        case GST_MESSAGE_EOS:
        case GST_MESSAGE_ASYNC_DONE:
        case GST_MESSAGE_DURATION_CHANGED: {
            const quint64 generation = self->m_generation.load();
            MessagePtr held(gst_message_ref(message), gst_message_unref);
            QMetaObject::invokeMethod(
                self, [self, held, generation] { self->handleMessage(held, generation); },
                Qt::QueuedConnection);
            break;
        }
        default:
            break;
        }
        // A dropped message belongs to the handler, which must release it.
        gst_message_unref(message);
        return GST_BUS_DROP;
    };
    gst_bus_set_sync_handler(bus, handler, this, nullptr);
    gst_object_unref(bus);
}

void GstMediaBackend::handleMessage(const MessagePtr &message, quint64 generation)
{
    if (generation != m_generation.load())
        return;
    switch (GST_MESSAGE_TYPE(message.get())) {
    case GST_MESSAGE_ASYNC_DONE:
        onPrerolled();
        break;
    case GST_MESSAGE_DURATION_CHANGED:
        m_duration = 0;
        queryDuration();
        break;
    case GST_MESSAGE_EOS:
        onEndOfStream();
        break;
    case GST_MESSAGE_ERROR:
        onError(message.get());
        break;
    default:
        break;
    }
}

void GstMediaBackend::onPrerolled()
{
    m_prerolled = true;
    queryDuration();
    checkSoundOutput();
    if (m_pendingSeek >= 0) {
        const qint64 ms = m_pendingSeek;
        m_pendingSeek = -1;
        seekTo(ms);
        return;
    }
    // A play asked for meanwhile waits for the warm-up's end.
    if (std::exchange(m_warmUpWanted, false)) {
        startWarmUp();
        return;
    }
    if (m_playWhenPrerolled) {
        m_playWhenPrerolled = false;
        gst_element_set_state(m_pipeline, GST_STATE_PLAYING);
    }
}

void GstMediaBackend::queryDuration()
{
    gint64 ns = 0;
    if (m_duration <= 0 && gst_element_query_duration(m_pipeline, GST_FORMAT_TIME, &ns) && ns > 0)
        emit durationChanged(m_duration = ns / GST_MSECOND);
}

void GstMediaBackend::onEndOfStream()
{
    if (m_warming) {
        endWarmUp();
        return;
    }
    m_positionReports.stop();
    emit positionChanged(m_duration);
    rewind();
    setState(State::Stopped);
}

void GstMediaBackend::onError(GstMessage *message)
{
    GError *error = nullptr;
    gst_message_parse_error(message, &error, nullptr);
    const QString text = QString::fromUtf8(error ? error->message : "unknown error");
    g_clear_error(&error);
    // Only a lost output is worth waiting for; a broken file stays broken.
    // Asked before NULL, which takes the failed sink out of the pipeline.
    if (isOutputError(message, m_pipeline))
        m_outputWatch.watchForReturn();

    m_warmUp.stop();
    m_warming = false;
    m_positionReports.stop();
    m_failed = true;
    // NULL, not READY: a playbin left in READY after an error may fail the
    // next file too.
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    // One report per load: the file's later errors are of no more use.
    ++m_generation;
    applyVolume(m_volume);
    setState(State::Stopped);
    emit errorOccurred(text);
}

} // namespace vantrel
