// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <vector>

namespace vantrel::test {

// A private PulseAudio server with one null sink, whose monitor is recorded:
// what reaches it is what a student would hear. The process using it must
// not have initialised GStreamer before start() points it here.
class SoundServer {
public:
    static constexpr int kRate = 22050;

    ~SoundServer();
    // Empty on success, else what went wrong.
    QString start();
    // Everything recorded so far, mono 16-bit samples at kRate.
    std::vector<qint16> recording();

private:
    QString waitUntilAnswering();

    QTemporaryDir m_runtime;
    QProcess m_server;
    QProcess m_recorder;
    QByteArray m_recorded;
};

// A stretch of sound in a recording, in seconds from its start.
struct SoundRun {
    double start = 0;
    double length = 0;
    double frequency = 0; // from zero crossings, away from the edges
};

// The stretches louder than silence, joined across gaps under 60 ms.
std::vector<SoundRun> soundRuns(const std::vector<qint16> &samples, int rate);

} // namespace vantrel::test
