#include "ui/BuiltInImage.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

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

}  // namespace ui
