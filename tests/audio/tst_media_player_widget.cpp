// SPDX-License-Identifier: GPL-3.0-or-later
#include "fake_media_backend.h"
#include "media_player_widget.h"
#include "player_controls.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QSlider>
#include <QTest>

#include <utility>

using namespace vantrel;

namespace {

// A form with a button on each side of a player; keys that nobody handles
// end up here.
class Window : public QWidget
{
public:
    explicit Window(QSize playerSize, bool autoStart = true)
    {
        // Made out of Tab order and then ordered, as a Designer form does.
        player->setGeometry(QRect(QPoint(10, 10), playerSize));
        player->setAccessibleName("Player");
        player->setAutoStart(autoStart);
        player->setShowControls(true);
        player->setBackendFactory([this] {
            auto backend = std::make_unique<FakeMediaBackend>();
            fake = backend.get();
            ++backendsMade;
            return backend;
        });
        after->setAccessibleName("After");
        // Styled, as the lesson's window is; a style sheet also stops a font flowing down.
        setStyleSheet("QPushButton { font: bold 15px; }");
        QWidget::setTabOrder(before, player);
        QWidget::setTabOrder(player, after);
        resize(300, 200);
    }

    bool showFocused()
    {
        show();
        activateWindow();
        before->setFocus(Qt::TabFocusReason);
        return QTest::qWaitForWindowActive(this) && QApplication::focusWidget() == before;
    }

    QPushButton *after = new QPushButton("After", this);
    MediaPlayerWidget *player = new MediaPlayerWidget(this);
    QPushButton *before = new QPushButton("Before", this);
    FakeMediaBackend *fake = nullptr;
    int backendsMade = 0;
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent *event) override { keys << event->key(); }
};

} // namespace

class MediaPlayerWidgetTest : public QObject
{
    Q_OBJECT

private slots:
    void autoStartPlaysFromBeginningEveryTime()
    {
        Window window(QSize(2, 2));
        window.player->stop();
        QCOMPARE(window.backendsMade, 0);

        window.player->setFileName("story.MP3");
        QCOMPARE(window.fake->state(), MediaBackend::State::Playing);
        window.fake->moveTo(2500);
        window.player->setFileName("story.MP3");
        QCOMPARE(window.fake->state(), MediaBackend::State::Playing);
        QCOMPARE(window.fake->position(), 0);
        window.fake->finish();
        window.player->setFileName("story.MP3");
        QCOMPARE(window.fake->state(), MediaBackend::State::Playing);
        QCOMPARE(window.fake->calls.count("play"), 3);
        QCOMPARE(window.backendsMade, 1);

        window.player->stop();
        QCOMPARE(window.fake->state(), MediaBackend::State::Stopped);
    }

    void withoutAutoStartOnlyLoads()
    {
        Window window(QSize(145, 72), false);
        window.player->setFileName("story.MP3");
        QCOMPARE(window.fake->source.fileName(), "story.MP3");
        QCOMPARE(window.fake->state(), MediaBackend::State::Stopped);

        // Loading ahead plays nothing and names no file, even with AutoStart on.
        Window autoStarting(QSize(2, 2), true);
        autoStarting.player->preload("story.MP3");
        QCOMPARE(autoStarting.fake->source.fileName(), "story.MP3");
        QVERIFY(!autoStarting.fake->calls.contains("play"));
        QVERIFY(autoStarting.player->fileName().isEmpty());
        autoStarting.player->setFileName("story.MP3");
        QCOMPARE(autoStarting.fake->calls.last(), "play");
    }

    void forwardsControlRequests_data()
    {
        QTest::addColumn<bool>("playing");
        QTest::addColumn<qint64>("position");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("call");

        QTest::newRow("play") << false << qint64(0) << "playButton" << "play";
        QTest::newRow("pause") << true << qint64(0) << "playButton" << "pause";
        QTest::newRow("stop") << true << qint64(9000) << "stopButton" << "stop";
        QTest::newRow("back 5 s") << true << qint64(12000) << "backButton" << "seek 7000";
        QTest::newRow("back 5 s stops at 0") << true << qint64(3000) << "backButton" << "seek 0";
        QTest::newRow("position") << true << qint64(10000) << "positionSlider" << "seek 15000";
        QTest::newRow("volume") << true << qint64(0) << "volumeSlider" << "volume 0";
        QTest::newRow("slower") << true << qint64(0) << "speedChoice" << "rate 0.75";
    }

