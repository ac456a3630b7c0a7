// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Story folders on disk, recordings made with GStreamer, and vantrel-make run
// as the teacher runs it.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace maker_test {

namespace fs = std::filesystem;

// A story every case starts from; typographic quotes and dashes are fine.
inline std::string validStory(const std::string &title, const std::string &audio)
{
    return "# a comment\n"
           "title: " + title + "\n"
           "audio: " + audio + "\n"
           "transcript:\n"
           "Heavy rain has slowed the harvest \xE2\x80\x94 the \xE2\x80\x9C" "pickers\xE2\x80\x9D can\xE2\x80\x99t work.\n"
           "Farmers are waiting.\n"
           "\n"
           "question: What fruit?\n- Pears\n* Apples\n- Grapes\n"
           "question: How many days?\n- Twelve\n- Twenty\n* Twenty-two\n"
           "question: What do they hope for?\n* Sun\n- Pickers\n- Prices\n";
}

struct MakeRun {
    int status = -1;
    std::string out;
    std::string err;
};

// vantrel-make with these arguments, in `folder`.
MakeRun runMake(const fs::path &folder, const std::vector<std::string> &args);

// `seconds` of a tone as a recording, in the format of `encoder` (a
// GStreamer pipeline fragment such as "wavenc").
void makeRecording(const fs::path &file, const std::string &encoder, double seconds);

// How long an audio file plays, in ms, decoded by GStreamer.
double decodedMs(const fs::path &file);

inline std::string readBytes(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void writeBytes(const fs::path &file, const std::string &bytes)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

// Every file below `folder` with its bytes.
inline std::map<std::string, std::string> snapshot(const fs::path &folder)
{
    std::map<std::string, std::string> files;
    for (const auto &entry : fs::recursive_directory_iterator(folder))
        files[fs::relative(entry.path(), folder).string()] = entry.is_regular_file() ? readBytes(entry.path()) : "";
    return files;
}

// A fresh folder per test, removed afterwards.
class MakerTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    fs::path m_dir;
};

} // namespace maker_test
