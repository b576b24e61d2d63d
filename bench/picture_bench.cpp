// One flap animation step: decode a 335 × 228 colour JPEG and its 8-bit mask, then give the
// picture its alpha. The parts are measured alone as well, so their shares can be compared.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "picture/BmpEncoder.h"
#include "picture/PLAnyPicDecoder.h"
#include "picture/PLDIBSection.h"
#include "tests/picture/TestPictures.h"
#include "util/Resources.h"

using picture::PLAnyPicDecoder;
using picture::PLDIBSection;

namespace {

constexpr int kWidth = 335;
constexpr int kHeight = 228;
constexpr int kFrameId = 94400;  // numbers of our own, clear of the program's resources
constexpr int kMaskId = 94450;
constexpr int kRealFrameId = 400;
constexpr int kRealMaskId = 450;

// Something like a flap frame: smooth shading with fine grain, quality 90, with the Exif
// block the skin pictures carry.
std::vector<std::uint8_t> FrameJpeg() {
    picture_test::JpegLayout layout;
    layout.width = kWidth;
    layout.height = kHeight;
    layout.quality = 90;
    layout.app1 = picture_test::EmptyBigEndianExif();
    unsigned seed = 1;  // the encoder asks for the pixels line by line, left to right
    return picture_test::EncodeJpeg(layout, [&seed](int x, int y) {
        seed = seed * 1103515245u + 12345u;
        const int grain = static_cast<int>((seed >> 16) & 15) - 8;
        const double shade = 0.5 + 0.5 * std::sin(x * 0.03) * std::cos(y * 0.05);
        const auto channel = [&](int scale, int base) {
            return static_cast<std::uint8_t>(
                std::clamp(static_cast<int>(scale * shade) + base + grain, 0, 255));
        };
        return std::array<std::uint8_t, 3>{channel(150, 60), channel(90, 40), channel(40, 20)};
    });
}

// A rounded flap outline: opaque inside, a soft edge, transparent outside.
std::vector<std::uint8_t> FrameMask() {
    std::vector<std::uint8_t> pixels(kWidth * kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const double dx = (x - kWidth / 2.0) / (kWidth / 2.0);
            const double dy = (y - kHeight / 2.0) / (kHeight / 2.0);
            const double d = std::pow(std::pow(std::abs(dx), 4) + std::pow(std::abs(dy), 4), 0.25);
            pixels[y * kWidth + x] =
                static_cast<std::uint8_t>(std::clamp((1.0 - d) * 2550.0, 0.0, 255.0));
        }
    }
    return picture::EncodeGreyBmp(kWidth, kHeight, pixels);
}

void RegisterPictures() {
    static const bool done = [] {
        util::RegisterResource(kFrameId, util::ResourceType::RcData, FrameJpeg());
        util::RegisterResource(kMaskId, util::ResourceType::RcData, FrameMask());
        return true;
    }();
    (void)done;
}

void FlapStep(benchmark::State& state, int frameId, int maskId) {
    RegisterPictures();
    if (!util::FindResourceData(frameId, util::ResourceType::RcData) ||
        !util::FindResourceData(maskId, util::ResourceType::RcData)) {
        state.SkipWithError("pictures not compiled in");
        return;
    }
    PLAnyPicDecoder decoder;
    PLDIBSection frame;
    PLDIBSection mask;
    for (auto _ : state) {
        decoder.DecodeResource(frameId, frame);
        decoder.DecodeResource(maskId, mask);
        benchmark::DoNotOptimize(frame.SetAlphaFromMask(mask).has_value());
        benchmark::DoNotOptimize(frame.GetLine(0));
    }
}

void BM_FlapStep(benchmark::State& state) {
    FlapStep(state, kFrameId, kMaskId);
}

// The same with the program's own first flap frame, when the artwork is compiled in.
void BM_FlapStepRealArtwork(benchmark::State& state) {
    FlapStep(state, kRealFrameId, kRealMaskId);
}

void BM_FlapJpegOnly(benchmark::State& state) {
    RegisterPictures();
    PLAnyPicDecoder decoder;
    PLDIBSection frame;
    for (auto _ : state) {
        decoder.DecodeResource(kFrameId, frame);
        benchmark::DoNotOptimize(frame.GetLine(0));
    }
}

void BM_FlapMaskOnly(benchmark::State& state) {
    RegisterPictures();
    PLAnyPicDecoder decoder;
    PLDIBSection mask;
    for (auto _ : state) {
        decoder.DecodeResource(kMaskId, mask);
        benchmark::DoNotOptimize(mask.GetLine(0));
    }
}

void BM_FlapSetAlphaOnly(benchmark::State& state) {
    RegisterPictures();
    PLAnyPicDecoder decoder;
    PLDIBSection frame;
    PLDIBSection mask;
    decoder.DecodeResource(kFrameId, frame);
    decoder.DecodeResource(kMaskId, mask);
    for (auto _ : state) {
        benchmark::DoNotOptimize(frame.SetAlphaFromMask(mask).has_value());
        benchmark::DoNotOptimize(frame.GetLine(0));
    }
}

}  // namespace

BENCHMARK(BM_FlapStep)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FlapStepRealArtwork)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FlapJpegOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FlapMaskOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FlapSetAlphaOnly)->Unit(benchmark::kMicrosecond);
