// SPDX-License-Identifier: GPL-3.0-or-later
#include "maker.h"

#include "caption_fit.h"
#include "checker.h"
#include "cp1252.h"
#include "hearing.h"
#include "library_layout.h"
#include "maker_help.h"
#include "mp3_duration.h"
#include "output_folder.h"
#include "recording.h"
#include "story_file.h"
#include "story_folder.h"
#include "story_timings.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <optional>
#include <ostream>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

constexpr int kMade = 0;
constexpr int kNotMade = 1;
constexpr int kInterrupted = 130;
constexpr double kMaxLengthMismatchMs = 50.0;

struct Options {
    bool help = false;
    bool force = false;
    bool timings = true;
    fs::path source;
    fs::path output;
};

// "out/" names the folder "out", and "." the current folder by its name: the
// staging folder and OUTPUT.bak go beside it, not into it.
fs::path folderPath(const std::string &arg)
{
    fs::path path = fs::path(arg).lexically_normal();
    if (path.filename() == "." || path.filename() == "..")
        path = fs::absolute(path).lexically_normal();
    return path.has_filename() || path == path.root_path() ? path : path.parent_path();
}

std::optional<Options> parseArgs(const std::vector<std::string> &args, std::ostream &err)
{
    Options options;
    std::vector<std::string> folders;
    bool optionsEnded = false;
    for (const std::string &arg : args) {
        if (!optionsEnded && arg == "--")
            optionsEnded = true;
        else if (!optionsEnded && (arg == "--help" || arg == "-h"))
            options.help = true;
        else if (!optionsEnded && arg == "--force")
            options.force = true;
        else if (!optionsEnded && arg == "--no-timings")
            options.timings = false;
        else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            err << "vantrel-make: unknown option " << arg << "; see vantrel-make --help\n";
            return std::nullopt;
        } else
            folders.push_back(arg);
    }
    if (options.help)
        return options;
    if (folders.size() != 2) {
        err << "vantrel-make: give two folders, SOURCE and OUTPUT; see vantrel-make --help\n";
        return std::nullopt;
    }
    options.source = folderPath(folders[0]);
    options.output = folderPath(folders[1]);
    return options;
}

// Letters, not pixels: how far the text runs over, in the average width of its own letters.
std::string captionMessage(const CaptionFit &fit, const QString &caption, const char *what)
{
    const double textWidth = std::max(1, fit.width - fit.bare);
    const double perLetter = textWidth / static_cast<double>(std::max<qsizetype>(caption.size(), 1));
    const int letters = std::max(1, static_cast<int>(std::ceil((fit.width - fit.room) / perLetter)));
    return std::string(what) + "; this much fits: \"" + fit.longestFitting.toStdString() + "\"; shorten it by about "
           + std::to_string(letters) + (letters == 1 ? " letter" : " letters");
}

CaptionCheck windowCaptionCheck(CaptionMeasure &measure)
{
    return [&measure](const StorySource &story, const SourceText &text) -> std::string {
        const QString caption = QString::fromStdU16String(widenCp1252(text.bytes));
        CaptionPlace place = CaptionPlace::AnswerOption;
        const char *what = "the answer is too long for its button";
        if (&text == &story.title) {
            place = CaptionPlace::MenuOption, what = "the title is too long for its button in the menu";
        } else {
            for (const SourceQuestion &question : story.questions) {
                if (&text == &question.text)
                    place = CaptionPlace::QuestionFrame, what = "the question is too long for the top of its frame";
            }
        }
        const CaptionFit fit = measure.measure(place, caption);
        return fit.fits ? std::string() : captionMessage(fit, caption, what);
    };
}

