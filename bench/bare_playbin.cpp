// SPDX-License-Identifier: GPL-3.0-or-later
// The reference for the listening benchmark: a bare GStreamer playbin doing
// what a hearing does and nothing else. For each file named on the command
// line it makes a pipeline and prerolls it; each line "play" on standard
// input then rewinds (flushing seek to 0) and plays the current file, "next"
// moves to the next file, "quit" ends. It answers each command with "ok".
#include <gst/gst.h>

#include <iostream>
#include <string>
#include <vector>

namespace {

GstElement *prerolled(const std::string &path)
{
    GstElement *playbin = gst_element_factory_make("playbin", nullptr);
    gchar *uri = gst_filename_to_uri(path.c_str(), nullptr);
    g_object_set(playbin, "uri", uri, "flags", 0x02 | 0x10, nullptr);
    g_free(uri);
    gst_element_set_state(playbin, GST_STATE_PAUSED);
    gst_element_get_state(playbin, nullptr, nullptr, GST_CLOCK_TIME_NONE);
    return playbin;
}

} // namespace

int main(int argc, char *argv[])
{
    gst_init(&argc, &argv);
    std::vector<std::string> files(argv + 1, argv + argc);
    size_t current = 0;
    GstElement *playbin = files.empty() ? nullptr : prerolled(files[0]);
    std::cout << "ok" << std::endl;
    for (std::string command; std::getline(std::cin, command) && command != "quit";) {
        if (command == "play" && playbin) {
            gst_element_set_state(playbin, GST_STATE_PAUSED);
            gst_element_seek_simple(playbin, GST_FORMAT_TIME, GST_SEEK_FLAG_FLUSH, 0);
            gst_element_set_state(playbin, GST_STATE_PLAYING);
        } else if (command == "next" && playbin) {
            gst_element_set_state(playbin, GST_STATE_NULL);
            gst_object_unref(playbin);
            playbin = ++current < files.size() ? prerolled(files[current]) : nullptr;
        }
        std::cout << "ok" << std::endl;
    }
    if (playbin) {
        gst_element_set_state(playbin, GST_STATE_NULL);
        gst_object_unref(playbin);
    }
    return 0;
}
