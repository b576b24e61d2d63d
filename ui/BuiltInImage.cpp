#include "ui/BuiltInImage.h"

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
            QImage image = ReadBuiltInImage(*data, "bmp");
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

}  // namespace ui
