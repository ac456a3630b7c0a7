// SPDX-License-Identifier: GPL-3.0-or-later
#include "gst_sound_pipeline.h"

#include "gst_runtime.h"
#include "gst_sound_output.h"
#include "gst_tempo_filter.h"

#include <gst/gst.h>

#include <cstdio>

namespace vantrel {

namespace {

// playbin's flags: audio, with its own volume element, and nothing else.
constexpr int kAudioOnlyFlags = 0x02 | 0x10;

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

GstState gstState(SoundPipeline::Target target)
{
    switch (target) {
    case SoundPipeline::Target::Null:
        return GST_STATE_NULL;
    case SoundPipeline::Target::Ready:
        return GST_STATE_READY;
    case SoundPipeline::Target::Paused:
        return GST_STATE_PAUSED;
    case SoundPipeline::Target::Playing:
        break;
    }
    return GST_STATE_PLAYING;
}

} // namespace

GstSoundPipeline::GstSoundPipeline(QObject *parent)
    : SoundPipeline(parent)
{
    connect(&m_outputWatch, &GstOutputWatch::outputAvailable, this,
            &SoundPipeline::outputAvailable);
    connect(&m_outputWatch, &GstOutputWatch::outputLost, this, &SoundPipeline::outputLost);
    if (!soundAvailable() || !(m_pipeline = makePipeline()))
        return;
    connectBus();
}

GstSoundPipeline::~GstSoundPipeline()
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

bool GstSoundPipeline::usable() const
{
    return m_pipeline != nullptr;
}

void GstSoundPipeline::setUri(const QUrl &file)
{
    g_object_set(m_pipeline, "uri", file.toString(QUrl::FullyEncoded).toUtf8().constData(),
                 nullptr);
}

bool GstSoundPipeline::setTarget(Target target)
{
    return gst_element_set_state(m_pipeline, gstState(target)) == GST_STATE_CHANGE_ASYNC;
}

bool GstSoundPipeline::seek(qint64 ms, double rate)
{
    ++m_seeks;
    const auto flags = GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    return gst_element_seek(m_pipeline, rate, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET,
                            ms * GST_MSECOND, GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE);
}

std::optional<qint64> GstSoundPipeline::position() const
{
    gint64 ns = 0;
    if (!gst_element_query_position(m_pipeline, GST_FORMAT_TIME, &ns) || ns < 0)
        return std::nullopt;
    return ns / GST_MSECOND;
}

std::optional<qint64> GstSoundPipeline::duration() const
{
    gint64 ns = 0;
    if (!gst_element_query_duration(m_pipeline, GST_FORMAT_TIME, &ns) || ns <= 0)
        return std::nullopt;
    return ns / GST_MSECOND;
}

void GstSoundPipeline::setVolume(double volume)
{
    g_object_set(m_pipeline, "volume", volume, nullptr);
}

bool GstSoundPipeline::playsSilently() const
{
    return vantrel::playsSilently(m_pipeline);
}

void GstSoundPipeline::forgetMessages()
{
    ++m_generation;
}

void GstSoundPipeline::watchForLoss()
{
    m_outputWatch.watchForLoss();
}

void GstSoundPipeline::watchForReturn()
{
    m_outputWatch.watchForReturn();
}

void GstSoundPipeline::lookForOutputNow()
{
    m_outputWatch.lookNow();
}

void GstSoundPipeline::connectBus()
{
    // A sync handler, not a bus watch: a watch needs the GLib main context
    // to be run by Qt's event loop, which depends on how Qt was built and on
    // QT_NO_GLIB. The handler runs on GStreamer's threads and only posts a
    // queued call; everything else happens on the Qt thread. Queued calls to
    // a destroyed pipeline are discarded by Qt, and drop their message.
    GstBus *bus = gst_element_get_bus(m_pipeline);
    auto handler = [](GstBus *, GstMessage *message, gpointer data) -> GstBusSyncReply {
        auto *self = static_cast<GstSoundPipeline *>(data);
        switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ERROR:
        case GST_MESSAGE_EOS:
        case GST_MESSAGE_ASYNC_DONE:
        case GST_MESSAGE_DURATION_CHANGED: {
            const quint64 generation = self->m_generation.load();
            const quint64 seeks = self->m_seeks.load();
            MessagePtr held(gst_message_ref(message), gst_message_unref);
            QMetaObject::invokeMethod(
                self, [=] { self->handleMessage(held, generation, seeks); },
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

void GstSoundPipeline::handleMessage(const MessagePtr &message, quint64 generation,
                                     quint64 seeks)
{
    if (generation != m_generation.load())
        return;
    const bool beforeLastSeek = seeks != m_seeks.load();
    switch (GST_MESSAGE_TYPE(message.get())) {
    case GST_MESSAGE_ASYNC_DONE:
        if (!beforeLastSeek)
            emit prerolled();
        break;
    case GST_MESSAGE_DURATION_CHANGED:
        emit durationChanged();
        break;
    case GST_MESSAGE_EOS:
        if (!beforeLastSeek)
            emit endOfStream();
        break;
    case GST_MESSAGE_ERROR:
        reportError(message.get());
        break;
    default:
        break;
    }
}

void GstSoundPipeline::reportError(GstMessage *message)
{
    GError *error = nullptr;
    gst_message_parse_error(message, &error, nullptr);
    const QString text = QString::fromUtf8(error ? error->message : "unknown error");
    g_clear_error(&error);
    // Asked now: NULL takes the failed sink out of the pipeline.
    emit failed(text, isOutputError(message, m_pipeline));
}

} // namespace vantrel
