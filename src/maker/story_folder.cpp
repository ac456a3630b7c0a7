// SPDX-License-Identifier: GPL-3.0-or-later
#include "story_folder.h"

#include "cp1252.h"
#include "library_layout.h"
#include "story_file.h"
#include "story_lines.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

constexpr const char *kStoryExtension = ".story";
constexpr std::size_t kLongestNamed = 3;

std::vector<fs::path> storyFiles(const fs::path &folder, std::string &failure)
{
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().extension() == kStoryExtension && !it->is_directory())
            files.push_back(it->path());
    }
    if (ec)
        failure = "cannot read the folder " + folder.string() + ": " + ec.message();
    // Plain byte order of the names, so "01-" comes before "02-" everywhere.
    std::sort(files.begin(), files.end(),
              [](const fs::path &a, const fs::path &b) { return a.filename().string() < b.filename().string(); });
    return files;
}

bool readWhole(const fs::path &file, std::string &bytes)
{
    std::ifstream in(file, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    return in.is_open() && !in.bad();
}

// The recording must be a readable file beside the story file.
std::string recordingProblem(const FolderStory &story)
{
    const std::string name = "the recording \"" + story.story.audio.bytes + "\"";
    if (story.story.audio.bytes.find_first_of("/\\") != std::string::npos)
        return name + " is not a plain file name; put the recording beside the story file";
    std::error_code ec;
    const fs::file_status status = fs::status(story.recording, ec);
    if (status.type() == fs::file_type::not_found)
        return name + " is missing: there is no such file beside " + story.file.filename().string();
    if (!fs::is_regular_file(status))
        return name + " is not a file";
    if (!std::ifstream(story.recording, std::ios::binary).is_open())
        return name + " cannot be read";
    return {};
}

void checkCaptions(const FolderStory &story, const CaptionCheck &captionFits, std::vector<MakeError> &errors)
{
    auto check = [&](const SourceText &text) {
        std::string message = captionFits(story.story, text);
        if (!message.empty())
            errors.push_back({story.file, text.line, std::move(message)});
    };
    check(story.story.title);
    for (const SourceQuestion &question : story.story.questions) {
        check(question.text);
        for (const SourceAnswer &answer : question.answers)
            check(answer.text);
    }
}

std::vector<MakeError> checkOne(const fs::path &file, const CaptionCheck &captionFits, StoryFolder &folder)
{
    std::string bytes;
    if (!readWhole(file, bytes))
        return {{file, 1, "cannot be read"}};
    ParsedStory parsed = parseStorySource(bytes);
    std::vector<MakeError> errors;
    for (SourceError &error : parsed.errors)
        errors.push_back({file, error.line, std::move(error.message)});
    if (!errors.empty())
        return errors;
    // The story file's text is Windows-1252, the file system's is UTF-8:
    // the name is widened back before it is looked up.
    FolderStory story{file, file.parent_path() / cp1252ToUtf8(parsed.story.audio.bytes), parsed.story};
    const std::string problem = recordingProblem(story);
    if (!problem.empty())
        errors.push_back({file, story.story.audio.line, problem});
    checkCaptions(story, captionFits, errors);
    folder.stories.push_back(std::move(story));
    return errors;
}

void readOne(const fs::path &file, const CaptionCheck &captionFits, StoryFolder &folder)
{
    std::vector<MakeError> errors = checkOne(file, captionFits, folder);
    std::stable_sort(errors.begin(), errors.end(), [](const MakeError &a, const MakeError &b) { return a.line < b.line; });
    folder.errors.insert(folder.errors.end(), errors.begin(), errors.end());
}

std::string longestStories(const std::vector<FolderStory> &stories)
{
    std::vector<std::pair<std::size_t, const FolderStory *>> sizes;
    int slot = 0;
    for (const FolderStory &story : stories)
        sizes.emplace_back(storyBlock(story.story, ++slot).size(), &story);
    std::stable_sort(sizes.begin(), sizes.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    std::string text;
    for (std::size_t i = 0; i < std::min(kLongestNamed, sizes.size()); ++i) {
        text += (i == 0 ? "" : ", ") + sizes[i].second->file.filename().string() + " ("
                + std::to_string(sizes[i].first) + " bytes)";
    }
    return text;
}

void checkLibrarySize(StoryFolder &folder)
{
    std::vector<StorySource> sources;
    for (const FolderStory &story : folder.stories)
        sources.push_back(story.story);
    const LaidOutLibrary library = layOutLibrary(sources);
    if (library.overBy == 0)
        return;
    const FolderStory &longest = *std::max_element(
        folder.stories.begin(), folder.stories.end(), [](const FolderStory &a, const FolderStory &b) {
            return storyBlock(a.story, 1).size() < storyBlock(b.story, 1).size();
        });
    folder.errors.push_back(
        {longest.file, longest.story.transcript.line,
         "the stories are " + std::to_string(library.overBy) + (library.overBy == 1 ? " byte" : " bytes")
             + " too long for one story file (at most " + std::to_string(kMaxStoryFileSize)
             + " bytes); shorten them, the longest first: " + longestStories(folder.stories)});
}

} // namespace

std::string formatMakeError(const MakeError &error)
{
    return error.file.lexically_normal().string() + ":" + std::to_string(error.line)
           + (error.warning ? ": warning: " : ": error: ") + error.message;
}

StoryFolder readStoryFolder(const fs::path &path, const CaptionCheck &captionFits)
{
    StoryFolder folder;
    const std::vector<fs::path> files = storyFiles(path, folder.failure);
    if (!folder.failure.empty())
        return folder;
    if (files.empty()) {
        folder.failure = "no story files (*.story) in " + path.string();
        return folder;
    }
    if (files.size() > static_cast<std::size_t>(kSlotCount)) {
        folder.errors.push_back({files[kSlotCount], 1,
                                 "this is story " + std::to_string(kSlotCount + 1) + " of " + std::to_string(files.size())
                                     + "; a library holds at most 12 (story files are taken in file-name order)"});
        return folder;
    }
    for (const fs::path &file : files)
        readOne(file, captionFits, folder);
    if (folder.errors.empty())
        checkLibrarySize(folder);
    return folder;
}

} // namespace vantrel
