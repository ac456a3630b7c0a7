// Start-up: the size rule, the start-up message and the story menu.
#include "lesson_test_support.h"
#include "newsbase.h"
#include "option_button.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

using namespace vantrel;
using namespace vantrel::test;

namespace {

const QStringList kStoryOptionNames = {
    "CuentoUno", "CuentoDos", "CuentoTres", "CuentoCuatro", "CuentoCinco", "CuentoSeis",
    "CuentoSiete", "CuentoOcho", "CuentoNueve", "CuentoDiez", "CuentoOnce", "CuentoDoce"};

const QStringList kLessonControlNames = {
    "Escuche", "StoryTitle", "Escuchar", "CambioCuento", "Ayuda", "CheckWork", "AudioPlayer",
    "SimplePlayer", "ScriptBox", "PreguntaUno", "PreguntaDos", "PreguntaTres"};

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void designStateHidesMenuAndLesson();
    void designStateFollowsTheLayoutTable();
    void startupMessageUsesCarriageReturnsOnly();
    void menuOffersEachPresentSlot();
    void menuOffersEachPresentSlot_data();
    void sampleLibraryFillsTheWholeMenu();
    void storyTextKeepsEveryByte();
    void clickOrDropOnMenuEnablesOpening();
    void storyFileRejected_data();
    void storyFileRejected();
};

void TestStartup::designStateHidesMenuAndLesson()
{
    MessageBoxStub boxes;
    ProgramEndStub end;
    NewsBase window(boxes, end);
    QCOMPARE(window.windowTitle(), QString("Vantrel: Choose a Story"));
    QVERIFY(window.findChild<QGroupBox *>("SelectNews")->isHidden());
    for (const QString &name : kLessonControlNames) {
        QWidget *control = window.findChild<QWidget *>(name);
        QVERIFY2(control, qPrintable(name));
        QVERIFY2(control->isHidden(), qPrintable(name));
    }
    for (const QString &name : kStoryOptionNames) {
        auto *option = window.findChild<OptionButton *>(name);
        QCOMPARE(option->text(), QString("unavailable"));
        QVERIFY(!option->isEnabled());
    }
    auto *timer = window.findChild<QTimer *>("Atrasado");
    QVERIFY(timer && !timer->isActive());
}

void TestStartup::designStateFollowsTheLayoutTable()
{
    MessageBoxStub boxes;
    ProgramEndStub end;
    NewsBase window(boxes, end);
    // Twips / 15, relative to each control's container.
    QCOMPARE(window.findChild<QWidget *>("SelectNews")->geometry(), QRect(8, 64, 625, 345));
    QCOMPARE(window.findChild<QWidget *>("CuentoSiete")->geometry(), QRect(24, 160, 257, 25));
    QCOMPARE(window.findChild<QWidget *>("CuentoDoce")->geometry(), QRect(344, 240, 257, 25));
    QCOMPARE(window.findChild<QWidget *>("Salida")->geometry(), QRect(328, 280, 153, 49));
    QCOMPARE(window.findChild<QWidget *>("PreguntaTres")->geometry(), QRect(160, 336, 457, 113));
    QCOMPARE(window.findChild<QWidget *>("PregTresC")->geometry(), QRect(16, 72, 457, 25));
    QCOMPARE(window.findChild<QWidget *>("SimplePlayer")->size(), QSize(2, 2));
    QVERIFY(window.width() >= 633 && window.height() >= 449);

    window.ensurePolished(); // fonts and colours come from the window's style sheet
    // Point sizes as pixels at 96 dpi: 9.75, 8.25, 11.25 and 13.5 pt.
    QCOMPARE(window.findChild<QWidget *>("CuentoUno")->font().pixelSize(), 13);
    QCOMPARE(window.findChild<QWidget *>("PregUnoA")->font().pixelSize(), 11);
    QCOMPARE(window.findChild<QWidget *>("Escuchar")->font().pixelSize(), 15);
    QCOMPARE(window.findChild<QWidget *>("StoryChosen")->font().pixelSize(), 18);
    QVERIFY(window.findChild<QWidget *>("Escuchar")->font().bold());
    QCOMPARE(window.findChild<QPushButton *>("Salida")->text(), QString("E&xit"));
    QCOMPARE(window.findChild<QGroupBox *>("SelectNews")->title(), QString("Choose a news story:"));
    QVERIFY(!window.windowIcon().isNull());
}

