// SPDX-License-Identifier: GPL-3.0-or-later
#include "gst_tempo_filter.h"

#include <gst/gst.h>

namespace vantrel {

namespace {

// scaletempo keeps the sound it has queued through a flushing seek and plays
// it first after the seek: at a speed other than 1x, a blip from where the
// player was (the end of the muted warm-up, or of the last play) before the
// place sought. So the filter is a bin in which each flush puts a fresh one.

void unlinkBetween(GstPad *feed, GstElement *element, GstPad *drain)
{
    GstPad *sink = gst_element_get_static_pad(element, "sink");
    GstPad *src = gst_element_get_static_pad(element, "src");
    gst_pad_unlink(feed, sink);
    gst_pad_unlink(src, drain);
    gst_object_unref(sink);
    gst_object_unref(src);
}

void linkBetween(GstPad *feed, GstElement *element, GstPad *drain)
{
    GstPad *sink = gst_element_get_static_pad(element, "sink");
    GstPad *src = gst_element_get_static_pad(element, "src");
    // The same caps as the element replaced; no data flows to check them on.
    gst_pad_link_full(feed, sink, GST_PAD_LINK_CHECK_NOTHING);
    gst_pad_link_full(src, drain, GST_PAD_LINK_CHECK_NOTHING);
    gst_object_unref(sink);
    gst_object_unref(src);
}

void swapTempo(GstElement *stale, GstPad *feed, GstPad *drain)
{
    auto *bin = GST_BIN(gst_object_get_parent(GST_OBJECT(stale)));
    GstElement *fresh = bin ? gst_element_factory_make("scaletempo", nullptr) : nullptr;
    if (!fresh) {
        if (bin)
            gst_object_unref(bin);
        return;
    }
    GstState state = GST_STATE_NULL;
    gst_element_get_state(stale, &state, nullptr, 0);
    unlinkBetween(feed, stale, drain);
    gst_element_set_state(stale, GST_STATE_NULL);
    gst_bin_remove(bin, stale);
    gst_bin_add(bin, fresh);
    linkBetween(feed, fresh, drain);
    gst_element_set_state(fresh, state);
    gst_object_unref(bin);
}

// Runs on the thread that carries the seek's flush, holding the stream lock
// of the element before scaletempo: no data is inside it.
GstPadProbeReturn renewTempo(GstPad *feed, GstPadProbeInfo *info, gpointer drain)
{
    if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) != GST_EVENT_FLUSH_STOP)
        return GST_PAD_PROBE_OK;
    if (GstPad *staleSink = gst_pad_get_peer(feed)) {
        if (GstElement *stale = gst_pad_get_parent_element(staleSink)) {
            swapTempo(stale, feed, static_cast<GstPad *>(drain));
            gst_object_unref(stale);
        }
        gst_object_unref(staleSink);
    }
    return GST_PAD_PROBE_OK;
}

void ghostPad(GstElement *bin, GstElement *element, const char *name)
{
    GstPad *pad = gst_element_get_static_pad(element, name);
    gst_element_add_pad(bin, gst_ghost_pad_new(name, pad));
    gst_object_unref(pad);
}

} // namespace

// identity ! scaletempo ! identity: fixed pads on both sides to swap between.
GstElement *makeTempoFilter()
{
    GstElement *parts[] = {gst_element_factory_make("identity", nullptr),
                           gst_element_factory_make("scaletempo", nullptr),
                           gst_element_factory_make("identity", nullptr)};
    if (!parts[0] || !parts[1] || !parts[2]) {
        for (GstElement *part : parts)
            if (part)
                gst_object_unref(gst_object_ref_sink(part));
        return nullptr;
    }
    GstElement *bin = gst_bin_new("tempo");
    gst_bin_add_many(GST_BIN(bin), parts[0], parts[1], parts[2], nullptr);
    gst_element_link_many(parts[0], parts[1], parts[2], nullptr);
    ghostPad(bin, parts[0], "sink");
    ghostPad(bin, parts[2], "src");
    GstPad *feed = gst_element_get_static_pad(parts[0], "src");
    GstPad *drain = gst_element_get_static_pad(parts[2], "sink");
    gst_pad_add_probe(feed, GST_PAD_PROBE_TYPE_EVENT_FLUSH, renewTempo, drain, gst_object_unref);
    gst_object_unref(feed);
    return bin;
}

} // namespace vantrel
