#include "tests/support/Wave.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

namespace testsupport {

namespace {
std::uint32_t U32(const std::vector<unsigned char>& d, std::size_t at) {
    return d[at] | d[at + 1] << 8 | d[at + 2] << 16 | std::uint32_t(d[at + 3]) << 24;
}
std::uint16_t U16(const std::vector<unsigned char>& d, std::size_t at) {
    return static_cast<std::uint16_t>(d[at] | d[at + 1] << 8);
}
}  // namespace

Wave ReadWave(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> d((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
    Wave wave;
    if (d.size() < 12 || std::memcmp(d.data(), "RIFF", 4) != 0 ||
        std::memcmp(d.data() + 8, "WAVE", 4) != 0)
        return wave;
    int format = 0, bits = 0;
    std::size_t at = 12;
    while (at + 8 <= d.size()) {
        const std::uint32_t size = U32(d, at + 4);
        if (std::memcmp(d.data() + at, "fmt ", 4) == 0 && at + 24 <= d.size()) {
            format = U16(d, at + 8);
            wave.channels = U16(d, at + 10);
            wave.rate = static_cast<int>(U32(d, at + 12));
            bits = U16(d, at + 22);
        } else if (std::memcmp(d.data() + at, "data", 4) == 0) {
            // An unfinished header says 0 (or too much): take what is in the file.
            const std::size_t begin = at + 8;
            const std::size_t end = size == 0 || begin + size > d.size() ? d.size() : begin + size;
            const int bytes = bits / 8;
            if (bytes == 0)
                return wave;
            for (std::size_t i = begin; i + bytes <= end; i += static_cast<std::size_t>(bytes)) {
                double v = 0;
                if (format == 3 && bits == 32) {
                    float f;
                    const std::uint32_t raw = U32(d, i);
                    std::memcpy(&f, &raw, 4);
                    v = f;
                } else if (bits == 8) {
                    v = (d[i] - 128) / 128.0;
                } else if (bits == 16) {
                    v = static_cast<std::int16_t>(U16(d, i)) / 32768.0;
                } else if (bits == 24) {
                    const std::int32_t s =
                        static_cast<std::int32_t>(
                            (d[i] << 8 | d[i + 1] << 16 | std::uint32_t(d[i + 2]) << 24)) >>
                        8;
                    v = s / 8388608.0;
                } else if (bits == 32) {
                    v = static_cast<std::int32_t>(U32(d, i)) / 2147483648.0;
                }
                wave.samples.push_back(v);
            }
            return wave;
        }
        at += 8 + size + (size & 1);
    }
    return wave;
}

double MiddleRms(const Wave& wave) {
    const std::size_t n = wave.samples.size();
    if (n < 4)
        return 0;
    double sum = 0;
    for (std::size_t i = n / 4; i < n * 3 / 4; ++i) sum += wave.samples[i] * wave.samples[i];
    return std::sqrt(sum / static_cast<double>(n * 3 / 4 - n / 4));
}

}  // namespace testsupport
