// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "gst_output_watch.h"
#include "media_backend.h"

#include <QTimer>
#include <QUrl>

#include <atomic>
#include <memory>

typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;

namespace vantrel {

// The real engine: one GStreamer playbin for the object's whole life, audio
// only, playing to the desktop's sound server through autoaudiosink, with
// scaletempo so that a slower or faster rate keeps the pitch.
//
// A file is loaded (READY, new uri, preroll) only when it changes; stop and
// replay are a pause and a flushing seek on the same pipeline. A freshly
// loaded file is played muted for a moment and wound back, because a sound
// server starts a new stream late (about a second) and only a stream that has
// played once starts at once.
//
// When the sound server dies, or is not there at all, the output falls back
// to a silent sink and the stories play silently, still timed. A watch then
// looks for a real output; once one opens the pipeline is taken through NULL,
// so that autoaudiosink chooses again, and the file is loaded and warmed up
// anew while the player is stopped or paused: the next play is heard whole.
class GstMediaBackend : public MediaBackend
{
    Q_OBJECT

public:
    explicit GstMediaBackend(QObject *parent = nullptr);
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

private:
    using MessagePtr = std::shared_ptr<GstMessage>;

    void connectBus();
    void handleMessage(const MessagePtr &message, quint64 generation);
    void onPrerolled();
    void queryDuration();
    void onEndOfStream();
    void onError(GstMessage *message);
    void checkSoundOutput();
    void onOutputLost();
    void reopenOutput();

    void load(const QUrl &source);
    void resetLoad();
    void preroll();
    void startWarmUp();
    void endWarmUp();
    void rewind();
    void seekTo(qint64 ms);
    void applyVolume(double volume);
    void setState(State state);
    void reportPosition();
    void watchForStall(qint64 now);
    bool playingSettled() const;
    void restartStream(qint64 at);

    GstElement *m_pipeline = nullptr;
    // Messages carry the load they were posted under; those of a file
    // already replaced are dropped.
    std::atomic<quint64> m_generation{0};
    QUrl m_source;
    State m_state = State::Stopped;
    qint64 m_duration = 0;
    qint64 m_pendingSeek = -1;
    // Where the muted warm-up winds back to.
    qint64 m_resumeAt = 0;
    qreal m_rate = 1.0;
    float m_volume = 1.0f;
    bool m_prerolled = false;
    bool m_playWhenPrerolled = false;  // a play asked for while a seek prerolled
    bool m_failed = false;
    bool m_warmUpWanted = false;
    bool m_warming = false;
    bool m_outputChecked = false;
    // The watch saw the sound server go while this pipeline held a stream on it.
    bool m_outputLost = false;
    // The output came back during a play; it is taken up when the play ends.
    bool m_reopenWanted = false;
    // The stall watch: the position last reported, and for how many reports
    // it has stood still while playing.
    qint64 m_lastReported = -1;
    int m_stillReports = 0;
    bool m_restartedThisPlay = false;
    QTimer m_warmUp;
    QTimer m_positionReports;
    GstOutputWatch m_outputWatch;
};

} // namespace vantrel
