// SPDX-License-Identifier: GPL-3.0-or-later
// A story whose words are timed too: the word heard marked within its
// sentence, a click playing from a word, a word heard alone by its key, and
// in the dictation by its link.
#include "timed_lesson.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>

using namespace vantrel;
using namespace vantrel::test;

namespace {

// The story file's transcript is Windows-1252; the timing file's UTF-8. The
// last sentence has no word times, as when the aligner doubted them.
const char *const kWordTranscript = "Jos\xE9's bridge is open. Cars cross it again! Is it safe?";
const QString kShown = QString::fromUtf8("Jos\xC3\xA9's bridge is open. Cars cross it again! Is it safe?");
const std::string kWordTimings = "WEBVTT\n\n00:00.500 --> 00:02.000\nJos\xC3\xA9's <00:00.800>bridge <00:01.300>is "
                                 "<00:01.500>open.\n\n00:02.600 --> 00:04.000\nCars <00:02.900>cross <00:03.300>it "
                                 "again!\n\n00:04.000 --> 00:06.000\nIs it safe?\n";

struct WordLesson : TimedLesson {
    WordLesson()
        : TimedLesson(kWordTimings, kWordTranscript)
    {
        toFullScore();
        fake()->loadDuration(6000);
    }
    QPlainTextEdit *script() const { return get<QPlainTextEdit>("ScriptBox"); }
    // What the transcript marks: the sentence, then the word, if one is.
    QStringList marked() const
    {
        QStringList texts;
        for (const QTextEdit::ExtraSelection &mark : script()->extraSelections())
            texts << mark.cursor.selectedText();
        return texts;
    }
    QPoint pointAt(const QString &text) const
    {
        QTextCursor cursor(script()->document());
        cursor.setPosition(int(script()->toPlainText().indexOf(text)) + 1);
        return script()->cursorRect(cursor).center();
    }
    void cursorAt(const QString &text) const
    {
        QTextCursor cursor(script()->document());
        cursor.setPosition(int(script()->toPlainText().indexOf(text)));
        script()->setTextCursor(cursor);
    }
};

} // namespace

class WordsTest : public QObject
{
    Q_OBJECT

private slots:
    // The word heard is marked within the marked sentence, by lines over and
    // under it as well as colour; words without a time of their own go with
    // the one before; paused, the cursor goes to the word.
    void transcriptReadsAlongWordByWord()
    {
        WordLesson lesson;
        lesson.control("playButton")->click();
        lesson.fake()->moveTo(1000);
        QTRY_COMPARE(lesson.marked(), QStringList({QString::fromUtf8("Jos\xC3\xA9's bridge is open."), "bridge"}));
        const QTextCharFormat word = lesson.script()->extraSelections().last().format;
        QVERIFY(word.fontOverline() && word.fontUnderline());
        lesson.fake()->moveTo(1550);
        QTRY_COMPARE(lesson.marked(), QStringList({QString::fromUtf8("Jos\xC3\xA9's bridge is open."), "open."}));
        lesson.fake()->moveTo(2300);  // between sentences: the sentence heard last, no word
        QTRY_COMPARE(lesson.marked(), QStringList({QString::fromUtf8("Jos\xC3\xA9's bridge is open.")}));
        lesson.fake()->moveTo(3500);
        QTRY_COMPARE(lesson.marked(), QStringList({"Cars cross it again!", "it again!"}));
        QCOMPARE(lesson.script()->toPlainText(), kShown);

        lesson.control("playButton")->click();  // pause
        QCOMPARE(lesson.script()->textCursor().position(), lesson.script()->toPlainText().indexOf("it again!"));
        lesson.control("playButton")->click();
        lesson.fake()->moveTo(4500);
        QTRY_COMPARE(lesson.marked(), QStringList({"Is it safe?"}));
    }

    // A click on a timed word plays from it to its sentence's end; in a
    // sentence without word times, the sentence. F5 plays the word at the
    // cursor alone, from 50 ms before it to the next word's start.
    void aWordIsHeardFromItOrAlone()
    {
        WordLesson lesson;
        QTest::mouseClick(lesson.script()->viewport(), Qt::LeftButton, {}, lesson.pointAt("cross"));
        QCOMPARE(lesson.lastCalls(2), "seek 2900, play");
        lesson.fake()->moveTo(3990);
        QTest::qWait(30);
        QVERIFY(lesson.playing("AudioPlayer"));
        lesson.fake()->moveTo(4000);
        QTRY_VERIFY(!lesson.playing("AudioPlayer"));
        QTest::mouseClick(lesson.script()->viewport(), Qt::LeftButton, {}, lesson.pointAt("safe"));
        QCOMPARE(lesson.lastCalls(2), "seek 4000, play");

        lesson.cursorAt("bridge");
        lesson.window->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
        QCOMPARE(lesson.lastCalls(2), "seek 750, play");
        lesson.fake()->moveTo(1000);
        QTRY_COMPARE(lesson.marked().value(1), "bridge");
        lesson.fake()->moveTo(1300);
        QTRY_VERIFY(!lesson.playing("AudioPlayer"));
        QCOMPARE(lesson.marked().value(1), "bridge");  // paused after it, it stays marked
        QCOMPARE(lesson.script()->textCursor().position(), lesson.script()->toPlainText().indexOf("bridge"));

        lesson.cursorAt("open.");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
        QCOMPARE(lesson.lastCalls(2), "seek 1450, play");
        lesson.fake()->moveTo(2000);  // the last word ends with its sentence
        QTRY_VERIFY(!lesson.playing("AudioPlayer"));
        // At a word whose sentence has no word times, or between sentences, F5 does nothing.
        const QStringList before = lesson.calls("AudioPlayer");
        lesson.cursorAt("safe");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
        QCOMPARE(lesson.calls("AudioPlayer"), before);
    }

    // In the dictation, a word marked wrong or missing is a link that plays it
    // alone, reached by Tab and opened by Enter; a sentence without word
    // times has none.
    void dictationWordsAreHeardAlone()
    {
        WordLesson lesson;
        lesson.button("Dictation")->click();
        auto *field = lesson.get<QLineEdit>("WhatYouHeard");
        auto *marking = lesson.get<QLabel>("DictationMarking");
        QTest::keyClicks(field, "bridge opened");
        QTest::keyClick(field, Qt::Key_Return);
        QVERIFY(marking->text().contains("<a href=\"0\">Jos"));
        QVERIFY(marking->text().contains("<a href=\"2\">is</a>"));
        QVERIFY(marking->text().contains("<a href=\"3\">open.</a>"));
        QVERIFY(!marking->text().contains("<a href=\"1\">"));  // right words are not offered
        QVERIFY(lesson.get("HearWordHint")->isVisible());
        marking->setFocus();
        QTest::keyClick(marking, Qt::Key_Tab);
        QTest::keyClick(marking, Qt::Key_Return);
        QCOMPARE(lesson.lastCalls(2), "seek 450, play");

        lesson.button("NextSentence")->click();
        lesson.button("NextSentence")->click();
        QTest::keyClicks(field, "is it");
        QTest::keyClick(field, Qt::Key_Return);
        QVERIFY(marking->isVisible() && !marking->text().contains("<a "));
        QVERIFY(!lesson.get("HearWordHint")->isVisible());
    }
};

QTEST_MAIN(WordsTest)
#include "tst_words.moc"
