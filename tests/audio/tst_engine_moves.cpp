// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's moves between its phases, on a fake pipeline: each row walks
// to a phase, gives one event, and checks where the engine went, what it
// asked of the pipeline on the way, and what the player shows.
#include "fake_sound_pipeline.h"
#include "gst_media_backend.h"

#include <QSignalSpy>
#include <QTest>

using namespace vantrel;
using Phase = GstMediaBackend::Phase;
using State = MediaBackend::State;

class TestEngineMoves : public QObject
{
    Q_OBJECT

private:
    // Words of a walk: load, preroll, flow (the warm-up's muted sound moves),
    // trickle (it has just begun to move), wait (a tenth of a second), play, pause, stop, seek:MS, rate:R, eos,
    // error, outputError, lost, back (the output opens again), silent (the
    // output fell back to the silent sink), slowPause (leaving PLAYING must
    // preroll).
    static void walk(GstMediaBackend &engine, FakeSoundPipeline &pipeline, const QString &words)
    {
        for (const QString &word : words.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString arg = word.section(QLatin1Char(':'), 1);
            if (word == QLatin1String("load"))
                engine.setSource(QUrl::fromLocalFile(QStringLiteral("/story.mp3")));
            else if (word == QLatin1String("preroll"))
                pipeline.preroll();
            else if (word == QLatin1String("flow")) {
                pipeline.at = pipeline.at.value_or(0) + 600;
                QTRY_VERIFY(engine.phase() != Phase::Warming);
            } else if (word == QLatin1String("trickle")) {
                pipeline.at = pipeline.at.value_or(0) + 20;
                QTest::qWait(100);
            } else if (word == QLatin1String("wait")) {
                QTest::qWait(100);
            } else if (word == QLatin1String("play"))
                engine.play();
            else if (word == QLatin1String("pause"))
                engine.pause();
            else if (word == QLatin1String("stop"))
                engine.stop();
            else if (word.startsWith(QLatin1String("seek:")))
                engine.setPosition(arg.toLongLong());
            else if (word.startsWith(QLatin1String("rate:")))
                engine.setPlaybackRate(arg.toDouble());
            else if (word == QLatin1String("eos"))
                pipeline.end();
            else if (word == QLatin1String("error") || word == QLatin1String("outputError"))
                pipeline.fail(word == QLatin1String("outputError"));
            else if (word == QLatin1String("lost"))
                pipeline.lose();
            else if (word == QLatin1String("back"))
                pipeline.comeBack();
            else if (word == QLatin1String("silent"))
                pipeline.silent = true;
            else if (word == QLatin1String("slowPause"))
                pipeline.pauseMustPreroll = true;
            else
                QFAIL(qPrintable(QStringLiteral("no such word: ") + word));
        }
    }

private slots:
    void moves_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("event");
        QTest::addColumn<Phase>("phase");
        QTest::addColumn<State>("state");
        QTest::addColumn<QStringList>("calls");

        const QString ready = QStringLiteral("load preroll flow preroll");
        const QString playing = ready + QStringLiteral(" play");
        const QString warming = QStringLiteral("load preroll");
        auto row = [](const char *name, const QString &before, const QString &event, Phase phase,
                      State state, const QStringList &calls) {
            QTest::newRow(name) << before << event << phase << state << calls;
        };
        const QStringList none;

        // A file's way to ready: opened, prerolled, warmed up muted until its
        // sound flows, wound back.
        row("a file opens", "", "load", Phase::Loading, State::Stopped,
            {"target Ready", "forget", "volume 1", "uri", "target Paused"});
        row("its preroll starts the muted warm-up", "load", "preroll", Phase::Warming,
            State::Stopped, {"watch loss", "volume 0", "target Playing"});
        row("the warm-up waits for the sound to flow", warming, "wait", Phase::Warming,
            State::Stopped, none);
        row("flowing sound ends it, wound back", warming, "flow", Phase::Seeking, State::Stopped,
            {"target Paused", "seek 0 1", "volume 1"});
        row("ready once wound back", warming + " flow", "preroll", Phase::Ready, State::Stopped,
            none);
        row("the same file stays loaded", ready, "load", Phase::Ready, State::Stopped, none);

        // A play waits for what is under way.
        row("play when ready", ready, "play", Phase::Playing, State::Playing, {"target Playing"});
        row("play while loading waits", "load", "play", Phase::Loading, State::Playing, none);
        row("a fresh file warms up before its play", "load play", "preroll", Phase::Warming,
            State::Playing, {"watch loss", "volume 0", "target Playing"});
        row("play during the warm-up waits for the server to read", warming, "play",
            Phase::Warming, State::Playing, none);
        row("which a waiting play needs no more of", warming + " play", "trickle", Phase::Seeking,
            State::Playing, {"target Paused", "seek 0 1", "volume 1"});
        row("a little flow is not yet the end", warming, "trickle", Phase::Warming,
            State::Stopped, none);
        row("but a play then ends it at once", warming + " trickle", "play", Phase::Seeking,
            State::Playing, {"target Paused", "seek 0 1", "volume 1"});
        row("then plays from where the player stood", warming + " play seek:3000 flow", "preroll",
            Phase::Playing, State::Playing, {"target Playing"});

