#pragma once
// One picture decoder: reads the header of the data it is given (filling in the picture's
// facts) and then the pixels into a picture of those facts.

#include <string>

#include "picture/PLBmpInfo.h"

namespace picture {

class PLBmp;
class PLDataSource;

class PLPicDecoder : public PLBmpInfo {
  public:
    PLPicDecoder() = default;
    PLPicDecoder(const PLPicDecoder&) = delete;
    PLPicDecoder& operator=(const PLPicDecoder&) = delete;
    ~PLPicDecoder() override = default;

    // Opens `source`, decodes it into `bmp` at `wantedBpp` (0: the picture's own depth; a
    // greater depth converts; a smaller one raises code 6) and closes again. On failure the
    // PLTextException is passed on and `bmp` is left destructible.
    void MakeBmp(PLDataSource& source, PLBmp& bmp, int wantedBpp = 0);

    // Reads the header and fills in the facts.
    virtual void Open(PLDataSource* source) = 0;
    // Reads the pixels into `bmp`, already created with this decoder's facts.
    virtual void GetImage(PLBmp& bmp) = 0;
    // Releases the per-picture state.
    virtual void Close();

  protected:
    // Raises `message` through the decoders' common path: the text shown is
    // "Decoder error: <message>" and a line feed.
    [[noreturn]] static void raiseError(int code, const std::string& message);

    PLDataSource* m_pDataSrc = nullptr;
};

}  // namespace picture
