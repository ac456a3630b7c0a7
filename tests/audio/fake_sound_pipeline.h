// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sound_pipeline.h"

#include <QMetaEnum>
#include <QStringList>

namespace vantrel {

// A pipeline that makes no sound: it records what the engine asks of it, and
// the test speaks for GStreamer by emitting its signals.
class FakeSoundPipeline : public SoundPipeline
{
public:
    using SoundPipeline::SoundPipeline;

    // Every request in order: "target Paused", "seek 5000 0.75", "uri",
    // "volume 0", "forget", "watch loss", "watch return", "look now".
    QStringList calls;
    std::optional<qint64> at = 0;
    std::optional<qint64> length = 60000;
    bool silent = false;
    // Whether leaving PLAYING for PAUSED must preroll first.
    bool pauseMustPreroll = false;

    bool usable() const override { return true; }
    void setUri(const QUrl &) override { calls << QStringLiteral("uri"); }
    bool setTarget(Target target) override
    {
        calls << QStringLiteral("target ")
                     + QString::fromLatin1(QMetaEnum::fromType<Target>().valueToKey(int(target)));
        const bool fromIdle = m_target == Target::Null || m_target == Target::Ready;
        const bool prerolls = target == Target::Paused
                              && (fromIdle || (m_target == Target::Playing && pauseMustPreroll));
        m_target = target;
        return prerolls;
    }
    bool seek(qint64 ms, double rate) override
    {
        calls << QStringLiteral("seek %1 %2").arg(ms).arg(rate);
        at = ms;
        return true;
    }
    std::optional<qint64> position() const override { return at; }
    std::optional<qint64> duration() const override { return length; }
    void setVolume(double volume) override { calls << QStringLiteral("volume %1").arg(volume); }
    bool playsSilently() const override { return silent; }
    void forgetMessages() override { calls << QStringLiteral("forget"); }
    void watchForLoss() override { calls << QStringLiteral("watch loss"); }
    void watchForReturn() override { calls << QStringLiteral("watch return"); }
    void lookForOutputNow() override { calls << QStringLiteral("look now"); }

    // GStreamer's side.
    void preroll() { emit prerolled(); }
    void end() { emit endOfStream(); }
    void fail(bool outputError) { emit failed(QStringLiteral("broken"), outputError); }
    void lose() { emit outputLost(); }
    void comeBack() { emit outputAvailable(); }

private:
    Target m_target = Target::Null;
};

} // namespace vantrel
