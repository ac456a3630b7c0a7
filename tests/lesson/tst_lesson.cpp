// A story's lesson: set-up, the three hearings, the check and the return.
#include "lesson_window_fixture.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

const char *const kAnswers[] = {"PregUnoA", "PregUnoB", "PregUnoC", "PregDosA", "PregDosB",
                                "PregDosC", "PregTresA", "PregTresB", "PregTresC"};
const char *const kQuestions[] = {"PreguntaUno", "PreguntaDos", "PreguntaTres"};

// Slot 1 answers A, B, C; slot 2 has a title but no sound name; slot 7's
// lines hold their own numbers, so a read of the wrong line shows.
StoryFile lessonStories()
{
    StoryFile stories;
    stories.story(1, "S1", "First story", "ABC");
    stories.line(26, "Title without a sound name");
    for (int n = 145; n <= 168; ++n)
        stories.line(n, "L" + std::to_string(n));
    return stories;
}

} // namespace

class TestLesson : public QObject {
    Q_OBJECT

private slots:
    void setUpCopiesTheChosenBlock();
    void setUpWithNoStorySelectedReusesTheLastBlock();
    void threeHearingsOpenTheQuestions();
    void hearingLastsAsLongAsTheFileSays_data();
    void hearingLastsAsLongAsTheFileSays();
    void checkReportsThePartialScore_data();
    void checkReportsThePartialScore();
    void fullScoreChangesTheWindowOnlyAfterItsBox();
    void returnEmptiesKeysAndAnswers();
    void slotWithOnlyATitleOpensAfterTheFirstReturn();
    void missingSoundLeavesTheLessonUsable_data();
    void missingSoundLeavesTheLessonUsable();
    void leavingDuringAHearingEndsIt();
    void leavingStopsTheFullPlayer();
};

void TestLesson::setUpCopiesTheChosenBlock()
{
    LessonWindow lesson(lessonStories().line(145, "S7"));
    lesson.start();
    lesson.open("CuentoSiete");

    QCOMPARE(lesson.window->storyBase(), 144);
    QCOMPARE(lesson.window->heardCount(), 0);
    QCOMPARE(lesson.get<QLabel>("StoryTitle")->text(), QString("L146"));
    QCOMPARE(lesson.get<QPlainTextEdit>("ScriptBox")->toPlainText(), QString("L147"));
    int line = 148;
    for (int q = 0; q < 3; ++q) {
        QCOMPARE(lesson.get<QGroupBox>(kQuestions[q])->title(), QString("L%1").arg(line++));
        for (int a = 0; a < 3; ++a) {
            OptionButton *answer = lesson.option(kAnswers[q * 3 + a]);
            QCOMPARE(answer->text(), QString("L%1").arg(line++));
            QCOMPARE(answer->tag(), QString("L%1").arg(line++));
            QVERIFY(!answer->isChecked());
        }
    }
    QCOMPARE(line, 169);

    QVERIFY(lesson.get("SelectNews")->isHidden());
    QVERIFY(!lesson.option("CuentoSiete")->isChecked());
    for (const char *shown : {"SimplePlayer", "Escuchar", "Escuche", "CambioCuento", "Ayuda", "StoryTitle"})
        QVERIFY2(!lesson.get(shown)->isHidden(), shown);
    for (const char *hidden : {"CheckWork", "ScriptBox", "AudioPlayer", "PreguntaUno", "PreguntaDos", "PreguntaTres"})
        QVERIFY2(lesson.get(hidden)->isHidden(), hidden);
    QCOMPARE(lesson.prompt(), QString("Listen to the story three times."));
    QVERIFY(!lesson.timer()->isActive());
    QVERIFY(!lesson.playing("SimplePlayer"));
}

void TestLesson::setUpWithNoStorySelectedReusesTheLastBlock()
{
    LessonWindow lesson(lessonStories().line(145, "S7"));
    lesson.start();
    // Before any story was opened the block is slot 1's.
    lesson.window->StoryChosen_Click();
    QCOMPARE(lesson.window->storyBase(), 0);
    QCOMPARE(lesson.get<QLabel>("StoryTitle")->text(), QString("First story"));

    lesson.window->CambioCuento_Click();
    lesson.open("CuentoSiete");
    lesson.window->CambioCuento_Click();
    lesson.window->StoryChosen_Click();
    QCOMPARE(lesson.window->storyBase(), 144);
    QCOMPARE(lesson.get<QLabel>("StoryTitle")->text(), QString("L146"));
}