void TestStartup::startupMessageUsesCarriageReturnsOnly()
{
    StoryFolder folder;
    folder.write("vtl.txt", StoryFile().story(1, "A", "First").bytes());
    MessageBoxStub boxes;
    ProgramEndStub end;
    NewsBase window(boxes, end);
    // The menu is filled only after the box is dismissed.
    boxes.onShow = [&](const MessageBoxStub::Shown &) {
        QVERIFY(window.findChild<QWidget *>("SelectNews")->isHidden());
    };
    window.Form_Load();

    QCOMPARE(boxes.shown.size(), size_t(1));
    QCOMPARE(boxes.shown[0].title, QString("Vantrel 5.75"));
    const QString text = boxes.shown[0].text;
    QVERIFY(!text.contains('\n'));
    const QStringList paragraphs = text.split("\r\r");
    QCOMPARE(paragraphs.size(), 3);
    QCOMPARE(paragraphs[0], QString("Vantrel software helps people improve their ability to understand news broadcasts on the radio."));
    QVERIFY(!paragraphs[1].contains('\r'));
    QVERIFY(paragraphs[2].startsWith("Download the free software here: https://"));
    QVERIFY(paragraphs[2].contains("example.org"));
    QCOMPARE(end.calls, 0);
}

void TestStartup::menuOffersEachPresentSlot_data()
{
    QTest::addColumn<QByteArray>("line1");
    QTest::addColumn<QByteArray>("line2");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("caption");

    QTest::newRow("named and titled") << QByteArray("S5") << QByteArray("Fifth story") << true << "Fifth story";
    QTest::newRow("single space counts") << QByteArray(" ") << QByteArray("Spaced") << true << "Spaced";
    QTest::newRow("empty title, present") << QByteArray("S5") << QByteArray() << true << "";
    QTest::newRow("title without name") << QByteArray() << QByteArray("Orphan") << false << "unavailable";
    QTest::newRow("comma and quotes kept") << QByteArray("S5") << QByteArray("Mayor says \"Yes, at last\"")
                                           << true << "Mayor says \"Yes, at last\"";
    QTest::newRow("ampersand is text") << QByteArray("S5") << QByteArray("Salt & pepper") << true << "Salt && pepper";
}

void TestStartup::menuOffersEachPresentSlot()
{
    QFETCH(QByteArray, line1);
    QFETCH(QByteArray, line2);
    QFETCH(bool, enabled);
    QFETCH(QString, caption);

    StoryFolder folder;
    folder.write("vtl.txt", StoryFile().line(97, line1.toStdString()).line(98, line2.toStdString()).bytes());
    MessageBoxStub boxes;
    ProgramEndStub end;
    NewsBase window(boxes, end);
    window.Form_Load();

    QVERIFY(!window.findChild<QWidget *>("SelectNews")->isHidden());
    QVERIFY(!window.findChild<QPushButton *>("StoryChosen")->isEnabled());
    for (int i = 0; i < kStoryOptionNames.size(); ++i) {
        auto *option = window.findChild<OptionButton *>(kStoryOptionNames[i]);
        const bool isFifth = i == 4;
        QCOMPARE(option->isEnabled(), isFifth && enabled);
        QCOMPARE(option->text(), isFifth ? caption : QString("unavailable"));
        QVERIFY(!option->isChecked());
    }
}

void TestStartup::sampleLibraryFillsTheWholeMenu()
{
    const QString sample = QStringLiteral(VANTREL_SAMPLE_STORIES);
    const QString previous = QDir::currentPath();
    QDir::setCurrent(sample);
    MessageBoxStub boxes;
    ProgramEndStub end;
    NewsBase window(boxes, end);
    window.Form_Load();
    QDir::setCurrent(previous);

    QCOMPARE(end.calls, 0);
    for (const QString &name : kStoryOptionNames) {
        auto *option = window.findChild<OptionButton *>(name);
        QVERIFY2(option->isEnabled(), qPrintable(name));
        QVERIFY(option->text() != QString("unavailable") && !option->text().isEmpty());
    }
    // At least one title shows commas and quotation marks unchanged.
    bool quoted = false;
    for (const QString &name : kStoryOptionNames) {
        const QString text = window.findChild<OptionButton *>(name)->text();
        quoted = quoted || (text.contains(',') && text.contains('"'));
    }
    QVERIFY(quoted);
}

