#include "platform/system/X11WindowPixels.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace platform {

namespace {
constexpr std::size_t kPutImageHeader = 24;

xcb_connection_t* X11Connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    // Under the offscreen platform the interface exists but has no connection.
    return x11 ? x11->connection() : nullptr;
}

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPtr<Reply> Owned(Reply* reply) {
    return ReplyPtr<Reply>(reply, &std::free);
}

const xcb_visualtype_t* FindVisual(const xcb_setup_t* setup, xcb_visualid_t id) {
    for (auto screens = xcb_setup_roots_iterator(setup); screens.rem; xcb_screen_next(&screens)) {
        for (auto depths = xcb_screen_allowed_depths_iterator(screens.data); depths.rem;
             xcb_depth_next(&depths)) {
            for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem;
                 xcb_visualtype_next(&visuals)) {
                if (visuals.data->visual_id == id)
                    return visuals.data;
            }
        }
    }
    return nullptr;
}

bool VisualTakesImageColours(const xcb_visualtype_t* visual) {
    return visual &&
           (visual->_class == XCB_VISUAL_CLASS_TRUE_COLOR ||
            visual->_class == XCB_VISUAL_CLASS_DIRECT_COLOR) &&
           visual->red_mask == 0xff0000u && visual->green_mask == 0x00ff00u &&
           visual->blue_mask == 0x0000ffu;
}

bool IsThirtyTwoBitImage(const QImage& image) {
    return image.format() == QImage::Format_RGB32 ||
           image.format() == QImage::Format_ARGB32_Premultiplied;
}
}  // namespace

bool X11WindowPixels::DisplayFits() {
    xcb_connection_t* connection = X11Connection();
    if (!connection || xcb_connection_has_error(connection))
        return false;
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const auto hostOrder = std::endian::native == std::endian::little ? XCB_IMAGE_ORDER_LSB_FIRST
                                                                      : XCB_IMAGE_ORDER_MSB_FIRST;
    if (!setup || setup->image_byte_order != hostOrder)
        return false;
    bool depth24 = false;
    for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem;
         xcb_format_next(&formats)) {
        const xcb_format_t& format = *formats.data;
        if (format.depth != 24 && format.depth != 32)
            continue;
        if (format.bits_per_pixel != 32)
            return false;
        depth24 = depth24 || format.depth == 24;
    }
    return depth24;
}

X11WindowPixels::X11WindowPixels(unsigned long window, std::size_t largestRequest)
    : window_(window), largestRequest_(std::max<std::size_t>(largestRequest, 4)) {
    xcb_connection_t* connection = X11Connection();
    if (!connection || window == 0 || !DisplayFits())
        return;
    const auto id = static_cast<xcb_window_t>(window);
    const auto geometryCookie = xcb_get_geometry(connection, id);
    const auto attributesCookie = xcb_get_window_attributes(connection, id);
    const auto geometry = Owned(xcb_get_geometry_reply(connection, geometryCookie, nullptr));
    const auto attributes =
        Owned(xcb_get_window_attributes_reply(connection, attributesCookie, nullptr));
    if (!geometry || !attributes)
        return;
    depth_ = geometry->depth;
    if (depth_ != 24 && depth_ != 32)
        return;
    if (!VisualTakesImageColours(FindVisual(xcb_get_setup(connection), attributes->visual)))
        return;
    gc_ = xcb_generate_id(connection);
    const auto made =
        xcb_request_check(connection, xcb_create_gc_checked(connection, gc_, id, 0, nullptr));
    if (made) {
        std::free(made);
        gc_ = 0;
        return;
    }
    fits_ = true;
}

X11WindowPixels::~X11WindowPixels() {
    xcb_connection_t* connection = X11Connection();
    if (gc_ != 0 && connection) {
        xcb_free_gc(connection, gc_);
        xcb_flush(connection);
    }
}

util::Status X11WindowPixels::Put(const QImage& image, const QRect& source, const QPoint& target) {
    xcb_connection_t* connection = X11Connection();
    if (!fits_ || !connection)
        return util::Error{"the window does not take these pixels"};
    if (!IsThirtyTwoBitImage(image))
        return util::Error{"not a 32-bit image"};
    const QRect area = source.intersected(image.rect());
    if (area.isEmpty())
        return {};
    const QPoint at = target + (area.topLeft() - source.topLeft());
    const std::size_t rowBytes = static_cast<std::size_t>(area.width()) * 4;
    const std::size_t displayBound =
        static_cast<std::size_t>(xcb_get_maximum_request_length(connection)) * 4 - kPutImageHeader;
    const std::size_t bound = std::min(largestRequest_, displayBound);
    if (rowBytes > bound)
        return util::Error{"a row is longer than the display takes in one request"};
    const int bandRows = static_cast<int>(
        std::min<std::size_t>(bound / rowBytes, static_cast<std::size_t>(area.height())));
    // Rows lie one after another in the image only when the area spans it whole.
    const bool contiguous =
        area.x() == 0 && static_cast<std::size_t>(image.bytesPerLine()) == rowBytes;
    std::vector<std::uint8_t> band(contiguous ? 0 : rowBytes * static_cast<std::size_t>(bandRows));
    const auto rowStart = [&](int y) {
        return image.constScanLine(y) + static_cast<std::size_t>(area.x()) * 4;
    };
    xcb_void_cookie_t last{};
    for (int top = area.top(); top <= area.bottom(); top += bandRows) {
        const int rows = std::min(bandRows, area.bottom() + 1 - top);
        const std::uint8_t* data = contiguous ? rowStart(top) : band.data();
        for (int row = 0; !contiguous && row < rows; ++row)
            std::memcpy(band.data() + rowBytes * static_cast<std::size_t>(row), rowStart(top + row),
                        rowBytes);
        // Only the window's first write waits for the display's answer: later writes differ
        // from it in their rows and pixels only, and a paint need not wait for the display.
        const bool check = !confirmed_ && top + rows > area.bottom();
        const auto put = check ? xcb_put_image_checked : xcb_put_image;
        last = put(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, static_cast<xcb_window_t>(window_), gc_,
                   static_cast<uint16_t>(area.width()), static_cast<uint16_t>(rows),
                   static_cast<int16_t>(at.x()), static_cast<int16_t>(at.y() + (top - area.top())),
                   0, static_cast<uint8_t>(depth_), static_cast<uint32_t>(rowBytes * rows), data);
    }
    if (confirmed_) {
        xcb_flush(connection);
        return {};
    }
    // One answer for the whole area: the bands differ only in their rows, so whatever the
    // display refuses in one it refuses in the last too.
    if (auto* error = xcb_request_check(connection, last)) {
        const int code = error->error_code;
        std::free(error);
        return util::Error{"the display refused the pixels (X error " + std::to_string(code) + ")"};
    }
    confirmed_ = true;
    return {};
}

}  // namespace platform
