// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lesson_window_fixture.h"

#include <QAbstractButton>

namespace vantrel::test {

inline const char *const kTranscript = "The bridge is open. Cars cross it again! Is it safe?";
inline const std::string kTimings = "WEBVTT\n\n00:00.500 --> 00:02.000\nThe bridge is open.\n\n"
                             "00:02.600 --> 00:04.000\nCars cross it again!\n\n00:04.000 --> 00:06.000\nIs it safe?\n";

// Slot 1, answers A B C, with its sound and, when given, its timing file.
struct TimedLesson : LessonWindow {
    explicit TimedLesson(const std::string &timings = kTimings, const char *transcript = kTranscript)
        : LessonWindow(StoryFile().story(1, "S1", "Bridge").line(3, transcript))
    {
        folder.writeAudio("S1.MP3", 4);
        if (!timings.empty())
            folder.write("S1.vtt", timings);
        start();
        QApplication::setActiveWindow(window.get());
        if (!QTest::qWaitForWindowActive(window.get()))
            qFatal("window not active");
    }
    FakeMediaBackend *fake(const char *name = "AudioPlayer") const
    {
        return static_cast<FakeMediaBackend *>(player(name)->backend());
    }
    // What the player's engine was asked, or nothing before it has one.
    QStringList calls(const char *name) const { return fake(name) ? fake(name)->calls : QStringList(); }
    QString lastCalls(int n) const { return fake()->calls.mid(fake()->calls.size() - n).join(", "); }
    QAbstractButton *control(const char *name) const { return get<QAbstractButton>(name); }
    void toFullScore()
    {
        toQuestions();
        for (const char *name : {"PregUnoA", "PregDosB", "PregTresC"})
            option(name)->click();
        button("CheckWork")->click();
    }
};

} // namespace vantrel::test
