// SPDX-License-Identifier: GPL-3.0-or-later
// What a student hears, at a real sound server: each hearing of a story and
// each play of the full player must arrive whole, and slower playing must
// keep the pitch.
#include "lesson_window_fixture.h"
#include "sound_server.h"

#include <QComboBox>
#include <QToolButton>

using namespace vantrel;
using namespace vantrel::test;

class TestSoundServer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everyHearingAndPlayArrivesWhole();

private:
    SoundServer m_server;
};

void TestSoundServer::initTestCase()
{
    const QString problem = m_server.start();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void TestSoundServer::everyHearingAndPlayArrivesWhole()
{
    // Slot 1 holds a 3.0 s, 440 Hz tone.
    LessonWindow lesson(StoryFile().story(1, "TONE", "Tone"), LessonWindow::Sound::Real);
    QVERIFY(QFile::copy(VANTREL_TEST_DATA "/tone3s.MP3", lesson.folder.path("TONE.MP3")));
    lesson.start();

    // The first click comes while the story's sound is still warming up.
    lesson.open("CuentoUno");
    QTest::qWait(100);
    for (int hearing = 0; hearing < 3; ++hearing) {
        lesson.hearOnce();
        QTest::qWait(400); // the end of the sound, and a student's pause
    }

    MediaPlayerWidget *full = lesson.player("AudioPlayer");
    QTRY_VERIFY(full->backend() && full->backend()->duration() > 0);
    auto playToEnd = [&] {
        full->findChild<QToolButton *>("playButton")->click();
        QCOMPARE(full->backend()->state(), MediaBackend::State::Playing);
        QTRY_COMPARE_WITH_TIMEOUT(full->backend()->state(), MediaBackend::State::Stopped, 10000);
        QTest::qWait(400);
    };
    playToEnd();
    full->findChild<QComboBox *>("speedChoice")->setCurrentIndex(1); // 0.75
    playToEnd();

    const std::vector<SoundRun> runs = soundRuns(m_server.recording(), SoundServer::kRate);
    QString heard;
    for (const SoundRun &run : runs)
        heard += QStringLiteral(" [at %1 s: %2 s, %3 Hz]").arg(run.start).arg(run.length).arg(run.frequency);
    qInfo().noquote() << "heard" << heard;
    QVERIFY2(runs.size() == 5, qPrintable(QStringLiteral("heard") + heard));
    for (size_t i = 0; i < 4; ++i)
        QVERIFY2(runs[i].length >= 2.95, qPrintable(QStringLiteral("cut short:") + heard));
    QVERIFY2(std::abs(runs[4].length - 4.0) <= 0.08, qPrintable(QStringLiteral("0.75x:") + heard));
    QVERIFY2(std::abs(runs[4].frequency - 440) <= 8.8, qPrintable(QStringLiteral("pitch:") + heard));
}

QTEST_MAIN(TestSoundServer)
#include "tst_sound_server.moc"
