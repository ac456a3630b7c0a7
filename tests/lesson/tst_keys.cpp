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
    void firstFocusIsExitAndEscLeaves();
    void escOnAStoryOptionShowsOneClosingBox_data();
    void escOnAStoryOptionShowsOneClosingBox();
    void enterOnAStoryOptionOpensTheSelectedStory();
    void escInTheLessonReturnsOnce_data();
    void escInTheLessonReturnsOnce();
    void enterInTheLessonDoesNothingOfItsOwn();
    void escOnAPlayerDoesNothing();
    void windowWithoutFocusHandlesEsc();
    void transcriptClickGivesUpTheFocus();
    void helpAndExitButtons();
    void closingTheWindowEndsWithoutTheBox();
};

void TestKeys::firstFocusIsExitAndEscLeaves()
{
    KeyWindow w;
    QTRY_COMPARE(QApplication::focusWidget(), w.get("Salida"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QCOMPARE(w.closingBoxes(), 1);
    QCOMPARE(w.end.calls, 1);
    QCOMPARE(w.end.lastStatus, 0);
    QVERIFY(w.window->programEnded());
}

void TestKeys::escOnAStoryOptionShowsOneClosingBox_data()
{
    QTest::addColumn<QString>("control");
    QTest::newRow("story option") << "CuentoSiete";
    QTest::newRow("open button") << "StoryChosen";
}

void TestKeys::escOnAStoryOptionShowsOneClosingBox()
{
    QFETCH(QString, control);
    KeyWindow w;
    w.option("CuentoSiete")->click(); // enables the open button too
    w.press(qPrintable(control), Qt::Key_Escape);
    QCOMPARE(w.boxes.shown.size(), size_t(1));
    QCOMPARE(w.closingBoxes(), 1);
    QCOMPARE(w.end.calls, 1);
    // Nothing runs after the end: a further key changes nothing.
    QTest::keyClick(w.get(qPrintable(control)), Qt::Key_Return);
    QVERIFY(w.onMenu());
    QCOMPARE(w.boxes.shown.size(), size_t(1));
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

void TestKeys::escInTheLessonReturnsOnce_data()
{
    QTest::addColumn<QString>("control");
    for (const char *name : {"CambioCuento", "Ayuda", "CheckWork", "PregUnoA", "PregDosC", "PregTresB"})
        QTest::newRow(name) << name;
}

void TestKeys::escInTheLessonReturnsOnce()
{
    QFETCH(QString, control);
    KeyWindow w;
    w.toQuestions();
    w.option("PregUnoA")->click();
    w.press(qPrintable(control), Qt::Key_Escape);
    QVERIFY(w.onMenu());
    QVERIFY(w.option("PregUnoA")->tag().isEmpty() && !w.option("PregUnoA")->isChecked());
    // The same key must not also reach the menu's Esc and end the program.
    QCOMPARE(w.closingBoxes(), 0);
    QCOMPARE(w.end.calls, 0);
}

void TestKeys::enterInTheLessonDoesNothingOfItsOwn()
{
    KeyWindow w;
    w.toQuestions();
    for (const char *control : {"PregUnoB", "CheckWork", "ScriptBox", "CambioCuento"}) {
        w.press(control, Qt::Key_Return);
        QVERIFY2(!w.onMenu(), control);
    }
    QVERIFY(w.boxes.shown.empty());
    QCOMPARE(w.window->heardCount(), 3);
    // Escuchar, before the questions, likewise.
    w.button("CambioCuento")->click();
    w.open("CuentoUno");
    w.press("Escuchar", Qt::Key_Return);
    QVERIFY(!w.onMenu());
    w.press("Escuchar", Qt::Key_Escape);
    QVERIFY(w.onMenu());
}

void TestKeys::escOnAPlayerDoesNothing()
{
    KeyWindow w;
    w.toQuestions();
    QWidget *player = w.get("AudioPlayer");
    QWidget *focused = player->focusProxy() ? player->focusProxy() : player;
    focused->setFocus(Qt::TabFocusReason);
    QTest::keyClick(focused, Qt::Key_Escape);
    QVERIFY(!w.onMenu());
    QVERIFY(w.boxes.shown.empty());
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
