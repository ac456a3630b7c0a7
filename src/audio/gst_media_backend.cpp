// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's life, its pipeline (with a tempo filter that starts clean after
// each seek), its loading of files and its settings. Messages from the
// pipeline are in gst_media_backend_bus.cpp, the output's loss and return in
// gst_media_backend_output.cpp, play, pause and seek in
// gst_media_backend_playback.cpp.
#include "gst_media_backend.h"

#include "gst_runtime.h"
#include "gst_sound_output.h"

#include <gst/gst.h>

#include <cstdio>

namespace vantrel {

namespace {

// playbin's flags: audio, with its own volume element, and nothing else.
constexpr int kAudioOnlyFlags = 0x02 | 0x10;
// Long enough for the sound server to have started the stream for real.
constexpr int kWarmUpMs = 300;
constexpr int kPositionReportMs = 100;

// scaletempo keeps the sound it has queued through a flushing seek and plays
// it first after the seek: at a speed other than 1x, a blip from where the
// player was (the end of the muted warm-up, or of the last play) before the
// place sought. So the filter is a bin in which each flush puts a fresh one.

void unlinkBetween(GstPad *feed, GstElement *element, GstPad *drain)
{
    GstPad *sink = gst_element_get_static_pad(element, "sink");
    GstPad *src = gst_element_get_static_pad(element, "src");
    gst_pad_unlink(feed, sink);
    gst_pad_unlink(src, drain);
    gst_object_unref(sink);
    gst_object_unref(src);
}

void linkBetween(GstPad *feed, GstElement *element, GstPad *drain)
{
    GstPad *sink = gst_element_get_static_pad(element, "sink");
    GstPad *src = gst_element_get_static_pad(element, "src");
    // The same caps as the element replaced; no data flows to check them on.
    gst_pad_link_full(feed, sink, GST_PAD_LINK_CHECK_NOTHING);
    gst_pad_link_full(src, drain, GST_PAD_LINK_CHECK_NOTHING);
    gst_object_unref(sink);
    gst_object_unref(src);
}

void swapTempo(GstElement *stale, GstPad *feed, GstPad *drain)
{
    auto *bin = GST_BIN(gst_object_get_parent(GST_OBJECT(stale)));
    GstElement *fresh = bin ? gst_element_factory_make("scaletempo", nullptr) : nullptr;
    if (!fresh) {
        if (bin)
            gst_object_unref(bin);
        return;
    }
    GstState state = GST_STATE_NULL;
    gst_element_get_state(stale, &state, nullptr, 0);
    unlinkBetween(feed, stale, drain);
    gst_element_set_state(stale, GST_STATE_NULL);
    gst_bin_remove(bin, stale);
    gst_bin_add(bin, fresh);
    linkBetween(feed, fresh, drain);
    gst_element_set_state(fresh, state);
    gst_object_unref(bin);
}

// Runs on the thread that carries the seek's flush, holding the stream lock
// of the element before scaletempo: no data is inside it.
GstPadProbeReturn renewTempo(GstPad *feed, GstPadProbeInfo *info, gpointer drain)
{
    if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) != GST_EVENT_FLUSH_STOP)
        return GST_PAD_PROBE_OK;
    if (GstPad *staleSink = gst_pad_get_peer(feed)) {
        if (GstElement *stale = gst_pad_get_parent_element(staleSink)) {
            swapTempo(stale, feed, static_cast<GstPad *>(drain));
            gst_object_unref(stale);
        }
        gst_object_unref(staleSink);
    }
    return GST_PAD_PROBE_OK;
}

void ghostPad(GstElement *bin, GstElement *element, const char *name)
{
    GstPad *pad = gst_element_get_static_pad(element, name);
    gst_element_add_pad(bin, gst_ghost_pad_new(name, pad));
    gst_object_unref(pad);
}

// identity ! scaletempo ! identity: fixed pads on both sides to swap between.
GstElement *makeTempoFilter()
{
    GstElement *parts[] = {gst_element_factory_make("identity", nullptr),
                           gst_element_factory_make("scaletempo", nullptr),
                           gst_element_factory_make("identity", nullptr)};
    if (!parts[0] || !parts[1] || !parts[2]) {
        for (GstElement *part : parts)
            if (part)
                gst_object_unref(gst_object_ref_sink(part));
        return nullptr;
    }
    GstElement *bin = gst_bin_new("tempo");
    gst_bin_add_many(GST_BIN(bin), parts[0], parts[1], parts[2], nullptr);
    gst_element_link_many(parts[0], parts[1], parts[2], nullptr);
    ghostPad(bin, parts[0], "sink");
    ghostPad(bin, parts[2], "src");
    GstPad *feed = gst_element_get_static_pad(parts[0], "src");
    GstPad *drain = gst_element_get_static_pad(parts[2], "sink");
    gst_pad_add_probe(feed, GST_PAD_PROBE_TYPE_EVENT_FLUSH, renewTempo, drain, gst_object_unref);
    gst_object_unref(feed);
    return bin;
}

