#include "picture/PLDataSource.h"

#include <utility>

#include "picture/PLTextException.h"

namespace picture {

void PLDataSource::open(std::string name, std::span<const std::uint8_t> data) {
    m_Name = std::move(name);
    m_Data = data;
    m_Consumed = 0;
}

void PLDataSource::Close() {
    m_Data = {};
    m_Consumed = 0;
}

const std::uint8_t* PLDataSource::ReadNBytes(std::size_t count) {
    if (count > GetBytesLeft()) {
        throw PLTextException(PLErr::kEndOfFile, "End of file reached while decoding.\n");
    }
    const std::uint8_t* at = m_Data.data() + m_Consumed;
    m_Consumed += count;
    return at;
}

std::uint8_t PLDataSource::ReadByte() {
    return *ReadNBytes(1);
}

std::uint16_t PLDataSource::ReadWord() {
    const std::uint8_t* p = ReadNBytes(2);
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t PLDataSource::ReadDWord() {
    const std::uint8_t* p = ReadNBytes(4);
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}

void PLDataSource::Skip(std::size_t count) {
    ReadNBytes(count);
}

}  // namespace picture
