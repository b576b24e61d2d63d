#include "ui/BuiltInImage.h"

#include <QPixmap>

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include "ui/PictureScale.h"
#include "util/Resources.h"

namespace ui {

namespace {
QImage Read(QImageReader& reader) {
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}
}  // namespace

QImage ReadBuiltInImage(const QString& path, const char* format) {
    QImageReader reader(path, format);
    return Read(reader);
}

QImage ReadBuiltInImage(std::span<const std::uint8_t> data, const char* format) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()),
                                                     static_cast<qsizetype>(data.size()));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    return Read(reader);
}

QImage ReadBitmapResource(int id, double devicePixelRatio) {
    const int scale = PictureScaleFor(devicePixelRatio);
    if (scale != 1) {
        if (auto data = util::ReadResourceData(id, util::ResourceType::Bitmap, scale)) {
            QImage image = ReadBuiltInImage(data->Bytes(), "bmp");
            if (!image.isNull()) {
                image.setDevicePixelRatio(scale);
                return image;
            }
        }
    }
    auto data = util::FindResourceData(id, util::ResourceType::Bitmap);
    if (!data)
        data = util::FindResourceData(id, util::ResourceType::RcData);
    return data ? ReadBuiltInImage(*data, "bmp") : QImage();
}

// PNGs read as PNGs: a resource path without a suffix would make Qt sniff its type through
// the MIME database and load every image and icon plugin, for one icon. Task bars and
// window switchers show at most 128 pixels; a 256 one would hold 256 KB for nothing.
QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) {
        const QImage image = ReadBuiltInImage(QStringLiteral(":/res/appicon/%1").arg(size), "png");
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

}  // namespace ui
