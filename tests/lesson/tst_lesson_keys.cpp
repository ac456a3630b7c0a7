// SPDX-License-Identifier: GPL-3.0-or-later
// How the student's keys, clicks and assistive technology reach the lesson:
// choosing an option each way, Enter and Esc on each control and on the
// window, the help and exit buttons, the closing box.
#include "lesson_window_fixture.h"

#include <QAccessible>
#include <QApplication>

using namespace vantrel;
using namespace vantrel::test;

class TestLessonKeys : public QObject {
    Q_OBJECT

private slots:
    void keyOnAControl_data()
    {
        QTest::addColumn<QString>("stage"); // menu, listening, or questions (one answer chosen)
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("outcome"); // closing box, menu, or nothing
        for (const char *control : {"Salida", "CuentoSiete", "StoryChosen"})
            QTest::addRow("Esc on %s", control) << "menu" << control << int(Qt::Key_Escape) << "closing box";
        for (const char *control : {"Escuchar", "CambioCuento", "Ayuda"})
            QTest::addRow("Esc on %s, listening", control) << "listening" << control << int(Qt::Key_Escape) << "menu";
        for (const char *control : {"CambioCuento", "Ayuda", "CheckWork", "PregUnoA", "PregDosC", "PregTresB"})
            QTest::addRow("Esc on %s", control) << "questions" << control << int(Qt::Key_Escape) << "menu";
        QTest::newRow("Esc on the player") << "questions" << "AudioPlayer" << int(Qt::Key_Escape) << "nothing";
        QTest::newRow("Enter on Escuchar") << "listening" << "Escuchar" << int(Qt::Key_Return) << "nothing";
        for (const char *control : {"PregUnoB", "CheckWork", "ScriptBox", "CambioCuento"})
            QTest::addRow("Enter on %s", control) << "questions" << control << int(Qt::Key_Return) << "nothing";
    }

    // Esc leaves the lesson once (it must not also reach the menu's Esc and end
    // the program); in the menu it ends the program, after which no key acts;
    // Enter in the lesson and Esc on a player do nothing of their own.
    void keyOnAControl()
    {
        QFETCH(QString, stage);
        QFETCH(QString, control);
        QFETCH(int, key);
        QFETCH(QString, outcome);
        Lesson w;
        if (stage == "menu")
            w.option("CuentoSiete")->click(); // enables the open button too
        else if (stage == "listening")
            w.open("CuentoUno");
        else
            w.toQuestions();
        if (stage == "questions")
            w.option("PregUnoA")->click();
        const int heard = w.window->heardCount();
        QWidget *target = w.get(qPrintable(control));
        target = target->focusProxy() ? target->focusProxy() : target;
        if (control == "Salida") // where the focus starts
            QTRY_COMPARE(QApplication::focusWidget(), target);
        target->setFocus(Qt::TabFocusReason);
        QTest::keyClick(target, Qt::Key(key));

        QCOMPARE(w.onMenu(), outcome != "nothing");
        QCOMPARE(w.boxes.titles.size(), qsizetype(outcome == "closing box"));
        QCOMPARE(w.closingBoxes(), int(outcome == "closing box"));
        QCOMPARE(w.end.calls, int(outcome == "closing box"));
        if (outcome == "closing box") {
            QCOMPARE(w.end.lastStatus, 0);
            QVERIFY(w.window->programEnded());
            QTest::keyClick(target, Qt::Key_Return);
            QCOMPARE(w.boxes.titles.size(), qsizetype(1));
        } else if (outcome == "menu" && stage == "questions") {
            QVERIFY(w.option("PregUnoA")->tag().isEmpty() && !w.option("PregUnoA")->isChecked());
        } else if (outcome == "nothing") {
            QCOMPARE(w.window->heardCount(), heard);
        }
    }

    void everyWayOfChoosingCounts_data()
    {
        QTest::addColumn<QString>("way");
        for (const char *way : {"mouse", "Space", "Toggle action", "Press action"})
            QTest::newRow(way) << QString(way);
    }

