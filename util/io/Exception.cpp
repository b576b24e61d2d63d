#include "util/io/Exception.h"

namespace util {

Exception::Exception(std::string typeName, const std::string& message)
    : std::runtime_error(message), typeName_(std::move(typeName)) {}

Exception::~Exception() = default;

std::string Exception::ToString() const {
    return typeName_ + ": " + what();
}

IOException::IOException(const std::string& message) : Exception("util.io.IOException", message) {}

IOException::IOException(std::string typeName, const std::string& message)
    : Exception(std::move(typeName), message) {}

FileNotFoundException::FileNotFoundException(const std::string& message)
    : IOException("util.io.FileNotFoundException", message) {}

XML2_Exception::XML2_Exception(const std::string& message)
    : Exception("util.xml.XML2_Exception", message) {}

std::string XML2_Exception::ToString() const {
    return Message() + " in element: " + element_;
}

}  // namespace util
