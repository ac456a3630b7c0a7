// SPDX-License-Identifier: GPL-3.0-or-later
// A story's lesson: set-up, the three hearings, the check and the return.
#include "lesson_window_fixture.h"

#include <QSet>

using namespace vantrel;
using namespace vantrel::test;

namespace {

const char *const kAnswers[] = {"PregUnoA", "PregUnoB", "PregUnoC", "PregDosA", "PregDosB",
                                "PregDosC", "PregTresA", "PregTresB", "PregTresC"};
const char *const kQuestions[] = {"PreguntaUno", "PreguntaDos", "PreguntaTres"};
const char *const kLessonControls[] = {"Escuche", "CambioCuento", "Ayuda", "CheckWork", "StoryTitle", "PreguntaUno",
                                       "PreguntaDos", "PreguntaTres", "ScriptBox", "Escuchar", "AudioPlayer"};

// Slot 1 answers A, B, C and has a sound; slot 2 has a title but no sound
// name; slot 7's lines hold their own numbers, so a read of the wrong line shows.
StoryFile lessonStories()
{
    StoryFile stories;
    stories.story(1, "S1", "First story").line(26, "Title only");
    for (int n = 145; n <= 168; ++n)
        stories.line(n, "L" + std::to_string(n));
    return stories.line(145, "S7");
}

struct Lesson : LessonWindow {
    explicit Lesson(const StoryFile &stories = lessonStories()) : LessonWindow(stories)
    {
        folder.writeAudio("S1.MP3", 4);
        start();
    }
    bool listeningButtonsEnabled() const
    {
        return button("Escuchar")->isEnabled() && button("CambioCuento")->isEnabled() && button("Ayuda")->isEnabled();
    }
};

} // namespace

class TestLesson : public QObject {
    Q_OBJECT

private slots:
    void setUpCopiesTheChosenBlock();
    void setUpWithNoStorySelectedReusesTheLastBlock();
    void threeHearingsOpenTheQuestions();
    void checkReportsTheScore_data();
    void checkReportsTheScore();
    void fullScoreChangesTheWindowOnlyAfterItsBox();
    void returnEmptiesKeysAndAnswers();
    void leavingDuringAHearingEndsIt();
};

void TestLesson::setUpCopiesTheChosenBlock()
{
    Lesson lesson;
    lesson.open("CuentoSiete");
    QCOMPARE(lesson.window->storyBase(), 144);
    QCOMPARE(lesson.get<QLabel>("StoryTitle")->text(), QString("L146"));
    QCOMPARE(lesson.get<QPlainTextEdit>("ScriptBox")->toPlainText(), QString("L147"));
    int line = 148;
    for (int q = 0; q < 3; ++q) {
        QCOMPARE(lesson.get<QGroupBox>(kQuestions[q])->title(), QString("L%1").arg(line++));
        for (int a = 0; a < 3; ++a) {
            OptionButton *answer = lesson.option(kAnswers[q * 3 + a]);
            QCOMPARE(answer->text(), QString("L%1").arg(line++));
            QCOMPARE(answer->tag(), QString("L%1").arg(line++));
        }
    }
    QVERIFY(lesson.get("SelectNews")->isHidden());
    QVERIFY(!lesson.option("CuentoSiete")->isChecked());
    for (const char *shown : {"SimplePlayer", "Escuchar", "Escuche", "CambioCuento", "Ayuda", "StoryTitle"})
        QVERIFY2(!lesson.get(shown)->isHidden(), shown);
    for (const char *hidden : {"CheckWork", "ScriptBox", "AudioPlayer", "PreguntaUno", "PreguntaDos", "PreguntaTres"})
        QVERIFY2(lesson.get(hidden)->isHidden(), hidden);
    QVERIFY(!lesson.timer()->isActive() && !lesson.playing("SimplePlayer"));
}

void TestLesson::setUpWithNoStorySelectedReusesTheLastBlock()
{
    Lesson lesson;
    // Before any story was opened the block is slot 1's.
    lesson.window->StoryChosen_Click();
    QCOMPARE(lesson.get<QLabel>("StoryTitle")->text(), QString("First story"));
    lesson.window->CambioCuento_Click();
    lesson.open("CuentoSiete");
    lesson.window->CambioCuento_Click();
    lesson.window->StoryChosen_Click();
    QCOMPARE(lesson.get<QLabel>("StoryTitle")->text(), QString("L146"));
}

void TestLesson::threeHearingsOpenTheQuestions()
{
    Lesson lesson;
    lesson.folder.writeAudio("S1.MP3", 40);
    lesson.open("CuentoUno");
    const QString firstPrompt = lesson.prompt();
    QStringList prompts;
    for (int hearing = 1; hearing <= 3; ++hearing) {
        lesson.button("Escuchar")->click();
        QCOMPARE(lesson.player("SimplePlayer")->fileName(), QString("S1.MP3"));
        QVERIFY(lesson.playing("SimplePlayer"));
        QCOMPARE(lesson.timer()->interval(), 10);
        QVERIFY(!lesson.button("Escuchar")->isEnabled() && !lesson.button("CambioCuento")->isEnabled()
                && !lesson.button("Ayuda")->isEnabled());
        QTRY_COMPARE(lesson.window->heardCount(), hearing);
        QVERIFY(lesson.listeningButtonsEnabled());
        QCOMPARE(lesson.get("CheckWork")->isHidden(), hearing < 3);
        prompts << lesson.prompt();
    }
    QCOMPARE(QSet<QString>(prompts.begin(), prompts.end()).size(), 3);
    QVERIFY(!prompts.contains(firstPrompt));

    for (const char *question : kQuestions)
        QVERIFY(!lesson.get(question)->isHidden() && lesson.get(question)->isEnabled());
    QVERIFY(lesson.button("CheckWork")->isEnabled());
    QVERIFY(lesson.get("Escuchar")->isHidden() && lesson.get("SimplePlayer")->isHidden());
    QVERIFY(!lesson.get("AudioPlayer")->isHidden());
    QCOMPARE(lesson.player("AudioPlayer")->fileName(), QString("S1.MP3"));
    QVERIFY(!lesson.playing("AudioPlayer"));
}

