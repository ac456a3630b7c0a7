// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>

namespace vantrel {

// FOLDER.bak, where --force keeps the library it replaces.
std::filesystem::path backupFolderOf(const std::filesystem::path &output);

// Why OUTPUT may not be made (an old library without --force, a folder of
// other things, the sources inside it), or empty when it may.
std::string outputProblem(const std::filesystem::path &source, const std::filesystem::path &output, bool force);

// A hidden folder beside OUTPUT that the new library is made in. It is
// removed unless put in place, so a failed or interrupted run leaves OUTPUT
// as it was.
class StagingFolder {
public:
    explicit StagingFolder(const std::filesystem::path &output);
    ~StagingFolder();
    StagingFolder(const StagingFolder &) = delete;
    StagingFolder &operator=(const StagingFolder &) = delete;

    const std::filesystem::path &path() const { return m_path; }

    // Flushes the new files to disk, moves an old library to OUTPUT.bak and
    // renames the new one to OUTPUT, with Ctrl-C held back in between.
    // Returns why not, or empty.
    std::string putInPlace();

private:
    std::filesystem::path m_output;
    std::filesystem::path m_path;
    bool m_placed = false;
};

} // namespace vantrel
