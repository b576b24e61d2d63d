#pragma once
// Decodes pictures of any supported format, found from the data's first bytes (never from a
// name): Windows bitmaps and JPEG. One instance decodes any number of pictures in turn.

#include <cstdint>
#include <memory>
#include <span>

#include "picture/PLPicDecoder.h"
#include "util/Resources.h"

namespace picture {

class PLBmpDecoder;
class PLJPEGDecoder;

enum class PLFileFormat {
    Unknown,
    Bmp,
    Targa,
    Gif,
    Tiff,
    Pict,
    Jpeg,
    Png,
    EpsTiff,
    Pcx,
    Pgm,
    Ppm,
    Photoshop,
    Sgi,
    Iff,
};

class PLAnyPicDecoder : public PLPicDecoder {
  public:
    PLAnyPicDecoder();
    ~PLAnyPicDecoder() override;

    // Decodes numbered resource `resourceId` into `bmp`, replacing what it held; at `scale`
    // 2 the picture drawn twice as big. A missing resource raises code 4 ("Opening resource
    // <number> failed").
    void DecodeResource(int resourceId, PLBmp& bmp, int wantedBpp = 0,
                        util::ResourceType type = util::ResourceType::RcData, int scale = 1);
    // Decodes a picture held in memory.
    void DecodeMemory(std::span<const std::uint8_t> data, PLBmp& bmp, int wantedBpp = 0);

    void Open(PLDataSource* source) override;
    void GetImage(PLBmp& bmp) override;
    void Close() override;

    // The format of the picture last opened.
    PLFileFormat GetFileFormat() const { return m_Format; }
    static PLFileFormat DetermineFileFormat(std::span<const std::uint8_t> data);

  private:
    std::unique_ptr<PLBmpDecoder> m_pBmpDec;
    std::unique_ptr<PLJPEGDecoder> m_pJPEGDec;
    PLPicDecoder* m_pCurDec = nullptr;
    PLFileFormat m_Format = PLFileFormat::Unknown;
};

}  // namespace picture
