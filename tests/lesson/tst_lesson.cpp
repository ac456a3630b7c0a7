// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, the story menu, and a story's lesson: set-up, the three
// hearings, the check and the return; and lessons in a row with the real
// engine, the soak.
#include "lesson_window_fixture.h"

#include <QApplication>
#include <QFile>
#include <QMimeData>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>

using namespace vantrel;
using namespace vantrel::test;

namespace {

const char *const kAnswers[] = {"PregUnoA", "PregUnoB", "PregUnoC", "PregDosA", "PregDosB",
                                "PregDosC", "PregTresA", "PregTresB", "PregTresC"};
const char *const kQuestions[] = {"PreguntaUno", "PreguntaDos", "PreguntaTres"};
const char *const kLessonControls[] = {"Escuche", "CambioCuento", "Ayuda", "CheckWork", "StoryTitle", "PreguntaUno",
                                       "PreguntaDos", "PreguntaTres", "ScriptBox", "Escuchar", "AudioPlayer"};

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

class TestLesson : public QObject {
    Q_OBJECT

private slots:
    void storyFile_data()
    {
        QTest::addColumn<int>("size"); // -1: no file
        QTest::addColumn<QString>("diagnostic"); // empty: accepted
        QTest::addColumn<bool>("boxShown");
        // The size window's edges are the story library's to test.
        QTest::newRow("8859 bytes") << 8859 << "8859 bytes long; it must be 8860 to 8868 bytes" << false;
        QTest::newRow("8868 bytes") << 8868 << "" << true;
        QTest::newRow("missing") << -1 << "cannot read the story file \"vtl.txt\"" << true;
    }

    void storyFile()
    {
        QFETCH(int, size);
        QFETCH(QString, diagnostic);
        QFETCH(bool, boxShown);
        StoryFolder folder;
        if (size >= 0)
            folder.write("vtl.txt", StoryFile().story(1, "A", "One").bytes(size_t(size)));
        MessageBoxStub boxes;
        ProgramEndStub end;
        NewsBase window(boxes, end);
        // The menu is filled only after the box is dismissed.
        boxes.onShow = [&] { QVERIFY(window.findChild<QWidget *>("SelectNews")->isHidden()); };
        window.Form_Load();

        QCOMPARE(boxes.titles.size(), qsizetype(boxShown));
        QCOMPARE(window.findChild<QWidget *>("SelectNews")->isHidden(), !diagnostic.isEmpty());
        QCOMPARE(end.calls, int(!diagnostic.isEmpty()));
        if (diagnostic.isEmpty()) {
            QCOMPARE(boxes.titles[0], QString("Vantrel 5.75"));
            QVERIFY(!boxes.texts[0].contains('\n')); // paragraphs end in CR alone
            return;
        }
        QCOMPARE(end.lastStatus, 1);
        QVERIFY2(end.lastDiagnostic.contains(diagnostic), qPrintable(end.lastDiagnostic));
        // The box says what the error stream says, never the start-up text.
        if (boxShown)
            QCOMPARE(boxes.texts[0], end.lastDiagnostic);
    }

    void menuOffersEachPresentSlot_data()
    {
        QTest::addColumn<QByteArray>("line1");
        QTest::addColumn<QByteArray>("line2");
        QTest::addColumn<QString>("caption"); // "unavailable": not enabled
        QTest::newRow("single space counts") << QByteArray(" ") << QByteArray("Spaced") << "Spaced";
        QTest::newRow("empty title, present") << QByteArray("S5") << QByteArray() << "";
        QTest::newRow("title without name") << QByteArray() << QByteArray("Orphan") << "unavailable";
        QTest::newRow("ampersand is text") << QByteArray("S5") << QByteArray("Salt & pepper") << "Salt && pepper";
        QTest::newRow("Windows-1252 bytes") << QByteArray("S5") << QByteArray("Caf\xe9 \x93news\x94 \x81")
                                            << QString::fromUtf16(u"Caf\u00e9 \u201cnews\u201d \u0081");
    }

    void menuOffersEachPresentSlot()
    {
        QFETCH(QByteArray, line1);
        QFETCH(QByteArray, line2);
        QFETCH(QString, caption);
        LessonWindow lesson(StoryFile().line(97, line1.toStdString()).line(98, line2.toStdString()));
        lesson.start();
        QVERIFY(!lesson.get("SelectNews")->isHidden() && !lesson.button("StoryChosen")->isEnabled());
        const QList<OptionButton *> options = lesson.get("SelectNews")->findChildren<OptionButton *>();
        QCOMPARE(options.size(), 12);
        for (OptionButton *option : options) {
            QCOMPARE(option->text(), option->objectName() == "CuentoCinco" ? caption : QString("unavailable"));
            QCOMPARE(option->isEnabled(), option->text() != "unavailable");
        }
    }

