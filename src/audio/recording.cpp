// SPDX-License-Identifier: GPL-3.0-or-later
#include "recording.h"

#include <gst/gst.h>

#include <memory>
#include <string>
#include <vector>

namespace vantrel {

namespace {

// 22.05 kHz is what MPEG-2 Layer III carries at 32 kbit/s; a fixed rate also
// makes the output the same whatever rate the recording has.
constexpr const char *kPipeline =
    "filesrc name=source ! decodebin name=decoder "
    "audioconvert name=convert ! audioresample ! audio/x-raw,channels=1,rate=22050 ! "
    "lamemp3enc target=bitrate bitrate=32 cbr=true ! filesink name=sink";
constexpr GstClockTime kPollInterval = 100 * GST_MSECOND;

struct PipelineDeleter {
    void operator()(GstElement *pipeline) const
    {
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
    }
};
using Pipeline = std::unique_ptr<GstElement, PipelineDeleter>;

struct Linking {
    GstElement *convert = nullptr;
    bool linked = false;
};

// decodebin offers a pad per stream once it knows the format; the first
// sound stream goes to the encoder, anything else (a picture) is left alone.
void onPadAdded(GstElement *, GstPad *pad, gpointer data)
{
    auto *linking = static_cast<Linking *>(data);
    GstCaps *caps = gst_pad_get_current_caps(pad);
    if (!caps)
        caps = gst_pad_query_caps(pad, nullptr);
    const gchar *media = gst_structure_get_name(gst_caps_get_structure(caps, 0));
    const bool audio = g_str_has_prefix(media, "audio/x-raw");
    gst_caps_unref(caps);
    if (!audio || linking->linked)
        return;
    GstPad *sink = gst_element_get_static_pad(linking->convert, "sink");
    linking->linked = gst_pad_link(pad, sink) == GST_PAD_LINK_OK;
    gst_object_unref(sink);
}

std::string errorText(GstMessage *message)
{
    GError *error = nullptr;
    gst_message_parse_error(message, &error, nullptr);
    std::string text = error && error->message ? error->message : "unknown error";
    g_clear_error(&error);
    return text;
}

Conversion waitForEnd(GstElement *pipeline, const Linking &linking, const std::atomic<bool> &stop)
{
    Conversion result;
    GstBus *bus = gst_element_get_bus(pipeline);
    for (;;) {
        if (stop) {
            result.interrupted = true;
            break;
        }
        GstMessage *message = gst_bus_timed_pop_filtered(
            bus, kPollInterval, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
        if (!message)
            continue;
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
            result.problem = linking.linked ? errorText(message)
                                            : "it is not a sound file GStreamer can read (" + errorText(message) + ")";
        } else if (!linking.linked) {
            result.problem = "it holds no sound";
        } else {
            result.ok = true;
        }
        gst_message_unref(message);
        break;
    }
    gst_object_unref(bus);
    return result;
}

// A pipeline that cannot even start has said why on its bus.
Conversion failedStart(GstElement *pipeline)
{
    Conversion result;
    GstBus *bus = gst_element_get_bus(pipeline);
    GstMessage *message = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
    result.problem = message ? errorText(message) : "it cannot be read";
    if (message)
        gst_message_unref(message);
    gst_object_unref(bus);
    return result;
}

// Runs DESCRIPTION on RECORDING to its end; its sink, named "sink", is set
// up by SETUPSINK.
template <typename SetUpSink>
Conversion runPipeline(const char *description, const std::filesystem::path &recording, SetUpSink setUpSink,
                       const std::atomic<bool> &stop)
{
    // vantrel-check and the tests hear recordings without starting GStreamer themselves.
    if (!gst_is_initialized())
        gst_init(nullptr, nullptr);
    GError *error = nullptr;
    Pipeline pipeline(gst_parse_launch(description, &error));
    if (error) {
        Conversion failed;
        failed.problem = std::string("GStreamer cannot convert sound here (") + error->message
                         + "); install gstreamer1.0-plugins-good";
        g_clear_error(&error);
        return failed;
    }
    GstBin *bin = GST_BIN(pipeline.get());
    GstElement *source = gst_bin_get_by_name(bin, "source");
    GstElement *decoder = gst_bin_get_by_name(bin, "decoder");
    GstElement *sink = gst_bin_get_by_name(bin, "sink");
    Linking linking;
    linking.convert = gst_bin_get_by_name(bin, "convert");
    g_object_set(source, "location", recording.c_str(), nullptr);
    setUpSink(sink);
    g_signal_connect(decoder, "pad-added", G_CALLBACK(onPadAdded), &linking);

    const Conversion result = gst_element_set_state(pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE
                                  ? failedStart(pipeline.get())
                                  : waitForEnd(pipeline.get(), linking, stop);
    pipeline.reset();  // stopped before `linking` goes
    for (GstElement *element : {source, decoder, sink, linking.convert})
        gst_object_unref(element);
    return result;
}

void keepSamples(GstElement *, GstBuffer *buffer, GstPad *, gpointer data)
{
    auto *samples = static_cast<std::vector<float> *>(data);
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ))
        return;
    const auto *first = reinterpret_cast<const float *>(map.data);
    samples->insert(samples->end(), first, first + map.size / sizeof(float));
    gst_buffer_unmap(buffer, &map);
}

} // namespace

Conversion convertRecording(const std::filesystem::path &recording, const std::filesystem::path &mp3,
                            const std::atomic<bool> &stop)
{
    return runPipeline(
        kPipeline, recording, [&mp3](GstElement *sink) { g_object_set(sink, "location", mp3.c_str(), nullptr); },
        stop);
}

Conversion decodeRecording(const std::filesystem::path &recording, int rate, std::vector<float> &samples,
                           const std::atomic<bool> &stop)
{
    const std::string description =
        "filesrc name=source ! decodebin name=decoder audioconvert name=convert ! audioresample ! "
        "audio/x-raw,format=F32LE,channels=1,rate=" + std::to_string(rate) + " ! fakesink name=sink sync=false";
    samples.clear();
    return runPipeline(
        description.c_str(), recording,
        [&samples](GstElement *sink) {
            g_object_set(sink, "signal-handoffs", TRUE, nullptr);
            g_signal_connect(sink, "handoff", G_CALLBACK(keepSamples), &samples);
        },
        stop);
}

} // namespace vantrel
