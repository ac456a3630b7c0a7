// SPDX-License-Identifier: GPL-3.0-or-later
// The player's sentence steps and its pause after each sentence.
#include "player_window.h"

#include <QAbstractButton>

using namespace vantrel;
using namespace vantrel::test;

class PlayerSentencesTest : public QObject
{
    Q_OBJECT

private slots:
    // Each step plays one sentence from its start and pauses at its end; the
    // current sentence is the one heard, or heard last, or stepped to.
    void sentenceStepsPlayOneSentence_data()
    {
        QTest::addColumn<qint64>("position");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("sentence");

        QTest::newRow("repeat, while heard") << qint64(3000) << "repeatSentenceButton" << 1;
        QTest::newRow("next") << qint64(3000) << "nextSentenceButton" << 2;
        QTest::newRow("previous") << qint64(3000) << "previousSentenceButton" << 0;
        QTest::newRow("previous, before any sound: the first") << qint64(0) << "previousSentenceButton" << 0;
        QTest::newRow("next, at the last: the last") << qint64(5000) << "nextSentenceButton" << 2;
        QTest::newRow("next, in a pause: after the one heard last") << qint64(2300) << "nextSentenceButton" << 1;
        QTest::newRow("repeat, where two touch: the later") << qint64(4000) << "repeatSentenceButton" << 2;
    }

    void sentenceStepsPlayOneSentence()
    {
        QFETCH(qint64, position);
        QFETCH(QString, control);
        QFETCH(int, sentence);
        const QList<QPair<qint64, qint64>> times{{500, 2000}, {2600, 4000}, {4000, 6000}};
        Window window(QSize(145, 72), false);
        window.player->setSentences({{500, 2000}, {2600, 4000}, {4000, 6000}});
        window.show();
        window.player->setFileName("story.MP3");
        window.fake->loadDuration(7000);
        window.fake->moveTo(position);

        QTest::mouseClick(window.findChild<QAbstractButton *>(control), Qt::LeftButton);
        QCOMPARE(window.fake->calls.mid(window.fake->calls.size() - 2),
                 QStringList({QStringLiteral("seek %1").arg(times[sentence].first), "play"}));
        window.fake->moveTo(times[sentence].second - 1);
        QTest::qWait(30);
        QCOMPARE(window.fake->state(), MediaBackend::State::Playing);
        // The sound runs a little past the end before the player sees it.
        window.fake->moveTo(times[sentence].second + 15);
        QTRY_COMPARE(window.fake->state(), MediaBackend::State::Paused);
        QCOMPARE(window.player->currentSentence(), sentence);

        // Paused after it, it is still the current one, though the next has begun.
        QTest::mouseClick(window.findChild<QAbstractButton *>("repeatSentenceButton"), Qt::LeftButton);
        QCOMPARE(window.fake->calls.mid(window.fake->calls.size() - 2),
                 QStringList({QStringLiteral("seek %1").arg(times[sentence].first), "play"}));
    }

    void pauseAfterEachSentence()
    {
        Window window(QSize(145, 72), false);
        window.player->setSentences({{500, 2000}, {2600, 4000}, {4000, 6000}});
        window.show();
        window.player->setFileName("story.MP3");
        window.fake->loadDuration(7000);
        QTest::mouseClick(window.findChild<QAbstractButton *>("pauseAfterEachButton"), Qt::LeftButton);
        auto *play = window.findChild<QAbstractButton *>("playButton");

        for (const qint64 end : {2000, 4000, 6000}) {
            QTest::mouseClick(play, Qt::LeftButton);
            QCOMPARE(window.fake->state(), MediaBackend::State::Playing);
            window.fake->moveTo(end + 10);
            QTRY_COMPARE(window.fake->state(), MediaBackend::State::Paused);
        }
        // Play carries on from where it paused: no seek on the way.
        QVERIFY(window.fake->calls.filter("seek").isEmpty());
    }

    // A real engine reports the old position for a while after a seek: a
    // step from past its sentence's end must not pause at once, and after
    // a stop the player stands at the start.
    void stepsTrustWhereTheyPutThePlayer()
    {
        Window window(QSize(145, 72), false);
        window.player->setSentences({{500, 2000}, {2600, 4000}, {4000, 6000}});
        window.show();
        window.player->setFileName("story.MP3");
        window.fake->loadDuration(7000);
        window.fake->slowSeeks = true;
        window.fake->moveTo(6100);

        QTest::mouseClick(window.findChild<QAbstractButton *>("previousSentenceButton"), Qt::LeftButton);
        QCOMPARE(window.fake->calls.last(), "play");
        QTest::qWait(40);
        QCOMPARE(window.fake->state(), MediaBackend::State::Playing);
        window.fake->settle();
        QTest::qWait(20);
        window.fake->moveTo(4010);
        QTRY_COMPARE(window.fake->state(), MediaBackend::State::Paused);

        QTest::mouseClick(window.findChild<QAbstractButton *>("stopButton"), Qt::LeftButton);
        QCOMPARE(window.player->currentSentence(), 0);
        QTest::mouseClick(window.findChild<QAbstractButton *>("pauseAfterEachButton"), Qt::LeftButton);
        QTest::mouseClick(window.findChild<QAbstractButton *>("playButton"), Qt::LeftButton);
        QTest::qWait(40);
        window.fake->settle();
        QTest::qWait(20);
        window.fake->moveTo(2010);
        QTRY_COMPARE(window.fake->state(), MediaBackend::State::Paused);
    }
};

QTEST_MAIN(PlayerSentencesTest)
#include "tst_player_sentences.moc"
