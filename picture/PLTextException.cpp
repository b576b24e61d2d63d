#include "picture/PLTextException.h"

#include <utility>

namespace picture {

PLTextException::PLTextException(int code, std::string text)
    : m_Code(code), m_Text(std::move(text)) {}

}  // namespace picture
