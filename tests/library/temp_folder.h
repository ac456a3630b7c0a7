#pragma once

#include "story_file.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace vantrel::test {

// A fresh folder per test, removed afterwards, with a story file written on demand.
class TempFolder : public testing::Test {
protected:
    void SetUp() override
    {
        static std::atomic<unsigned> counter{0};
        std::random_device random;
        for (;;) {
            m_dir = std::filesystem::temp_directory_path()
                    / ("vantrel-library-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-"
                       + std::to_string(random()));
            if (std::filesystem::create_directory(m_dir))
                break;
        }
    }
    void TearDown() override
    {
        std::error_code ec;
        // A test may have taken the read permission away.
        std::filesystem::permissions(storyPath(), std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(m_dir, ec);
    }

    std::filesystem::path storyPath() const { return m_dir / kStoryFileName; }

    std::filesystem::path write(const std::string &bytes, const char *name = kStoryFileName) const
    {
        const std::filesystem::path path = m_dir / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    std::filesystem::path m_dir;
};

} // namespace vantrel::test
