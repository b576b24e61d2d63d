// The floor the radio is measured against: the smallest Qt 6 program that shows a window and
// plays a stream with playbin. The sink comes from TUNELINK_AUDIO_SINK, as for the radio.
// Its bus messages are dropped as they come: left on the bus they would pile up and make the
// floor grow. A sync handler that answers "drop" owns the message and releases it; otherwise
// every message, and the element that posted it, would stay allocated.
//
//   tunelink_playbin_floor URI [--on-input [NEXT_URI]]
//
// With --on-input it prints "ready" once its window is up and starts playing when a line
// arrives on its standard input: the listener's Play, for timing from outside. The next line
// switches to NEXT_URI the plain way (stop, new address, play): the listener's change of
// station.
#include <gst/gst.h>
#include <unistd.h>
#include <QApplication>
#include <QLabel>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

int main(int argc, char** argv) {
    gst_init(&argc, &argv);
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const bool onInput = argc > 2 && std::strcmp(argv[2], "--on-input") == 0;
    const char* next = onInput && argc > 3 ? argv[3] : nullptr;
    QLabel label(QStringLiteral("playbin"));
    label.show();
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    g_object_set(playbin, "uri", argv[1], nullptr);
    GstBus* bus = gst_element_get_bus(playbin);
    gst_bus_set_sync_handler(
        bus,
        [](GstBus*, GstMessage* message, gpointer) {
            gst_message_unref(message);
            return GST_BUS_DROP;
        },
        nullptr, nullptr);
    gst_object_unref(bus);
    if (const char* sink = std::getenv("TUNELINK_AUDIO_SINK"))
        g_object_set(playbin, "audio-sink", gst_parse_bin_from_description(sink, TRUE, nullptr),
                     nullptr);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    bool started = false;
    if (onInput) {
        QObject::connect(&input, &QSocketNotifier::activated, [&] {
            char line[64];
            if (::read(STDIN_FILENO, line, sizeof line) <= 0) {
                input.setEnabled(false);
                return;
            }
            if (started && next) {
                gst_element_set_state(playbin, GST_STATE_NULL);
                g_object_set(playbin, "uri", std::exchange(next, nullptr), nullptr);
            }
            started = true;
            gst_element_set_state(playbin, GST_STATE_PLAYING);
        });
        QTimer::singleShot(0, [] {
            std::puts("ready");
            std::fflush(stdout);
        });
    } else {
        input.setEnabled(false);
        gst_element_set_state(playbin, GST_STATE_PLAYING);
    }
    const int result = QApplication::exec();
    gst_element_set_state(playbin, GST_STATE_NULL);
    gst_object_unref(playbin);
    return result;
}