void TestLesson::threeHearingsOpenTheQuestions()
{
    LessonWindow lesson(lessonStories());
    lesson.folder.writeAudio("S1.MP3", 40);
    lesson.start();
    lesson.open("CuentoUno");

    lesson.button("Escuchar")->click();
    QCOMPARE(lesson.player("SimplePlayer")->fileName(), QString("S1.MP3"));
    QVERIFY(lesson.playing("SimplePlayer"));
    QVERIFY(lesson.timer()->isActive());
    QCOMPARE(lesson.timer()->interval(), 10);
    for (const char *name : {"Escuchar", "CambioCuento", "Ayuda"}) {
        QVERIFY2(!lesson.button(name)->isEnabled(), name);
        QVERIFY2(!lesson.button(name)->isHidden(), name);
    }

    const QStringList prompts = {"Listen two more times.", "Listen one more time.", "Now try to answer the questions."};
    for (int hearing = 1; hearing <= 3; ++hearing) {
        if (hearing > 1)
            lesson.button("Escuchar")->click();
        QTRY_COMPARE(lesson.window->heardCount(), hearing);
        QCOMPARE(lesson.prompt(), prompts[hearing - 1]);
        QVERIFY(!lesson.timer()->isActive());
        QVERIFY(lesson.button("CambioCuento")->isEnabled() && lesson.button("Ayuda")->isEnabled());
        QCOMPARE(lesson.get("CheckWork")->isHidden(), hearing < 3);
    }

    for (const char *question : kQuestions)
        QVERIFY(!lesson.get(question)->isHidden() && lesson.get(question)->isEnabled());
    QVERIFY(lesson.button("CheckWork")->isEnabled());
    QVERIFY(lesson.get("Escuchar")->isHidden());
    QVERIFY(lesson.get("SimplePlayer")->isHidden());
    QVERIFY(!lesson.get("AudioPlayer")->isHidden());
    QCOMPARE(lesson.player("AudioPlayer")->fileName(), QString("S1.MP3"));
    QVERIFY(!lesson.playing("AudioPlayer"));
}

void TestLesson::hearingLastsAsLongAsTheFileSays_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<int>("interval");
    QTest::newRow("6 bytes") << qint64(6) << 2;
    QTest::newRow("10 bytes, half to even") << qint64(10) << 2;
    QTest::newRow("14 bytes, half to even") << qint64(14) << 4;
    QTest::newRow("120,000 bytes") << qint64(120000) << 30000;
    QTest::newRow("262,141 bytes") << qint64(262141) << 65535;
    QTest::newRow("past the old timer limit") << qint64(400000) << 100000;
}

void TestLesson::hearingLastsAsLongAsTheFileSays()
{
    QFETCH(qint64, bytes);
    QFETCH(int, interval);
    LessonWindow lesson(lessonStories());
    lesson.folder.writeAudio("S1.MP3", bytes);
    lesson.start();
    lesson.open("CuentoUno");
    lesson.button("Escuchar")->click();
    QCOMPARE(lesson.timer()->interval(), interval);
    QVERIFY(lesson.timer()->isActive());
}

void TestLesson::checkReportsThePartialScore_data()
{
    QTest::addColumn<QStringList>("selected");
    QTest::addColumn<QStringList>("keys"); // replaces the keys of A of each question, if given
    QTest::addColumn<QString>("word");

    QTest::newRow("nothing selected") << QStringList{} << QStringList{} << "none";
    QTest::newRow("all wrong") << QStringList{"PregUnoB", "PregDosA", "PregTresA"} << QStringList{} << "none";
    QTest::newRow("one right, rest unanswered") << QStringList{"PregDosB"} << QStringList{} << "one";
    QTest::newRow("two right") << QStringList{"PregUnoA", "PregDosB", "PregTresB"} << QStringList{} << "two";
    QTest::newRow("near-miss keys") << QStringList{"PregUnoA", "PregDosA", "PregTresA"}
                                    << QStringList{" *", "* ", "**"} << "none";
}

