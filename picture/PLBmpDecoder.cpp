#include "picture/PLBmpDecoder.h"

#include <algorithm>
#include <cstring>

#include "picture/PLBmp.h"
#include "picture/PLDataSource.h"
#include "picture/PLTextException.h"

namespace picture {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kOs2HeaderSize = 12;
constexpr std::uint32_t kWindowsHeaderSize = 40;

const char kNotABitmap[] = "Bitmap decoder: This isn't a bitmap.";

std::uint16_t Signature(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

constexpr std::uint16_t Sig(char a, char b) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(a) << 8 |
                                      static_cast<unsigned char>(b));
}

std::uint32_t Le32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}

// Dots per inch from pixels per metre; 0 when the file gives nothing usable.
int DotsPerInch(std::int32_t pixelsPerMetre) {
    if (pixelsPerMetre <= 0)
        return 0;
    const int dpi = static_cast<int>(pixelsPerMetre * 0.0254 + 0.5);
    return dpi <= 1 ? 0 : dpi;
}

bool IsValidDepth(int bpp) {
    return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
}

}  // namespace

void PLBmpDecoder::Open(PLDataSource* source) {
    m_pDataSrc = source;
    m_Header = Header{};
    m_Palette.fill(PLPixel32{0, 0, 0, 255});
    m_ArrayBytesSkipped = 0;
    m_PixelOffset = 0;
    m_Is555 = true;
    readFileHeader();
    readInfoHeader();
    setFacts();
}

void PLBmpDecoder::readFileHeader() {
    std::uint16_t signature = Signature(m_pDataSrc->ReadNBytes(2));
    // A bitmap array (OS/2) puts 14-byte array headers in front of the bitmap proper.
    while (signature == Sig('B', 'A')) {
        m_pDataSrc->Skip(12);
        signature = Signature(m_pDataSrc->ReadNBytes(2));
        m_ArrayBytesSkipped += kFileHeaderSize;
    }
    const std::uint8_t* rest = m_pDataSrc->ReadNBytes(12);
    m_PixelOffset = Le32(rest + 8);
    if (signature != Sig('I', 'C') && signature != Sig('C', 'I') && signature != Sig('B', 'M') &&
        signature != Sig('C', 'P')) {
        raiseError(PLErr::kWrongSignature, kNotABitmap);
    }
}

void PLBmpDecoder::readInfoHeader() {
    m_Header.size = m_pDataSrc->ReadDWord();
    if (m_Header.size == kOs2HeaderSize) {
        readOs2Header();
    } else if (m_Header.size >= kWindowsHeaderSize) {
        readWindowsHeader();
    } else {
        raiseError(PLErr::kWrongSignature, kNotABitmap);
    }
}

void PLBmpDecoder::readOs2Header() {
    m_Header.width = m_pDataSrc->ReadWord();
    m_Header.height = m_pDataSrc->ReadWord();
    m_Header.planes = m_pDataSrc->ReadWord();
    m_Header.bitCount = m_pDataSrc->ReadWord();
    if (!IsValidDepth(m_Header.bitCount)) {
        raiseError(PLErr::kBadBitDepth, "Decoding bmp: Illegal bpp value.");
    }
    const int entries = paletteEntries();
    readPalette(entries, 3);
    // The pixels start at the file header's offset, counted from the bitmap proper.
    const auto skip = static_cast<std::int64_t>(m_PixelOffset) - entries * 3 -
                      static_cast<std::int64_t>(m_ArrayBytesSkipped) - 26;
    if (skip > 0)
        m_pDataSrc->Skip(static_cast<std::size_t>(skip));
}

