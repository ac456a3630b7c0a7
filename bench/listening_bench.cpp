// Measures, in a real window with the real players, how soon a hearing's
// sound starts after the click on "Click to Listen", and how far the end of a
// hearing (the timer) lies from the end of the sound. Prints the figures.
#include "media_player_widget.h"
#include "message_box.h"
#include "newsbase.h"
#include "program_end.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class SilentBoxes : public vantrel::MessageBoxInterface {
public:
    void show(QWidget *, const QString &title, const QString &) override { std::printf("box: %s\n", qPrintable(title)); }
};

class NoEnd : public vantrel::ProgramEndInterface {
public:
    void end(int, const QString &) override {}
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

const char *const kOptions[] = {"CuentoUno", "CuentoDos", "CuentoTres", "CuentoCuatro", "CuentoCinco", "CuentoSeis",
                                "CuentoSiete", "CuentoOcho", "CuentoNueve", "CuentoDiez", "CuentoOnce", "CuentoDoce"};

struct Hearing {
    double toPlaying = -1;   // click to the player reporting Playing
    double toSound = -1;     // click to the moment the sound began
    double endSkew = 0;      // timer firing minus the moment the sound ended
    double reportedSkew = 0; // timer firing minus the player's end-of-media signal
};

Hearing measure(vantrel::NewsBase &window, int slot)
{
    window.findChild<QRadioButton *>(kOptions[slot])->click();
    window.findChild<QPushButton *>("StoryChosen")->click();
    auto *player = window.findChild<vantrel::MediaPlayerWidget *>("SimplePlayer");
    auto *timer = window.findChild<QTimer *>("Atrasado");
    auto *listen = window.findChild<QPushButton *>("Escuchar");

    Hearing result;
    QElapsedTimer clock;
    qint64 mediaEnd = -1;
    qint64 timerFired = -1;
    QMetaObject::Connection fired = QObject::connect(timer, &QTimer::timeout, &window, [&] { timerFired = clock.nsecsElapsed(); });

    clock.start();
    QTest::mouseClick(listen, Qt::LeftButton);
    vantrel::MediaBackend *backend = player->backend();
    const auto ms = [](qint64 ns) { return double(ns) / 1e6; };
    if (backend->state() == vantrel::MediaBackend::State::Playing)
        result.toPlaying = ms(clock.nsecsElapsed());
    QObject::connect(backend, &vantrel::MediaBackend::stateChanged, &window, [&](vantrel::MediaBackend::State s) {
        if (s == vantrel::MediaBackend::State::Playing && result.toPlaying < 0)
            result.toPlaying = ms(clock.nsecsElapsed());
    });
    // The player reports its position only every so often; each report at
    // time t of position p says the sound began at t - p at the latest.
    double soundStart = 1e18;
    QObject::connect(backend, &vantrel::MediaBackend::positionChanged, &window, [&](qint64 position) {
        if (position > 0)
            soundStart = std::min(soundStart, ms(clock.nsecsElapsed()) - double(position));
    });
    // Only an end after the sound has begun counts.
    QObject::connect(backend, &vantrel::MediaBackend::endOfMedia, &window, [&] {
        if (soundStart < 1e17)
            mediaEnd = clock.nsecsElapsed();
        else
            std::printf("  (end of media reported before any sound, %.1f ms after the click)\n", ms(clock.nsecsElapsed()));
    });

    if (!QTest::qWaitFor([&] { return timerFired >= 0 && mediaEnd >= 0; }, 120000))
        std::printf("  (no end of media reported: %s)\n", mediaEnd < 0 ? "player" : "timer");
    result.toSound = soundStart;
    result.endSkew = ms(timerFired) - (soundStart + double(backend->duration()));
    result.reportedSkew = ms(timerFired - mediaEnd);
    QObject::disconnect(fired);
    backend->disconnect(&window);
    window.findChild<QPushButton *>("CambioCuento")->click();
    return result;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const QString folder = args.size() > 1 ? args[1] : QStringLiteral("stories");
    const int samples = args.size() > 2 ? args[2].toInt() : 10;
    const int firstSlot = args.size() > 3 ? args[3].toInt() : 1;
    QDir::setCurrent(folder);

    SilentBoxes boxes;
    NoEnd end;
    vantrel::NewsBase window(boxes, end);
    window.Form_Load();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;

    std::vector<double> toPlaying, toSound, skews;
    for (int i = 0; i < samples; ++i) {
        const int slot = (firstSlot - 1 + i) % 12;
        const Hearing h = measure(window, slot);
        std::printf("hearing %2d (%s): playing after %.1f ms, sound after %.1f ms, end skew %+.1f ms "
                    "(%+.1f ms from the end-of-media signal)\n",
                    i + 1, kOptions[slot], h.toPlaying, h.toSound, h.endSkew, h.reportedSkew);
        std::fflush(stdout);
        toPlaying.push_back(h.toPlaying);
        toSound.push_back(h.toSound);
        skews.push_back(h.endSkew);
    }
    std::printf("click to playing state, median of %d: %.1f ms\n", samples, median(toPlaying));
    std::printf("click to sound flowing, median of %d: %.1f ms (goal: at most 150 ms)\n", samples, median(toSound));
    std::printf("hearing end skew (timer minus end of sound), median %+.1f ms, worst %+.1f ms (goal: within 250 ms)\n",
                median(skews), *std::max_element(skews.begin(), skews.end(), [](double a, double b) { return std::abs(a) < std::abs(b); }));
    return 0;
}