    // A story and the answers chosen by mouse, by keyboard or through the
    // accessible action that voice control and switch access use: the open
    // button comes on, the story chosen opens, and the answers are scored.
    void everyWayOfChoosingCounts()
    {
        QFETCH(QString, way);
        Lesson w;
        auto choose = [&](const char *name) {
            OptionButton *option = w.option(name);
            if (way == "mouse") {
                QTest::mouseClick(option, Qt::LeftButton);
            } else if (way == "Space") {
                option->setFocus(Qt::TabFocusReason);
                QTest::keyClick(option, Qt::Key_Space);
            } else {
                QAccessibleActionInterface *actions = QAccessible::queryAccessibleInterface(option)->actionInterface();
                actions->doAction(way == "Toggle action" ? QAccessibleActionInterface::toggleAction()
                                                        : QAccessibleActionInterface::pressAction());
            }
            QTRY_VERIFY2(option->isChecked(), name);
        };
        choose("CuentoSiete");
        QVERIFY(w.button("StoryChosen")->isEnabled());
        choose("CuentoUno");
        QVERIFY(!w.option("CuentoSiete")->isChecked());
        w.button("StoryChosen")->click();
        QCOMPARE(w.get<QLabel>("StoryTitle")->text(), QString("First story"));
        for (int i = 0; i < 3; ++i)
            w.hearOnce();
        for (const char *answer : {"PregUnoB", "PregUnoA", "PregDosB", "PregTresC"})
            choose(answer);
        w.button("CheckWork")->click();
        QCOMPARE(w.boxes.texts.value(0).section('\n', 0, 0), "You've answered all the questions correctly.");
    }

    void enterOnAStoryOptionOpensTheSelectedStory()
    {
        Lesson w;
        // Selected without a click, so the open button is still disabled.
        w.option("CuentoSiete")->setChecked(true);
        QVERIFY(!w.button("StoryChosen")->isEnabled());
        w.press("CuentoSiete", Qt::Key_Return);
        QVERIFY(!w.onMenu());
        QCOMPARE(w.window->storyBase(), 144);
        QVERIFY(w.boxes.titles.isEmpty());
        // Back with nothing selected, Enter (keypad) opens the same block again.
        w.button("CambioCuento")->click();
        w.press("CuentoUno", Qt::Key_Enter);
        QVERIFY(!w.onMenu());
        QCOMPARE(w.window->storyBase(), 144);
    }

    void windowWithoutFocusHandlesEsc()
    {
        Lesson w;
        auto noFocus = [&] {
            if (QWidget *focused = w.window->focusWidget())
                focused->clearFocus();
        };
        w.open("CuentoUno");
        noFocus();
        QTest::keyClick(w.window.get(), Qt::Key_Escape);
        QVERIFY(w.onMenu());
        QCOMPARE(w.closingBoxes(), 0);
        // A key a control handled reaches the window too, which must not handle it again.
        w.open("CuentoUno");
        noFocus();
        QTest::keyClick(w.get("CambioCuento"), Qt::Key_Escape);
        QVERIFY(w.onMenu());
        QCOMPARE(w.closingBoxes(), 0);

        noFocus();
        QTest::keyClick(w.window.get(), Qt::Key_Return);
        QCOMPARE(w.closingBoxes(), 0);
        QTest::keyClick(w.window.get(), Qt::Key_Escape);
        QCOMPARE(w.closingBoxes(), 1);
        QCOMPARE(w.end.calls, 1);
    }

    void helpAndExitButtons()
    {
        Lesson w;
        w.open("CuentoUno");
        // The focus left the hidden menu for a control on screen.
        QVERIFY(QApplication::focusWidget()->isVisible());
        w.button("Ayuda")->click();
        QCOMPARE(w.boxes.titles, QStringList{"Help"});
        QVERIFY(!w.onMenu());
        w.button("CambioCuento")->click();
        w.button("Salida")->click();
        QCOMPARE(w.closingBoxes(), 1);
        QCOMPARE(w.end.lastStatus, 0);
    }

    void closingTheWindowEndsWithoutTheBox()
    {
        Lesson w;
        w.toQuestions();
        w.player("AudioPlayer")->backend()->play();
        w.window->close();
        QVERIFY(w.boxes.titles.isEmpty());
        QVERIFY(!w.playing("AudioPlayer"));
    }
};

QTEST_MAIN(TestLessonKeys)
#include "tst_lesson_keys.moc"
