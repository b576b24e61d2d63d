// Format detection and decoding numbered resources.
#include <gtest/gtest.h>

#include "picture/BmpEncoder.h"
#include "picture/LoadPicture.h"
#include "picture/PLAnyBmp.h"
#include "picture/PLAnyPicDecoder.h"
#include "picture/PLDIBSection.h"
#include "picture/PLResourceSource.h"
#include "picture/PLTextException.h"
#include "tests/picture/TestPictures.h"
#include "util/Resources.h"

using picture::PLAnyBmp;
using picture::PLAnyPicDecoder;
using picture::PLDIBSection;
using picture::PLFileFormat;
using picture::PLResourceSource;
using picture::PLTextException;

using picture_test::Bytes;

namespace {

Bytes WithPrefix(std::initializer_list<std::uint8_t> prefix, std::size_t size = 64) {
    Bytes data(size, 0xEE);  // 0xEE in byte 1 keeps it from looking like Targa
    std::copy(prefix.begin(), prefix.end(), data.begin());
    return data;
}

Bytes TextPrefix(const char* text) {
    Bytes data(64, 0xEE);
    for (std::size_t i = 0; text[i]; ++i) data[i] = static_cast<std::uint8_t>(text[i]);
    return data;
}

PLTextException DecodeError(const Bytes& data) {
    PLAnyPicDecoder decoder;
    PLAnyBmp bmp;
    try {
        decoder.DecodeMemory(data, bmp);
    } catch (const PLTextException& e) {
        return e;
    }
    ADD_FAILURE() << "no exception";
    return PLTextException(0, "");
}

Bytes SmallMask() {
    const Bytes pixels = {0, 128, 255, 64};
    return picture::EncodeGreyBmp(2, 2, pixels);
}

}  // namespace

TEST(FormatDetection, FirstBytesDecideTheFormat) {
    using F = PLFileFormat;
    const auto detect = [](const Bytes& d) { return PLAnyPicDecoder::DetermineFileFormat(d); };
    for (const char* sig : {"BM", "BA", "IC", "CI", "CP"})
        EXPECT_EQ(detect(TextPrefix(sig)), F::Bmp) << sig;
    EXPECT_EQ(detect(TextPrefix("GIF89a")), F::Gif);
    EXPECT_EQ(detect(WithPrefix({'I', 'I', '*', 0})), F::Tiff);
    EXPECT_EQ(detect(WithPrefix({'M', 'M', 0, '*'})), F::Tiff);
    EXPECT_EQ(detect(WithPrefix({0xFF, 0xD8, 0xFF})), F::Jpeg);
    EXPECT_EQ(detect(WithPrefix({0x89, 0x50, 0x4E, 0x47})), F::Png);
    EXPECT_EQ(detect(WithPrefix({0x0A, 0xEE, 0x01})), F::Pcx);
    for (const char* sig : {"P2", "P5"}) EXPECT_EQ(detect(TextPrefix(sig)), F::Pgm);
    for (const char* sig : {"P3", "P6"}) EXPECT_EQ(detect(TextPrefix(sig)), F::Ppm);
    EXPECT_EQ(detect(TextPrefix("8BPS")), F::Photoshop);
    EXPECT_EQ(detect(WithPrefix({0x01, 0xDA})), F::Sgi);
    EXPECT_EQ(detect(TextPrefix("FORM")), F::Iff);

    Bytes targa(18, 0);
    targa[2] = 2;    // uncompressed true colour
    targa[16] = 24;  // bits per pixel
    EXPECT_EQ(detect(targa), F::Targa);
    targa[16] = 23;
    EXPECT_EQ(detect(targa), F::Unknown);

    Bytes eps = WithPrefix({0xC5, 0xD0, 0xD3, 0xC6});
    EXPECT_EQ(detect(eps), F::EpsTiff);
    eps[20] = eps[21] = eps[22] = eps[23] = 0;  // no preview offset
    EXPECT_EQ(detect(eps), F::Unknown);

    Bytes pict(600, 0xEE);
    pict[522] = 0x00;
    pict[523] = 0x11;
    pict[524] = 0x01;
    EXPECT_EQ(detect(pict), F::Pict);
    pict.resize(540);  // too short to be a PICT
    EXPECT_EQ(detect(pict), F::Unknown);

    EXPECT_EQ(detect(Bytes{}), F::Unknown);
    EXPECT_EQ(detect(Bytes{'B'}), F::Unknown);
}

TEST(FormatDetection, KnownButNotCompiledRaises12AndUnknownRaises8) {
    PLTextException gif = DecodeError(TextPrefix("GIF8"));
    EXPECT_EQ(gif.GetCode(), 12);
    EXPECT_EQ(gif.GetText(), "Decoder error: Library not compiled for this file type.\n");
    PLTextException png = DecodeError(WithPrefix({0x89, 0x50, 0x4E, 0x47}));
    EXPECT_EQ(png.GetCode(), 12);

    PLTextException unknown = DecodeError(TextPrefix("hello, world"));
    EXPECT_EQ(unknown.GetCode(), 8);
    EXPECT_EQ(unknown.GetText(), "Decoder error: Unknown file type.\n");
    EXPECT_EQ(DecodeError(Bytes{}).GetCode(), 8);
}

TEST(DecodeResource, MissingResourceRaisesCode4WithItsNumber) {
    PLAnyPicDecoder decoder;
    PLDIBSection bmp;
    try {
        decoder.DecodeResource(987654, bmp);
        FAIL() << "no exception";
    } catch (const PLTextException& e) {
        EXPECT_EQ(e.GetCode(), 4);
        EXPECT_EQ(e.GetText(), "Decoder error: Opening resource 987654 failed\n");
    }
    PLResourceSource source;
    EXPECT_EQ(source.Open(987654), 4);
}

TEST(DecodeResource, RegisteredResourceDecodesByNumberAndType) {
    util::RegisterResource(91001, util::ResourceType::RcData, SmallMask());
    PLResourceSource source;
    ASSERT_EQ(source.Open(91001), 0);
    EXPECT_EQ(source.GetName(), "Resource: 91001");
    EXPECT_EQ(source.GetFileSize(), SmallMask().size());

    PLAnyPicDecoder decoder;
    PLDIBSection bmp;
    decoder.DecodeResource(91001, bmp);
    EXPECT_EQ(bmp.GetBitsPerPixel(), 8);
    EXPECT_EQ(bmp.GetLine(0)[1], 128);
    EXPECT_EQ(bmp.GetLine(1)[0], 255);
    // The same number as another type is another resource.
    EXPECT_THROW(decoder.DecodeResource(91001, bmp, 0, util::ResourceType::Bitmap),
                 PLTextException);
}

TEST(DecodeResource, LoadPictureGivesTheNaturalDepth) {
    util::RegisterResource(91002, util::ResourceType::RcData, SmallMask());
    const auto mask = picture::LoadPicture(91002);
    ASSERT_TRUE(mask) << mask.error();
    ASSERT_EQ((*mask)->GetBitsPerPixel(), 8);
    EXPECT_EQ((*mask)->GetLine(1)[1], 64);
    PLDIBSection target;
    ASSERT_TRUE(picture::LoadPicture(91002, target));
    EXPECT_EQ(target.GetWidth(), 2);
    const auto missing = picture::LoadPicture(91003);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().code, picture::PLErr::kResourceNotFound);
    EXPECT_EQ(missing.error().message, "Decoder error: Opening resource 91003 failed\n");
}
