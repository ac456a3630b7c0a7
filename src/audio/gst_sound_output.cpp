// SPDX-License-Identifier: GPL-3.0-or-later
#include "gst_sound_output.h"

#include <gst/gst.h>

#include <atomic>
#include <cstdio>

namespace vantrel {

namespace {

// How much sound the sink holds ahead, in microseconds. GStreamer's 200 ms
// ran dry, a gap the student hears, when the machine was very busy; decoding
// half a second ahead takes a few milliseconds, so nothing starts later.
constexpr gint64 kSinkBufferUs = 500000;

// autoaudiosink makes the real sink only when it starts, so it is set up as
// it is added.
void bufferAhead(GstBin *, GstBin *, GstElement *element, gpointer)
{
    if (GST_OBJECT_FLAG_IS_SET(element, GST_ELEMENT_FLAG_SINK)
        && g_object_class_find_property(G_OBJECT_GET_CLASS(element), "buffer-time"))
        g_object_set(element, "buffer-time", kSinkBufferUs, nullptr);
}

bool isFakeSink(const GValue *value)
{
    auto *element = GST_ELEMENT(g_value_get_object(value));
    GstElementFactory *factory = gst_element_get_factory(element);
    return factory && g_strcmp0(GST_OBJECT_NAME(factory), "fakesink") == 0;
}

// autoaudiosink holds one child: the sink it chose.
bool choseFakeSink(GstElement *output)
{
    if (!GST_IS_BIN(output))
        return false;
    GstIterator *children = gst_bin_iterate_elements(GST_BIN(output));
    GValue found = G_VALUE_INIT;
    const bool fake = gst_iterator_find_custom(children, [](gconstpointer value, gconstpointer) {
        return isFakeSink(static_cast<const GValue *>(value)) ? 0 : 1;
    }, &found, nullptr);
    if (fake)
        g_value_unset(&found);
    gst_iterator_free(children);
    return fake;
}

GstElement *outputOf(GstElement *pipeline)
{
    GstElement *output = nullptr;
    g_object_get(pipeline, "audio-sink", &output, nullptr);
    return output;
}

} // namespace

GstElement *makeSoundOutput(GstElement *pipeline)
{
    g_signal_connect(pipeline, "deep-element-added", G_CALLBACK(bufferAhead), nullptr);
    return gst_element_factory_make("autoaudiosink", nullptr);
}

bool playsSilently(GstElement *pipeline)
{
    GstElement *output = outputOf(pipeline);
    if (!output)
        return false;
    const bool silent = choseFakeSink(output);
    gst_object_unref(output);
    return silent;
}

bool isOutputError(GstMessage *error, GstElement *pipeline)
{
    GstElement *output = outputOf(pipeline);
    if (!output)
        return false;
    GstObject *source = GST_MESSAGE_SRC(error);
    const bool fromOutput = source == GST_OBJECT(output)
                            || (source && gst_object_has_as_ancestor(source, GST_OBJECT(output)));
    gst_object_unref(output);
    return fromOutput;
}

bool realOutputOpens()
{
    GstElement *output = gst_element_factory_make("autoaudiosink", nullptr);
    if (!output)
        return false;
    gst_object_ref_sink(output);
    const bool opens = gst_element_set_state(output, GST_STATE_READY) == GST_STATE_CHANGE_SUCCESS
                       && !choseFakeSink(output);
    gst_element_set_state(output, GST_STATE_NULL);
    gst_object_unref(output);
    return opens;
}

void sayNoSoundOutput()
{
    static std::atomic<bool> said{false};
    if (!said.exchange(true))
        std::fputs("vantrel: no sound output (no sound server or device answered); "
                   "the stories play silently\n", stderr);
}

} // namespace vantrel