void TestStartup::storyTextKeepsEveryByte()
{
    // Windows-1252 bytes, including one the code page leaves undefined.
    StoryFolder folder;
    folder.write("vtl.txt", StoryFile().line(1, "A").line(2, "Caf\xe9 \x93news\x94 \x81").bytes());
    MessageBoxStub boxes;
    ProgramEndStub end;
    NewsBase window(boxes, end);
    window.Form_Load();
    QCOMPARE(window.findChild<OptionButton *>("CuentoUno")->text(),
             QString::fromUtf16(u"Caf\u00e9 \u201cnews\u201d \u0081"));
}

void TestStartup::clickOrDropOnMenuEnablesOpening()
{
    StoryFolder folder;
    folder.write("vtl.txt", StoryFile().story(1, "A", "One").story(7, "G", "Seven").bytes());
    MessageBoxStub boxes;
    ProgramEndStub end;
    NewsBase window(boxes, end);
    window.Form_Load();
    window.show();
    auto *chosen = window.findChild<QPushButton *>("StoryChosen");
    auto *one = window.findChild<OptionButton *>("CuentoUno");
    auto *seven = window.findChild<OptionButton *>("CuentoSiete");
    QVERIFY(!chosen->isEnabled());

    QTest::mouseClick(seven, Qt::LeftButton);
    QVERIFY(chosen->isEnabled());
    QVERIFY(seven->isChecked());
    one->click();
    QVERIFY(one->isChecked() && !seven->isChecked());
    // A disabled story cannot be chosen.
    auto *two = window.findChild<OptionButton *>("CuentoDos");
    QTest::mouseClick(two, Qt::LeftButton);
    QVERIFY(!two->isChecked());

    window.SelectNews_DragDrop();
    QVERIFY(chosen->isEnabled());
}

void TestStartup::storyFileRejected_data()
{
    QTest::addColumn<int>("size");        // -1: no file, -2: a folder of that name
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("boxShown");
    QTest::addColumn<QString>("diagnostic");

    QTest::newRow("8859 bytes") << 8859 << false << false << "8859 bytes long; it must be 8860 to 8868 bytes";
    QTest::newRow("8860 bytes") << 8860 << true << true << "";
    QTest::newRow("8868 bytes") << 8868 << true << true << "";
    QTest::newRow("8869 bytes") << 8869 << false << false << "8869 bytes long";
    QTest::newRow("empty") << 0 << false << false << "0 bytes long";
    QTest::newRow("missing") << -1 << false << true << "cannot read the story file \"vtl.txt\"";
    QTest::newRow("folder") << -2 << false << true << "cannot read the story file \"vtl.txt\"";
}

void TestStartup::storyFileRejected()
{
    QFETCH(int, size);
    QFETCH(bool, accepted);
    QFETCH(bool, boxShown);
    QFETCH(QString, diagnostic);

    StoryFolder folder;
    if (size == -2)
        QVERIFY(QDir(folder.path("")).mkdir("vtl.txt"));
    else if (size >= 0)
        folder.write("vtl.txt", StoryFile().story(1, "A", "One").bytes(static_cast<size_t>(size)));
    MessageBoxStub boxes;
    ProgramEndStub end;
    NewsBase window(boxes, end);
    window.Form_Load();

    QCOMPARE(end.calls, accepted ? 0 : 1);
    QCOMPARE(window.findChild<QWidget *>("SelectNews")->isHidden(), !accepted);
    QCOMPARE(boxes.shown.empty(), !boxShown);
    if (accepted)
        return;
    QCOMPARE(end.lastStatus, 1);
    QVERIFY2(end.lastDiagnostic.contains(diagnostic), qPrintable(end.lastDiagnostic));
    if (boxShown) {
        // The box says what the error stream says, never the start-up text.
        QCOMPARE(boxes.shown.size(), size_t(1));
        QCOMPARE(boxes.shown[0].title, QString("Vantrel"));
        QCOMPARE(boxes.shown[0].text, end.lastDiagnostic);
    }
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
