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
#include "fake_media_backend.h"
#include "lesson_test_support.h"
#include "media_player_widget.h"
#include "newsbase.h"
#include "option_button.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

using namespace vantrel;
using namespace vantrel::test;

namespace {

constexpr qint64 kAllowedGrowthKiB = 5 * 1024;
const char *const kStoryOptions[] = {"CuentoUno", "CuentoDos", "CuentoTres", "CuentoCuatro",
                                     "CuentoCinco", "CuentoSeis", "CuentoSiete", "CuentoOcho",
                                     "CuentoNueve", "CuentoDiez", "CuentoOnce", "CuentoDoce"};
const char *const kCorrect[] = {"PregUnoA", "PregDosB", "PregTresC"};

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
QByteArray silentMp3(int frames)
{
    QByteArray frame(104, '\0');
    frame[0] = char(0xFF);
    frame[1] = char(0xFB);
    frame[2] = char(0x10);
    frame[3] = char(0xC0);
    return frame.repeated(frames);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
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

struct Failure {
    QString what;
};

class Soak {
public:
    Soak(const QString &folder, bool fake)
    {
        const QString vtl = folder + QStringLiteral("/vtl.txt");
        StoryFile stories;
        for (int slot = 1; slot <= 12; ++slot)
            stories.story(slot, "S" + std::to_string(slot), "Story " + std::to_string(slot), "ABC");
        const std::string bytes = stories.bytes();
        if (!writeFile(vtl, QByteArray::fromStdString(bytes)))
            throw Failure{QStringLiteral("cannot write ") + vtl};
        for (int slot = 1; slot <= 12; ++slot)
            if (!writeFile(folder + QStringLiteral("/S%1.MP3").arg(slot), silentMp3(2 + slot % 3)))
                throw Failure{QStringLiteral("cannot write the sound files")};

        MediaPlayerWidget::BackendFactory factory;
        if (fake)
            factory = [] { return std::make_unique<FakeMediaBackend>(); };
        m_window = std::make_unique<NewsBase>(m_boxes, m_end, factory);
        m_window->Form_Load();
        m_window->show();
        if (m_end.calls != 0)
            throw Failure{QStringLiteral("the story file was refused: ") + m_end.lastDiagnostic};
    }

    void lesson(int number)
    {
        const char *slot = kStoryOptions[(number - 1) % 12];
        find<OptionButton>(slot)->click();
        find<QPushButton>("StoryChosen")->click();
        for (int hearing = 1; hearing <= 3; ++hearing) {
            find<QPushButton>("Escuchar")->click();
            if (!QTest::qWaitFor([&] { return m_window->heardCount() == hearing; }, 10000))
                throw Failure{QStringLiteral("hearing %1 of lesson %2 never ended").arg(hearing).arg(number)};
        }
        for (const char *answer : kCorrect)
            find<OptionButton>(answer)->click();
        m_boxes.shown.clear();
        find<QPushButton>("CheckWork")->click();
        if (m_boxes.shown.size() != 1 || !m_boxes.shown[0].text.startsWith(QStringLiteral("You've answered all")))
            throw Failure{QStringLiteral("lesson %1 did not score 3").arg(number)};
        find<QPushButton>("CambioCuento")->click();
        if (m_window->findChild<QWidget *>(QStringLiteral("SelectNews"))->isHidden())
            throw Failure{QStringLiteral("lesson %1 did not return to the menu").arg(number)};
        // Let deferred deletions and the player's own events run, as the
        // event loop would while the student reads the menu.
        QTest::qWait(1);
    }

private:
    template<typename T>
    T *find(const char *name) const
    {
        T *control = m_window->findChild<T *>(QString::fromLatin1(name));
        if (!control)
            throw Failure{QStringLiteral("no control ") + QString::fromLatin1(name)};
        return control;
    }

    MessageBoxStub m_boxes;
    ProgramEndStub m_end;
    std::unique_ptr<NewsBase> m_window;
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

    QTemporaryDir folder;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());
    std::printf("player: %s\n", fake ? "fake media engine" : "real GStreamer engine");

    qint64 atBaseline = -1;
    qint64 atEnd = -1;
    QElapsedTimer clock;
    clock.start();
    try {
        Soak soak(folder.path(), fake);
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
    } catch (const Failure &failure) {
        std::fprintf(stderr, "soak_lessons: %s\n", qPrintable(failure.what));
        QDir::setCurrent(previous);
        return 1;
    }
    QDir::setCurrent(previous);

    const qint64 growth = atEnd - atBaseline;
    std::printf("VmRSS after lesson %d: %lld KiB\n", baseline, atBaseline);
    std::printf("VmRSS after lesson %d: %lld KiB\n", lessons, atEnd);
    std::printf("difference: %+lld KiB (allowed: %lld KiB)\n", growth, kAllowedGrowthKiB);
    std::printf("lessons: %d in %.1f s\n", lessons, clock.elapsed() / 1000.0);
    std::printf("player errors: %d\n", g_playerErrors);
    if (atBaseline < 0 || atEnd < 0 || growth > kAllowedGrowthKiB) {
        std::printf("verdict: FAIL\n");
        return 1;
    }
    std::printf("verdict: ok\n");
    return 0;
}
