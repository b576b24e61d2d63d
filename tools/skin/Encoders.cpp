#include "tools/skin/Encoders.h"

#include <QBuffer>
#include <QImageWriter>
#include <span>
#include <stdexcept>

#include "picture/BmpEncoder.h"

namespace skin {

namespace {

void Put16(QByteArray& out, int v) {
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>((v >> 8) & 0xFF));
}

void Put32(QByteArray& out, qint64 v) {
    const auto u = static_cast<quint32>(v);
    for (int shift = 0; shift < 32; shift += 8) out.append(static_cast<char>((u >> shift) & 0xFF));
}

QByteArray Write(const QImage& image, const char* format, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0)
        writer.setQuality(quality);
    if (!writer.write(image)) {
        throw std::runtime_error("cannot encode " + std::string(format) + ": " +
                                 writer.errorString().toStdString());
    }
    return bytes;
}

}  // namespace

QByteArray EncodeJpeg(const QImage& colour, int quality) {
    return Write(colour.convertToFormat(QImage::Format_RGB32), "JPEG", quality);
}

QByteArray EncodePng(const QImage& image) {
    return Write(image, "PNG", -1);
}

QByteArray EncodeGreyMask(const QImage& grey) {
    const QImage g = grey.convertToFormat(QImage::Format_Grayscale8);
    const auto stride = static_cast<std::size_t>(g.bytesPerLine());
    const std::span<const std::uint8_t> pixels(g.constBits(), g.sizeInBytes());
    const std::vector<std::uint8_t> bmp =
        picture::EncodeGreyBmp(g.width(), g.height(), pixels, stride);
    return QByteArray(reinterpret_cast<const char*>(bmp.data()),
                      static_cast<qsizetype>(bmp.size()));
}

QByteArray EncodeBmp24(const QImage& colour) {
    const QImage c = colour.convertToFormat(QImage::Format_RGB32);
    const int stride = (c.width() * 3 + 3) / 4 * 4;
    const int imageSize = stride * c.height();
    QByteArray out;
    out.append("BM", 2);
    Put32(out, 54 + imageSize);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, c.width());
    Put32(out, c.height());
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, imageSize);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = c.height() - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(c.constScanLine(y));
        for (int x = 0; x < c.width(); ++x) {
            out.append(static_cast<char>(qBlue(line[x])));
            out.append(static_cast<char>(qGreen(line[x])));
            out.append(static_cast<char>(qRed(line[x])));
        }
        for (int pad = c.width() * 3; pad < stride; ++pad) out.append('\0');
    }
    return out;
}

QByteArray EncodeIco(const std::vector<QImage>& sizes) {
    std::vector<QByteArray> pngs;
    for (const QImage& image : sizes) {
        if (image.width() != image.height() || image.width() < 1 || image.width() > 256) {
            throw std::invalid_argument("icon pictures must be square, 1 to 256 pixels");
        }
        pngs.push_back(EncodePng(image.convertToFormat(QImage::Format_ARGB32)));
    }
    QByteArray out;
    Put16(out, 0);
    Put16(out, 1);  // icon
    Put16(out, static_cast<int>(sizes.size()));
    qint64 offset = 6 + 16 * static_cast<qint64>(sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const int side = sizes[i].width();
        out.append(static_cast<char>(side == 256 ? 0 : side));
        out.append(static_cast<char>(side == 256 ? 0 : side));
        out.append('\0');  // no palette
        out.append('\0');
        Put16(out, 1);   // planes
        Put16(out, 32);  // bits per pixel
        Put32(out, pngs[i].size());
        Put32(out, offset);
        offset += pngs[i].size();
    }
    for (const QByteArray& png : pngs) out.append(png);
    return out;
}

QByteArray EncodeRgnData(const std::vector<QRect>& rectangles) {
    QRect bounds;
    for (const QRect& r : rectangles) bounds = bounds.united(r);
    QByteArray out;
    Put32(out, 32);
    Put32(out, 1);  // RDH_RECTANGLES
    Put32(out, static_cast<qint64>(rectangles.size()));
    Put32(out, 16 * static_cast<qint64>(rectangles.size()));
    const auto putRect = [&out](const QRect& r) {
        Put32(out, r.left());
        Put32(out, r.top());
        Put32(out, r.left() + r.width());
        Put32(out, r.top() + r.height());
    };
    putRect(bounds);
    for (const QRect& r : rectangles) putRect(r);
    return out;
}

}  // namespace skin
