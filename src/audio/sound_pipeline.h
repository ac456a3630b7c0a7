// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <optional>

namespace vantrel {

// What the engine asks of the pipeline that plays one file to the sound
// server, and what it hears back. Behind an interface so that the engine's
// moves are tested with a fake; the real one is GstSoundPipeline.
//
// Every signal comes on the Qt thread. Those of the file (prerolled, end,
// failed) come for the file as it was last opened: after forgetMessages()
// none posted before it arrives; after a seek, no preroll or end posted
// before it.
class SoundPipeline : public QObject
{
    Q_OBJECT

public:
    // GStreamer's states, by name: only NULL lets the output be chosen anew.
    enum class Target { Null, Ready, Paused, Playing };
    Q_ENUM(Target)

    using QObject::QObject;

    // False when GStreamer or its playbin is missing: nothing ever plays.
    virtual bool usable() const = 0;
    virtual void setUri(const QUrl &file) = 0;
    // True when the pipeline must preroll first: prerolled() then follows.
    virtual bool setTarget(Target target) = 0;
    // A flushing, accurate seek at the rate given. True when it was taken,
    // and prerolled() follows.
    virtual bool seek(qint64 ms, double rate) = 0;
    virtual std::optional<qint64> position() const = 0;
    virtual std::optional<qint64> duration() const = 0;
    // Linear, 0 to 1.
    virtual void setVolume(double volume) = 0;
    // The output fell back to a silent sink (no sound server answered).
    virtual bool playsSilently() const = 0;
    virtual void forgetMessages() = 0;

    // The output's loss and return, looked for from time to time.
    virtual void watchForLoss() = 0;
    virtual void watchForReturn() = 0;
    // Looks at once, answering with outputAvailable() if one opens.
    virtual void lookForOutputNow() = 0;

signals:
    void prerolled();
    void durationChanged();
    void endOfStream();
    void failed(const QString &message, bool outputError);
    void outputLost();
    void outputAvailable();
};

} // namespace vantrel
