// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Story files and story folders for every suite: plain C++, so GoogleTest and
// Qt Test suites share them.

#include "mp3_frames.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace vantrel::test {

// A story file whose lines 1 to 288 are given by number (the rest empty),
// padded after line 288 into the accepted size window.
class StoryFile {
public:
    std::string ending = "\r\n";

    StoryFile &line(int n, std::string text)
    {
        m_lines[n] = std::move(text);
        return *this;
    }
    std::string &at(int n) { return m_lines[n]; }

    // A complete story in slot s: name, title, transcript, three questions
    // whose correct answers are the letters in `correct` (e.g. "ABC").
    StoryFile &story(int slot, const std::string &name, const std::string &title, const std::string &correct = "ABC")
    {
        const int base = 24 * (slot - 1);
        line(base + 1, name).line(base + 2, title).line(base + 3, "Transcript of " + title);
        int k = 4;
        for (int q = 0; q < 3; ++q) {
            line(base + k++, "Question " + std::to_string(q + 1));
            for (const char letter : std::string("ABC")) {
                line(base + k++, std::string("Answer ") + letter);
                line(base + k++, letter == correct[q] ? "*" : "");
            }
        }
        return *this;
    }

    // Lines 1 to 288 with their endings.
    std::string storyPart() const
    {
        std::string out;
        for (int n = 1; n <= 288; ++n) {
            const auto it = m_lines.find(n);
            out += (it == m_lines.end() ? std::string() : it->second) + ending;
        }
        return out;
    }

    // Exactly `size` bytes: filler lines after line 288, or the stories cut.
    std::string bytes(std::size_t size = 8864) const
    {
        std::string out = storyPart();
        if (out.size() + ending.size() <= size)
            out += std::string(size - out.size() - ending.size(), '=') + ending;
        out.resize(size, '=');
        return out;
    }

private:
    std::map<int, std::string> m_lines;
};

// A fresh folder that is the working folder while it lives; removed after.
class StoryDir {
public:
    StoryDir() : m_previous(std::filesystem::current_path())
    {
        std::string name = (std::filesystem::temp_directory_path() / "vantrel-test-XXXXXX").string();
        if (!::mkdtemp(name.data()))
            std::abort();
        m_dir = name;
        std::filesystem::current_path(m_dir);
    }
    ~StoryDir()
    {
        std::error_code ec;
        std::filesystem::current_path(m_previous, ec);
        std::filesystem::remove_all(m_dir, ec);
    }
    StoryDir(const StoryDir &) = delete;
    StoryDir &operator=(const StoryDir &) = delete;

    const std::filesystem::path &dir() const { return m_dir; }
    std::filesystem::path write(const std::filesystem::path &name, const std::string &bytes) const
    {
        const std::filesystem::path path = m_dir / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

private:
    std::filesystem::path m_previous;
    std::filesystem::path m_dir;
};

inline std::string readFile(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Every file below `folder` with its bytes, to prove what a run left alone.
inline std::map<std::string, std::string> snapshot(const std::filesystem::path &folder)
{
    std::map<std::string, std::string> files;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(folder))
        files[std::filesystem::relative(entry.path(), folder).string()]
            = entry.is_regular_file() ? readFile(entry.path()) : "";
    return files;
}

} // namespace vantrel::test