    void forwardsControlRequests()
    {
        QFETCH(bool, playing);
        QFETCH(qint64, position);
        QFETCH(QString, control);
        QFETCH(QString, call);
        Window window(QSize(145, 72), false);
        window.show();
        window.player->setFileName("story.MP3");
        window.fake->loadDuration(30000);
        if (playing)
            window.fake->play();
        window.fake->moveTo(position);

        if (auto *button = window.findChild<QAbstractButton *>(control)) {
            QTest::mouseClick(button, Qt::LeftButton);
        } else if (auto *choice = window.findChild<QComboBox *>(control)) {
            choice->setFocus();
            QTest::keyClick(choice, Qt::Key_Up);
        } else {
            auto *slider = window.findChild<QSlider *>(control);
            slider->triggerAction(control == "volumeSlider" ? QSlider::SliderToMinimum
                                                            : QSlider::SliderPageStepAdd);
        }

        QCOMPARE(window.fake->calls.last(), call);
    }

    void controlsShowBackendState()
    {
        Window window(QSize(145, 72), false);
        window.show();
        window.player->setFileName("story.MP3");
        auto *play = window.findChild<QAbstractButton *>("playButton");

        window.fake->loadDuration(605000);
        window.fake->play();
        window.fake->moveTo(65400);
        QCOMPARE(window.findChild<QLabel *>("timeLabel")->text(), "1:05 / 10:05");
        QCOMPARE(play->accessibleName(), "Pause");
        // Showing where playing is must not be echoed back as a seek.
        QVERIFY(window.fake->calls.filter("seek").isEmpty());

        window.fake->finish();
        QCOMPARE(play->accessibleName(), "Play");
    }

    // The place is fixed, the desktop's fonts are not: a theme may set the
    // application's font or one for a class of widget, as the GTK theme does.
    void everyControlFitsWhateverTheFont_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<QByteArray>("widgetClass");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("timed");
        QTest::addColumn<int>("shown");

