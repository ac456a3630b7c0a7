// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vantrel {

// FOLDER.bak, where --force keeps the library it replaces.
std::filesystem::path backupFolderOf(const std::filesystem::path &output);

// Why OUTPUT may not be made (an old library without --force, a folder of
// other things, the sources inside it), or empty when it may.
std::string outputProblem(const std::filesystem::path &source, const std::filesystem::path &output, bool force);

// A hidden folder beside OUTPUT that the new library is made in. Unless put
// in place it is removed, with the folders above it that were made for it,
// so a failed or interrupted run leaves everything as it was.
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
    void removeWhatWasMade() noexcept;

    std::filesystem::path m_output;
    std::filesystem::path m_path;
    std::vector<std::filesystem::path> m_madeParents;  // nearest first
    bool m_placed = false;
};

} // namespace vantrel
