#pragma once
// A readable block of picture data with a name, a size and a read position. Every read is
// checked against the size: reading past the end raises code 11 before any byte beyond the
// end is touched.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "picture/PLObject.h"

namespace picture {

class PLDataSource : public PLObject {
  public:
    ~PLDataSource() override = default;

    const std::string& GetName() const { return m_Name; }
    std::size_t GetFileSize() const { return m_Data.size(); }
    std::size_t GetBytesConsumed() const { return m_Consumed; }
    std::size_t GetBytesLeft() const { return m_Data.size() - m_Consumed; }

    // The next `count` bytes, consumed.
    const std::uint8_t* ReadNBytes(std::size_t count);
    std::uint8_t ReadByte();
    std::uint16_t ReadWord();   // little-endian
    std::uint32_t ReadDWord();  // little-endian
    void Skip(std::size_t count);
    // The whole data block, without consuming it.
    std::span<const std::uint8_t> GetData() const { return m_Data; }
    // The bytes not yet consumed.
    std::span<const std::uint8_t> GetRemaining() const { return m_Data.subspan(m_Consumed); }

    virtual void Close();

  protected:
    PLDataSource() = default;
    void open(std::string name, std::span<const std::uint8_t> data);

  private:
    std::string m_Name;
    std::span<const std::uint8_t> m_Data;
    std::size_t m_Consumed = 0;
};

}  // namespace picture
