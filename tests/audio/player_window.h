// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fake_media_backend.h"
#include "media_player_widget.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>

namespace vantrel::test {

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

} // namespace vantrel::test
