#include "platform/media/SegmentSources.h"

#include <gst/gst.h>

namespace platform::media {

namespace {

void TurnOffKeepAlive(GstElement* element) {
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(element), "keep-alive"))
        g_object_set(element, "keep-alive", FALSE, nullptr);
}

void TurnOffKeepAliveInside(GstBin* bin) {
    GstIterator* children = gst_bin_iterate_recurse(bin);
    gst_iterator_foreach(
        children,
        [](const GValue* child, gpointer) {
            TurnOffKeepAlive(GST_ELEMENT(g_value_get_object(child)));
        },
        nullptr);
    gst_iterator_free(children);
}

}  // namespace

void CloseConnectionAfterEachDownload(GstElement* added) {
    // The demuxer adds its source inside a bin of its own, made before it is added.
    TurnOffKeepAlive(added);
    if (GST_IS_BIN(added))
        TurnOffKeepAliveInside(GST_BIN(added));
}

}  // namespace platform::media
