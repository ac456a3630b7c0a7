// SPDX-License-Identifier: GPL-3.0-or-later
#include "gst_runtime.h"
#include "message_box.h"
#include "newsbase.h"
#include "program_end.h"
#include "vantrel_version.h"

#include <QApplication>

#include <cstdio>
#include <optional>
#include <string_view>

namespace {

constexpr const char *kUsage = R"(Usage: vantrel [OPTION]

Vantrel helps students of English as a second language understand news
broadcasts on the radio. The student picks a story from the menu, hears it
three times, answers three questions about it until all three are right, and
then reads what was said.

Vantrel reads its stories from the folder it is started in: the story file
vtl.txt and one MP3 file per story. Start it in a library's folder; the menu
entry starts it in the sample library that comes with it. vantrel-make makes
a library from plain story files and recordings; vantrel-check checks one
before a lesson.

Options:
  -h, --help     show this text and exit
      --version  show the version and licence and exit
)";

constexpr const char *kNotice = R"(Copyright (C) 2025-2026 The Vantrel developers
License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.
This is free software: you are free to change and redistribute it.
There is NO WARRANTY, to the extent permitted by law.
)";

// Status 1 when the text could not be written, say to a full disk.
int printed(int writeResult)
{
    return writeResult < 0 || std::fflush(stdout) != 0 ? 1 : 0;
}

// --help and --version are answered before anything needs a display. Other
// arguments are left to Qt, which takes its own (-platform and the like).
std::optional<int> answerInformationOption(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h")
            return printed(std::fputs(kUsage, stdout));
        if (arg == "--version")
            return printed(std::printf("vantrel %s\n%s", vantrel::kVersion, kNotice));
    }
    return std::nullopt;
}

// Without any display Qt aborts while starting; say so plainly instead.
bool displayAvailable()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

} // namespace

int main(int argc, char *argv[])
{
    if (const std::optional<int> status = answerInformationOption(argc, argv))
        return *status;
    if (!displayAvailable()) {
        std::fputs("vantrel: no display to show the window on (DISPLAY is not set)\n", stderr);
        return 1;
    }
    // Qt's GTK platform theme starts GTK, which would add its own
    // accessibility bridge beside Qt's: screen readers then hang on this
    // process. Qt's bridge alone announces every control.
    qputenv("NO_AT_BRIDGE", "1");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    QApplication::setApplicationVersion(QLatin1String(vantrel::kVersion));

    vantrel::MessageBox boxes;
    vantrel::ProgramEnd programEnd;
    vantrel::NewsBase window(boxes, programEnd);
    window.Form_Load();
    if (programEnd.ended())
        return programEnd.status();
    // Sound is first needed when a story opens, which takes a pick in the
    // menu first: GStreamer starts then, in the background, and is ready by
    // the time the story is. Neither the box nor the menu waits for it.
    QObject::connect(&window, &vantrel::NewsBase::storyPicked, &window,
                     [] { vantrel::prepareSoundInBackground(); });
    window.show();
    return QApplication::exec();
}
