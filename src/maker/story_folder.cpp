// SPDX-License-Identifier: GPL-3.0-or-later
#include "story_folder.h"

#include "cp1252.h"
#include "library_layout.h"
#include "story_block.h"
#include "story_file.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <system_error>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kStoryEnding = ".story";
// Notepad adds ".txt" to a name typed without quotes.
constexpr std::string_view kNotepadEnding = ".story.txt";
constexpr std::size_t kLongestNamed = 3;
// Far more than a story file holds; a larger file is not looked into.
constexpr std::uintmax_t kLargestLookedInto = 64 * 1024;

struct FolderFiles {
    std::vector<fs::path> stories;  // in file-name order
    std::vector<fs::path> others;   // every other file, in file-name order
};

bool isStoryName(const std::string &name)
{
    return (name.size() > kStoryEnding.size() && name.ends_with(kStoryEnding))
           || (name.size() > kNotepadEnding.size() && name.ends_with(kNotepadEnding));
}

std::string lowerCase(std::string text)
{
    for (char &c : text)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

// Plain byte order of the names, so "01-" comes before "02-" everywhere.
void sortByName(std::vector<fs::path> &files)
{
    std::sort(files.begin(), files.end(),
              [](const fs::path &a, const fs::path &b) { return a.filename().string() < b.filename().string(); });
}

FolderFiles listFolder(const fs::path &folder, std::string &failure)
{
    FolderFiles files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        // Hidden files and editors' backups ("a.story~") are no one's stories.
        if (it->is_directory() || name.starts_with('.') || name.ends_with('~'))
            continue;
        (isStoryName(name) ? files.stories : files.others).push_back(it->path());
    }
    if (ec)
        failure = "cannot read the folder " + folder.string() + ": " + ec.message();
    sortByName(files.stories);
    sortByName(files.others);
    return files;
}

// "X.story" and "X.story.txt" side by side: a story saved again by Notepad,
// and only the teacher knows which one is meant. Neither is read.
void refuseTwins(std::vector<fs::path> &stories, std::vector<MakeError> &errors)
{
    std::vector<fs::path> twins;
    for (const fs::path &file : stories) {
        const std::string name = file.filename().string();
        if (!name.ends_with(kNotepadEnding))
            continue;
        const fs::path first = file.parent_path() / name.substr(0, name.size() - 4);
        if (std::find(stories.begin(), stories.end(), first) == stories.end())
            continue;
        errors.push_back({file, 1, "both " + first.filename().string() + " and " + name
                                       + " are here, and they would be two stories; remove the one you do not want"});
        twins.push_back(file);
        twins.push_back(first);
    }
    std::erase_if(stories,
                  [&](const fs::path &file) { return std::find(twins.begin(), twins.end(), file) != twins.end(); });
}

bool looksLikeStoryFile(const fs::path &file)
{
    std::error_code ec;
    if (fs::file_size(file, ec) > kLargestLookedInto || ec)
        return false;
    std::ifstream in(file, std::ios::binary);
    return looksLikeStorySource(std::string(std::istreambuf_iterator<char>(in), {}));
}

// The name the file would be read under: "03-rain.txt", "04.Story" and
// "05.story.rtf" become "03-rain.story", "04.story" and "05.story".
std::string storyNameFor(const fs::path &file)
{
    fs::path stem = file.stem();
    if (lowerCase(stem.extension().string()) == kStoryEnding)
        stem = stem.stem();
    return stem.string() + std::string(kStoryEnding);
}

std::string unreadMessage(const fs::path &file, bool looksLikeOne)
{
    static const std::string kWordProcessors[] = {".rtf", ".doc", ".docx", ".odt", ".pages", ".wps"};
    const std::string extension = lowerCase(file.extension().string());
    const std::string name = storyNameFor(file);
    if (std::find(std::begin(kWordProcessors), std::end(kWordProcessors), extension) != std::end(kWordProcessors))
        return "this file is not read: a story must be plain text; if this is one, open it, choose Save As, the "
               "type \"Plain text\" with the encoding \"UTF-8\", and the name " + name;
    return std::string(looksLikeOne ? "this looks like a story, but it is not read" : "this file is not read")
           + ": only files named *.story (or *.story.txt) are stories; "
           + (looksLikeOne ? "rename it to " : "if it is one, rename it to ") + name;
}

// Files the teacher may have meant as stories, by what they hold or by
// their names, but for the recordings and timing files that stories name.
void warnOfUnread(const std::vector<fs::path> &others, const std::set<std::string> &named,
                  std::vector<MakeError> &warnings)
{
    for (const fs::path &file : others) {
        const std::string name = file.filename().string();
        if (named.count(name) != 0)
            continue;
        const bool looksLikeOne = looksLikeStoryFile(file);
        if (looksLikeOne || lowerCase(name).find("story") != std::string::npos)
            warnings.push_back({file, 1, unreadMessage(file, looksLikeOne), true});
    }
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

std::vector<MakeError> checkOne(const fs::path &file, const CaptionCheck &captionFits, StoryFolder &folder,
                                std::set<std::string> &named)
{
    std::string bytes;
    if (!readWhole(file, bytes))
        return {{file, 1, "cannot be read"}};
    ParsedStory parsed = parseStorySource(bytes);
    for (const SourceText *text : {&parsed.story.audio, &parsed.story.timings}) {
        if (text->line != 0)
            named.insert(utf8FromCp1252(text->bytes));
    }
    std::vector<MakeError> errors;
    for (SourceError &error : parsed.errors)
        errors.push_back({file, error.line, std::move(error.message)});
    if (!errors.empty())
        return errors;
    // The story file's text is Windows-1252, the file system's is UTF-8:
    // the name is widened back before it is looked up.
    FolderStory story{file, file.parent_path() / utf8FromCp1252(parsed.story.audio.bytes), parsed.story};
    const std::string problem = recordingProblem(story);
    if (!problem.empty())
        errors.push_back({file, story.story.audio.line, problem});
    checkCaptions(story, captionFits, errors);
    folder.stories.push_back(std::move(story));
    return errors;
}

void readOne(const fs::path &file, const CaptionCheck &captionFits, StoryFolder &folder,
             std::set<std::string> &named)
{
    std::vector<MakeError> errors = checkOne(file, captionFits, folder, named);
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
    FolderFiles files = listFolder(path, folder.failure);
    if (!folder.failure.empty())
        return folder;
    refuseTwins(files.stories, folder.errors);
    if (files.stories.size() > static_cast<std::size_t>(kSlotCount)) {
        folder.errors.push_back({files.stories[kSlotCount], 1,
                                 "this is story " + std::to_string(kSlotCount + 1) + " of "
                                     + std::to_string(files.stories.size())
                                     + "; a library holds at most 12 (story files are taken in file-name order)"});
        return folder;
    }
    std::set<std::string> named;
    for (const fs::path &file : files.stories)
        readOne(file, captionFits, folder, named);
    warnOfUnread(files.others, named, folder.warnings);
    if (files.stories.empty() && folder.errors.empty())
        folder.failure = "no story files (named *.story or *.story.txt) in " + path.string();
    if (folder.errors.empty() && folder.failure.empty())
        checkLibrarySize(folder);
    return folder;
}

} // namespace vantrel
