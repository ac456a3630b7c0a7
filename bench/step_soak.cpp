// SPDX-License-Identifier: GPL-3.0-or-later
// Sentence steps in a long random run, on the real engine: each step plays
// one sentence and pauses at its end, the next follows 0 to 400 ms later,
// as a student clicking through a story does. Says on stdout when each step
// was asked for (CLOCK_MONOTONIC, s) and which sentence; the sound itself is
// judged at the sound server by bench/step_soak.py.
// Usage: step_soak MP3 STEPS START_MS... (one sentence's start each; all 1 s long)
#include "gst_media_backend.h"
#include "sentence_player.h"

#include <QCoreApplication>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>

using namespace vantrel;

namespace {

double monotonicSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 4) {
        std::fputs("usage: step_soak MP3 STEPS START_MS...\n", stderr);
        return 2;
    }
    std::vector<SentenceTime> sentences;
    for (int i = 3; i < argc; ++i)
        sentences.push_back({std::atoll(argv[i]), std::atoll(argv[i]) + 1000});
    const int steps = std::atoi(argv[2]);

    GstMediaBackend engine;
    SentencePlayer player;
    player.attach(&engine);
    player.setSentences(SentenceSteps(sentences));
    engine.setSource(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])));

    std::mt19937 random(1);
    int done = 0;
    QTimer stuck;  // a step that never pauses is given up on
    stuck.setSingleShot(true);
    stuck.setInterval(8000);
    auto step = [&] {
        if (done++ == steps) {
            app.quit();
            return;
        }
        const int index = int(random() % sentences.size());
        std::printf("step %.6f %d\n", monotonicSeconds(), index);
        std::fflush(stdout);
        player.play(index);
        stuck.start();
    };
    auto later = [&] { QTimer::singleShot(std::uniform_int_distribution<int>(0, 400)(random), &app, step); };
    QObject::connect(&engine, &MediaBackend::stateChanged, &app, [&](MediaBackend::State state) {
        if (state == MediaBackend::State::Paused && stuck.isActive()) {
            stuck.stop();
            later();
        }
    });
    QObject::connect(&stuck, &QTimer::timeout, &app, [&] {
        std::printf("stuck %.6f\n", monotonicSeconds());
        engine.pause();
        later();
    });
    // After the file's first preroll and warm-up, and the sound server's
    // start of a new stream, as a lesson's hearings leave them.
    QTimer::singleShot(3000, &app, step);
    return app.exec();
}
