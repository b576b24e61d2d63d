// The floor the radio is measured against: the smallest Qt 6 program that shows a window and
// plays a stream with playbin. The sink comes from TUNELINK_AUDIO_SINK, as for the radio.
// Its bus messages are dropped as they come: left on the bus they would pile up and make the
// floor grow. A sync handler that answers "drop" owns the message and releases it; otherwise
// every message, and the element that posted it, would stay allocated.
//
//   tunelink_playbin_floor URI [--on-input [NEXT_URI]]
//   tunelink_playbin_floor URI --window WIDTHxHEIGHT
//
// With --on-input it prints "ready" once its window is up and starts playing when a line
// arrives on its standard input: the listener's Play, for timing from outside. The next line
// switches to NEXT_URI the plain way (stop, new address, play): the listener's change of
// station.
// With --window its window shows a picture of that size, the way a Qt program shows one (a
// pixmap in a label), under a line of text: the same program with a window as big as the
// radio's, to weigh what the radio's window itself costs.
#include <gst/gst.h>
#include <unistd.h>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

int main(int argc, char** argv) {
    gst_init(&argc, &argv);
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const bool onInput = argc > 2 && std::strcmp(argv[2], "--on-input") == 0;
    const char* next = onInput && argc > 3 ? argv[3] : nullptr;
    int width = 0, height = 0;
    if (argc > 2 && std::strcmp(argv[2], "--window") == 0 &&
        (argc < 4 || std::sscanf(argv[3], "%dx%d", &width, &height) != 2 || width <= 0 ||
         height <= 0 || width > 4096 || height > 4096))
        return 2;
    QLabel label(QStringLiteral("playbin"));
    std::unique_ptr<QLabel> text;
    if (width > 0) {
        QImage picture(width, height, QImage::Format_RGB32);
        picture.fill(QColor(0x80, 0x60, 0x40));
        label.setPixmap(QPixmap::fromImage(picture));
        text = std::make_unique<QLabel>(QStringLiteral("playbin"), &label);
    }
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
