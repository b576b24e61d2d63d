#include "platform/media/NetworkSourceGuard.h"

#include <gst/gsttracer.h>

#include <strings.h>
#include <array>
#include <mutex>
#include <string_view>

namespace platform::media {

namespace {

// What the radio may open: the web (ICY is HTTP by another name) and RTSP.
constexpr std::array<std::string_view, 12> kNetworkProtocols = {
    "http",  "https", "icy",   "icyx",   "rtsp",   "rtspu",
    "rtspt", "rtsph", "rtsps", "rtspsu", "rtspst", "rtspsh"};

constexpr const char* kDisarmedKey = "tunelink-disarmed-source";

bool IsNetworkProtocol(const char* protocol) {
    for (std::string_view allowed : kNetworkProtocols) {
        if (allowed.size() == std::char_traits<char>::length(protocol) &&
            strncasecmp(protocol, allowed.data(), allowed.size()) == 0)
            return true;
    }
    return false;
}

GQuark RefusedQuark() {
    return g_quark_from_static_string("tunelink-source-refused");
}

// A source passes only if every protocol it speaks is a network one: an element that can
// read "file" as well as "http" could be pointed at either.
bool IsNetworkSource(GstElement* element) {
    if (!GST_IS_URI_HANDLER(element))
        return true;
    GstURIHandler* handler = GST_URI_HANDLER(element);
    if (gst_uri_handler_get_uri_type(handler) != GST_URI_SRC)
        return true;
    const gchar* const* protocols = gst_uri_handler_get_protocols(handler);
    if (!protocols || !*protocols)
        return false;
    for (; *protocols; ++protocols) {
        if (!IsNetworkProtocol(*protocols))
            return false;
    }
    return true;
}

// Posted on the outermost bin, so a demuxer that retries its own failed downloads cannot
// swallow it: the pipeline's owner hears of the refusal at once.
void PostRefusal(GstElement* element) {
    GstElement* outermost = GST_ELEMENT(gst_object_ref(element));
    while (GstObject* parent = gst_object_get_parent(GST_OBJECT(outermost))) {
        gst_object_unref(outermost);
        if (!GST_IS_ELEMENT(parent)) {
            gst_object_unref(parent);
            outermost = GST_ELEMENT(gst_object_ref(element));
            break;
        }
        outermost = GST_ELEMENT(parent);
    }
    GError* error = g_error_new(RefusedQuark(), 1, "refused to open a non-network source (%s)",
                                GST_ELEMENT_NAME(element));
    gst_element_post_message(outermost, gst_message_new_error(GST_OBJECT(element), error, nullptr));
    g_error_free(error);
    gst_object_unref(outermost);
}

// A base source opens its file while its pad is activated, in push mode by its own state
// change, or in pull mode by the element downstream. Refusing both keeps it from ever
// opening anything.
gboolean RefuseActivation(GstPad*, GstObject* parent) {
    if (parent && GST_IS_ELEMENT(parent))
        PostRefusal(GST_ELEMENT(parent));
    return FALSE;
}

gboolean RefuseActivationMode(GstPad*, GstObject* parent, GstPadMode, gboolean active) {
    if (!active)
        return TRUE;
    if (parent && GST_IS_ELEMENT(parent))
        PostRefusal(GST_ELEMENT(parent));
    return FALSE;
}

void DisarmPad(GstPad* pad) {
    gst_pad_set_activate_function_full(pad, RefuseActivation, nullptr, nullptr);
    gst_pad_set_activatemode_function_full(pad, RefuseActivationMode, nullptr, nullptr);
}

void Disarm(GstElement* element) {
    g_object_set_data(G_OBJECT(element), kDisarmedKey, GINT_TO_POINTER(1));
    GstIterator* pads = gst_element_iterate_pads(element);
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(pads, &item) == GST_ITERATOR_OK) {
        DisarmPad(GST_PAD(g_value_get_object(&item)));
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(pads);
}

void OnElementNew(GObject*, GstClockTime, GstElement* element) {
    if (!IsNetworkSource(element))
        Disarm(element);
}

// Sources that make their pads later are disarmed pad by pad.
void OnElementAddPad(GObject*, GstClockTime, GstElement* element, GstPad* pad) {
    if (g_object_get_data(G_OBJECT(element), kDisarmedKey))
        DisarmPad(pad);
}

// The tracer type is abstract; hooks need an instance of some subclass to belong to.
GType GuardTracerType() {
    static const GType type = g_type_register_static_simple(
        GST_TYPE_TRACER, "TunelinkNetworkSourceGuard", sizeof(GstTracerClass), nullptr,
        sizeof(GstTracer), nullptr, static_cast<GTypeFlags>(0));
    return type;
}

}  // namespace

void InstallNetworkSourceGuard() {
    static std::once_flag once;
    std::call_once(once, [] {
        // Owned by the tracing hooks for the life of the process.
        auto* tracer = static_cast<GstTracer*>(g_object_new(GuardTracerType(), nullptr));
        gst_object_ref_sink(tracer);
        gst_tracing_register_hook(tracer, "element-new", G_CALLBACK(OnElementNew));
        gst_tracing_register_hook(tracer, "element-add-pad", G_CALLBACK(OnElementAddPad));
        gst_object_unref(tracer);
    });
}

bool IsRefusedSourceError(const GError* error) {
    return error && error->domain == RefusedQuark();
}

}  // namespace platform::media
