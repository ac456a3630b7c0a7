// SPDX-License-Identifier: GPL-3.0-or-later
#include "maker.h"

#include <QApplication>
#include <QStyleFactory>

#include <gst/gst.h>

#include <atomic>
#include <csignal>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

namespace {

std::atomic<bool> g_stop{false};

extern "C" void requestStop(int)
{
    g_stop = true;
}

void catchStopSignals()
{
    struct sigaction action = {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

// Qt's notes about the offscreen platform (no XDG_RUNTIME_DIR and the like)
// mean nothing to a teacher at a terminal; real failures still show.
void quietQtNotes(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << "vantrel-make: " << message.toStdString() << '\n';
}

} // namespace

int main(int argc, char *argv[])
{
    // The tool shows nothing: it only measures captions with the window's
    // fonts, so it needs no display and runs on a plain terminal. The lesson
    // window runs in the Fusion style, so the captions are measured in it.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietQtNotes);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    gst_init(nullptr, nullptr);
    catchStopSignals();

    const std::vector<std::string> args(argv + 1, argv + argc);
    int status = 1;
    try {
        status = vantrel::runVantrelMake(args, std::cout, std::cerr, g_stop);
    } catch (const std::exception &e) {
        std::cerr << "vantrel-make: error: " << e.what() << '\n';
    }
    gst_deinit();
    return status;
}
