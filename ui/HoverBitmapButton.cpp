#include "ui/HoverBitmapButton.h"

#include "ui/BuiltInImage.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

#include "util/Resources.h"

namespace ui {

CHoverBitmapButton::CHoverBitmapButton(QWidget* parent) : QAbstractButton(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

bool CHoverBitmapButton::LoadStateBitmaps(int normal, int clicked, int over, int dimmed) {
    for (QImage& bitmap : bitmaps_) bitmap = QImage();
    const std::array<int, 4> ids{normal, clicked, over, dimmed};
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (ids[i] == kNone && i != 0)
            continue;
        bitmaps_[i] = ui::ReadBitmapResource(ids[i], devicePixelRatioF());
        if (bitmaps_[i].isNull()) {
            for (QImage& bitmap : bitmaps_) bitmap = QImage();
            return false;
        }
    }
    resize(bitmaps_[kNormal].deviceIndependentSize().toSize());
    updateGeometry();
    return true;
}

void CHoverBitmapButton::SetButtonState(int state) {
    state_ = state;
    update();
}

QSize CHoverBitmapButton::sizeHint() const {
    return bitmaps_[kNormal].isNull() ? QSize(18, 18)
                                      : bitmaps_[kNormal].deviceIndependentSize().toSize();
}

const QImage& CHoverBitmapButton::BitmapForState() const {
    switch (state_) {
        case kClicked:
        case kOver:
        case kDimmed:
            return bitmaps_[static_cast<std::size_t>(state_)];
        default:
            return bitmaps_[kNormal];
    }
}

void CHoverBitmapButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QImage& bitmap = BitmapForState();
    if (!bitmap.isNull())
        painter.drawImage(QPoint(0, 0), bitmap,
                          QRect(QPoint(0, 0), size() * bitmap.devicePixelRatio()));
    if (text().isEmpty())
        return;
    const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic;
    if (state_ == kDimmed) {
        // Engraved: a light copy one pixel right and down under the shadow-coloured text.
        painter.setPen(palette().color(QPalette::Light));
        painter.drawText(rect().translated(1, 1), flags, text());
        painter.setPen(palette().color(QPalette::Dark));
    } else {
        painter.setPen(palette().color(QPalette::WindowText));
    }
    painter.drawText(rect(), flags, text());
}

void CHoverBitmapButton::mouseMoveEvent(QMouseEvent* event) {
    QAbstractButton::mouseMoveEvent(event);
    // Only a button at rest lights up: a clicked one keeps its look until the mouse leaves.
    if (!tracking_ && state_ == kNormal) {
        tracking_ = true;
        SetButtonState(kOver);
    }
}

void CHoverBitmapButton::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    tracking_ = false;
    SetButtonState(kNormal);
}

void CHoverBitmapButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        setEnabled(true);
        SetButtonState(kClicked);
    }
    QAbstractButton::mouseReleaseEvent(event);
}

}  // namespace ui