void PLBmpDecoder::readWindowsHeader() {
    m_Header.width = static_cast<std::int32_t>(m_pDataSrc->ReadDWord());
    m_Header.height = static_cast<std::int32_t>(m_pDataSrc->ReadDWord());
    m_Header.planes = m_pDataSrc->ReadWord();
    m_Header.bitCount = m_pDataSrc->ReadWord();
    m_Header.compression = m_pDataSrc->ReadDWord();
    m_Header.sizeImage = m_pDataSrc->ReadDWord();
    m_Header.xPelsPerMeter = static_cast<std::int32_t>(m_pDataSrc->ReadDWord());
    m_Header.yPelsPerMeter = static_cast<std::int32_t>(m_pDataSrc->ReadDWord());
    m_Header.clrUsed = m_pDataSrc->ReadDWord();
    m_Header.clrImportant = m_pDataSrc->ReadDWord();
    if (!IsValidDepth(m_Header.bitCount)) {
        raiseError(PLErr::kBadBitDepth, "Decoding bmp: Illegal bpp value.");
    }
    // Longer headers (V4, V5) carry the colour masks in their first 12 extra bytes.
    const std::size_t extra = m_Header.size - kWindowsHeaderSize;
    const std::uint8_t* extraBytes = m_pDataSrc->ReadNBytes(extra);
    if (m_Header.bitCount == 16 && m_Header.compression != 0) {
        if (extra >= 12) {
            m_Is555 = Le32(extraBytes) == 0x7C00 && Le32(extraBytes + 4) == 0x03E0 &&
                      Le32(extraBytes + 8) == 0x001F;
        } else {
            readColourMasks();
        }
    }
    if (m_Header.bitCount <= 8)
        readPalette(paletteEntries(), 4);
    // Writers may leave a gap before the pixels; the file header's offset (from the start of
    // the data, bitmap array headers included) says where they start. An offset that points
    // back into the headers is ignored: the pixels then follow the palette.
    const std::size_t consumed = m_pDataSrc->GetBytesConsumed();
    if (m_PixelOffset > consumed)
        m_pDataSrc->Skip(m_PixelOffset - consumed);
}

void PLBmpDecoder::readColourMasks() {
    const std::uint32_t red = m_pDataSrc->ReadDWord();
    const std::uint32_t green = m_pDataSrc->ReadDWord();
    const std::uint32_t blue = m_pDataSrc->ReadDWord();
    m_Is555 = red == 0x7C00 && green == 0x03E0 && blue == 0x001F;
}

int PLBmpDecoder::paletteEntries() const {
    if (m_Header.bitCount > 8)
        return 0;
    const int full = 1 << m_Header.bitCount;
    if (m_Header.clrUsed != 0 && m_Header.clrUsed < static_cast<std::uint32_t>(full)) {
        return static_cast<int>(m_Header.clrUsed);
    }
    return full;
}

void PLBmpDecoder::readPalette(int entries, int bytesPerEntry) {
    if (entries <= 0)
        return;
    const std::uint8_t* p = m_pDataSrc->ReadNBytes(static_cast<std::size_t>(entries) *
                                                   static_cast<std::size_t>(bytesPerEntry));
    for (int i = 0; i < entries; ++i, p += bytesPerEntry)
        m_Palette[i] = PLPixel32{p[0], p[1], p[2], 255};
}

void PLBmpDecoder::setFacts() {
    const std::int64_t height =
        m_Header.height < 0 ? -std::int64_t{m_Header.height} : m_Header.height;
    if (m_Header.width <= 0 || height == 0)
        raiseError(PLErr::kWrongSignature, kNotABitmap);
    if (m_Header.width > PLBmp::kMaxSide || height > PLBmp::kMaxSide) {
        throw PLTextException(PLErr::kNoMemory, "Out of memory creating bitmap.");
    }
    const int bpp = m_Header.bitCount <= 8 ? 8 : 32;
    SetBmpInfo(PLPoint{m_Header.width, static_cast<int>(height)}, bpp,
               PLPoint{DotsPerInch(m_Header.xPelsPerMeter), DotsPerInch(m_Header.yPelsPerMeter)},
               m_Header.bitCount == 32, false);
    // Uncompressed pixels must all be there; finding out before the picture is made keeps
    // a short file from costing a large allocation.
    if (!(m_Header.compression != 0 && (m_Header.bitCount == 4 || m_Header.bitCount == 8))) {
        const std::uint64_t lineBytes =
            (std::uint64_t{static_cast<std::uint32_t>(m_Header.width)} * m_Header.bitCount + 31) /
            32 * 4;
        if (lineBytes * static_cast<std::uint64_t>(height) > m_pDataSrc->GetBytesLeft()) {
            throw PLTextException(PLErr::kEndOfFile, "End of file reached while decoding.\n");
        }
    }
}

std::uint8_t* PLBmpDecoder::outputLine(PLBmp& bmp, int fileLine) const {
    const int y = m_Header.height < 0 ? fileLine : GetHeight() - 1 - fileLine;
    return bmp.GetLine(y);
}

