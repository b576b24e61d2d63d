#include "tests/picture/TestPictures.h"

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace picture_test {

ByteWriter& ByteWriter::U8(unsigned v) {
    bytes.push_back(static_cast<std::uint8_t>(v));
    return *this;
}

ByteWriter& ByteWriter::U16(unsigned v) {
    return U8(v & 0xFF).U8((v >> 8) & 0xFF);
}

ByteWriter& ByteWriter::U32(std::uint32_t v) {
    return U16(v & 0xFFFF).U16(v >> 16);
}

ByteWriter& ByteWriter::Raw(const Bytes& b) {
    bytes.insert(bytes.end(), b.begin(), b.end());
    return *this;
}

ByteWriter& ByteWriter::Text(const char* s) {
    while (*s) U8(static_cast<unsigned char>(*s++));
    return *this;
}

Bytes MakeBmp(const BmpLayout& layout) {
    const std::uint32_t headerSize = layout.os2 ? 12 : 40;
    const std::uint32_t entryBytes = layout.os2 ? 3 : 4;
    const auto paletteBytes = static_cast<std::uint32_t>(layout.palette.size()) * entryBytes;
    const std::uint32_t offset = layout.pixelOffset.value_or(
        14 + headerSize + static_cast<std::uint32_t>(layout.afterHeader.size()) + paletteBytes);
    ByteWriter w;
    w.Text("BM").U32(offset + static_cast<std::uint32_t>(layout.pixels.size())).U32(0).U32(offset);
    if (layout.os2) {
        w.U32(12).U16(layout.width).U16(layout.height).U16(1).U16(layout.bpp);
    } else {
        w.U32(40)
            .U32(static_cast<std::uint32_t>(layout.width))
            .U32(static_cast<std::uint32_t>(layout.height));
        w.U16(1)
            .U16(layout.bpp)
            .U32(layout.compression)
            .U32(static_cast<std::uint32_t>(layout.pixels.size()));
        w.U32(static_cast<std::uint32_t>(layout.xPelsPerMeter))
            .U32(static_cast<std::uint32_t>(layout.yPelsPerMeter));
        w.U32(layout.colorsUsed).U32(0);
    }
    w.Raw(layout.afterHeader);
    for (const auto& e : layout.palette) {
        w.U8(e[0]).U8(e[1]).U8(e[2]);
        if (!layout.os2)
            w.U8(0);
    }
    while (w.bytes.size() < offset) w.U8(0);
    return w.Raw(layout.pixels).bytes;
}

namespace {

// Only the tests' own well-formed pictures are encoded here: an error is a broken test.
// (No exception may unwind through libjpeg's C frames.)
[[noreturn]] void AbortOnError(j_common_ptr cinfo) {
    char message[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, message);
    std::fprintf(stderr, "test JPEG encoder: %s\n", message);
    std::abort();
}

}  // namespace

Bytes EncodeJpeg(const JpegLayout& layout, const RgbFunction& rgb) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    errors.error_exit = AbortOnError;
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(layout.width);
    cinfo.image_height = static_cast<JDIMENSION>(layout.height);
    cinfo.input_components = layout.grey ? 1 : 3;
    cinfo.in_color_space = layout.grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, layout.quality, TRUE);
    cinfo.density_unit = static_cast<UINT8>(layout.densityUnit);
    cinfo.X_density = static_cast<UINT16>(layout.xDensity);
    cinfo.Y_density = static_cast<UINT16>(layout.yDensity);
    jpeg_start_compress(&cinfo, TRUE);
    if (layout.app1) {
        jpeg_write_marker(&cinfo, JPEG_APP0 + 1, layout.app1->data(),
                          static_cast<unsigned>(layout.app1->size()));
    }
    const int components = layout.grey ? 1 : 3;
    Bytes row(static_cast<std::size_t>(layout.width * components));
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < layout.width; ++x) {
            const auto c = rgb(x, y);
            for (int k = 0; k < components; ++k)
                row[static_cast<std::size_t>(x * components + k)] = c[static_cast<std::size_t>(k)];
        }
        JSAMPROW line = row.data();
        jpeg_write_scanlines(&cinfo, &line, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

Bytes EmptyBigEndianExif() {
    ByteWriter w;
    w.Text("Exif").U8(0).U8(0);
    w.Text("MM").U8(0).U8(42);  // big-endian TIFF header
    w.U8(0).U8(0).U8(0).U8(8);  // first directory at offset 8
    w.U8(0).U8(0);              // no entries
    w.U8(0).U8(0).U8(0).U8(0);  // no next directory
    return w.bytes;
}

}  // namespace picture_test
