// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's life, its pipeline, its loading of files and its settings. Messages from the
// pipeline are in gst_media_backend_bus.cpp, the output's loss and return in
// gst_media_backend_output.cpp, play, pause and seek in
// gst_media_backend_playback.cpp.
#include "gst_media_backend.h"

#include "gst_runtime.h"
#include "gst_sound_output.h"
#include "gst_tempo_filter.h"

#include <gst/gst.h>

#include <cstdio>

namespace vantrel {

namespace {

// playbin's flags: audio, with its own volume element, and nothing else.
constexpr int kAudioOnlyFlags = 0x02 | 0x10;
// Long enough for the sound server to have started the stream for real.
constexpr int kWarmUpMs = 300;
constexpr int kPositionReportMs = 100;

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
        // A seek waiting for its preroll: the player stands where it goes.
        return !m_prerolled && m_pendingSeek > 0 ? m_pendingSeek : 0;
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