void PLBmpDecoder::GetImage(PLBmp& bmp) {
    if (bmp.GetBitsPerPixel() == 8)
        bmp.SetPalette(m_Palette.data());
    const bool rle = m_Header.compression != 0;
    if (rle && m_Header.bitCount == 8) {
        decodeRle(bmp, /*nibbles=*/false);
    } else if (rle && m_Header.bitCount == 4) {
        decodeRle(bmp, /*nibbles=*/true);
    } else {
        decodeUncompressed(bmp);
    }
}

void PLBmpDecoder::decodeUncompressed(PLBmp& bmp) {
    const std::size_t lineBytes =
        (static_cast<std::size_t>(GetWidth()) * m_Header.bitCount + 31) / 32 * 4;
    for (int line = 0; line < GetHeight(); ++line) {
        decodeLine(m_pDataSrc->ReadNBytes(lineBytes), outputLine(bmp, line));
    }
}

void PLBmpDecoder::decodeLine(const std::uint8_t* src, std::uint8_t* dst) const {
    const int width = GetWidth();
    switch (m_Header.bitCount) {
        case 1:
            for (int x = 0; x < width; ++x) dst[x] = (src[x >> 3] >> (7 - (x & 7))) & 1;
            break;
        case 4:
            for (int x = 0; x < width; ++x) {
                dst[x] = (x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4);
            }
            break;
        case 8:
            std::memcpy(dst, src, static_cast<std::size_t>(width));
            break;
        case 16:
            for (int x = 0; x < width; ++x, src += 2, dst += 4) {
                const unsigned v = src[0] | (src[1] << 8);
                if (m_Is555) {
                    dst[2] = static_cast<std::uint8_t>((v >> 7) & 0xF8);
                    dst[1] = static_cast<std::uint8_t>((v >> 2) & 0xF8);
                } else {
                    dst[2] = static_cast<std::uint8_t>((v >> 8) & 0xF8);
                    dst[1] = static_cast<std::uint8_t>((v >> 3) & 0xF8);
                }
                dst[0] = static_cast<std::uint8_t>((v << 3) & 0xFF);
                dst[3] = 255;
            }
            break;
        case 24:
            for (int x = 0; x < width; ++x, src += 3, dst += 4) {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
                dst[3] = 255;
            }
            break;
        default:  // 32
            std::memcpy(dst, src, static_cast<std::size_t>(width) * 4);
            break;
    }
}

namespace {
// Pixel i of run-length data: a whole byte each, or (4 bits) the high, then the low nibble.
std::uint8_t RlePixel(const std::uint8_t* bytes, int i, bool nibbles) {
    if (!nibbles)
        return bytes[i];
    return (i & 1) ? (bytes[i / 2] & 0x0F) : (bytes[i / 2] >> 4);
}
}  // namespace

// Both run-length forms share their escapes: 0 0 ends a line, 0 1 the picture, 0 2 (a delta)
// is refused, 0 n brings n literal pixels padded to a word. Runs are clipped at the end of
// their line: pixels beyond it are dropped, never wrapped. Lines beyond the top end the
// picture.
void PLBmpDecoder::decodeRle(PLBmp& bmp, bool nibbles) {
    const int width = GetWidth();
    int x = 0;
    for (int line = 0; line < GetHeight();) {
        const std::uint8_t count = m_pDataSrc->ReadByte();
        const std::uint8_t value = m_pDataSrc->ReadByte();
        std::uint8_t* dst = outputLine(bmp, line);
        if (count > 0) {
            for (int i = 0; i < count && x < width; ++i, ++x)
                dst[x] = RlePixel(&value, nibbles ? (i & 1) : 0, nibbles);
            continue;
        }
        switch (value) {
            case 0:
                x = 0;
                ++line;
                break;
            case 1:
                return;
            case 2:
                raiseError(PLErr::kDecoding, "Encountered delta escape.");
            default: {
                const std::size_t bytes = nibbles ? (value + 1u) / 2 : value;
                const std::uint8_t* src = m_pDataSrc->ReadNBytes(bytes);
                for (int i = 0; i < value && x < width; ++i, ++x)
                    dst[x] = RlePixel(src, i, nibbles);
                if (bytes & 1)
                    m_pDataSrc->Skip(1);
                break;
            }
        }
    }
}

}  // namespace picture
