// SPDX-License-Identifier: GPL-3.0-or-later
// Runs many whole lessons in a row in one lesson window, as a student who
// never closes the program would, and reports resident memory on the way.
//
// Usage: soak_lessons [--lessons N] [--fake] [--baseline K]
//   --lessons N   lessons to run (default 500)
//   --baseline K  the lesson after which memory is first taken (default 50)
//   --fake        a fake media engine instead of the real player
// Exit status 0 when every lesson went as it should and memory after the
// last lesson is within 5 MiB of memory after the baseline lesson.
#include "lesson_window_fixture.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <stdexcept>

using namespace vantrel;
using namespace vantrel::test;

namespace {

constexpr qint64 kAllowedGrowthKiB = 5 * 1024;

// Resident memory of this process in KiB, as the kernel counts it.
qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    // readAll, not atEnd: files under /proc claim a size of 0.
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// Silent MPEG-1 Layer III frames at 32 kbit/s, 44.1 kHz, mono: 104 bytes
// and 26 ms each, so a hearing timed by size / 4 ends with the sound.
std::string silentMp3(int frames)
{
    std::string frame(104, '\0');
    frame.replace(0, 4, "\xFF\xFB\x10\xC0");
    std::string bytes;
    while (frames-- > 0)
        bytes += frame;
    return bytes;
}

// The player reports what it cannot play as a warning; count those, so a
// run with sound files the engine refuses is not taken for a real one.
int g_playerErrors = 0;
QtMessageHandler g_defaultHandler = nullptr;

void countPlayerErrors(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.startsWith(QStringLiteral("Cannot play")))
        ++g_playerErrors;
    g_defaultHandler(type, context, message);
}

StoryFile twelveStories()
{
    StoryFile stories;
    for (int slot = 1; slot <= 12; ++slot)
        stories.story(slot, "S" + std::to_string(slot), "Story " + std::to_string(slot), "ABC");
    return stories;
}

void require(bool ok, const QString &what)
{
    if (!ok)
        throw std::runtime_error(what.toStdString());
}

struct Soak : LessonWindow {
    explicit Soak(bool fake) : LessonWindow(twelveStories(), fake ? Sound::Fake : Sound::Real)
    {
        for (int slot = 1; slot <= 12; ++slot)
            folder.write(QStringLiteral("S%1.MP3").arg(slot), silentMp3(2 + slot % 3));
        window->Form_Load();
        window->show();
        require(end.calls == 0, "the story file was refused: " + end.lastDiagnostic);
        options = get("SelectNews")->findChildren<OptionButton *>();
        require(options.size() == 12, "not twelve story options");
    }

    void lesson(int number)
    {
        options[(number - 1) % 12]->click();
        button("StoryChosen")->click();
        for (int hearing = 1; hearing <= 3; ++hearing) {
            button("Escuchar")->click();
            require(QTest::qWaitFor([&] { return window->heardCount() == hearing; }, 10000),
                    QStringLiteral("hearing %1 of lesson %2 never ended").arg(hearing).arg(number));
        }
        for (const char *answer : {"PregUnoA", "PregDosB", "PregTresC"})
            option(answer)->click();
        boxes.shown.clear();
        button("CheckWork")->click();
        require(boxes.shown.size() == 1 && boxes.shown[0].text.startsWith(QStringLiteral("You've answered all")),
                QStringLiteral("lesson %1 did not score 3").arg(number));
        button("CambioCuento")->click();
        require(!get("SelectNews")->isHidden(), QStringLiteral("lesson %1 did not return to the menu").arg(number));
        // Let deferred deletions and the player's own events run, as the
        // event loop would while the student reads the menu.
        QTest::qWait(1);
    }

    QList<OptionButton *> options;
};

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    g_defaultHandler = qInstallMessageHandler(countPlayerErrors);
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption lessonsOption("lessons", "Lessons to run.", "N", "500");
    const QCommandLineOption baselineOption("baseline", "Lesson after which memory is first taken.", "K", "50");
    const QCommandLineOption fakeOption("fake", "Use a fake media engine, not the real player.");
    parser.addOptions({lessonsOption, baselineOption, fakeOption});
    parser.process(app);
    const int lessons = parser.value(lessonsOption).toInt();
    const int baseline = parser.value(baselineOption).toInt();
    if (lessons < 1 || baseline < 1 || baseline > lessons) {
        std::fprintf(stderr, "soak_lessons: need 1 <= baseline <= lessons\n");
        return 2;
    }
    const bool fake = parser.isSet(fakeOption);
    std::printf("player: %s\n", fake ? "fake media engine" : "real GStreamer engine");

    qint64 atBaseline = -1;
    qint64 atEnd = -1;
    QElapsedTimer clock;
    clock.start();
    try {
        Soak soak(fake);
        for (int number = 1; number <= lessons; ++number) {
            soak.lesson(number);
            if (number == baseline)
                atBaseline = residentKiB();
            if (number % 50 == 0)
                std::printf("after lesson %d: VmRSS %lld KiB (%.1f s)\n", number, residentKiB(),
                            clock.elapsed() / 1000.0);
            std::fflush(stdout);
        }
        atEnd = residentKiB();
    } catch (const std::exception &failure) {
        std::fprintf(stderr, "soak_lessons: %s\n", failure.what());
        return 1;
    }

    const qint64 growth = atEnd - atBaseline;
    std::printf("VmRSS after lesson %d: %lld KiB\n", baseline, atBaseline);
    std::printf("VmRSS after lesson %d: %lld KiB\n", lessons, atEnd);
    std::printf("difference: %+lld KiB (allowed: %lld KiB)\n", growth, kAllowedGrowthKiB);
    std::printf("lessons: %d in %.1f s\n", lessons, clock.elapsed() / 1000.0);
    std::printf("player errors: %d\n", g_playerErrors);
    const bool ok = atBaseline >= 0 && atEnd >= 0 && growth <= kAllowedGrowthKiB;
    std::printf("verdict: %s\n", ok ? "ok" : "FAIL");
    return ok ? 0 : 1;
}
