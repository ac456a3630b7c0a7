// SPDX-License-Identifier: GPL-3.0-or-later
#include "output_folder.h"

#include "story_file.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <stdexcept>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

bool holdsLibrary(const fs::path &folder)
{
    std::error_code ec;
    return fs::is_directory(folder, ec) && fs::exists(folder / kStoryFileName, ec);
}

bool isEmptyFolder(const fs::path &folder)
{
    std::error_code ec;
    return fs::is_directory(folder, ec) && fs::is_empty(folder, ec);
}

bool isWithin(const fs::path &inner, const fs::path &outer)
{
    std::error_code ec;
    const fs::path a = fs::weakly_canonical(inner, ec);
    const fs::path b = fs::weakly_canonical(outer, ec);
    auto mismatch = std::mismatch(b.begin(), b.end(), a.begin(), a.end());
    return mismatch.first == b.end();
}

// FOLDER and those above it that are not there yet, nearest first. A link,
// even a broken one, is there: it is not ours to take away.
std::vector<fs::path> missingFolders(fs::path folder)
{
    std::vector<fs::path> missing;
    std::error_code ec;
    for (; folder.has_relative_path() && fs::symlink_status(folder, ec).type() == fs::file_type::not_found;
         folder = folder.parent_path())
        missing.push_back(folder);
    return missing;
}

std::string errnoText()
{
    return std::error_code(errno, std::generic_category()).message();
}

bool syncPath(const fs::path &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// Holds SIGINT and SIGTERM back while the two renames happen, so that no
// moment is left with the old library moved away and the new one not there.
class HeldSignals {
public:
    HeldSignals()
    {
        sigset_t held;
        sigemptyset(&held);
        sigaddset(&held, SIGINT);
        sigaddset(&held, SIGTERM);
        sigaddset(&held, SIGHUP);
        pthread_sigmask(SIG_BLOCK, &held, &m_before);
    }
    ~HeldSignals() { pthread_sigmask(SIG_SETMASK, &m_before, nullptr); }
    HeldSignals(const HeldSignals &) = delete;
    HeldSignals &operator=(const HeldSignals &) = delete;

private:
    sigset_t m_before;
};

} // namespace

fs::path backupFolderOf(const fs::path &output)
{
    fs::path backup = output;
    if (!backup.has_filename())
        backup = backup.parent_path();
    backup += ".bak";
    return backup;
}

std::string outputProblem(const fs::path &source, const fs::path &output, bool force)
{
    std::error_code ec;
    const std::string name = output.string();
    if (isWithin(source, output))
        return "the story files are inside " + name + ", which would be replaced; make the library elsewhere";
    if (!fs::exists(output, ec) || isEmptyFolder(output))
        return {};
    if (!fs::is_directory(output, ec))
        return name + " is a file, not a folder";
    if (!holdsLibrary(output))
        return name + " holds other files and no story library; choose a new or empty folder";
    if (!force)
        return name + " already holds a story library; add --force to replace it (the old one is kept as "
               + backupFolderOf(output).string() + ")";
    const fs::path backup = backupFolderOf(output);
    if (fs::exists(backup, ec) && !holdsLibrary(backup) && !isEmptyFolder(backup))
        return backup.string() + " is in the way of keeping the old library; move it away";
    return {};
}

StagingFolder::StagingFolder(const fs::path &output) : m_output(output)
{
    const fs::path target = fs::absolute(output);
    m_madeParents = missingFolders(target.parent_path());
    try {
        fs::create_directories(target.parent_path());
        std::string pattern = (target.parent_path() / std::string(1, '.').append(target.filename().string()).append(".making-XXXXXX")).string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a folder beside " + output.string() + ": " + errnoText());
        m_path = pattern;
        // mkdtemp keeps the folder to its owner; a library is for everyone the
        // owner's umask lets read it.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        fs::permissions(m_path, static_cast<fs::perms>(0777 & ~mask));
    } catch (...) {
        removeWhatWasMade();
        throw;
    }
}

StagingFolder::~StagingFolder()
{
    if (!m_placed)
        removeWhatWasMade();
}

void StagingFolder::removeWhatWasMade() noexcept
{
    std::error_code ec;
    if (!m_path.empty())
        fs::remove_all(m_path, ec);
    // Only while empty: something else may have been put in them meanwhile.
    for (const fs::path &folder : m_madeParents) {
        if (!fs::remove(folder, ec))
            break;
    }
}

std::string StagingFolder::putInPlace()
{
    std::error_code ec;
    for (fs::directory_iterator it(m_path, ec), end; !ec && it != end; it.increment(ec)) {
        if (!syncPath(it->path()))
            return "cannot write " + it->path().filename().string() + " to disk: " + errnoText();
    }
    if (ec || !syncPath(m_path))
        return "cannot write the library to disk: " + (ec ? ec.message() : errnoText());

    const HeldSignals held;
    const fs::path backup = backupFolderOf(m_output);
    if (holdsLibrary(m_output)) {
        fs::remove_all(backup, ec);
        fs::rename(m_output, backup, ec);
        if (ec)
            return "cannot move the old library to " + backup.string() + ": " + ec.message();
    }
    fs::rename(m_path, m_output, ec);
    if (ec) {
        std::error_code back;
        if (holdsLibrary(backup) && !fs::exists(m_output, back))
            fs::rename(backup, m_output, back);
        return "cannot put the library in place as " + m_output.string() + ": " + ec.message();
    }
    m_placed = true;
    syncPath(fs::absolute(m_output).parent_path());
    return {};
}

} // namespace vantrel
