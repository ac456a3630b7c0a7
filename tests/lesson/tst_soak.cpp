// SPDX-License-Identifier: GPL-3.0-or-later
// Whole lessons in a row in one window with the real engine, as a student who
// never closes the program would take them: each of the twelve slots in turn.
// CTest takes twelve; scripts/soak.sh sets VANTREL_SOAK_LESSONS (e.g. 500)
// and then resident memory may grow by 5 MiB at most after the first tenth.
#include "lesson_window_fixture.h"

#include <QFile>
#include <QRegularExpression>

using namespace vantrel;
using namespace vantrel::test;

namespace {

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

} // namespace

class TestSoak : public QObject {
    Q_OBJECT

private slots:
    void lessonsInARow()
    {
        const int lessons = qEnvironmentVariableIsSet("VANTREL_SOAK_LESSONS")
            ? qEnvironmentVariableIntValue("VANTREL_SOAK_LESSONS") : 12;
        QVERIFY(lessons >= 12);
        // A run on files the engine refuses is no soak of the engine.
        QTest::failOnWarning(QRegularExpression("^Cannot play"));
        StoryFile stories;
        for (int slot = 1; slot <= 12; ++slot)
            stories.story(slot, "S" + std::to_string(slot), "Story " + std::to_string(slot), "ABC");
        LessonWindow lesson(stories, LessonWindow::Sound::Real);
        for (int slot = 1; slot <= 12; ++slot)
            lesson.folder.write(QStringLiteral("S%1.MP3").arg(slot), frames(kMpeg1At48k, 2 + slot % 3));
        lesson.start();
        const QList<OptionButton *> options = lesson.get("SelectNews")->findChildren<OptionButton *>();
        QCOMPARE(options.size(), 12);

        qint64 atBaseline = -1;
        for (int number = 1; number <= lessons; ++number) {
            options[(number - 1) % 12]->click();
            lesson.button("StoryChosen")->click();
            QCOMPARE(lesson.get<QLabel>("StoryTitle")->text(), QStringLiteral("Story %1").arg((number - 1) % 12 + 1));
            for (int hearing = 0; hearing < 3; ++hearing)
                lesson.hearOnce();
            for (const char *answer : {"PregUnoA", "PregDosB", "PregTresC"})
                lesson.option(answer)->click();
            lesson.button("CheckWork")->click();
            QVERIFY(lesson.boxes.texts.last().startsWith("You've answered all"));
            lesson.button("CambioCuento")->click();
            QVERIFY(!lesson.get("SelectNews")->isHidden());
            // Deferred deletions and the engine's own events run, as while the student reads the menu.
            QTest::qWait(1);
            if (number == lessons / 10)
                atBaseline = residentKiB();
            if (number % 50 == 0)
                qInfo("after lesson %d: VmRSS %lld KiB", number, residentKiB());
        }
        const qint64 atEnd = residentKiB();
        qInfo("VmRSS after lesson %d: %lld KiB; after lesson %d: %lld KiB; difference %+lld KiB (allowed: 5120)",
              lessons / 10, atBaseline, lessons, atEnd, atEnd - atBaseline);
        if (qEnvironmentVariableIsSet("VANTREL_SOAK_LESSONS"))
            QVERIFY(atBaseline > 0 && atEnd - atBaseline <= 5 * 1024);
    }
};

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
