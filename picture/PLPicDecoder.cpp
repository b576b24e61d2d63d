#include "picture/PLPicDecoder.h"

#include "picture/PLAnyBmp.h"
#include "picture/PLDataSource.h"
#include "picture/PLTextException.h"

namespace picture {

void PLPicDecoder::raiseError(int code, const std::string& message) {
    throw PLTextException(code, "Decoder error: " + message + "\n");
}

void PLPicDecoder::Close() {
    m_pDataSrc = nullptr;
}

void PLPicDecoder::MakeBmp(PLDataSource& source, PLBmp& bmp, int wantedBpp) {
    try {
        Open(&source);
        const int naturalBpp = GetBitsPerPixel();
        if (wantedBpp == 0 || wantedBpp == naturalBpp) {
            bmp.Create(*this);
            GetImage(bmp);
        } else if (wantedBpp > naturalBpp) {
            PLAnyBmp natural;
            natural.Create(*this);
            GetImage(natural);
            bmp.CopyFrom(natural, wantedBpp);
        } else {
            throw PLTextException(PLErr::kDecoding, "Image bit depth doesn't match request.");
        }
    } catch (...) {
        Close();
        throw;
    }
    Close();
}

}  // namespace picture
