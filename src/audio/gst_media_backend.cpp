// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's life, its phases, its loading of files and its settings.
// Play, pause, seek and the warm-up are in gst_media_backend_playback.cpp,
// the pipeline's messages in gst_media_backend_bus.cpp, the output's loss and
// return in gst_media_backend_output.cpp.
#include "gst_media_backend.h"

#include "gst_sound_pipeline.h"

#include <QMetaEnum>

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace vantrel {

namespace {

constexpr int kPositionReportMs = 100;
// How often the warm-up looks whether the sound flows yet.
constexpr int kWarmUpLookMs = 20;

bool debugEngine()
{
    static const bool on = [] {
        const char *debug = std::getenv("VANTREL_DEBUG");
        return debug && std::string_view(debug) == "engine";
    }();
    return on;
}

const char *nameOf(GstMediaBackend::Phase phase)
{
    return QMetaEnum::fromType<GstMediaBackend::Phase>().valueToKey(int(phase));
}

} // namespace

GstMediaBackend::GstMediaBackend(QObject *parent)
    : GstMediaBackend(std::make_unique<GstSoundPipeline>(), parent)
{
}

GstMediaBackend::GstMediaBackend(std::unique_ptr<SoundPipeline> pipeline, QObject *parent)
    : MediaBackend(parent)
    , m_pipeline(std::move(pipeline))
{
    m_warmUp.setInterval(kWarmUpLookMs);
    connect(&m_warmUp, &QTimer::timeout, this, &GstMediaBackend::onWarmUpTick);
    m_positionReports.setInterval(kPositionReportMs);
    connect(&m_positionReports, &QTimer::timeout, this, &GstMediaBackend::onReportTick);

    SoundPipeline *sound = m_pipeline.get();
    connect(sound, &SoundPipeline::prerolled, this, &GstMediaBackend::onPrerolled);
    connect(sound, &SoundPipeline::durationChanged, this, &GstMediaBackend::onDurationChanged);
    connect(sound, &SoundPipeline::endOfStream, this, &GstMediaBackend::onEndOfStream);
    connect(sound, &SoundPipeline::failed, this, &GstMediaBackend::onFailed);
    // A paused stream hears nothing of its server's end; the watch does.
    connect(sound, &SoundPipeline::outputLost, this, &GstMediaBackend::onOutputLost);
    connect(sound, &SoundPipeline::outputAvailable, this, &GstMediaBackend::onOutputAvailable);
    if (sound->usable())
        moveTo(Phase::Empty, "created");
}

GstMediaBackend::~GstMediaBackend() = default;

GstMediaBackend::Phase GstMediaBackend::phase() const
{
    return m_phase;
}

void GstMediaBackend::moveTo(Phase phase, const char *why)
{
    if (debugEngine())
        std::fprintf(stderr, "vantrel engine: %s -> %s (%s)\n", nameOf(m_phase), nameOf(phase),
                     why);
    m_phase = phase;
}

bool GstMediaBackend::failedOrLost() const
{
    return m_phase == Phase::Failed || m_phase == Phase::Lost;
}

void GstMediaBackend::setSource(const QUrl &source)
{
    if (m_phase == Phase::Silent) {
        m_source = source;
        return;
    }
    // The same file stays loaded: replaying it is only a seek.
    if (source == m_source && !failedOrLost())
        return;
    load(source);
}

void GstMediaBackend::load(const QUrl &source)
{
    m_source = source;
    // After an error the pipeline is in NULL, so the output is chosen anew.
    m_pipeline->setTarget(SoundPipeline::Target::Ready);
    forgetLoad();
    if (m_duration != 0)
        emit durationChanged(m_duration = 0);
    setState(State::Stopped);
    if (source.isEmpty()) {
        moveTo(Phase::Empty, "no file");
        return;
    }
    m_pipeline->setUri(source);
    openFile(0);
}

void GstMediaBackend::forgetLoad()
{
    m_warmUp.stop();
    m_positionReports.stop();
    // Messages of the file as it was loaded before are of no more use.
    m_pipeline->forgetMessages();
    m_pipeline->setVolume(m_volume);
}

void GstMediaBackend::openFile(qint64 resumeAt)
{
    m_resumeAt = resumeAt;
    // Only a seek sets the rate.
    m_pendingSeek = resumeAt > 0 || m_rate != 1.0 ? resumeAt : -1;
    moveTo(Phase::Loading, "file opened");
    // Asynchronous: the file is opened here, decoded on GStreamer's threads.
    m_pipeline->setTarget(SoundPipeline::Target::Paused);
}

qint64 GstMediaBackend::position() const
{
    switch (m_phase) {
    case Phase::Silent:
    case Phase::Empty:
        return 0;
    case Phase::Warming:
    case Phase::Lost:
    case Phase::Failed:
        return m_resumeAt;
    case Phase::Loading:
    case Phase::Seeking:
        // A seek waiting for its preroll: the player stands where it goes.
        if (m_pendingSeek >= 0)
            return m_pendingSeek;
        break;
    case Phase::Ready:
    case Phase::Playing:
        break;
    }
    return m_pipeline->position().value_or(0);
}

qint64 GstMediaBackend::duration() const
{
    return m_duration;
}

void GstMediaBackend::setVolume(float volume)
{
    m_volume = volume;
    // The warm-up stays muted; it gives the volume back when it ends.
    if (m_phase != Phase::Silent && m_phase != Phase::Warming)
        m_pipeline->setVolume(volume);
}

void GstMediaBackend::setPlaybackRate(qreal rate)
{
    if (rate <= 0 || rate == m_rate)
        return;
    m_rate = rate;
    // Only a seek changes the rate; it is made from where the sound is now.
    if (m_phase == Phase::Ready || m_phase == Phase::Playing || m_phase == Phase::Seeking)
        seekTo(position());
}

MediaBackend::State GstMediaBackend::state() const
{
    return m_state;
}

void GstMediaBackend::setState(State state)
{
    const bool playEnded = m_state == State::Playing && state != State::Playing;
    if (state != m_state)
        emit stateChanged(m_state = state);
    // An output that came back during the play, which went on silently, is
    // taken up now.
    if (playEnded && m_phase != Phase::Silent && !failedOrLost() && m_pipeline->playsSilently())
        m_pipeline->lookForOutputNow();
}

} // namespace vantrel
