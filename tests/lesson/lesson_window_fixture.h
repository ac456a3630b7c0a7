// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fake_media_backend.h"
#include "media_player_widget.h"
#include "message_box.h"
#include "newsbase.h"
#include "option_button.h"
#include "program_end.h"
#include "../support/story_folder.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

namespace vantrel::test {

// Records every box instead of showing it; onShow lets a test act while a
// box would be open (the real box runs its own event loop).
class MessageBoxStub : public MessageBoxInterface {
public:
    void show(QWidget *, const QString &title, const QString &text) override
    {
        titles << title;
        texts << text;
        if (onShow)
            onShow();
    }
    QStringList titles, texts;
    std::function<void()> onShow;
};

class ProgramEndStub : public ProgramEndInterface {
public:
    void end(int status, const QString &diagnostic) override
    {
        ++calls;
        lastStatus = status;
        lastDiagnostic = diagnostic;
    }
    int calls = 0;
    int lastStatus = -1;
    QString lastDiagnostic;
};

// The shared story folder, named the Qt way.
class StoryFolder : public StoryDir {
public:
    QString path(const QString &name) const { return QString::fromStdString((dir() / name.toStdString()).string()); }
    void write(const QString &name, const std::string &bytes) const { StoryDir::write(name.toStdString(), bytes); }
    void writeAudio(const QString &name, qint64 bytes) const { write(name, std::string(size_t(bytes), '\xff')); }
};


// A lesson window on a story folder of its own, with fake media engines so
// that nothing needs sound (or, asked for, the real ones); the players
// themselves are the real widgets.
struct LessonWindow {
    enum class Sound { Fake, Real };
    explicit LessonWindow(const StoryFile &stories, Sound sound = Sound::Fake)
    {
        folder.write("vtl.txt", stories.bytes());
        MediaPlayerWidget::BackendFactory fake = [] { return std::make_unique<FakeMediaBackend>(); };
        window = std::make_unique<NewsBase>(boxes, end, sound == Sound::Fake ? fake : nullptr);
    }

    void start()
    {
        window->Form_Load();
        window->show();
        boxes.titles.clear();
        boxes.texts.clear();
    }

    template<typename T = QWidget>
    T *get(const char *name) const
    {
        T *control = window->findChild<T *>(QString::fromLatin1(name));
        if (!control)
            qFatal("no control %s", name);
        return control;
    }
    OptionButton *option(const char *name) const { return get<OptionButton>(name); }
    QPushButton *button(const char *name) const { return get<QPushButton>(name); }
    MediaPlayerWidget *player(const char *name) const { return get<MediaPlayerWidget>(name); }
    QTimer *timer() const { return get<QTimer>("Atrasado"); }
    QString prompt() const { return get<QLabel>("Escuche")->text(); }
    bool playing(const char *name) const
    {
        MediaBackend *backend = player(name)->backend();
        return backend && backend->state() == MediaBackend::State::Playing;
    }

    void open(const char *storyOption)
    {
        option(storyOption)->click();
        button("StoryChosen")->click();
    }

    // Starts a hearing and waits for the timer to end it.
    void hearOnce()
    {
        const int before = window->heardCount();
        button("Escuchar")->click();
        QTRY_COMPARE(window->heardCount(), before + 1);
    }

    // Opens slot 1 (whose sound must exist) and hears it three times.
    void toQuestions()
    {
        open("CuentoUno");
        for (int i = 0; i < 3; ++i)
            hearOnce();
    }

    StoryFolder folder;
    MessageBoxStub boxes;
    ProgramEndStub end;
    std::unique_ptr<NewsBase> window;
};

// Slot 1 answers A, B, C and has a sound; slot 2 has a title but no sound
// name; slot 7's lines hold their own numbers, so a read of the wrong line shows.
inline StoryFile lessonStories()
{
    StoryFile stories;
    stories.story(1, "S1", "First story").line(26, "Title only");
    for (int n = 145; n <= 168; ++n)
        stories.line(n, "L" + std::to_string(n));
    return stories.line(145, "S7");
}

// Shown and active, so that focus and keys behave as on a desktop.
struct Lesson : LessonWindow {
    explicit Lesson(const StoryFile &stories = lessonStories()) : LessonWindow(stories)
    {
        folder.writeAudio("S1.MP3", 4);
        start();
        QApplication::setActiveWindow(window.get());
        if (!QTest::qWaitForWindowActive(window.get()))
            qFatal("window not active");
    }
    void press(const char *control, Qt::Key key)
    {
        QWidget *target = get(control);
        target->setFocus(Qt::TabFocusReason);
        QTest::keyClick(target, key);
    }
    bool onMenu() const { return !get("SelectNews")->isHidden(); }
    int closingBoxes() const { return int(boxes.titles.count("Vantrel")); }
};

} // namespace vantrel::test
