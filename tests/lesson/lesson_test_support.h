// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "message_box.h"
#include "program_end.h"
#include "../support/story_folder.h"

#include <QString>
#include <QTest>

#include <functional>
#include <string>
#include <vector>

namespace vantrel::test {

// Records every box instead of showing it; onShow lets a test act while a
// box would be open (the real box runs its own event loop).
class MessageBoxStub : public MessageBoxInterface {
public:
    struct Shown {
        QString title;
        QString text;
    };
    void show(QWidget *, const QString &title, const QString &text) override
    {
        shown.push_back({title, text});
        if (onShow)
            onShow(shown.back());
    }
    QStringList titles() const
    {
        QStringList result;
        for (const Shown &box : shown)
            result << box.title;
        return result;
    }
    std::vector<Shown> shown;
    std::function<void(const Shown &)> onShow;
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

} // namespace vantrel::test
