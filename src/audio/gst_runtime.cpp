// SPDX-License-Identifier: GPL-3.0-or-later
#include "gst_runtime.h"

#include <gst/gst.h>

#include <cstdio>
#include <mutex>
#include <thread>

namespace vantrel {

namespace {

std::once_flag initialised;
bool available = false;

void initialise()
{
    GError *error = nullptr;
    available = gst_init_check(nullptr, nullptr, &error);
    if (!available) {
        std::fprintf(stderr, "vantrel: no sound: GStreamer could not start (%s)\n",
                     error ? error->message : "unknown reason");
        g_clear_error(&error);
    }
}

// Joined at exit, so the process never ends under a half-done initialisation.
struct BackgroundStart
{
    std::thread thread;
    ~BackgroundStart()
    {
        if (thread.joinable())
            thread.join();
    }
};

BackgroundStart backgroundStart;
std::once_flag backgroundStarted;

} // namespace

void prepareSoundInBackground()
{
    std::call_once(backgroundStarted,
                   [] { backgroundStart.thread = std::thread([] { soundAvailable(); }); });
}

bool soundAvailable()
{
    std::call_once(initialised, initialise);
    return available;
}

} // namespace vantrel