    void clickOrOwnDropOnMenuEnablesOpening()
    {
        LessonWindow lesson(StoryFile().story(1, "A", "One").story(7, "G", "Seven"));
        lesson.start();
        // Each pick is told, so that sound can get ready before the story opens.
        QSignalSpy picked(lesson.window.get(), &NewsBase::storyPicked);
        QTest::mouseClick(lesson.option("CuentoSiete"), Qt::LeftButton);
        QVERIFY(lesson.button("StoryChosen")->isEnabled());
        QCOMPARE(picked.count(), 1);
        lesson.option("CuentoUno")->click();
        QVERIFY(lesson.option("CuentoUno")->isChecked() && !lesson.option("CuentoSiete")->isChecked());
        // A story that is not there cannot be chosen.
        QTest::mouseClick(lesson.option("CuentoDos"), Qt::LeftButton);
        QVERIFY(!lesson.option("CuentoDos")->isChecked());

        // A drop from outside the window (a file from elsewhere) is refused.
        lesson.button("StoryChosen")->setEnabled(false);
        QMimeData data;
        data.setText("outside");
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        for (QEvent *event : std::initializer_list<QEvent *>{&enter, &drop})
            QCoreApplication::sendEvent(lesson.get("SelectNews"), event);
        QVERIFY(!enter.isAccepted() && !lesson.button("StoryChosen")->isEnabled());
        QCOMPARE(picked.count(), 2);
        lesson.window->SelectNews_DragDrop();
        QVERIFY(lesson.button("StoryChosen")->isEnabled());
        QCOMPARE(picked.count(), 3);
    }

    void setUpCopiesTheChosenBlock()
    {
        Lesson lesson;
        // Opened with nothing selected, the block is slot 1's at first and the last one's later.
        lesson.window->StoryChosen_Click();
        QCOMPARE(lesson.get<QLabel>("StoryTitle")->text(), QString("First story"));
        lesson.window->CambioCuento_Click();
        lesson.open("CuentoSiete");
        lesson.window->CambioCuento_Click();
        lesson.window->StoryChosen_Click();
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

    void threeHearingsOpenTheQuestions_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<int>("interval");
        QTest::newRow("40 bytes") << qint64(40) << 10;
        // 0 to 2 bytes give a delay of 0, which must still end the hearing.
        QTest::newRow("2 bytes") << qint64(2) << 0;
        QTest::newRow("0 bytes") << qint64(0) << 0;
    }

    void threeHearingsOpenTheQuestions()
    {
        QFETCH(qint64, bytes);
        QFETCH(int, interval);
        Lesson lesson;
        lesson.folder.writeAudio("S1.MP3", bytes);
        lesson.open("CuentoUno");
        const QString firstPrompt = lesson.prompt();
        auto enabled = [&] {
            return QList<bool>{lesson.button("Escuchar")->isEnabled(), lesson.button("CambioCuento")->isEnabled(),
                               lesson.button("Ayuda")->isEnabled()};
        };
        QStringList prompts;
        for (int hearing = 1; hearing <= 3; ++hearing) {
            lesson.button("Escuchar")->click();
            QCOMPARE(lesson.player("SimplePlayer")->fileName(), QString("S1.MP3"));
            QVERIFY(lesson.playing("SimplePlayer"));
            QCOMPARE(lesson.timer()->interval(), interval);
            // Not over inside the click: the student sees the buttons go grey.
            QCOMPARE(lesson.window->heardCount(), hearing - 1);
            QCOMPARE(enabled(), QList<bool>(3, false));
            QTRY_COMPARE(lesson.window->heardCount(), hearing);
            QCOMPARE(enabled(), QList<bool>(3, true));
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
        QVERIFY(lesson.boxes.titles.isEmpty());
        QCOMPARE(lesson.end.calls, 0);
    }

    void checkReportsTheScore_data()
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

    void checkReportsTheScore()
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
            QCOMPARE(lesson.boxes.titles, QStringList(attempt, "Checking Work"));
            QCOMPARE(lesson.boxes.texts.last(), "You've answered " + word + " of the questions correctly.");
            QVERIFY(lesson.button("CheckWork")->isEnabled() && lesson.get("ScriptBox")->isHidden());
            for (const QString &name : selected)
                QVERIFY(lesson.option(qPrintable(name))->isChecked());
        }
    }

    void fullScoreShowsTheTranscriptOnlyAfterItsBox()
    {
        Lesson lesson;
        lesson.toQuestions();
        for (const char *name : {"PregUnoA", "PregDosB", "PregTresC"})
            lesson.option(name)->click();
        const QString prompt = lesson.prompt();
        bool untouchedWhileOpen = false;
        lesson.boxes.onShow = [&] {
            untouchedWhileOpen = lesson.button("CheckWork")->isEnabled() && lesson.get("ScriptBox")->isHidden()
                && lesson.prompt() == prompt;
        };
        lesson.button("CheckWork")->click();
        QVERIFY(untouchedWhileOpen);
        QCOMPARE(lesson.boxes.titles, QStringList{"Checking Work"});
        QVERIFY(lesson.boxes.texts[0].startsWith("You've answered all the questions correctly."));
        QVERIFY(!lesson.button("CheckWork")->isEnabled() && !lesson.get("CheckWork")->isHidden());
        QVERIFY(lesson.prompt() != prompt && !lesson.get("ScriptBox")->isHidden());

        // A click in the transcript gives the focus up, and Esc still returns to the menu.
        auto *script = lesson.get<QPlainTextEdit>("ScriptBox");
        const QString text = script->toPlainText();
        QTest::mouseClick(script->viewport(), Qt::LeftButton);
        QVERIFY(script->isEnabled() && !script->hasFocus());
        QCOMPARE(script->toPlainText(), text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(lesson.onMenu());
        QCOMPARE(lesson.closingBoxes(), 0);
    }

    void returnEmptiesKeysAndAnswers()
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

    // Whole lessons in a row with the real engine, as a student who never closes the program takes them:
    // each of the twelve slots in turn. scripts/soak.sh sets VANTREL_SOAK_LESSONS (e.g. 500), and then
    // resident memory may grow by 5 MiB at most after the first tenth.
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

QTEST_MAIN(TestLesson)
#include "tst_lesson.moc"
