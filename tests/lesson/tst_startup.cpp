// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: the size rule, the start-up box and the story menu.
#include "lesson_window_fixture.h"

#include <QDir>

using namespace vantrel;
using namespace vantrel::test;

namespace {

const char *const kStoryOptions[] = {"CuentoUno", "CuentoDos", "CuentoTres", "CuentoCuatro",
                                     "CuentoCinco", "CuentoSeis", "CuentoSiete", "CuentoOcho",
                                     "CuentoNueve", "CuentoDiez", "CuentoOnce", "CuentoDoce"};

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void storyFile_data();
    void storyFile();
    void menuOffersEachPresentSlot_data();
    void menuOffersEachPresentSlot();
    void clickOrDropOnMenuEnablesOpening();
};

void TestStartup::storyFile_data()
{
    QTest::addColumn<int>("size"); // -1: no file, -2: a folder of that name
    QTest::addColumn<QString>("diagnostic"); // empty: accepted
    QTest::addColumn<bool>("boxShown");
    QTest::newRow("8859 bytes") << 8859 << "8859 bytes long; it must be 8860 to 8868 bytes" << false;
    QTest::newRow("8860 bytes") << 8860 << "" << true;
    QTest::newRow("8868 bytes") << 8868 << "" << true;
    QTest::newRow("8869 bytes") << 8869 << "8869 bytes long" << false;
    QTest::newRow("empty") << 0 << "0 bytes long" << false;
    QTest::newRow("missing") << -1 << "cannot read the story file \"vtl.txt\"" << true;
    QTest::newRow("folder") << -2 << "cannot read the story file \"vtl.txt\"" << true;
}

void TestStartup::storyFile()
{
    QFETCH(int, size);
    QFETCH(QString, diagnostic);
    QFETCH(bool, boxShown);
    StoryFolder folder;
    if (size == -2)
        QVERIFY(QDir(folder.path("")).mkdir("vtl.txt"));
    else if (size >= 0)
        folder.write("vtl.txt", StoryFile().story(1, "A", "One").bytes(size_t(size)));
    MessageBoxStub boxes;
    ProgramEndStub end;
    NewsBase window(boxes, end);
    // The menu is filled only after the box is dismissed.
    boxes.onShow = [&](const MessageBoxStub::Shown &) { QVERIFY(window.findChild<QWidget *>("SelectNews")->isHidden()); };
    window.Form_Load();

    QCOMPARE(boxes.shown.size(), size_t(boxShown));
    QCOMPARE(window.findChild<QWidget *>("SelectNews")->isHidden(), !diagnostic.isEmpty());
    if (diagnostic.isEmpty()) {
        QCOMPARE(end.calls, 0);
        QCOMPARE(boxes.shown[0].title, QString("Vantrel 5.75"));
        QVERIFY(!boxes.shown[0].text.contains('\n')); // paragraphs end in CR alone
        return;
    }
    QCOMPARE(end.calls, 1);
    QCOMPARE(end.lastStatus, 1);
    QVERIFY2(end.lastDiagnostic.contains(diagnostic), qPrintable(end.lastDiagnostic));
    // The box says what the error stream says, never the start-up text.
    if (boxShown)
        QCOMPARE(boxes.shown[0].text, end.lastDiagnostic);
}

void TestStartup::menuOffersEachPresentSlot_data()
{
    QTest::addColumn<QByteArray>("line1");
    QTest::addColumn<QByteArray>("line2");
    QTest::addColumn<QString>("caption"); // "unavailable": not enabled
    QTest::newRow("named and titled") << QByteArray("S5") << QByteArray("Fifth story") << "Fifth story";
    QTest::newRow("single space counts") << QByteArray(" ") << QByteArray("Spaced") << "Spaced";
    QTest::newRow("empty title, present") << QByteArray("S5") << QByteArray() << "";
    QTest::newRow("title without name") << QByteArray() << QByteArray("Orphan") << "unavailable";
    QTest::newRow("ampersand is text") << QByteArray("S5") << QByteArray("Salt & pepper") << "Salt && pepper";
    QTest::newRow("Windows-1252 bytes") << QByteArray("S5") << QByteArray("Caf\xe9 \x93news\x94 \x81")
                                        << QString::fromUtf16(u"Caf\u00e9 \u201cnews\u201d \u0081");
}

void TestStartup::menuOffersEachPresentSlot()
{
    QFETCH(QByteArray, line1);
    QFETCH(QByteArray, line2);
    QFETCH(QString, caption);
    LessonWindow lesson(StoryFile().line(97, line1.toStdString()).line(98, line2.toStdString()));
    lesson.start();
    QVERIFY(!lesson.get("SelectNews")->isHidden());
    QVERIFY(!lesson.button("StoryChosen")->isEnabled());
    for (int i = 0; i < 12; ++i) {
        OptionButton *option = lesson.option(kStoryOptions[i]);
        QCOMPARE(option->text(), i == 4 ? caption : QString("unavailable"));
        QCOMPARE(option->isEnabled(), option->text() != "unavailable");
    }
}

void TestStartup::clickOrDropOnMenuEnablesOpening()
{
    LessonWindow lesson(StoryFile().story(1, "A", "One").story(7, "G", "Seven"));
    lesson.start();
    QTest::mouseClick(lesson.option("CuentoSiete"), Qt::LeftButton);
    QVERIFY(lesson.button("StoryChosen")->isEnabled());
    lesson.option("CuentoUno")->click();
    QVERIFY(lesson.option("CuentoUno")->isChecked() && !lesson.option("CuentoSiete")->isChecked());
    // A story that is not there cannot be chosen.
    QTest::mouseClick(lesson.option("CuentoDos"), Qt::LeftButton);
    QVERIFY(!lesson.option("CuentoDos")->isChecked());

    lesson.button("StoryChosen")->setEnabled(false);
    lesson.window->SelectNews_DragDrop();
    QVERIFY(lesson.button("StoryChosen")->isEnabled());
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