        // Seeks are made paused, and PLAYING waits for their preroll.
        row("a step while playing pauses, then seeks", playing, "seek:5000 play", Phase::Seeking,
            State::Playing, {"target Paused", "seek 5000 1"});
        row("and plays once prerolled", playing + " seek:5000", "preroll", Phase::Playing,
            State::Playing, {"target Playing"});
        row("a pause that prerolls is waited for", playing + " slowPause", "seek:5000",
            Phase::Seeking, State::Playing, {"target Paused"});
        row("before its seek", playing + " slowPause seek:5000", "preroll", Phase::Seeking,
            State::Playing, {"seek 5000 1"});
        row("a seek during a seek waits", ready + " seek:1000", "seek:2000", Phase::Seeking,
            State::Stopped, none);
        row("and follows its preroll", ready + " seek:1000 seek:2000", "preroll", Phase::Seeking,
            State::Stopped, {"seek 2000 1"});
        row("a step from a pause", ready + " play pause", "seek:4000 play", Phase::Seeking,
            State::Playing, {"seek 4000 1"});
        row("a stray preroll changes nothing", ready, "preroll", Phase::Ready, State::Stopped, none);
        row("a rate is set by a seek", ready, "rate:0.75", Phase::Seeking, State::Stopped,
            {"seek 0 0.75"});

        row("pause", playing, "pause", Phase::Ready, State::Paused, {"target Paused"});
        row("stop rewinds", playing, "stop", Phase::Seeking, State::Stopped,
            {"target Paused", "seek 0 1"});
        row("the end rewinds", playing, "eos", Phase::Seeking, State::Stopped,
            {"target Paused", "seek 0 1"});
        row("a short file's end ends its warm-up", warming, "eos", Phase::Seeking, State::Stopped,
            {"target Paused", "seek 0 1", "volume 1"});

        // Errors, and the output's loss and return.
        row("an error takes the pipeline to NULL", playing, "error", Phase::Failed,
            State::Stopped, {"target Null", "forget", "volume 1"});
        row("a lost output is watched for", playing, "outputError", Phase::Failed, State::Stopped,
            {"watch return", "target Null", "forget", "volume 1"});
        row("a play after an error loads again", playing + " error", "play", Phase::Loading,
            State::Playing, {"target Ready", "forget", "volume 1", "uri", "target Paused"});
        row("an idle pipeline lets a lost output go", ready + " seek:7000 preroll pause", "lost",
            Phase::Lost, State::Paused, {"target Null", "forget", "volume 1"});
        row("a play hears of it by an error", playing, "lost", Phase::Playing, State::Playing,
            none);
        row("the output back: through NULL, where it stood",
            ready + " seek:7000 preroll pause lost", "back", Phase::Loading, State::Paused,
            {"target Null", "forget", "volume 1", "target Paused"});
        row("back after an error", playing + " outputError", "back", Phase::Loading,
            State::Stopped, {"target Null", "forget", "volume 1", "target Paused"});
        row("back from the silent sink", "silent " + ready, "back", Phase::Loading,
            State::Stopped, {"target Null", "forget", "volume 1", "target Paused"});
        row("a play goes on silently", "silent " + playing, "back", Phase::Playing,
            State::Playing, none);
        row("its end looks again", "silent " + playing + " back", "pause", Phase::Ready,
            State::Paused, {"target Paused", "look now"});
        row("a real output back changes nothing", ready, "back", Phase::Ready, State::Stopped,
            none);
    }

    void moves()
    {
        QFETCH(QString, before);
        QFETCH(QString, event);
        auto owned = std::make_unique<FakeSoundPipeline>();
        FakeSoundPipeline &pipeline = *owned;
        GstMediaBackend engine(std::move(owned));

        walk(engine, pipeline, before);
        pipeline.calls.clear();
        walk(engine, pipeline, event);
        QFETCH(QStringList, calls);
        QFETCH(Phase, phase);
        QFETCH(State, state);
        QCOMPARE(pipeline.calls, calls);
        QCOMPARE(engine.phase(), phase);
        QCOMPARE(engine.state(), state);
    }

    // The player stands where it was sent while the pipeline cannot say.
    void positionWhileTheSoundCannotTell()
    {
        auto owned = std::make_unique<FakeSoundPipeline>();
        FakeSoundPipeline &pipeline = *owned;
        GstMediaBackend engine(std::move(owned));
        walk(engine, pipeline, QStringLiteral("load preroll seek:3000"));
        pipeline.at = 800;  // the muted warm-up plays on
        QCOMPARE(engine.position(), 3000);
        walk(engine, pipeline, QStringLiteral("flow seek:4000"));
        pipeline.at.reset();
        QCOMPARE(engine.position(), 4000);
        walk(engine, pipeline, QStringLiteral("preroll play pause lost"));
        QCOMPARE(engine.position(), 4000);
    }

    // The last resort: a play whose position stands still is given a new
    // stream, once, from where it stood.
    void stalledPlayGetsANewStream()
    {
        auto owned = std::make_unique<FakeSoundPipeline>();
        FakeSoundPipeline &pipeline = *owned;
        GstMediaBackend engine(std::move(owned));
        walk(engine, pipeline, QStringLiteral("load preroll flow preroll seek:2000 preroll play"));
        pipeline.calls.clear();
        QTRY_COMPARE_WITH_TIMEOUT(engine.phase(), Phase::Loading, 3000);
        QCOMPARE(pipeline.calls.first(), QStringLiteral("target Ready"));
        QVERIFY(pipeline.calls.contains(QStringLiteral("seek 2000 1")) == false);
        walk(engine, pipeline, QStringLiteral("preroll"));
        QVERIFY(pipeline.calls.contains(QStringLiteral("seek 2000 1")));
        walk(engine, pipeline, QStringLiteral("preroll flow preroll"));
        QCOMPARE(engine.phase(), Phase::Playing);
        QCOMPARE(engine.state(), State::Playing);
    }
};

QTEST_MAIN(TestEngineMoves)
#include "tst_engine_moves.moc"