bool writeFile(const fs::path &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

std::string seconds(double ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", ms / 1000.0);
    return text;
}

// What Vantrel will make of the converted sound: a hearing of size / 4 ms
// that must end with the sound, and fit its timer.
std::string soundProblem(const fs::path &mp3, const std::optional<Mp3Scan> &scan)
{
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(mp3, ec);
    if (ec || !scan)
        return "its converted sound came out empty";
    const auto hearing = static_cast<double>(hearingDelayMs(size));
    if (size > kMaxHearingAudioBytes)
        return "it lasts " + seconds(hearing) + ", but a hearing can last at most 65.5 s; shorten it";
    if (std::abs(hearing - scan->durationMs) > kMaxLengthMismatchMs)
        return "its converted sound plays for " + seconds(scan->durationMs) + ", not the " + seconds(hearing)
               + " its size gives";
    return {};
}

// What the last line tells beyond the count of stories.
struct MakeReport {
    int warnings = 0;
    std::vector<std::string> untimed;  // story file names, in story order
    std::vector<std::string> why;      // for each: why it has no timings
};

// The story's timing file beside its sound; a teacher's broken one stops the make.
bool writeTimings(const FolderStory &story, const fs::path &mp3, double playingMs, bool align, std::ostream &err,
                  const std::atomic<bool> &stop, MakeReport &report)
{
    const StoryTimings timings = timeStory(story, playingMs, align, stop);
    bool failed = timings.interrupted;
    for (const MakeError &problem : timings.problems) {
        err << formatMakeError(problem) << '\n';
        failed = failed || !problem.warning;
        report.warnings += problem.warning ? 1 : 0;
    }
    if (failed)
        return false;
    if (!timings.webVtt) {
        report.untimed.push_back(story.file.filename().string());
        report.why.push_back(timings.untimedBecause);
        return true;
    }
    fs::path vtt = mp3;
    if (!writeFile(vtt.replace_extension(".vtt"), *timings.webVtt)) {
        err << "vantrel-make: error: cannot write " << vtt.filename().string() << '\n';
        return false;
    }
    return true;
}

// "made my-library: 3 stories, 1 warning (above); no sentence timings for
// 02-bus.story: WHY", so that a run with warnings does not read as spotless.
std::string summaryLine(const fs::path &output, std::size_t stories, const MakeReport &report, bool align)
{
    std::string line = "made " + output.string() + ": " + std::to_string(stories)
                       + (stories == 1 ? " story, " : " stories, ");
    if (report.warnings == 0)
        line += "no warnings";
    else
        line += std::to_string(report.warnings) + (report.warnings == 1 ? " warning" : " warnings") + " (above)";
    if (report.untimed.empty())
        return line;
    line += "; no sentence timings";
    if (!align) {
        if (report.untimed.size() == stories)
            return line + " (--no-timings)";
        for (std::size_t i = 0; i < report.untimed.size(); ++i)
            line += (i == 0 ? " for " : ", ") + report.untimed[i];
        return line + " (--no-timings)";
    }
    // Stories untimed for the same reason, such as recordings all too short, share it.
    for (std::size_t i = 0; i < report.untimed.size(); ++i) {
        line += (i == 0 ? " for " : report.why[i] == report.why[i - 1] ? ", " : "; for ") + report.untimed[i];
        if (i + 1 == report.untimed.size() || report.why[i + 1] != report.why[i])
            line += ": " + report.why[i];
    }
    return line;
}

// Every story is converted and heard even after one fails, so that one run
// names every recording that needs mending.
bool convertAll(const StoryFolder &folder, const fs::path &into, bool align, std::ostream &out,
                std::ostream &err, const std::atomic<bool> &stop, MakeReport &report)
{
    const std::size_t count = folder.stories.size();
    bool made = true;
    for (std::size_t i = 0; i < count && !stop; ++i) {
        const FolderStory &story = folder.stories[i];
        out << "story " << i + 1 << " of " << count << ": converting " << story.recording.filename().string()
            << std::endl;
        const fs::path mp3 = into / (audioNameOf(static_cast<int>(i) + 1) + ".MP3");
        const Conversion conversion = convertRecording(story.recording, mp3, stop);
        if (conversion.interrupted)
            return false;
        std::optional<Mp3Scan> scan;
        if (conversion.ok)
            scan = scanMp3File(mp3);
        std::string problem = conversion.ok ? soundProblem(mp3, scan) : conversion.problem;
        if (!problem.empty()) {
            err << formatMakeError({story.file, story.story.audio.line,
                                    "the recording \"" + story.story.audio.bytes + "\" cannot be used: " + problem})
                << '\n';
            made = false;
            continue;
        }
        made = writeTimings(story, mp3, scan->durationMs, align, err, stop, report) && made;
    }
    return made && !stop;
}

// The made library must pass vantrel-check without a word.
bool passesCheck(const fs::path &folder, std::ostream &err)
{
    // The recordings were heard against their transcripts already.
    const LibraryCheck check = checkLibrary(folder, false);
    if (check.readable && check.findings.empty())
        return true;
    err << "vantrel-make: error: the made library does not pass vantrel-check, so it was not put in place:\n";
    for (const Finding &finding : check.findings)
        err << "  " << formatFinding(finding) << '\n';
    if (!check.readable)
        err << "  " << check.reason << '\n';
    return false;
}

int make(const Options &options, std::ostream &out, std::ostream &err, const std::atomic<bool> &stop)
{
    CaptionMeasure measure;
    const StoryFolder folder = readStoryFolder(options.source, windowCaptionCheck(measure));
    for (const MakeError &warning : folder.warnings)
        err << formatMakeError(warning) << '\n';
    if (!folder.failure.empty()) {
        err << "vantrel-make: error: " << folder.failure << '\n';
        return kNotMade;
    }
    for (const MakeError &error : folder.errors)
        err << formatMakeError(error) << '\n';
    if (!folder.errors.empty())
        return kNotMade;
    if (const std::string problem = outputProblem(options.source, options.output, options.force); !problem.empty()) {
        err << "vantrel-make: error: " << problem << '\n';
        return kNotMade;
    }

    StagingFolder staging(options.output);
    std::vector<StorySource> sources;
    for (const FolderStory &story : folder.stories)
        sources.push_back(story.story);
    const LaidOutLibrary library = layOutLibrary(sources);
    if (!writeFile(staging.path() / kStoryFileName, library.bytes)) {
        err << "vantrel-make: error: cannot write " << kStoryFileName << " beside " << options.output.string()
            << "; nothing was changed\n";
        return kNotMade;
    }
    MakeReport report;
    report.warnings = static_cast<int>(folder.warnings.size());
    if (!convertAll(folder, staging.path(), options.timings, out, err, stop, report)) {
        if (stop)
            err << "vantrel-make: interrupted; " << options.output.string() << " is unchanged\n";
        return stop ? kInterrupted : kNotMade;
    }
    if (!passesCheck(staging.path(), err))
        return kNotMade;
    // Checked again: the folder may have changed while the sound was converted.
    if (const std::string problem = outputProblem(options.source, options.output, options.force); !problem.empty()) {
        err << "vantrel-make: error: " << problem << '\n';
        return kNotMade;
    }
    if (const std::string problem = staging.putInPlace(); !problem.empty()) {
        err << "vantrel-make: error: " << problem << '\n';
        return kNotMade;
    }
    out << summaryLine(options.output, folder.stories.size(), report, options.timings) << '\n';
    return kMade;
}

} // namespace

int runVantrelMake(const std::vector<std::string> &args, std::ostream &out, std::ostream &err,
                   const std::atomic<bool> &stop)
{
    const std::optional<Options> options = parseArgs(args, err);
    if (!options)
        return kNotMade;
    if (options->help) {
        out << kMakerHelp;
        return kMade;
    }
    return make(*options, out, err, stop);
}

} // namespace vantrel
