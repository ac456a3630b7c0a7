// SPDX-License-Identifier: GPL-3.0-or-later
// A story whose sentences are timed: the full player's sentence steps, their
// keys, and the transcript reading along.
#include "timed_lesson.h"

#include <QAbstractButton>
#include <QApplication>
#include <QSignalSpy>

#include <algorithm>
#include <iostream>
#include <sstream>

using namespace vantrel;
using namespace vantrel::test;

namespace {

const char *const kSentenceControls[] = {"previousSentenceButton", "repeatSentenceButton", "nextSentenceButton",
                                         "pauseAfterEachButton"};

QString focusName()
{
    for (QObject *o = QApplication::focusWidget(); o; o = o->parent())
        if (!o->objectName().isEmpty())
            return o->objectName();
    return "none";
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

// What a student sees after a fixed walk of keys through the questions and
// back to the menu; the sentence controls only add their own Tab stops.
QStringList walkKeyRoutes(TimedLesson &lesson, int &sentenceTabStops)
{
    QStringList seen;
    lesson.toQuestions();
    lesson.fake()->loadDuration(6000);
    lesson.button("CheckWork")->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 40; ++i) {
        press(Qt::Key_Tab);
        if (focusName() == "CheckWork")
            break;
        if (std::ranges::count(kSentenceControls, focusName()))
            ++sentenceTabStops;
        else
            seen << focusName();
    }
    auto checked = [&] {
        QStringList names;
        for (const char *name : {"PregUnoA", "PregUnoB", "PregUnoC"})
            if (lesson.option(name)->isChecked())
                names << name;
        return "checked " + names.join(' ') + ", focus " + focusName();
    };
    lesson.option("PregUnoA")->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Space);
    seen << checked();
    press(Qt::Key_Down);
    seen << checked();
    MediaPlayerWidget *full = lesson.player("AudioPlayer");
    auto *speed = full->findChild<QWidget *>("speedChoice");
    speed->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Down);
    seen << "speed " + speed->property("currentText").toString();
    full->findChild<QWidget *>("positionSlider")->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Right);
    // An access key clicks its button a moment later, as a click animates.
    auto accessKey = [&](Qt::Key key) {
        const qsizetype boxes = lesson.boxes.titles.size();
        press(key, Qt::AltModifier);
        (void)QTest::qWaitFor([&] { return lesson.boxes.titles.size() > boxes; }, 1000);
    };
    accessKey(Qt::Key_H);
    accessKey(Qt::Key_A);
    lesson.button("CheckWork")->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Return);
    seen << "boxes " + lesson.boxes.titles.join(", ");
    press(Qt::Key_Escape);
    seen << "menu " + QString::number(!lesson.get("SelectNews")->isHidden());
    accessKey(Qt::Key_X);
    seen << "boxes " + lesson.boxes.titles.join(", ") + ", ended " + QString::number(lesson.end.calls);
    seen << "player " + lesson.fake()->calls.join(", ").section("S1.MP3", 1);
    return seen;
}

} // namespace

class SentencesTest : public QObject
{
    Q_OBJECT

private slots:
    // Only a timing file that vantrel-check accepts brings the sentence
    // controls; a broken one is said once on stderr and otherwise ignored.
    void onlyAGoodTimingFileBringsTheSteps_data()
    {
        QTest::addColumn<QString>("timings");
        QTest::addColumn<bool>("offered");
        QTest::addColumn<QString>("said");

        QTest::newRow("good") << QString::fromStdString(kTimings) << true << "";
        QTest::newRow("none") << "" << false << "";
        QTest::newRow("another text")
            << QString::fromStdString(kTimings).replace("Is it safe?", "Is it shut?") << false
            << "vantrel: S1.vtt:9: error: the text timed here is not sentence 3 of the transcript: it has \"Is it "
               "shut?\" where the transcript has \"Is it safe?\" (its sentence timings are not used)\n";
        QTest::newRow("broken") << "WEBVTT\n\n00:00.500 -> 00:02.000\nThe bridge is open.\n" << false
                                << "vantrel: S1.vtt:3: error: ";
    }

    void onlyAGoodTimingFileBringsTheSteps()
    {
        QFETCH(QString, timings);
        QFETCH(bool, offered);
        QFETCH(QString, said);
        std::ostringstream err;
        std::streambuf *const stderrBuffer = std::cerr.rdbuf(err.rdbuf());
        TimedLesson lesson(timings.toStdString());
        lesson.toQuestions();
        std::cerr.rdbuf(stderrBuffer);

        QVERIFY2(QString::fromStdString(err.str()).startsWith(said), err.str().c_str());
        QCOMPARE(err.str().empty(), said.isEmpty());
        for (const char *name : kSentenceControls)
            QCOMPARE(lesson.control(name)->isVisible(), offered);
        // Only the full player takes the sentences; the hearings before stay whole plays.
        auto holdsSentences = [&](const char *player) { return lesson.player(player)->currentSentence() >= 0; };
        QCOMPARE(holdsSentences("SimplePlayer"), false);
        QCOMPARE(holdsSentences("AudioPlayer"), offered);
    }

