// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "gst_output_watch.h"
#include "sound_pipeline.h"

#include <atomic>
#include <memory>

typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;

namespace vantrel {

// One GStreamer playbin for the object's whole life, audio only, playing to
// the desktop's sound server through autoaudiosink, with scaletempo so that
// a slower or faster rate keeps the pitch; and the watch on its output.
class GstSoundPipeline : public SoundPipeline
{
    Q_OBJECT

public:
    explicit GstSoundPipeline(QObject *parent = nullptr);
    ~GstSoundPipeline() override;

    bool usable() const override;
    void setUri(const QUrl &file) override;
    bool setTarget(Target target) override;
    bool seek(qint64 ms, double rate) override;
    std::optional<qint64> position() const override;
    std::optional<qint64> duration() const override;
    void setVolume(double volume) override;
    bool playsSilently() const override;
    void forgetMessages() override;

    void watchForLoss() override;
    void watchForReturn() override;
    void lookForOutputNow() override;

private:
    using MessagePtr = std::shared_ptr<GstMessage>;

    void connectBus();
    void handleMessage(const MessagePtr &message, quint64 generation, quint64 seeks);
    void reportError(GstMessage *message);

    GstElement *m_pipeline = nullptr;
    // Messages carry the generation they were posted under; those of an
    // older one are dropped.
    std::atomic<quint64> m_generation{0};
    // A preroll or an end posted before the last seek is not the seek's.
    std::atomic<quint64> m_seeks{0};
    GstOutputWatch m_outputWatch;
};

} // namespace vantrel
