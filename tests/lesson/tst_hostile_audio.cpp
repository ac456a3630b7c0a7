// SPDX-License-Identifier: GPL-3.0-or-later
// Sound files made to trip the lesson up (the tiniest are with the hearings):
// sizes that overflow a timer, names no one would choose, things that are not
// files, a file that goes away mid-lesson, bytes the real player cannot decode.
#include "lesson_window_fixture.h"
#include "../support/file_modes.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <sys/stat.h>

#include <limits>
#include <optional>

using namespace vantrel;
using namespace vantrel::test;

namespace {

// Story 2's name holds what breaks a naive path-to-URL conversion.
StoryFile storyNamed(const std::string &name)
{
    return StoryFile().story(1, name, "First story", "ABC").story(2, "#2? S2", "Second story");
}

QByteArray noise(int size)
{
    QByteArray bytes(size, '\0');
    QRandomGenerator random(6);
    for (char &byte : bytes)
        byte = char(random.bounded(256));
    return bytes;
}

} // namespace

class TestHostileAudio : public QObject {
    Q_OBJECT

private slots:
    void hugeFilesNeverWrapTheTimer_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<int>("interval");
        constexpr int longest = std::numeric_limits<int>::max();
        QTest::newRow("262,142 bytes, half to even") << qint64(262142) << 65536;
        QTest::newRow("8 GiB, one past what a timer holds") << (qint64(1) << 33) << longest;
        // Cut to 32 bits its delay would be 8 ms.
        QTest::newRow("16 GiB and 32 bytes") << ((qint64(1) << 34) + 32) << longest;
    }

    void hugeFilesNeverWrapTheTimer()
    {
        QFETCH(qint64, bytes);
        QFETCH(int, interval);
        LessonWindow lesson(storyNamed("S1"));
        QFile sparse(lesson.folder.path("S1.MP3")); // takes no room, however large
        if (!sparse.open(QIODevice::WriteOnly) || !sparse.resize(bytes))
            QSKIP("this file system cannot hold a sparse file that large");
        lesson.start();
        lesson.open("CuentoUno");
        lesson.button("Escuchar")->click();

        QVERIFY(lesson.timer()->isActive() && lesson.playing("SimplePlayer"));
        QCOMPARE(lesson.timer()->interval(), interval);
        QTest::qWait(20);
        QCOMPARE(lesson.window->heardCount(), 0);
        QVERIFY(!lesson.button("Escuchar")->isEnabled());
        // Leaving ends the long hearing, sound and all.
        lesson.window->CambioCuento_Click();
        QVERIFY(!lesson.get("SelectNews")->isHidden());
        QVERIFY(!lesson.timer()->isActive() && !lesson.playing("SimplePlayer"));
        QVERIFY(lesson.button("Escuchar")->isEnabled() && lesson.button("Ayuda")->isEnabled());
    }

    void oddNamesFindTheirFile_data()
    {
        QTest::addColumn<QByteArray>("line1");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("spaces around and inside") << QByteArray("  two  spaces ") << "  two  spaces .MP3";
        QTest::newRow("only dots") << QByteArray("...") << "....MP3";
        QTest::newRow("a single dot") << QByteArray(".") << "..MP3";
        QTest::newRow("own upper-case extension") << QByteArray("news.MP3") << "news.MP3.MP3";
        QTest::newRow("URL characters") << QByteArray("#1? 50% off") << "#1? 50% off.MP3";
        QTest::newRow("bare LF inside") << QByteArray("one\ntwo") << "one\ntwo.MP3";
        QTest::newRow("Windows-1252 letter") << QByteArray("caf\xe9") << QString::fromUtf8("caf\xc3\xa9.MP3");
    }

    // Each name gets a size of its own, so the delay shows that this file, and
    // no near namesake, was sized and handed to the player.
    void oddNamesFindTheirFile()
    {
        QFETCH(QByteArray, line1);
        QFETCH(QString, fileName);
        LessonWindow lesson(storyNamed(line1.toStdString()));
        lesson.folder.writeAudio(fileName, 44);
        lesson.folder.writeAudio("S1.MP3", 4);
        lesson.start();
        lesson.open("CuentoUno");
        lesson.button("Escuchar")->click();

        QVERIFY2(lesson.boxes.titles.isEmpty(), qPrintable(lesson.boxes.texts.value(0)));
        QCOMPARE(lesson.timer()->interval(), 11);
        QCOMPARE(lesson.player("SimplePlayer")->fileName(), fileName);
        auto *backend = static_cast<FakeMediaBackend *>(lesson.player("SimplePlayer")->backend());
        QCOMPARE(backend->source.toLocalFile(), lesson.folder.path(fileName));
        QTRY_COMPARE(lesson.window->heardCount(), 1);
    }

    void whatIsNotAFileIsReportedNotOpened_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("broken link") << "broken link";
        // Opening a pipe for reading would wait for a writer for ever.
        QTest::newRow("named pipe") << "named pipe";
        QTest::newRow("link to an endless device") << "link to /dev/zero";
        QTest::newRow("link to a folder") << "link to a folder";
    }

    void whatIsNotAFileIsReportedNotOpened()
    {
        QFETCH(QString, kind);
        LessonWindow lesson(storyNamed("S1"));
        const QString path = lesson.folder.path("S1.MP3");
        if (kind == "broken link")
            QVERIFY(QFile::link(lesson.folder.path("gone.MP3"), path));
        else if (kind == "named pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == "link to /dev/zero")
            QVERIFY(QFile::link("/dev/zero", path));
        else
            QVERIFY(QFile::link(lesson.folder.path(""), path));
        lesson.start();
        lesson.open("CuentoUno");
        lesson.button("Escuchar")->click();

        QCOMPARE(lesson.boxes.titles, QStringList{"Vantrel"});
        QVERIFY(lesson.boxes.texts[0].contains("\"S1.MP3\""));
        QVERIFY(!lesson.timer()->isActive());
        QVERIFY(lesson.player("SimplePlayer")->fileName().isEmpty());
        QVERIFY(lesson.button("Escuchar")->isEnabled());
        QCOMPARE(lesson.end.calls, 0);
        // The rest of the library is still there.
        lesson.folder.writeAudio("#2? S2.MP3", 4);
        lesson.button("CambioCuento")->click();
        lesson.open("CuentoDos");
        lesson.hearOnce();
    }

    void soundRemovedMidLessonIsReportedNextTime()
    {
        LessonWindow lesson(storyNamed("S1"));
        lesson.folder.writeAudio("S1.MP3", 40);
        lesson.start();
        lesson.open("CuentoUno");
        lesson.button("Escuchar")->click();
        // Gone while it plays: the hearing that started still ends and counts.
        QVERIFY(QFile::remove(lesson.folder.path("S1.MP3")));
        QTRY_COMPARE(lesson.window->heardCount(), 1);
        QVERIFY(lesson.boxes.titles.isEmpty());

        lesson.button("Escuchar")->click();
        QCOMPARE(lesson.boxes.titles, QStringList{"Vantrel"});
        QCOMPARE(lesson.window->heardCount(), 1);
        QVERIFY(!lesson.timer()->isActive());
        QVERIFY(lesson.button("Escuchar")->isEnabled());

        // Back, under another size: it is sized afresh, not remembered.
        lesson.folder.writeAudio("S1.MP3", 8);
        lesson.button("Escuchar")->click();
        QCOMPARE(lesson.timer()->interval(), 2);
        QTRY_COMPARE(lesson.window->heardCount(), 2);
    }

    void realPlayerSurvivesUndecodableFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("unreadable");
        QTest::newRow("2,000 random bytes") << noise(2000) << false;
        QTest::newRow("1 byte") << QByteArray(1, '\xff') << false;
        // A tag header that promises far more than follows it.
        QTest::newRow("truncated ID3 tag") << QByteArray("ID3\x04\x00\x00\x7f\x7f\x7f\x7f", 10) + noise(90) << false;
        QTest::newRow("no read permission") << noise(400) << true;
    }

    // The real engine this time: whatever it makes of the bytes, the hearings
    // are timed from the size, the program goes on, and the player still works
    // for the next story.
    void realPlayerSurvivesUndecodableFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, unreadable);

        // A name of its own: what cannot be played is said once per file name.
        const QString name = QTest::currentDataTag();
        LessonWindow lesson(storyNamed(name.toStdString()), LessonWindow::Sound::Real);
        lesson.folder.write(name + ".MP3", content.toStdString());
        std::optional<FileModesObeyed> modes; // root too
        if (unreadable) {
            QFile sound(lesson.folder.path(name + ".MP3"));
            QVERIFY(sound.setPermissions(QFileDevice::Permissions()));
            modes.emplace();
            if (sound.open(QIODevice::ReadOnly))
                QSKIP("this process reads a file whatever its mode");
        }
        QVERIFY(QFile::copy(VANTREL_SAMPLE_STORIES "/STORY01.MP3", lesson.folder.path("#2? S2.MP3")));
        // An unreadable file must fail at its opening, not at its bytes.
        const QString said = name + (unreadable ? ".MP3 - Could not open" : "");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Cannot play " + QRegularExpression::escape(said)));
        lesson.start();
        lesson.open("CuentoUno");
        for (int hearing = 1; hearing <= 3; ++hearing) {
            lesson.button("Escuchar")->click();
            QCOMPARE(lesson.timer()->interval(), int(content.size() / 4));
            QTRY_COMPARE(lesson.window->heardCount(), hearing);
        }
        QVERIFY(!lesson.get("CheckWork")->isHidden());
        QVERIFY(lesson.boxes.titles.isEmpty());
        QCOMPARE(lesson.end.calls, 0);
        // Heard three times, the dead file must not leave the player claiming to play.
        MediaPlayerWidget *player = lesson.player("SimplePlayer");
        QTRY_COMPARE_WITH_TIMEOUT(player->backend()->state(), MediaBackend::State::Stopped, 15000);

        // A real MP3 next: the player starts it as if nothing had happened.
        lesson.button("CambioCuento")->click();
        lesson.open("CuentoDos");
        lesson.button("Escuchar")->click();
        QTRY_VERIFY_WITH_TIMEOUT(player->backend()->position() > 0, 15000);
        QCOMPARE(player->backend()->state(), MediaBackend::State::Playing);
        lesson.window->CambioCuento_Click();
        QCOMPARE(player->backend()->state(), MediaBackend::State::Stopped);
    }
};

QTEST_MAIN(TestHostileAudio)
#include "tst_hostile_audio.moc"
