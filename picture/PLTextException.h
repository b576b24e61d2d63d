#pragma once
// The only error type of the picture library: a code and the text shown to the user.

#include <string>

#include "picture/PLObject.h"

namespace picture {

// Error codes carried by PLTextException.
namespace PLErr {
inline constexpr int kOk = 0;
inline constexpr int kWrongSignature = 1;
inline constexpr int kBadBitDepth = 2;
inline constexpr int kResourceNotFound = 4;
inline constexpr int kDecoding = 6;  // depth mismatch, RLE delta escape, fatal JPEG error
inline constexpr int kUnknownFileType = 8;
inline constexpr int kNoMemory = 10;
inline constexpr int kEndOfFile = 11;
inline constexpr int kFormatNotCompiled = 12;
}  // namespace PLErr

class PLTextException : public PLObject {
  public:
    PLTextException(int code, std::string text);

    int GetCode() const { return m_Code; }
    const std::string& GetText() const { return m_Text; }

  private:
    int m_Code;
    std::string m_Text;
};

}  // namespace picture
