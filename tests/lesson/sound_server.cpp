// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound_server.h"

#include <QDeadlineTimer>
#include <QThread>

#include <cmath>

namespace vantrel::test {

namespace {

QString serverAddress(const QTemporaryDir &runtime)
{
    return QStringLiteral("unix:") + runtime.filePath(QStringLiteral("native"));
}

} // namespace

SoundServer::~SoundServer()
{
    for (QProcess *process : {&m_recorder, &m_server}) {
        process->terminate();
        if (!process->waitForFinished(3000))
            process->kill();
        process->waitForFinished(1000);
    }
}

QString SoundServer::start()
{
    const QString address = serverAddress(m_runtime);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    environment.insert(QStringLiteral("HOME"), m_runtime.path());
    m_server.setProcessEnvironment(environment);
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_server.start(QStringLiteral("pulseaudio"),
                   {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                    QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--use-pid-file=no"),
                    QStringLiteral("--log-level=error"),
                    QStringLiteral("-L"), QStringLiteral("module-null-sink sink_name=lesson"),
                    QStringLiteral("-L"),
                    QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=")
                        + m_runtime.filePath(QStringLiteral("native"))});
    if (!m_server.waitForStarted(5000))
        return QStringLiteral("pulseaudio does not start: ") + m_server.errorString();
    if (const QString problem = waitUntilAnswering(); !problem.isEmpty())
        return problem;
    // Everything in this process that plays sound plays it here.
    qputenv("PULSE_SERVER", address.toUtf8());

    m_recorder.start(QStringLiteral("parec"),
                     {QStringLiteral("--server=") + address, QStringLiteral("-d"),
                      QStringLiteral("lesson.monitor"), QStringLiteral("--raw"),
                      QStringLiteral("--format=s16le"), QStringLiteral("--channels=1"),
                      QStringLiteral("--rate=%1").arg(kRate), QStringLiteral("--latency-msec=20")});
    if (!m_recorder.waitForStarted(5000))
        return QStringLiteral("parec does not start: ") + m_recorder.errorString();
    // A new stream at the server starts late; the recording counts from
    // when samples really flow.
    const QDeadlineTimer deadline(10000);
    while (m_recorded.size() < kRate && !deadline.hasExpired()) {
        m_recorder.waitForReadyRead(100);
        m_recorded += m_recorder.readAllStandardOutput();
    }
    return m_recorded.size() < kRate ? QStringLiteral("parec records nothing") : QString();
}

QString SoundServer::waitUntilAnswering()
{
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        QProcess info;
        info.start(QStringLiteral("pactl"),
                   {QStringLiteral("--server=") + serverAddress(m_runtime), QStringLiteral("info")});
        if (info.waitForFinished(3000) && info.exitStatus() == QProcess::NormalExit
            && info.exitCode() == 0)
            return {};
        QThread::msleep(100);
    }
    return QStringLiteral("the test's PulseAudio server does not answer");
}

std::vector<qint16> SoundServer::recording()
{
    m_recorded += m_recorder.readAllStandardOutput();
    std::vector<qint16> samples(size_t(m_recorded.size()) / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = qint16(quint8(m_recorded[qsizetype(2 * i)])
                            | (quint8(m_recorded[qsizetype(2 * i + 1)]) << 8));
    return samples;
}

std::vector<SoundRun> soundRuns(const std::vector<qint16> &samples, int rate)
{
    const size_t window = size_t(rate) / 200; // 5 ms
    const size_t maxGap = size_t(rate) * 60 / 1000;
    std::vector<std::pair<size_t, size_t>> spans;
    for (size_t at = 0; at + window <= samples.size(); at += window) {
        double energy = 0;
        for (size_t i = at; i < at + window; ++i)
            energy += double(samples[i]) * samples[i];
        if (std::sqrt(energy / double(window)) < 300)
            continue;
        if (!spans.empty() && at - spans.back().second <= maxGap)
            spans.back().second = at + window;
        else
            spans.push_back({at, at + window});
    }
    std::vector<SoundRun> runs;
    for (const auto &[begin, end] : spans) {
        const size_t edge = size_t(rate) / 10;
        int crossings = 0;
        for (size_t i = begin + edge + 1; i + edge < end; ++i)
            crossings += (samples[i - 1] < 0) != (samples[i] < 0);
        const double inner = double(end - begin) - 2.0 * double(edge);
        runs.push_back({double(begin) / rate, double(end - begin) / rate,
                        inner > 0 ? crossings / 2.0 / (inner / rate) : 0});
    }
    return runs;
}

} // namespace vantrel::test