void TestLesson::checkReportsTheScore_data()
{
    QTest::addColumn<QStringList>("selected");
    QTest::addColumn<QStringList>("keys"); // replace the keys of answer A of each question
    QTest::addColumn<QString>("word");
    QTest::newRow("nothing selected") << QStringList{} << QStringList{} << "none";
    QTest::newRow("all wrong") << QStringList{"PregUnoB", "PregDosA", "PregTresA"} << QStringList{} << "none";
    QTest::newRow("one right, rest unanswered") << QStringList{"PregDosB"} << QStringList{} << "one";
    QTest::newRow("two right") << QStringList{"PregUnoA", "PregDosB", "PregTresB"} << QStringList{} << "two";
    QTest::newRow("near-miss keys") << QStringList{"PregUnoA", "PregDosA", "PregTresA"}
                                    << QStringList{" *", "* ", "**"} << "none";
}

void TestLesson::checkReportsTheScore()
{
    QFETCH(QStringList, selected);
    QFETCH(QStringList, keys);
    QFETCH(QString, word);
    StoryFile stories = lessonStories();
    for (int q = 0; q < keys.size(); ++q)
        stories.line(6 + 7 * q, keys[q].toStdString());
    Lesson lesson(stories);
    lesson.toQuestions();
    for (const QString &name : selected)
        lesson.option(qPrintable(name))->click();
    for (int attempt = 1; attempt <= 2; ++attempt) {
        lesson.button("CheckWork")->click();
        QCOMPARE(lesson.boxes.titles(), QStringList(attempt, "Checking Work"));
        QCOMPARE(lesson.boxes.shown.back().text, "You've answered " + word + " of the questions correctly.");
        QVERIFY(lesson.button("CheckWork")->isEnabled() && lesson.get("ScriptBox")->isHidden());
        for (const QString &name : selected)
            QVERIFY(lesson.option(qPrintable(name))->isChecked());
    }
}

void TestLesson::fullScoreChangesTheWindowOnlyAfterItsBox()
{
    Lesson lesson;
    lesson.toQuestions();
    for (const char *name : {"PregUnoA", "PregDosB", "PregTresC"})
        lesson.option(name)->click();
    const QString prompt = lesson.prompt();
    bool untouchedWhileOpen = false;
    lesson.boxes.onShow = [&](const MessageBoxStub::Shown &) {
        untouchedWhileOpen = lesson.button("CheckWork")->isEnabled() && lesson.get("ScriptBox")->isHidden()
            && lesson.prompt() == prompt;
    };
    lesson.button("CheckWork")->click();
    QVERIFY(untouchedWhileOpen);
    QCOMPARE(lesson.boxes.titles(), QStringList{"Checking Work"});
    QVERIFY(lesson.boxes.shown[0].text.startsWith("You've answered all the questions correctly."));
    QVERIFY(!lesson.button("CheckWork")->isEnabled() && !lesson.get("CheckWork")->isHidden());
    QVERIFY(lesson.prompt() != prompt);
    QVERIFY(!lesson.get("ScriptBox")->isHidden());
}

void TestLesson::returnEmptiesKeysAndAnswers()
{
    Lesson lesson;
    lesson.toQuestions();
    lesson.option("PregUnoA")->click();
    lesson.option("PregTresB")->click();
    lesson.player("AudioPlayer")->backend()->play();
    lesson.window->setWindowTitle("something else");
    for (int leaving = 0; leaving < 2; ++leaving) {
        lesson.button("CambioCuento")->click();
        QVERIFY(!lesson.playing("AudioPlayer"));
        for (const char *name : kAnswers)
            QVERIFY2(lesson.option(name)->tag().isEmpty() && !lesson.option(name)->isChecked(), name);
        QVERIFY(!lesson.get("SelectNews")->isHidden() && lesson.get("SelectNews")->isEnabled());
        QVERIFY(!lesson.button("StoryChosen")->isEnabled());
        for (const char *hidden : kLessonControls)
            QVERIFY2(lesson.get(hidden)->isHidden(), hidden);
        QCOMPARE(lesson.window->windowTitle(), QString("Vantrel: Choose a Story"));
        // A slot with a title but no sound name is offered from the first return on.
        QCOMPARE(lesson.option("CuentoDos")->text(), QString("Title only"));
        QVERIFY(lesson.option("CuentoDos")->isEnabled() && !lesson.option("CuentoTres")->isEnabled());
    }
    // Opening it again reloads the keys and starts listening over.
    lesson.open("CuentoUno");
    QCOMPARE(lesson.option("PregUnoA")->tag(), QString("*"));
    QCOMPARE(lesson.window->heardCount(), 0);
    QVERIFY(lesson.get("PreguntaUno")->isHidden());
}

void TestLesson::leavingDuringAHearingEndsIt()
{
    Lesson lesson;
    lesson.folder.writeAudio("S1.MP3", 400000);
    lesson.open("CuentoUno");
    lesson.button("Escuchar")->click();
    QVERIFY(lesson.timer()->isActive() && lesson.playing("SimplePlayer"));
    lesson.window->CambioCuento_Click();
    QVERIFY(!lesson.timer()->isActive() && !lesson.playing("SimplePlayer"));
    QVERIFY(lesson.listeningButtonsEnabled());
}

QTEST_MAIN(TestLesson)
#include "tst_lesson.moc"
