#include "picture/PLDIBSection.h"

#include <QImage>
#include <QPainter>
#include <QRect>

#include "picture/ImageView.h"

namespace picture {

PLDIBSection::PLDIBSection() {
    Create(16, 16, 8, false, false);
}

QImage PLDIBSection::GetHandle() {
    return picture::ImageView(*this);
}

void PLDIBSection::Draw(QPainter& painter, int x, int y) {
    painter.drawImage(QPoint(x, y), picture::ImageView(*this));
}

void PLDIBSection::DrawPart(QPainter& painter, int x, int y, const QRect& source) {
    painter.drawImage(QPoint(x, y), picture::ImageView(*this), source);
}

void PLDIBSection::StretchDraw(QPainter& painter, int x, int y, int width, int height) {
    painter.drawImage(QRect(x, y, width, height), picture::ImageView(*this));
}

void PLDIBSection::StretchDraw(QPainter& painter, int x, int y, double factor) {
    StretchDraw(painter, x, y, static_cast<int>(GetWidth() * factor),
                static_cast<int>(GetHeight() * factor));
}

}  // namespace picture
