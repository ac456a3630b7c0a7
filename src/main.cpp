#include "gst_runtime.h"
#include "message_box.h"
#include "newsbase.h"
#include "program_end.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace {

// Without any display Qt aborts while starting; say so plainly instead.
bool displayAvailable()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

} // namespace

int main(int argc, char *argv[])
{
    if (!displayAvailable()) {
        std::fputs("vantrel: no display to show the window on (DISPLAY is not set)\n", stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    QApplication::setApplicationVersion(QStringLiteral("5.75"));

    vantrel::MessageBox boxes;
    vantrel::ProgramEnd programEnd;
    vantrel::NewsBase window(boxes, programEnd);
    window.Form_Load();
    if (programEnd.ended())
        return programEnd.status();
    window.show();
    // Sound is ready long before a student can open a story, and never
    // delays the window.
    QTimer::singleShot(200, &window, [] { vantrel::prepareSoundInBackground(); });
    return QApplication::exec();
}
