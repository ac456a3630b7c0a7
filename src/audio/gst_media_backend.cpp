// SPDX-License-Identifier: GPL-3.0-or-later
#include "gst_media_backend.h"

#include "gst_runtime.h"

#include <gst/gst.h>

#include <cstdio>

namespace vantrel {

namespace {

// playbin's flags: audio, with its own volume element, and nothing else.
constexpr int kAudioOnlyFlags = 0x02 | 0x10;
// Long enough for the sound server to have started the stream for real.
constexpr int kWarmUpMs = 300;
constexpr int kPositionReportMs = 100;
// How much sound the sink holds ahead, in microseconds. GStreamer's 200 ms
// ran dry, a gap the student hears, when the machine was very busy; decoding
// half a second ahead takes a few milliseconds, so nothing starts later.
constexpr gint64 kSinkBufferUs = 500000;

GstElement *makeElement(const char *factory)
{
    return gst_element_factory_make(factory, nullptr);
}

void sayOnce(bool &said, const char *line)
{
    if (!said)
        std::fprintf(stderr, "vantrel: %s\n", line);
    said = true;
}

// autoaudiosink makes the real sink only when it starts, so it is set up as
// it is added.
void bufferAhead(GstBin *, GstBin *, GstElement *element, gpointer)
{
    if (GST_OBJECT_FLAG_IS_SET(element, GST_ELEMENT_FLAG_SINK)
        && g_object_class_find_property(G_OBJECT_GET_CLASS(element), "buffer-time"))
        g_object_set(element, "buffer-time", kSinkBufferUs, nullptr);
}

bool isFakeSink(const GValue *value)
{
    auto *element = GST_ELEMENT(g_value_get_object(value));
    GstElementFactory *factory = gst_element_get_factory(element);
    return factory && g_strcmp0(GST_OBJECT_NAME(factory), "fakesink") == 0;
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

    if (!soundAvailable())
        return;
    m_pipeline = makeElement("playbin");
    if (!m_pipeline) {
        static bool said = false;
        sayOnce(said, "no sound: GStreamer's playbin is missing (gstreamer1.0-plugins-base)");
        return;
    }
    gst_object_ref_sink(m_pipeline);
    g_object_set(m_pipeline, "flags", kAudioOnlyFlags, nullptr);
    g_signal_connect(m_pipeline, "deep-element-added", G_CALLBACK(bufferAhead), nullptr);
    if (GstElement *sink = makeElement("autoaudiosink"))
        g_object_set(m_pipeline, "audio-sink", sink, nullptr);
    if (GstElement *tempo = makeElement("scaletempo"))
        g_object_set(m_pipeline, "audio-filter", tempo, nullptr);
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
    if (m_warmUpWanted && m_state == State::Stopped)
        startWarmUp();
    m_warmUpWanted = false;
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
    emit endOfMedia();
}

void GstMediaBackend::onError(GstMessage *message)
{
    GError *error = nullptr;
    gst_message_parse_error(message, &error, nullptr);
    const QString text = QString::fromUtf8(error ? error->message : "unknown error");
    g_clear_error(&error);

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
    m_warmUp.stop();
    m_warming = false;
    m_positionReports.stop();
    gst_element_set_state(m_pipeline, GST_STATE_READY);
    ++m_generation;
    m_failed = false;
    m_prerolled = false;
    m_pendingSeek = m_rate != 1.0 ? 0 : -1;
    if (m_duration != 0)
        emit durationChanged(m_duration = 0);
    applyVolume(m_volume);
    setState(State::Stopped);
    if (source.isEmpty())
        return;
    g_object_set(m_pipeline, "uri", source.toString(QUrl::FullyEncoded).toUtf8().constData(),
                 nullptr);
    m_warmUpWanted = true;
    // Asynchronous: the file is opened here, decoded on GStreamer's threads.
    gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
}

void GstMediaBackend::play()
{
    if (!m_pipeline || m_source.isEmpty())
        return;
    if (m_failed)
        load(m_source);
    endWarmUp();
    m_warmUpWanted = false;
    gst_element_set_state(m_pipeline, GST_STATE_PLAYING);
    setState(State::Playing);
    m_positionReports.start();
}

void GstMediaBackend::pause()
{
    if (!m_pipeline || m_failed || m_source.isEmpty())
        return;
    endWarmUp();
    m_positionReports.stop();
    gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
    setState(State::Paused);
}

void GstMediaBackend::stop()
{
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
    // muted sample still on its way: the next play starts whole, at 0.
    gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
    applyVolume(m_volume);
    seekTo(0);
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
    seekTo(std::max<qint64>(ms, 0));
    emit positionChanged(ms);
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
}

void GstMediaBackend::reportPosition()
{
    emit positionChanged(position());
}

void GstMediaBackend::checkSoundOutput()
{
    // autoaudiosink falls back to a silent sink that keeps time when no sound
    // server or device answers; hearings are still timed, so say it once.
    // It chooses when the first file is prerolled, not before.
    static bool checked = false;
    if (checked)
        return;
    GstElement *sink = nullptr;
    g_object_get(m_pipeline, "audio-sink", &sink, nullptr);
    if (!sink)
        return;
    if (GST_IS_BIN(sink)) {
        checked = true;
        GstIterator *children = gst_bin_iterate_elements(GST_BIN(sink));
        GValue found = G_VALUE_INIT;
        if (gst_iterator_find_custom(children, [](gconstpointer value, gconstpointer) {
                return isFakeSink(static_cast<const GValue *>(value)) ? 0 : 1;
            }, &found, nullptr)) {
            std::fputs("vantrel: no sound output (no sound server or device answered); "
                       "the stories play silently\n", stderr);
            g_value_unset(&found);
        }
        gst_iterator_free(children);
    }
    gst_object_unref(sink);
}

} // namespace vantrel
