// SPDX-License-Identifier: GPL-3.0-or-later
#include "maker_test_support.h"

#include <QCoreApplication>
#include <QProcess>

#include <gst/gst.h>

#include <cstdlib>

namespace maker_test {

MakeRun runMake(const fs::path &folder, const std::vector<std::string> &args)
{
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(folder.string()));
    QStringList arguments;
    for (const std::string &arg : args)
        arguments << QString::fromStdString(arg);
    process.start(QStringLiteral(VANTREL_MAKE), arguments);
    process.waitForFinished(120000);
    MakeRun run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

namespace {

void runPipeline(const std::string &description)
{
    GError *error = nullptr;
    GstElement *pipeline = gst_parse_launch(description.c_str(), &error);
    ASSERT_EQ(error, nullptr) << error->message;
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus *bus = gst_element_get_bus(pipeline);
    GstMessage *message = gst_bus_timed_pop_filtered(
        bus, GST_CLOCK_TIME_NONE, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ended = GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    gst_message_unref(message);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    ASSERT_TRUE(ended) << description;
}

GstPadProbeReturn countSamples(GstPad *, GstPadProbeInfo *info, gpointer samples)
{
    GstBuffer *buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    *static_cast<guint64 *>(samples) += gst_buffer_get_size(buffer) / sizeof(gint16);
    return GST_PAD_PROBE_OK;
}

} // namespace

void makeRecording(const fs::path &file, const std::string &encoder, double seconds)
{
    fs::create_directories(file.parent_path());
    const int rate = 44100;
    const auto buffers = static_cast<int>(seconds * rate / 1024);
    runPipeline("audiotestsrc wave=sine samplesperbuffer=1024 num-buffers=" + std::to_string(buffers)
                + " ! audio/x-raw,rate=44100,channels=2 ! audioconvert ! " + encoder + " ! filesink location=\""
                + file.string() + "\"");
}

// The samples that come out of the decoder, counted at a fixed format.
double decodedMs(const fs::path &file)
{
    const std::string description = "filesrc location=\"" + file.string()
                                    + "\" ! decodebin ! audioconvert ! audio/x-raw,format=S16LE,channels=1 ! "
                                      "identity name=counter ! fakesink";
    GError *error = nullptr;
    GstElement *pipeline = gst_parse_launch(description.c_str(), &error);
    if (error)
        return -1;
    GstElement *counter = gst_bin_get_by_name(GST_BIN(pipeline), "counter");
    GstPad *pad = gst_element_get_static_pad(counter, "src");
    guint64 samples = 0;
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, countSamples, &samples, nullptr);
    GstCaps *caps = nullptr;
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus *bus = gst_element_get_bus(pipeline);
    GstMessage *message = gst_bus_timed_pop_filtered(
        bus, GST_CLOCK_TIME_NONE, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    caps = gst_pad_get_current_caps(pad);
    int rate = 0;
    if (caps)
        gst_structure_get_int(gst_caps_get_structure(caps, 0), "rate", &rate);
    gst_message_unref(message);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    if (caps)
        gst_caps_unref(caps);
    gst_object_unref(pad);
    gst_object_unref(counter);
    gst_object_unref(pipeline);
    return rate > 0 ? 1000.0 * static_cast<double>(samples) / rate : -1;
}

void MakerTest::SetUp()
{
    std::string pattern = (fs::temp_directory_path() / "vantrel-maker-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    m_dir = pattern;
}

void MakerTest::TearDown()
{
    std::error_code ec;
    fs::remove_all(m_dir, ec);
}

} // namespace maker_test

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    gst_init(&argc, &argv);
    testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    gst_deinit();
    return status;
}
