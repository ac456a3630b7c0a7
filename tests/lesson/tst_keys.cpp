// SPDX-License-Identifier: GPL-3.0-or-later
// Enter, Esc, help, the closing message and the toolkit's own keys.
#include "lesson_window_fixture.h"

#include <QApplication>

using namespace vantrel;
using namespace vantrel::test;

namespace {

StoryFile keyStories()
{
    return StoryFile().story(1, "S1", "First", "ABC").story(7, "S7", "Seventh", "CBA");
}

// A window that is shown and active, so that focus and keys behave as on a desktop.
struct KeyWindow : LessonWindow {
    KeyWindow() : LessonWindow(keyStories())
    {
        folder.writeAudio("S1.MP3", 4);
        start();
        QApplication::setActiveWindow(window.get());
        if (!QTest::qWaitForWindowActive(window.get()))
            qFatal("window not active");
    }
    void press(const char *control, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *target = get(control);
        target->setFocus(Qt::TabFocusReason);
        QTest::keyClick(target, key, modifiers);
    }
    bool onMenu() const { return !get("SelectNews")->isHidden(); }
    int closingBoxes() const { return int(boxes.titles().count("Vantrel")); }
};

} // namespace

class TestKeys : public QObject {
    Q_OBJECT

private slots:
    void firstFocusIsExit();
    void keyOnAControl_data();
    void keyOnAControl();
    void enterOnAStoryOptionOpensTheSelectedStory();
    void windowWithoutFocusHandlesEsc();
    void transcriptClickGivesUpTheFocus();
    void helpAndExitButtons();
    void closingTheWindowEndsWithoutTheBox();
};

void TestKeys::firstFocusIsExit()
{
    KeyWindow w;
    QTRY_COMPARE(QApplication::focusWidget(), w.get("Salida"));
}

void TestKeys::keyOnAControl_data()
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
void TestKeys::keyOnAControl()
{
    QFETCH(QString, stage);
    QFETCH(QString, control);
    QFETCH(int, key);
    QFETCH(QString, outcome);
    KeyWindow w;
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
    target->setFocus(Qt::TabFocusReason);
    QTest::keyClick(target, Qt::Key(key));

    QCOMPARE(w.onMenu(), outcome != "nothing");
    QCOMPARE(w.boxes.shown.size(), size_t(outcome == "closing box"));
    QCOMPARE(w.closingBoxes(), int(outcome == "closing box"));
    QCOMPARE(w.end.calls, int(outcome == "closing box"));
    if (outcome == "closing box") {
        QCOMPARE(w.end.lastStatus, 0);
        QVERIFY(w.window->programEnded());
        QTest::keyClick(target, Qt::Key_Return);
        QCOMPARE(w.boxes.shown.size(), size_t(1));
    } else if (outcome == "menu" && stage == "questions") {
        QVERIFY(w.option("PregUnoA")->tag().isEmpty() && !w.option("PregUnoA")->isChecked());
    } else if (outcome == "nothing") {
        QCOMPARE(w.window->heardCount(), heard);
    }
}

void TestKeys::enterOnAStoryOptionOpensTheSelectedStory()
{
    KeyWindow w;
    // Selected without a click, so the open button is still disabled.
    w.option("CuentoSiete")->setChecked(true);
    QVERIFY(!w.button("StoryChosen")->isEnabled());
    w.press("CuentoSiete", Qt::Key_Return);
    QVERIFY(!w.onMenu());
    QCOMPARE(w.window->storyBase(), 144);
    QVERIFY(w.boxes.shown.empty());
    // Back with nothing selected, Enter (keypad) opens the same block again.
    w.button("CambioCuento")->click();
    w.press("CuentoUno", Qt::Key_Enter);
    QVERIFY(!w.onMenu());
    QCOMPARE(w.window->storyBase(), 144);
}

void TestKeys::windowWithoutFocusHandlesEsc()
{
    KeyWindow w;
    w.open("CuentoUno");
    if (QWidget *focused = w.window->focusWidget())
        focused->clearFocus();
    QTest::keyClick(w.window.get(), Qt::Key_Escape);
    QVERIFY(w.onMenu());
    QCOMPARE(w.closingBoxes(), 0);
    // A key a control handled reaches the window too, which must not handle it again.
    w.open("CuentoUno");
    if (QWidget *focused = w.window->focusWidget())
        focused->clearFocus();
    QTest::keyClick(w.get("CambioCuento"), Qt::Key_Escape);
    QVERIFY(w.onMenu());
    QCOMPARE(w.closingBoxes(), 0);

    if (QWidget *focused = w.window->focusWidget())
        focused->clearFocus();
    QTest::keyClick(w.window.get(), Qt::Key_Return);
    QCOMPARE(w.closingBoxes(), 0);
    QTest::keyClick(w.window.get(), Qt::Key_Escape);
    QCOMPARE(w.closingBoxes(), 1);
    QCOMPARE(w.end.calls, 1);
}

void TestKeys::transcriptClickGivesUpTheFocus()
{
    KeyWindow w;
    w.toQuestions();
    for (const char *name : {"PregUnoA", "PregDosB", "PregTresC"})
        w.option(name)->click();
    w.button("CheckWork")->click();
    auto *script = w.get<QPlainTextEdit>("ScriptBox");
    QVERIFY(!script->isHidden());
    const QString text = script->toPlainText();

    QTest::mouseClick(script->viewport(), Qt::LeftButton);
    QVERIFY(script->isEnabled() && !script->hasFocus());
    QCOMPARE(script->toPlainText(), text);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(w.onMenu());
    QCOMPARE(w.closingBoxes(), 0);
}

void TestKeys::helpAndExitButtons()
{
    KeyWindow w;
    w.open("CuentoUno");
    // The focus left the hidden menu for a control on screen.
    QVERIFY(QApplication::focusWidget()->isVisible());
    w.button("Ayuda")->click();
    QCOMPARE(w.boxes.titles(), QStringList{"Help"});
    QVERIFY(!w.onMenu());
    w.button("CambioCuento")->click();
    w.button("Salida")->click();
    QCOMPARE(w.closingBoxes(), 1);
    QCOMPARE(w.end.lastStatus, 0);
}

void TestKeys::closingTheWindowEndsWithoutTheBox()
{
    KeyWindow w;
    w.toQuestions();
    w.player("AudioPlayer")->backend()->play();
    w.window->close();
    QVERIFY(w.boxes.shown.empty());
    QVERIFY(!w.playing("AudioPlayer"));
}

QTEST_MAIN(TestKeys)
#include "tst_keys.moc"