    // F7, F8 and F9 step wherever the focus is; F6 turns the pause after each
    // sentence on and off. Before the questions and after the lesson they do nothing.
    void keysStepFromAnywhere()
    {
        TimedLesson lesson;
        lesson.open("CuentoUno");
        lesson.button("Escuchar")->click();
        const QStringList hearing = lesson.calls("SimplePlayer"), full = lesson.calls("AudioPlayer");
        lesson.window->setFocus();
        QTest::keyClick(lesson.window.get(), Qt::Key_F9);
        // Neither player was asked for anything, and the hearing plays on.
        QCOMPARE(lesson.calls("SimplePlayer"), hearing);
        QCOMPARE(lesson.calls("AudioPlayer"), full);
        for (const char *name : kSentenceControls)
            QVERIFY(!lesson.control(name)->isVisible());
        QVERIFY(lesson.playing("SimplePlayer") && lesson.timer()->isActive());
        QTRY_COMPARE(lesson.window->heardCount(), 1);

        lesson.toQuestions();
        lesson.option("PregDosB")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F9);
        QCOMPARE(lesson.lastCalls(2), "seek 2600, play");
        lesson.button("CheckWork")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F8);
        QCOMPARE(lesson.lastCalls(2), "seek 2600, play");
        lesson.get("speedChoice")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F7);
        QCOMPARE(lesson.lastCalls(2), "seek 500, play");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
        QVERIFY(lesson.control("pauseAfterEachButton")->isChecked());
        QVERIFY(lesson.control("repeatSentenceButton")->toolTip().endsWith("(F8)"));
        // Esc still leaves the lesson, and in the menu the keys no longer reach the full player.
        lesson.button("CheckWork")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!lesson.get("SelectNews")->isHidden());
        const QStringList left = lesson.calls("AudioPlayer");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F9);
        QCOMPARE(lesson.calls("AudioPlayer"), left);
    }

    // The same keys on the same story, with and without its timing file, take
    // the same routes: Tab through the existing controls, Space and arrows on
    // a focused control, the access keys, Enter and Esc.
    void keyRoutesAreTheSameWithTimings()
    {
        int timedStops = 0, plainStops = 0;
        TimedLesson timed;
        const QStringList withTimings = walkKeyRoutes(timed, timedStops);
        TimedLesson plain("");
        QCOMPARE(withTimings, walkKeyRoutes(plain, plainStops));
        QCOMPARE(timedStops, 4);
        QCOMPARE(plainStops, 0);
    }

    // The sentence heard is marked in the transcript, which keeps its text and
    // its typing; paused, the cursor goes to it; a click plays a sentence.
    void transcriptReadsAlong()
    {
        TimedLesson lesson;
        lesson.toFullScore();
        auto *script = lesson.get<QPlainTextEdit>("ScriptBox");
        QVERIFY(script->isVisible());
        lesson.control("playButton")->click();
        lesson.fake()->moveTo(3000);
        QTRY_COMPARE(script->extraSelections().size(), 1);
        const QTextEdit::ExtraSelection mark = script->extraSelections().first();
        QCOMPARE(mark.cursor.selectedText(), "Cars cross it again!");
        QVERIFY(mark.format.fontUnderline());
        QCOMPARE(script->toPlainText(), kTranscript);

        lesson.control("playButton")->click();  // pause
        QCOMPARE(script->textCursor().position(), 20);

        script->setFocus();
        script->moveCursor(QTextCursor::End);
        QTest::keyClicks(script, " Yes.");
        QCOMPARE(script->toPlainText(), QString(kTranscript) + " Yes.");
        lesson.control("playButton")->click();
        lesson.fake()->moveTo(4500);
        QTRY_COMPARE(script->extraSelections().value(0).cursor.selectedText(), "Is it safe?");

        const QString text = script->toPlainText();
        QTest::mouseClick(script->viewport(), Qt::LeftButton, {}, script->cursorRect(QTextCursor(script->document())).center());
        QCOMPARE(lesson.lastCalls(2), "seek 500, play");
        QVERIFY(!script->hasFocus());
        QCOMPARE(script->toPlainText(), text);
    }
};

QTEST_MAIN(SentencesTest)
#include "tst_sentences.moc"
