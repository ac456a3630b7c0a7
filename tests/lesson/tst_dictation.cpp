// SPDX-License-Identifier: GPL-3.0-or-later
// The dictation of a timed story: where it is offered, a sentence at a time
// by buttons and keys, the end, and the lesson as it was after it.
#include "timed_lesson.h"

#include <QApplication>
#include <QLineEdit>

using namespace vantrel;
using namespace vantrel::test;

namespace {

struct Dictation : TimedLesson {
    using TimedLesson::TimedLesson;
    QWidget *panel() const { return get("DictationPanel"); }
    QLineEdit *field() const { return get<QLineEdit>("WhatYouHeard"); }
    QString text(const char *name) const { return get<QLabel>(name)->text(); }
    bool shown(const char *name) const { return get(name)->isVisible(); }
    void open()
    {
        toFullScore();
        fake()->loadDuration(6000);
        button("Dictation")->click();
    }
    void type(const QString &words)
    {
        field()->selectAll();
        QTest::keyClicks(field(), words);
        QTest::keyClick(field(), Qt::Key_Return);
    }
    // The marking as a screen reader reads it: the text without its looks.
    QString marking() const
    {
        QTextDocument document;
        document.setHtml(text("DictationMarking"));
        return document.toPlainText();
    }
};

void press(Qt::Key key)
{
    QTest::keyClick(QApplication::focusWidget(), key);
}

} // namespace

class DictationTest : public QObject
{
    Q_OBJECT

private slots:
    void offeredOnceTheAnswersAreRightAndOnlyWhenTimed()
    {
        Dictation untimed(std::string{});
        untimed.toFullScore();
        QVERIFY(!untimed.shown("Dictation"));

        Dictation timed;
        timed.toQuestions();
        QVERIFY(!timed.shown("Dictation"));
        timed.toFullScore();
        QVERIFY(timed.shown("Dictation"));
        QCOMPARE(timed.button("Dictation")->text(), "&Dictation");
        // Alt+D opens it: no other control of the lesson has that key.
        QTest::keyClick(timed.window.get(), Qt::Key_D, Qt::AltModifier);
        QTRY_VERIFY(timed.shown("DictationPanel"));
        QVERIFY(!timed.shown("ScriptBox"));
        QVERIFY(!timed.shown("PreguntaUno") && !timed.shown("PreguntaDos") && !timed.shown("PreguntaTres"));
    }

    void oneSentenceAtATime()
    {
        Dictation lesson;
        lesson.open();
        QCOMPARE(lesson.text("DictationSentence"), "Sentence 1 of 3");
        QCOMPARE(QApplication::focusWidget(), lesson.field());
        QCOMPARE(lesson.field()->accessibleName(), "What you heard");
        QVERIFY(!lesson.shown("DictationMarking"));  // the sentence is not shown before its check

        lesson.button("PlaySentence")->click();
        QCOMPARE(lesson.lastCalls(2), "seek 500, play");
        lesson.fake()->moveTo(2000);  // its end pauses it
        QTRY_COMPARE(lesson.fake()->state(), MediaBackend::State::Paused);

        press(Qt::Key_F9);
        QCOMPARE(lesson.text("DictationSentence"), "Sentence 2 of 3");
        QCOMPARE(lesson.lastCalls(2), "seek 2600, play");
        press(Qt::Key_F8);
        QCOMPARE(lesson.lastCalls(2), "seek 2600, play");
        lesson.type(QStringLiteral("crss it began"));
        QCOMPARE(lesson.marking(), "Cars [missing] cross [typo: crss] it again! [wrong: began]");
        QCOMPARE(lesson.text("DictationScore"), "1 of 4 words right, 1 typo");
        QCOMPARE(QApplication::focusWidget(), lesson.field());

        press(Qt::Key_F7);
        QCOMPARE(lesson.text("DictationSentence"), "Sentence 1 of 3");
        QVERIFY(lesson.field()->text().isEmpty());
        QCOMPARE(lesson.lastCalls(2), "seek 500, play");
        lesson.button("NextSentence")->click();
        QCOMPARE(lesson.field()->text(), "crss it began");  // its check is kept while the dictation lasts
        QVERIFY(lesson.shown("DictationMarking"));
        // With the keyboard elsewhere in the window, the keys still mean the dictation's sentence.
        lesson.button("Ayuda")->setFocus();
        press(Qt::Key_F9);
        QCOMPARE(lesson.text("DictationSentence"), "Sentence 3 of 3");
        QCOMPARE(lesson.lastCalls(2), "seek 4000, play");
    }

