// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "media_backend.h"
#include "sound_pipeline.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace vantrel {

// The real engine: the player's requests and the pipeline's messages move it
// between the phases below, one function per event, on a GstSoundPipeline.
//
// A file is loaded (READY, new uri, preroll) only when it changes; stop and
// replay are a pause and a flushing seek on the same pipeline. A freshly
// loaded file is played muted until the sound server's stream really flows,
// then wound back, because a server starts a new stream late (about a second,
// more when it has just come back) and only a stream that has flowed starts
// at once. A play asked for meanwhile starts when the warm-up ends.
//
// When the sound server dies, or is not there at all, the output falls back
// to a silent sink and the stories play silently, still timed. Once a real
// output opens again the pipeline is taken through NULL, so that
// autoaudiosink chooses again, and the file is loaded and warmed up anew
// while the player is stopped or paused: the next play is heard whole.
class GstMediaBackend : public MediaBackend
{
    Q_OBJECT

public:
    enum class Phase {
        Silent,   // no GStreamer or no playbin: nothing ever plays
        Empty,    // no file
        Loading,  // a file opens: the prerolls before its warm-up
        Warming,  // played muted until the sound flows, to be wound back
        Seeking,  // a flushing seek prerolls
        Ready,    // prerolled and paused
        Playing,  // playing
        Lost,     // the output went while idle; the pipeline is in NULL
        Failed,   // an error; the pipeline is in NULL
    };
    Q_ENUM(Phase)

    explicit GstMediaBackend(QObject *parent = nullptr);
    explicit GstMediaBackend(std::unique_ptr<SoundPipeline> pipeline, QObject *parent = nullptr);
    ~GstMediaBackend() override;

    void setSource(const QUrl &source) override;
    void play() override;
    void pause() override;
    void stop() override;

    void setPosition(qint64 ms) override;
    qint64 position() const override;
    qint64 duration() const override;

    void setVolume(float volume) override;
    void setPlaybackRate(qreal rate) override;

    State state() const override;
    Phase phase() const;

private:
    // Events from the pipeline and the engine's own timers.
    void onPrerolled();
    void onDurationChanged();
    void onEndOfStream();
    void onFailed(const QString &message, bool outputError);
    void onOutputLost();
    void onOutputAvailable();
    void onWarmUpTick();
    void onReportTick();

    void moveTo(Phase phase, const char *why);
    void load(const QUrl &source);
    void forgetLoad();
    void openFile(qint64 resumeAt);
    void startWarmUp();
    void endWarmUp();
    void startPlaying();
    void rewind();
    void seekTo(qint64 ms);
    void pauseThenSeek(qint64 ms, const char *why);
    bool issueSeek(qint64 ms);
    void settle();
    void checkSoundOutput();
    void setState(State state);
    bool failedOrLost() const;
    void watchForStall(qint64 now);
    void restartStream(qint64 at);

    std::unique_ptr<SoundPipeline> m_pipeline;
    Phase m_phase = Phase::Silent;
    State m_state = State::Stopped;
    QUrl m_source;
    qint64 m_duration = 0;
    // A seek asked for while another prerolls: the last one asked for wins.
    qint64 m_pendingSeek = -1;
    // Where the player stands while its pipeline cannot say: warming up, or
    // taken to NULL.
    qint64 m_resumeAt = 0;
    qreal m_rate = 1.0;
    float m_volume = 1.0f;
    // The warm-up: where its muted sound started, and for how long it has run.
    qint64 m_warmFrom = 0;
    QElapsedTimer m_warmClock;
    // The stall watch: the position last reported, and for how many reports
    // it has stood still while playing; one new stream per play at most.
    qint64 m_lastReported = -1;
    int m_stillReports = 0;
    int m_restartsThisPlay = 0;
    QTimer m_warmUp;
    QTimer m_positionReports;
};

} // namespace vantrel
