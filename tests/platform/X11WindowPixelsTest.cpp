// Pixels written straight into real X11 windows (24 and 32 bits deep) are read back from the
// display. The test program runs on the offscreen platform, so each case starts a private
// Xvfb and runs itself there, on the xcb platform.
#include "platform/system/X11WindowPixels.h"
#include "tests/support/VirtualDisplay.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {
using platform::X11WindowPixels;

bool OnX11() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// Runs the current test again in a child on a private X display; true when it passed there.
void RunOnPrivateDisplay(bool compositor) {
    if (!testsupport::VirtualDisplay::ToolExists("Xvfb"))
        GTEST_SKIP() << "Xvfb is needed";
    testsupport::VirtualDisplay display(320, 240, compositor);
    ASSERT_TRUE(display.Available());
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.insert("DISPLAY", QString::fromStdString(display.Name()));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(
        QCoreApplication::applicationFilePath(),
        {QStringLiteral("--gtest_filter=%1.%2")
             .arg(QString::fromUtf8(test->test_suite_name()), QString::fromUtf8(test->name()))});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}

// A window the toolkit never paints: what it shows is only what the test wrote.
class BareWindow : public QWidget {
  public:
    explicit BareWindow(bool translucent) {
        setAttribute(Qt::WA_PaintOnScreen);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_TranslucentBackground, translucent);
        setWindowFlags(Qt::FramelessWindowHint);
        resize(80, 60);
    }
    QPaintEngine* paintEngine() const override { return nullptr; }

  protected:
    void paintEvent(QPaintEvent*) override {}
};

// The window's pixels as the display holds them.
QImage ReadBack(unsigned long window, int depth, const QSize& size) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11->connection();
    auto cookie = xcb_get_image(
        connection, XCB_IMAGE_FORMAT_Z_PIXMAP, static_cast<xcb_window_t>(window), 0, 0,
        static_cast<uint16_t>(size.width()), static_cast<uint16_t>(size.height()), ~0u);
    std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> reply(
        xcb_get_image_reply(connection, cookie, nullptr), &std::free);
    if (!reply || xcb_get_image_data_length(reply.get()) != size.width() * size.height() * 4)
        return {};
    QImage image(xcb_get_image_data(reply.get()), size.width(), size.height(),
                 depth == 32 ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    return image.copy();  // the reply's bytes go with it
}

// Every pixel different, with alpha below full where the image has it (premultiplied).
QImage Pattern(QImage::Format format, const QSize& size) {
    QImage image(size, format);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const int alpha = format == QImage::Format_RGB32 ? 255 : 64 + (x * 7 + y) % 192;
            image.setPixel(x, y,
                           qPremultiply(qRgba((x * 5) % 256, (y * 9) % 256, (x + y) % 256, alpha)));
        }
    }
    return image;
}

QRgb Visible(QRgb pixel, int depth) {
    return depth == 32 ? pixel : (pixel | 0xff000000u);
}

void WritesWhatReadsBack(bool translucent) {
    BareWindow window(translucent);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // Three rows of 50 pixels fit in one request of 600 bytes: the area goes in bands.
    X11WindowPixels pixels(window.winId(), 600);
    ASSERT_TRUE(pixels.Fits());
    ASSERT_EQ(pixels.Depth(), translucent ? 32 : 24);
    const QImage::Format format =
        translucent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;

    // The whole window from an image of its size (rows one after another), then part of a
    // bigger image at an offset (rows picked out of it).
    QImage ground(window.size(), format);
    ground.fill(translucent ? qPremultiply(qRgba(10, 200, 30, 128)) : qRgb(10, 200, 30));
    ASSERT_TRUE(pixels.Put(ground, ground.rect(), {0, 0}));
    const QImage pattern = Pattern(format, {100, 70});
    const QRect source(10, 5, 50, 40);
    const QPoint target(7, 3);
    ASSERT_TRUE(pixels.Put(pattern, source, target));

    const QImage shown = ReadBack(window.winId(), pixels.Depth(), window.size());
    ASSERT_FALSE(shown.isNull());
    const QRect written(target, source.size());
    int wrong = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QPoint at(x, y);
            const QRgb expected = written.contains(at)
                                      ? pattern.pixel(at - target + source.topLeft())
                                      : ground.pixel(at);
            if (Visible(shown.pixel(at), pixels.Depth()) != Visible(expected, pixels.Depth()))
                ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0) << "pixels that differ from what was written";
}
}  // namespace

TEST(X11WindowPixels, AnOpaqueWindowShowsWhatWasWritten) {
    if (!OnX11())
        return RunOnPrivateDisplay(false);
    WritesWhatReadsBack(false);
}

TEST(X11WindowPixels, ATranslucentWindowKeepsColourAndAlpha) {
    if (!OnX11())
        return RunOnPrivateDisplay(true);
    WritesWhatReadsBack(true);
}

TEST(X11WindowPixels, RefusesWhatItCannotWrite) {
    if (!OnX11())
        return RunOnPrivateDisplay(false);
    EXPECT_FALSE(X11WindowPixels(0).Fits());
    BareWindow window(false);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    X11WindowPixels pixels(window.winId(), 100);
    ASSERT_TRUE(pixels.Fits());
    const QImage threeBytes(10, 10, QImage::Format_RGB888);
    EXPECT_FALSE(pixels.Put(threeBytes, threeBytes.rect(), {0, 0}));
    // 50 pixels are 200 bytes, more than one request of 100 may carry.
    const QImage wide(50, 2, QImage::Format_RGB32);
    EXPECT_FALSE(pixels.Put(wide, wide.rect(), {0, 0}));
    // Nothing of the image in the area: nothing to write, and no error.
    EXPECT_TRUE(
        pixels.Put(threeBytes.convertToFormat(QImage::Format_RGB32), {20, 20, 5, 5}, {0, 0}));
}
