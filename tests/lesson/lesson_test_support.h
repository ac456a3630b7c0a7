#pragma once

#include "message_box.h"
#include "program_end.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <map>
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

// Builds a story file whose lines are given by number; the rest are empty.
// CR LF endings, padded after line 288 into the accepted size window.
class StoryFile {
public:
    StoryFile &line(int n, std::string text)
    {
        m_lines[n] = std::move(text);
        return *this;
    }
    // A complete story in slot s: name, title, transcript, questions whose
    // correct answers are the letters in `correct` (e.g. "ABC").
    StoryFile &story(int slot, const std::string &name, const std::string &title, const std::string &correct = "ABC")
    {
        const int base = 24 * (slot - 1);
        line(base + 1, name);
        line(base + 2, title);
        line(base + 3, "Transcript of " + title);
        int k = 4;
        for (int q = 0; q < 3; ++q) {
            line(base + k++, "Question " + std::to_string(q + 1));
            for (char letter : std::string("ABC")) {
                line(base + k++, std::string("Answer ") + letter);
                line(base + k++, letter == correct[q] ? "*" : "");
            }
        }
        return *this;
    }
    std::string bytes(std::size_t size = 8864) const
    {
        std::string out;
        for (int n = 1; n <= 288; ++n) {
            auto it = m_lines.find(n);
            out += (it == m_lines.end() ? std::string() : it->second) + "\r\n";
        }
        if (out.size() + 2 <= size)
            out += std::string(size - out.size() - 2, '=') + "\r\n";
        out.resize(size, '=');
        return out;
    }

private:
    std::map<int, std::string> m_lines;
};

inline void writeFile(const QString &path, const std::string &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes.data(), static_cast<qint64>(bytes.size())), static_cast<qint64>(bytes.size()));
}

// A temporary story folder that is the working folder while it lives.
class StoryFolder {
public:
    StoryFolder() : m_previous(QDir::currentPath()) { QDir::setCurrent(m_dir.path()); }
    ~StoryFolder() { QDir::setCurrent(m_previous); }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    void write(const QString &name, const std::string &bytes) const { writeFile(path(name), bytes); }
    void writeAudio(const QString &name, qint64 bytes) const { writeFile(path(name), std::string(static_cast<size_t>(bytes), '\xff')); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

} // namespace vantrel::test