void TestLesson::checkReportsThePartialScore()
{
    QFETCH(QStringList, selected);
    QFETCH(QStringList, keys);
    QFETCH(QString, word);

    StoryFile stories = lessonStories();
    for (int q = 0; q < keys.size(); ++q)
        stories.line(6 + 7 * q, keys[q].toStdString());
    LessonWindow lesson(stories);
    lesson.folder.writeAudio("S1.MP3", 4);
    lesson.start();
    lesson.toQuestions();

    for (const QString &name : selected)
        lesson.option(qPrintable(name))->click();
    for (int attempt = 0; attempt < 2; ++attempt) {
        lesson.button("CheckWork")->click();
        QCOMPARE(lesson.boxes.shown.size(), size_t(attempt + 1));
        QCOMPARE(lesson.boxes.shown.back().title, QString("Checking Work"));
        QCOMPARE(lesson.boxes.shown.back().text, "You've answered " + word + " of the questions correctly.");
        QVERIFY(lesson.button("CheckWork")->isEnabled());
        QVERIFY(lesson.get("ScriptBox")->isHidden());
        for (const QString &name : selected)
            QVERIFY(lesson.option(qPrintable(name))->isChecked());
    }
}

void TestLesson::fullScoreChangesTheWindowOnlyAfterItsBox()
{
    LessonWindow lesson(lessonStories());
    lesson.folder.writeAudio("S1.MP3", 4);
    lesson.start();
    lesson.toQuestions();
    for (const char *name : {"PregUnoA", "PregDosB", "PregTresC"})
        lesson.option(name)->click();

    bool untouchedWhileOpen = false;
    lesson.boxes.onShow = [&](const MessageBoxStub::Shown &) {
        untouchedWhileOpen = lesson.button("CheckWork")->isEnabled() && lesson.get("ScriptBox")->isHidden()
            && lesson.prompt() == "Now try to answer the questions.";
    };
    lesson.button("CheckWork")->click();

    QVERIFY(untouchedWhileOpen);
    QCOMPARE(lesson.boxes.shown.size(), size_t(1));
    QCOMPARE(lesson.boxes.shown[0].title, QString("Checking Work"));
    const QStringList lines = lesson.boxes.shown[0].text.split('\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], QString("You've answered all the questions correctly."));
    QVERIFY(lines[1].isEmpty());
    QCOMPARE(lines[2].size(), 48);
    QCOMPARE(lines[2].trimmed(), QString("Now read what you've heard."));
    QVERIFY(!lesson.boxes.shown[0].text.contains('\r'));

    QVERIFY(!lesson.button("CheckWork")->isEnabled());
    QVERIFY(!lesson.get("CheckWork")->isHidden());
    QCOMPARE(lesson.prompt(), QString("Read the script:"));
    QVERIFY(!lesson.get("ScriptBox")->isHidden());
    QCOMPARE(lesson.get<QPlainTextEdit>("ScriptBox")->toPlainText(), QString("Transcript of First story"));
}

void TestLesson::returnEmptiesKeysAndAnswers()
{
    LessonWindow lesson(lessonStories());
    lesson.folder.writeAudio("S1.MP3", 4);
    lesson.start();
    lesson.toQuestions();
    lesson.option("PregUnoA")->click();
    lesson.option("PregTresB")->click();
    lesson.window->setWindowTitle("something else");

    for (int leaving = 0; leaving < 2; ++leaving) {
        lesson.window->CambioCuento_Click();
        for (const char *name : kAnswers) {
            QVERIFY2(lesson.option(name)->tag().isEmpty(), name);
            QVERIFY2(!lesson.option(name)->isChecked(), name);
        }
        QVERIFY(!lesson.get("SelectNews")->isHidden() && lesson.get("SelectNews")->isEnabled());
        QVERIFY(!lesson.button("StoryChosen")->isEnabled());
        for (const char *hidden : {"Escuche", "CambioCuento", "Ayuda", "CheckWork", "StoryTitle", "PreguntaUno",
                                   "PreguntaDos", "PreguntaTres", "ScriptBox", "Escuchar", "AudioPlayer"})
            QVERIFY2(lesson.get(hidden)->isHidden(), hidden);
        QCOMPARE(lesson.window->windowTitle(), QString("Vantrel: Choose a Story"));
        QCOMPARE(lesson.window->heardCount(), 3);
    }
    // Opening it again reloads the keys and starts listening over.
    lesson.open("CuentoUno");
    QCOMPARE(lesson.option("PregUnoA")->tag(), QString("*"));
    QCOMPARE(lesson.window->heardCount(), 0);
    QCOMPARE(lesson.prompt(), QString("Listen to the story three times."));
    QVERIFY(lesson.get("PreguntaUno")->isHidden());
}

void TestLesson::slotWithOnlyATitleOpensAfterTheFirstReturn()
{
    LessonWindow lesson(lessonStories());
    lesson.start();
    QVERIFY(!lesson.option("CuentoDos")->isEnabled());
    QCOMPARE(lesson.option("CuentoDos")->text(), QString("unavailable"));
    lesson.open("CuentoUno");
    lesson.window->CambioCuento_Click();
    QVERIFY(lesson.option("CuentoDos")->isEnabled());
    QCOMPARE(lesson.option("CuentoDos")->text(), QString("Title without a sound name"));
    // Slot 3 has neither line and stays as start-up left it.
    QVERIFY(!lesson.option("CuentoTres")->isEnabled());
}

void TestLesson::missingSoundLeavesTheLessonUsable_data()
{
    QTest::addColumn<bool>("folderOfThatName");
    QTest::newRow("no file") << false;
    QTest::newRow("a folder of that name") << true;
}

void TestLesson::missingSoundLeavesTheLessonUsable()
{
    QFETCH(bool, folderOfThatName);
    LessonWindow lesson(lessonStories());
    if (folderOfThatName)
        QVERIFY(QDir(lesson.folder.path("")).mkdir("S1.MP3"));
    lesson.start();
    lesson.open("CuentoUno");
    lesson.button("Escuchar")->click();

    QCOMPARE(lesson.boxes.shown.size(), size_t(1));
    QCOMPARE(lesson.boxes.shown[0].title, QString("Vantrel"));
    QVERIFY(lesson.boxes.shown[0].text.contains("\"S1.MP3\""));
    QCOMPARE(lesson.end.calls, 0);
    QVERIFY(!lesson.timer()->isActive());
    QVERIFY(!lesson.playing("SimplePlayer"));
    QVERIFY(lesson.player("SimplePlayer")->fileName().isEmpty());
    QCOMPARE(lesson.window->heardCount(), 0);
    for (const char *name : {"Escuchar", "CambioCuento", "Ayuda"})
        QVERIFY2(lesson.button(name)->isEnabled(), name);

    // The student can go back and choose again.
    lesson.button("CambioCuento")->click();
    QVERIFY(!lesson.get("SelectNews")->isHidden());
}

void TestLesson::leavingDuringAHearingEndsIt()
{
    LessonWindow lesson(lessonStories().story(3, "S3", "Third"));
    lesson.folder.writeAudio("S1.MP3", 400000);
    lesson.start();
    lesson.open("CuentoUno");
    lesson.button("Escuchar")->click();
    QVERIFY(lesson.timer()->isActive() && lesson.playing("SimplePlayer"));

    lesson.window->CambioCuento_Click();
    QVERIFY(!lesson.timer()->isActive());
    QVERIFY(!lesson.playing("SimplePlayer"));
    for (const char *name : {"Escuchar", "CambioCuento", "Ayuda"})
        QVERIFY2(lesson.button(name)->isEnabled(), name);

    // The next story starts from its own first hearing.
    lesson.open("CuentoTres");
    QCOMPARE(lesson.window->heardCount(), 0);
    QVERIFY(lesson.button("Escuchar")->isEnabled());
}

void TestLesson::leavingStopsTheFullPlayer()
{
    LessonWindow lesson(lessonStories());
    lesson.folder.writeAudio("S1.MP3", 4);
    lesson.start();
    lesson.toQuestions();
    lesson.player("AudioPlayer")->backend()->play();
    QVERIFY(lesson.playing("AudioPlayer"));
    lesson.button("CambioCuento")->click();
    QVERIFY(!lesson.playing("AudioPlayer"));
}

QTEST_MAIN(TestLesson)
#include "tst_lesson.moc"
