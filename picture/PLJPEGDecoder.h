#pragma once
// JPEG decoder on libjpeg(-turbo). Greyscale pictures decode to 8 bits with the grey ramp
// palette, all others to 32 bits (blue, green, red, and a fourth byte of 0). A fatal libjpeg
// error becomes PLTextException code 6 with libjpeg's message.

#include <cstdint>
#include <memory>
#include <vector>

#include "picture/PLPicDecoder.h"

namespace picture {

class PLJPEGDecoder : public PLPicDecoder {
  public:
    // Progressive pictures with more scans than this are refused: each scan costs a pass over
    // the whole picture, so a small hostile file could otherwise keep us busy for minutes.
    static constexpr int kMaxScans = 500;

    PLJPEGDecoder();
    ~PLJPEGDecoder() override;

    void Open(PLDataSource* source) override;
    void GetImage(PLBmp& bmp) override;
    void Close() override;

    // Fast decoding switches libjpeg's fancy upsampling off; on by default.
    void SetFast(bool fast) { m_bFast = fast; }
    bool IsFast() const { return m_bFast; }

    // The APP1 markers (Exif and the like) of the picture last opened, as stored in the file.
    const std::vector<std::vector<std::uint8_t>>& GetApp1Markers() const { return m_App1; }

    // libjpeg's decompression state, defined where libjpeg is included.
    struct State;

  private:
    void collectApp1Markers();
    void setFactsFromHeader();
    [[noreturn]] void failAfterLibjpegError();

    std::unique_ptr<State> m_State;
    bool m_bFast = true;
    std::vector<std::vector<std::uint8_t>> m_App1;
};

}  // namespace picture
