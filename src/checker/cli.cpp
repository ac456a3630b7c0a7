// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli.h"

#include "checker.h"
#include "fit.h"
#include "story_file.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <system_error>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

constexpr int kClean = 0;
constexpr int kErrors = 1;
constexpr int kUnreadable = 2;

constexpr const char *kHelp = R"(Usage: vantrel-check [FOLDER]
  or:  vantrel-check --fit [FOLDER]

Checks a Vantrel story library: FOLDER/vtl.txt, the MP3 files its stories
name and their timing files, if any (FOLDER is the current folder when left
out). Every problem is one line,
  vtl.txt:LINE: error: MESSAGE      something that breaks a lesson
  vtl.txt:LINE: warning: MESSAGE    something that is probably a mistake
  STORY01.vtt:LINE: error: MESSAGE  a timing file that does not fit its story
followed by a count of errors and warnings. LINE counts lines the way Vantrel
does. The check only reads; it changes nothing.

Options:
  --fit     when the file's size is its only error, pad or trim the unused
            lines after line 288 so that the file is 8860 to 8868 bytes; the
            old file is kept as vtl.txt.bak. Lines 1 to 288 are never changed.
  --help    show this text.

Exit status:
  0  no error (warnings allowed)
  1  errors found
  2  the folder or vtl.txt cannot be read, or the command line is wrong

The story file in brief:
  8-bit text (Windows-1252; plain ASCII is safest) of 8860 to 8868 bytes.
  Lines end in CR LF (or CR alone); LF alone does not end a line.

  Lines 1 to 288 are twelve blocks of 24 lines, one per menu entry:
      1          audio name without ".MP3" (STORY01 plays STORY01.MP3);
                 empty leaves the entry "unavailable"
      2          title shown in the menu
      3          the whole transcript, on one line
      4          question 1
      5, 7, 9    its answers A, B and C
      6, 8, 10   their keys: exactly "*" for the right one, empty otherwise
      11 to 17   question 2, laid out as lines 4 to 10
      18 to 24   question 3, likewise

  Lines after 288 are unused; pad or trim them to adjust the size.
  Nothing is trimmed: " *" or "* " is not a right answer.

  Each MP3 lies beside vtl.txt, encoded at a constant 32 kbit/s: a hearing
  lasts the file's size / 4 ms, at most 65.5 s (262141 bytes).

  A story may have a timing file beside its MP3, named like it with ".vtt"
  (STORY01.vtt): WebVTT in UTF-8, one cue for each sentence of the
  transcript, in order, with the sentence's text, within the recording and
  not overlapping.
)";

struct Options {
    bool help = false;
    bool fit = false;
    fs::path folder = ".";
};

std::optional<Options> parseArgs(const std::vector<std::string> &args, std::ostream &err)
{
    Options options;
    bool haveFolder = false;
    bool optionsEnded = false;
    for (const std::string &arg : args) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            options.help = true;
        } else if (!optionsEnded && arg == "--fit") {
            options.fit = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            err << "vantrel-check: unknown option " << arg << "; see vantrel-check --help\n";
            return std::nullopt;
        } else if (haveFolder) {
            err << "vantrel-check: one folder at most; see vantrel-check --help\n";
            return std::nullopt;
        } else {
            options.folder = arg;
            haveFolder = true;
        }
    }
    return options;
}

void printReport(const LibraryCheck &check, std::ostream &out)
{
    for (const Finding &finding : check.findings)
        out << formatFinding(finding) << '\n';
    out << summaryLine(check) << '\n';
}

int statusOf(const LibraryCheck &check)
{
    return check.errorCount() > 0 ? kErrors : kClean;
}

std::optional<LibraryCheck> readableCheck(const fs::path &folder, std::ostream &err)
{
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        err << "vantrel-check: cannot read folder " << folder.string() << ": "
            << (ec ? ec.message() : fs::exists(folder, ec) ? "not a folder" : "No such file or directory") << '\n';
        return std::nullopt;
    }
    LibraryCheck check = checkLibrary(folder);
    if (!check.readable) {
        err << "vantrel-check: cannot read " << (folder / kStoryFileName).string() << ": " << check.reason << '\n';
        return std::nullopt;
    }
    return check;
}

int fit(const fs::path &folder, std::ostream &out, std::ostream &err)
{
    const std::optional<LibraryCheck> before = readableCheck(folder, err);
    if (!before)
        return kUnreadable;
    // Timing files' errors do not stop it: it changes nothing they depend on,
    // and the report after it still shows them.
    if (!before->sizeOutOfRange || before->storyFileErrorCount() > 1) {
        printReport(*before, out);
        out << (before->sizeOutOfRange
                    ? "--fit changed nothing: it only mends the size, and vtl.txt has other errors; fix those first\n"
                    : "--fit changed nothing: the size of vtl.txt is already within 8860 to 8868 bytes\n");
        return statusOf(*before);
    }

    const FitResult result = fitStoryFile(folder);
    if (!result.failure.empty()) {
        err << "vantrel-check: " << result.failure << '\n';
        return kUnreadable;
    }
    if (result.outcome == FitPlan::Outcome::StoriesTooLong) {
        printReport(*before, out);
        out << "--fit changed nothing: lines 1 to 288 alone take " << result.storyBytes
            << " bytes, so no change after line 288 can bring the file down to 8868\n";
        return kErrors;
    }
    const bool trimmed = result.outcome == FitPlan::Outcome::Trimmed;
    const std::uintmax_t change = trimmed ? result.oldSize - result.newSize : result.newSize - result.oldSize;
    out << (trimmed ? "trimmed " : "padded ") << change << (change == 1 ? " byte " : " bytes ")
        << (trimmed ? "from" : "onto") << " the unused lines after line 288: vtl.txt is now " << result.newSize
        << " bytes (it was " << result.oldSize << "; the old file is vtl.txt.bak)\n";

    const std::optional<LibraryCheck> after = readableCheck(folder, err);
    if (!after)
        return kUnreadable;
    printReport(*after, out);
    return statusOf(*after);
}

} // namespace

int runVantrelCheck(const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    const std::optional<Options> options = parseArgs(args, err);
    if (!options)
        return kUnreadable;
    if (options->help) {
        out << kHelp;
        return kClean;
    }
    if (options->fit)
        return fit(options->folder, out, err);
    const std::optional<LibraryCheck> check = readableCheck(options->folder, err);
    if (!check)
        return kUnreadable;
    printReport(*check, out);
    return statusOf(*check);
}

} // namespace vantrel