GstElement *makePipeline()
{
    GstElement *pipeline = gst_element_factory_make("playbin", nullptr);
    if (!pipeline) {
        static bool said = false;
        if (!said)
            std::fputs("vantrel: no sound: GStreamer's playbin is missing "
                       "(gstreamer1.0-plugins-base)\n", stderr);
        said = true;
        return nullptr;
    }
    gst_object_ref_sink(pipeline);
    g_object_set(pipeline, "flags", kAudioOnlyFlags, nullptr);
    if (GstElement *output = makeSoundOutput(pipeline))
        g_object_set(pipeline, "audio-sink", output, nullptr);
    if (GstElement *tempo = makeTempoFilter())
        g_object_set(pipeline, "audio-filter", tempo, nullptr);
    return pipeline;
}

} // namespace

GstMediaBackend::GstMediaBackend(QObject *parent)
    : MediaBackend(parent)
{
    m_warmUp.setSingleShot(true);
    m_warmUp.setInterval(kWarmUpMs);
    connect(&m_warmUp, &QTimer::timeout, this, &GstMediaBackend::endWarmUp);
    m_positionReports.setInterval(kPositionReportMs);
    connect(&m_positionReports, &QTimer::timeout, this, &GstMediaBackend::reportPosition);
    connect(&m_outputWatch, &GstOutputWatch::outputAvailable, this,
            &GstMediaBackend::reopenOutput);
    // A paused stream hears nothing of its server's end; the watch does.
    connect(&m_outputWatch, &GstOutputWatch::outputLost, this, &GstMediaBackend::onOutputLost);

    if (!soundAvailable() || !(m_pipeline = makePipeline()))
        return;
    connectBus();
}

GstMediaBackend::~GstMediaBackend()
{
    if (!m_pipeline)
        return;
    // NULL joins the streaming threads, so no message is posted after this.
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    GstBus *bus = gst_element_get_bus(m_pipeline);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    gst_object_unref(m_pipeline);
}

void GstMediaBackend::setSource(const QUrl &source)
{
    // The same file stays loaded: replaying it is only a seek.
    if (source == m_source && !m_failed)
        return;
    load(source);
}

void GstMediaBackend::load(const QUrl &source)
{
    m_source = source;
    if (!m_pipeline)
        return;
    // After an error the pipeline is in NULL, so the output is chosen anew.
    gst_element_set_state(m_pipeline, GST_STATE_READY);
    resetLoad();
    m_resumeAt = 0;
    m_pendingSeek = m_rate != 1.0 ? 0 : -1;
    if (m_duration != 0)
        emit durationChanged(m_duration = 0);
    setState(State::Stopped);
    if (source.isEmpty())
        return;
    g_object_set(m_pipeline, "uri", source.toString(QUrl::FullyEncoded).toUtf8().constData(),
                 nullptr);
    preroll();
}

void GstMediaBackend::resetLoad()
{
    m_warmUp.stop();
    m_warming = false;
    m_positionReports.stop();
    // Messages of the file as it was loaded before are of no more use.
    ++m_generation;
    m_failed = false;
    m_prerolled = false;
    m_outputChecked = false;
    m_reopenWanted = false;
    applyVolume(m_volume);
}

void GstMediaBackend::preroll()
{
    m_warmUpWanted = true;
    // Asynchronous: the file is opened here, decoded on GStreamer's threads.
    gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
}

qint64 GstMediaBackend::position() const
{
    gint64 ns = 0;
    if (!m_pipeline || !gst_element_query_position(m_pipeline, GST_FORMAT_TIME, &ns) || ns < 0)
        return 0;
    return ns / GST_MSECOND;
}

qint64 GstMediaBackend::duration() const
{
    return m_duration;
}

void GstMediaBackend::setVolume(float volume)
{
    m_volume = volume;
    if (m_pipeline && !m_warming)
        applyVolume(volume);
}

void GstMediaBackend::applyVolume(double volume)
{
    g_object_set(m_pipeline, "volume", volume, nullptr);
}

void GstMediaBackend::setPlaybackRate(qreal rate)
{
    if (rate <= 0 || rate == m_rate)
        return;
    m_rate = rate;
    // Only a seek changes the rate; it is made from where the sound is now.
    if (m_pipeline && !m_failed && !m_source.isEmpty())
        seekTo(position());
}

MediaBackend::State GstMediaBackend::state() const
{
    return m_state;
}

void GstMediaBackend::setState(State state)
{
    if (state != m_state)
        emit stateChanged(m_state = state);
    if (m_reopenWanted && state != State::Playing) {
        m_reopenWanted = false;
        // Queued: the play has ended, but its handling has not yet.
        QMetaObject::invokeMethod(this, &GstMediaBackend::reopenOutput, Qt::QueuedConnection);
    }
}

} // namespace vantrel
