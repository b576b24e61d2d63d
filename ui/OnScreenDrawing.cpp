#include "ui/OnScreenDrawing.h"

#include "platform/system/X11WindowPixels.h"

#include <QLoggingCategory>
#include <QWidget>

namespace ui {

namespace {
Q_LOGGING_CATEGORY(lcScreen, "tunelink.screen")
}

COnScreenDrawing::COnScreenDrawing() = default;
COnScreenDrawing::~COnScreenDrawing() = default;

bool COnScreenDrawing::Prepare(QWidget* window, int scale) {
    window_ = window;
    pixels_.reset();
    on_ = window && platform::X11WindowPixels::DisplayFits() &&
          qFuzzyCompare(window->devicePixelRatioF(), static_cast<qreal>(scale));
    if (window)
        window->setAttribute(Qt::WA_PaintOnScreen, on_);
    return on_;
}

bool COnScreenDrawing::Show(const QImage& pixels, const QRect& source, const QPoint& target) {
    if (!on_ || !window_)
        return false;
    // A window can be given a new native window (after it was destroyed and shown again).
    const unsigned long id = window_->winId();
    if (!pixels_ || pixels_->Window() != id)
        pixels_ = std::make_unique<platform::X11WindowPixels>(id);
    if (!pixels_->Fits()) {
        qCInfo(lcScreen,
               "the window's visual does not take the surface's pixels; painting as usual");
        TurnOff();
        return false;
    }
    if (const util::Status put = pixels_->Put(pixels, source, target); !put) {
        qCWarning(lcScreen, "%s; painting as usual", put.error().message.c_str());
        TurnOff();
        return false;
    }
    return true;
}

void COnScreenDrawing::TurnOff() {
    on_ = false;
    pixels_.reset();
    if (window_) {
        window_->setAttribute(Qt::WA_PaintOnScreen, false);
        window_->update();
    }
}

}  // namespace ui
