#include "picture/PLAnyPicDecoder.h"

#include <string>

#include "picture/PLBmpDecoder.h"
#include "picture/PLJPEGDecoder.h"
#include "picture/PLMemSource.h"
#include "picture/PLResourceSource.h"
#include "picture/PLTextException.h"

namespace picture {

namespace {

bool StartsWith(std::span<const std::uint8_t> data, std::initializer_list<std::uint8_t> prefix) {
    if (data.size() < prefix.size())
        return false;
    std::size_t i = 0;
    for (std::uint8_t b : prefix) {
        if (data[i++] != b)
            return false;
    }
    return true;
}

bool StartsWith(std::span<const std::uint8_t> data, const char* text) {
    for (std::size_t i = 0; text[i]; ++i) {
        if (i >= data.size() || data[i] != static_cast<std::uint8_t>(text[i]))
            return false;
    }
    return true;
}

std::uint32_t Le32At(std::span<const std::uint8_t> d, std::size_t at) {
    return std::uint32_t{d[at]} | (std::uint32_t{d[at + 1]} << 8) |
           (std::uint32_t{d[at + 2]} << 16) | (std::uint32_t{d[at + 3]} << 24);
}

bool IsBitmap(std::span<const std::uint8_t> d) {
    return StartsWith(d, "BA") || StartsWith(d, "BM") || StartsWith(d, "IC") ||
           StartsWith(d, "CI") || StartsWith(d, "CP");
}

// Targa has no signature; its header's fields must all hold plausible values.
bool IsTarga(std::span<const std::uint8_t> d) {
    if (d.size() < 18)
        return false;
    const auto imageType = d[2];
    const auto mapEntrySize = d[7];
    const auto depth = d[16];
    return d[1] < 2 && (imageType <= 3 || (imageType >= 9 && imageType <= 11)) &&
           (mapEntrySize == 0 || mapEntrySize == 8 || mapEntrySize == 15 || mapEntrySize == 16 ||
            mapEntrySize == 24 || mapEntrySize == 32) &&
           (depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32);
}

bool IsPict(std::span<const std::uint8_t> d) {
    if (d.size() <= 540)
        return false;
    const auto b = d.subspan(522);
    return StartsWith(b, {0x00, 0x11, 0x02, 0xFF}) || StartsWith(b, {0x00, 0x11, 0x01}) ||
           StartsWith(b, {0x11, 0x01, 0x01, 0x00});
}

bool IsEpsWithTiff(std::span<const std::uint8_t> d) {
    if (d.size() < 28)
        return false;
    return (StartsWith(d, {0xC5, 0xD0, 0xD3, 0xC6}) || StartsWith(d, {0xC6, 0xD3, 0xD0, 0xC5})) &&
           Le32At(d, 20) != 0 && Le32At(d, 24) != 0;
}

}  // namespace

PLFileFormat PLAnyPicDecoder::DetermineFileFormat(std::span<const std::uint8_t> d) {
    if (IsBitmap(d))
        return PLFileFormat::Bmp;
    if (IsTarga(d))
        return PLFileFormat::Targa;
    if (StartsWith(d, "GIF8"))
        return PLFileFormat::Gif;
    if (StartsWith(d, {'I', 'I', '*', 0}) || StartsWith(d, {'M', 'M', 0, '*'})) {
        return PLFileFormat::Tiff;
    }
    if (IsPict(d))
        return PLFileFormat::Pict;
    if (StartsWith(d, {0xFF, 0xD8, 0xFF}))
        return PLFileFormat::Jpeg;
    if (StartsWith(d, {0x89, 0x50, 0x4E, 0x47}))
        return PLFileFormat::Png;
    if (IsEpsWithTiff(d))
        return PLFileFormat::EpsTiff;
    if (d.size() >= 3 && d[0] == 0x0A && d[2] == 1)
        return PLFileFormat::Pcx;
    if (StartsWith(d, "P2") || StartsWith(d, "P5"))
        return PLFileFormat::Pgm;
    if (StartsWith(d, "P3") || StartsWith(d, "P6"))
        return PLFileFormat::Ppm;
    if (StartsWith(d, "8BPS"))
        return PLFileFormat::Photoshop;
    if (StartsWith(d, {0x01, 0xDA}))
        return PLFileFormat::Sgi;
    if (StartsWith(d, "FORM"))
        return PLFileFormat::Iff;
    return PLFileFormat::Unknown;
}

PLAnyPicDecoder::PLAnyPicDecoder()
    : m_pBmpDec(std::make_unique<PLBmpDecoder>()), m_pJPEGDec(std::make_unique<PLJPEGDecoder>()) {}

PLAnyPicDecoder::~PLAnyPicDecoder() = default;

void PLAnyPicDecoder::DecodeResource(int resourceId, PLBmp& bmp, int wantedBpp,
                                     util::ResourceType type, int scale) {
    PLResourceSource source;
    if (source.Open(resourceId, type, scale) != PLErr::kOk) {
        const std::string size = scale == 1 ? "" : "@" + std::to_string(scale) + "x";
        raiseError(PLErr::kResourceNotFound,
                   "Opening resource " + std::to_string(resourceId) + size + " failed");
    }
    MakeBmp(source, bmp, wantedBpp);
    source.Close();
}

void PLAnyPicDecoder::DecodeMemory(std::span<const std::uint8_t> data, PLBmp& bmp, int wantedBpp) {
    PLMemSource source;
    source.Open(data);
    MakeBmp(source, bmp, wantedBpp);
    source.Close();
}

void PLAnyPicDecoder::Open(PLDataSource* source) {
    m_pDataSrc = source;
    m_pCurDec = nullptr;
    m_Format = DetermineFileFormat(source->GetData());
    switch (m_Format) {
        case PLFileFormat::Bmp:
            m_pCurDec = m_pBmpDec.get();
            break;
        case PLFileFormat::Jpeg:
            m_pCurDec = m_pJPEGDec.get();
            break;
        case PLFileFormat::Unknown:
            raiseError(PLErr::kUnknownFileType, "Unknown file type.");
        default:
            raiseError(PLErr::kFormatNotCompiled, "Library not compiled for this file type.");
    }
    m_pCurDec->Open(source);
    SetBmpInfo(*m_pCurDec);
}

void PLAnyPicDecoder::GetImage(PLBmp& bmp) {
    m_pCurDec->GetImage(bmp);
}

void PLAnyPicDecoder::Close() {
    if (m_pCurDec)
        m_pCurDec->Close();
    m_pCurDec = nullptr;
    PLPicDecoder::Close();
}

}  // namespace picture