        const QSize place(145, 72);
        QTest::newRow("wide") << "Liberation Mono" << 15 << QByteArray() << place << false << 7;
        QTest::newRow("large") << "DejaVu Sans" << 24 << QByteArray() << place << false << 7;
        QTest::newRow("theme's list font") << "DejaVu Sans" << 20 << QByteArray("QComboBox") << place << false << 7;
        QTest::newRow("theme's label font") << "DejaVu Sans" << 20 << QByteArray("QLabel") << place << false << 7;
        QTest::newRow("too narrow: one at a time") << "DejaVu Sans" << 12 << QByteArray() << QSize(60, 72) << false << 3;
        QTest::newRow("timed, wide") << "Liberation Mono" << 15 << QByteArray() << place << true << 11;
        QTest::newRow("timed, large") << "DejaVu Sans" << 24 << QByteArray() << place << true << 11;
        QTest::newRow("timed, theme's list font") << "DejaVu Sans" << 20 << QByteArray("QComboBox") << place << true << 11;
    }

    void everyControlFitsWhateverTheFont()
    {
        QFETCH(QString, family);
        QFETCH(int, pixels);
        QFETCH(QByteArray, widgetClass);
        QFETCH(QSize, size);
        QFETCH(bool, timed);
        QFETCH(int, shown);
        const QFont desktop = QApplication::font();
        QFont font(family);
        font.setPixelSize(pixels);
        QApplication::setFont(font, widgetClass.isEmpty() ? nullptr : widgetClass.constData());
        const auto restore = qScopeGuard([&] { QApplication::setFont(desktop, widgetClass.isEmpty() ? nullptr : widgetClass.constData()); });
        Window window(size, false);
        if (timed)
            window.player->setSentences({{500, 2000}, {2600, 4000}});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QList<QWidget *> visible;
        for (QWidget *control : window.player->findChild<PlayerControls *>()->findChildren<QWidget *>(
                 Qt::FindDirectChildrenOnly)) {
            if (!control->isVisible())
                continue;
            // Whole: a button's icon, or all of a caption's text.
            const auto *button = qobject_cast<QAbstractButton *>(control);
            const QSize whole = button ? button->iconSize() : control->minimumSizeHint();
            const QRect place = control->geometry();
            QVERIFY2(QRect(QPoint(), size).contains(place) && place.width() >= whole.width()
                             && place.height() >= whole.height(), qPrintable(control->objectName()));
            for (const QWidget *other : std::as_const(visible))
                QVERIFY2(!other->geometry().intersects(place), qPrintable(control->objectName() + " overlaps " + other->objectName()));
            visible << control;
        }
        QCOMPARE(visible.size(), shown);
        QVERIFY(window.findChild<QWidget *>("playButton")->isVisible());
    }

    // Each step plays one sentence from its start and pauses at its end; the
    // current sentence is the one heard, or heard last, or stepped to.
    void sentenceStepsPlayOneSentence_data()
    {
        QTest::addColumn<qint64>("position");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("sentence");

        QTest::newRow("repeat, while heard") << qint64(3000) << "repeatSentenceButton" << 1;
        QTest::newRow("next") << qint64(3000) << "nextSentenceButton" << 2;
        QTest::newRow("previous") << qint64(3000) << "previousSentenceButton" << 0;
        QTest::newRow("previous, before any sound: the first") << qint64(0) << "previousSentenceButton" << 0;
        QTest::newRow("next, at the last: the last") << qint64(5000) << "nextSentenceButton" << 2;
        QTest::newRow("next, in a pause: after the one heard last") << qint64(2300) << "nextSentenceButton" << 1;
        QTest::newRow("repeat, where two touch: the later") << qint64(4000) << "repeatSentenceButton" << 2;
    }

    void sentenceStepsPlayOneSentence()
    {
        QFETCH(qint64, position);
        QFETCH(QString, control);
        QFETCH(int, sentence);
        const QList<QPair<qint64, qint64>> times{{500, 2000}, {2600, 4000}, {4000, 6000}};
        Window window(QSize(145, 72), false);
        window.player->setSentences({{500, 2000}, {2600, 4000}, {4000, 6000}});
        window.show();
        window.player->setFileName("story.MP3");
        window.fake->loadDuration(7000);
        window.fake->moveTo(position);

        QTest::mouseClick(window.findChild<QAbstractButton *>(control), Qt::LeftButton);
        QCOMPARE(window.fake->calls.mid(window.fake->calls.size() - 2),
                 QStringList({QStringLiteral("seek %1").arg(times[sentence].first), "play"}));
        window.fake->moveTo(times[sentence].second - 1);
        QTest::qWait(30);
        QCOMPARE(window.fake->state(), MediaBackend::State::Playing);
        // The sound runs a little past the end before the player sees it.
        window.fake->moveTo(times[sentence].second + 15);
        QTRY_COMPARE(window.fake->state(), MediaBackend::State::Paused);
        QCOMPARE(window.player->currentSentence(), sentence);

        // Paused after it, it is still the current one, though the next has begun.
        QTest::mouseClick(window.findChild<QAbstractButton *>("repeatSentenceButton"), Qt::LeftButton);
        QCOMPARE(window.fake->calls.mid(window.fake->calls.size() - 2),
                 QStringList({QStringLiteral("seek %1").arg(times[sentence].first), "play"}));
    }

    void pauseAfterEachSentence()
    {
        Window window(QSize(145, 72), false);
        window.player->setSentences({{500, 2000}, {2600, 4000}, {4000, 6000}});
        window.show();
        window.player->setFileName("story.MP3");
        window.fake->loadDuration(7000);
        QTest::mouseClick(window.findChild<QAbstractButton *>("pauseAfterEachButton"), Qt::LeftButton);
        auto *play = window.findChild<QAbstractButton *>("playButton");

        for (const qint64 end : {2000, 4000, 6000}) {
            QTest::mouseClick(play, Qt::LeftButton);
            QCOMPARE(window.fake->state(), MediaBackend::State::Playing);
            window.fake->moveTo(end + 10);
            QTRY_COMPARE(window.fake->state(), MediaBackend::State::Paused);
        }
        // Play carries on from where it paused: no seek on the way.
        QVERIFY(window.fake->calls.filter("seek").isEmpty());
    }

    // A real engine reports the old position for a while after a seek: a
    // step from past its sentence's end must not pause at once, and after
    // a stop the player stands at the start.
    void stepsTrustWhereTheyPutThePlayer()
    {
        Window window(QSize(145, 72), false);
        window.player->setSentences({{500, 2000}, {2600, 4000}, {4000, 6000}});
        window.show();
        window.player->setFileName("story.MP3");
        window.fake->loadDuration(7000);
        window.fake->slowSeeks = true;
        window.fake->moveTo(6100);

        QTest::mouseClick(window.findChild<QAbstractButton *>("previousSentenceButton"), Qt::LeftButton);
        QCOMPARE(window.fake->calls.last(), "play");
        QTest::qWait(40);
        QCOMPARE(window.fake->state(), MediaBackend::State::Playing);
        window.fake->settle();
        QTest::qWait(20);
        window.fake->moveTo(4010);
        QTRY_COMPARE(window.fake->state(), MediaBackend::State::Paused);

        QTest::mouseClick(window.findChild<QAbstractButton *>("stopButton"), Qt::LeftButton);
        QCOMPARE(window.player->currentSentence(), 0);
        QTest::mouseClick(window.findChild<QAbstractButton *>("pauseAfterEachButton"), Qt::LeftButton);
        QTest::mouseClick(window.findChild<QAbstractButton *>("playButton"), Qt::LeftButton);
        QTest::qWait(40);
        window.fake->settle();
        QTest::qWait(20);
        window.fake->moveTo(2010);
        QTRY_COMPARE(window.fake->state(), MediaBackend::State::Paused);
    }

    void tabVisitsWhatIsShown_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("showControls");
        QTest::addColumn<QStringList>("visited");

        const QStringList controls{"Play", "Stop", "Back 5 seconds", "Speed", "Volume", "Position", "After"};
        QTest::newRow("simple player") << QSize(2, 2) << true << QStringList{"Player", "After"};
        QTest::newRow("audio player") << QSize(145, 72) << true << controls;
        QTest::newRow("controls off") << QSize(145, 72) << false << QStringList{"Player", "After"};
    }

    void tabVisitsWhatIsShown()
    {
        QFETCH(QSize, size);
        QFETCH(bool, showControls);
        QFETCH(QStringList, visited);
        Window window(size);
        window.player->setShowControls(showControls);
        QVERIFY(window.showFocused());
        // Hidden controls are out of reach of the mouse as well.
        QCOMPARE(window.player->findChild<PlayerControls *>()->isVisible(), visited.size() > 2);

        QStringList names;
        for (int i = 0; i < 10 && names.value(names.size() - 1) != "After"; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *focused = QApplication::focusWidget();
            if (focused->parentWidget() != &window)
                QCOMPARE(focused->toolTip(), focused->accessibleName());
            names << focused->accessibleName();
        }

        QCOMPARE(names, visited);
    }

    void escapeAndEnterReachWindow_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("focused");
        QTest::addColumn<int>("key");

        const std::pair<Qt::Key, const char *> keys[] = {
                {Qt::Key_Escape, "Esc"}, {Qt::Key_Return, "Return"}, {Qt::Key_Enter, "Enter"}};
        for (const auto &[key, name] : keys) {
            QTest::addRow("simple player %s", name) << QSize(2, 2) << "" << int(key);
            QTest::addRow("play button %s", name) << QSize(145, 72) << "playButton" << int(key);
            QTest::addRow("position %s", name) << QSize(145, 72) << "positionSlider" << int(key);
        }
    }

    void escapeAndEnterReachWindow()
    {
        QFETCH(QSize, size);
        QFETCH(QString, focused);
        QFETCH(int, key);
        Window window(size);
        QVERIFY(window.showFocused());
        QWidget *target = focused.isEmpty() ? window.player : window.findChild<QWidget *>(focused);
        target->setFocus(Qt::TabFocusReason);
        QCOMPARE(QApplication::focusWidget(), target);

        QTest::keyClick(target, Qt::Key(key));

        QCOMPARE(window.keys, QList<int>{key});
        if (size == QSize(2, 2))
            QCOMPARE(window.backendsMade, 0);
    }
};

QTEST_MAIN(MediaPlayerWidgetTest)
#include "tst_media_player_widget.moc"
