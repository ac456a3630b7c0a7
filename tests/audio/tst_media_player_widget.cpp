// SPDX-License-Identifier: GPL-3.0-or-later
// The player: loading and playing, its controls and what they show, its
// room on any desktop, and how Tab and the keys pass through it.
#include "player_controls.h"
#include "player_window.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QScopeGuard>
#include <QSlider>

#include <utility>

using namespace vantrel;
using namespace vantrel::test;

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