    void theEndOffersWhatToTryAgain()
    {
        Dictation lesson;
        lesson.open();
        lesson.type(QStringLiteral("The bridge is open."));
        QCOMPARE(lesson.text("DictationScore"), "4 of 4 words right");
        press(Qt::Key_F9);
        lesson.type(QStringLiteral("cars cross it"));
        press(Qt::Key_F9);
        press(Qt::Key_F9);  // past the last sentence, unchecked
        QCOMPARE(lesson.text("DictationTotal"), "7 of 11 words right");
        const QList<QPushButton *> again = lesson.panel()->findChildren<QPushButton *>("TryAgain");
        QStringList names;
        for (QPushButton *b : again)
            names << b->text();
        QCOMPARE(names, QStringList({"Sentence 2", "Sentence 3"}));
        QCOMPARE(QApplication::focusWidget(), again.first());

        again.first()->click();
        QCOMPARE(lesson.text("DictationSentence"), "Sentence 2 of 3");
        QVERIFY(lesson.field()->text().isEmpty());
        QVERIFY(!lesson.shown("DictationMarking"));
        lesson.type(QStringLiteral("Cars cross it again!"));
        press(Qt::Key_F9);
        press(Qt::Key_F9);
        QCOMPARE(lesson.text("DictationTotal"), "8 of 11 words right");
        QTRY_COMPARE(lesson.panel()->findChildren<QPushButton *>("TryAgain").size(), 1);
        press(Qt::Key_F7);  // back from the end to the last sentence
        QCOMPARE(lesson.text("DictationSentence"), "Sentence 3 of 3");
        lesson.button("PreviousSentence")->click();
        lesson.button("PreviousSentence")->click();
        QVERIFY(!lesson.button("PreviousSentence")->isEnabled());
    }

    void closedTheLessonIsAsItWas()
    {
        Dictation lesson;
        lesson.open();
        lesson.button("DictationClose")->click();
        lesson.control("playButton")->click();
        lesson.fake()->moveTo(3000);
        QTRY_COMPARE(lesson.get<QPlainTextEdit>("ScriptBox")->extraSelections().size(), 1);
        lesson.control("playButton")->click();  // paused at 3 s, the second sentence marked
        const auto mark = lesson.get<QPlainTextEdit>("ScriptBox")->extraSelections();

        lesson.button("Dictation")->click();
        lesson.button("PlaySentence")->click();
        lesson.type(QStringLiteral("the bridge"));
        QTest::keyClick(lesson.field(), Qt::Key_Escape);
        QVERIFY(!lesson.shown("DictationPanel"));
        QVERIFY(lesson.shown("ScriptBox") && lesson.shown("PreguntaTres"));
        QVERIFY(lesson.option("PregDosB")->isChecked());
        QCOMPARE(lesson.fake()->position(), 3000);
        QCOMPARE(lesson.fake()->state(), MediaBackend::State::Paused);
        QCOMPARE(lesson.get<QPlainTextEdit>("ScriptBox")->extraSelections().first().cursor.selectedText(),
                 mark.first().cursor.selectedText());
        QCOMPARE(QApplication::focusWidget(), lesson.button("Dictation"));

        // Opened again, it goes on where it was.
        lesson.button("Dictation")->click();
        QCOMPARE(lesson.field()->text(), "the bridge");
        QCOMPARE(lesson.text("DictationScore"), "2 of 4 words right");
        QCOMPARE(QApplication::focusWidget(), lesson.field());
    }

    void leavingTheStoryLeavesNothing()
    {
        Dictation lesson;
        lesson.open();
        lesson.type(QStringLiteral("the bridge"));
        lesson.button("CambioCuento")->click();
        QVERIFY(!lesson.shown("DictationPanel") && !lesson.shown("Dictation"));
        QVERIFY(lesson.field()->text().isEmpty());
        QVERIFY(lesson.text("DictationMarking").isEmpty());
        // F9 in the menu steps nothing.
        const QStringList calls = lesson.fake()->calls;
        QTest::keyClick(lesson.window.get(), Qt::Key_F9);
        QCOMPARE(lesson.fake()->calls, calls);
        // The same story again: a dictation afresh.
        lesson.open();
        QVERIFY(lesson.field()->text().isEmpty());
        QVERIFY(!lesson.shown("DictationMarking"));
    }
};

QTEST_MAIN(DictationTest)
#include "tst_dictation.moc"
