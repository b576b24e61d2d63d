#pragma once
// How the document parser raises its failures inside util/ (its public calls turn them into a
// util::Result whose message is ToString()). Raised by value, caught by reference; a handler
// for a base type also receives the derived ones. Type names are dotted ("util.io.IOException").

#include <stdexcept>
#include <string>

namespace util {

class Exception : public std::runtime_error {
  public:
    Exception(std::string typeName, const std::string& message);
    ~Exception() override;

    const std::string& TypeName() const { return typeName_; }
    std::string Message() const { return what(); }
    // "<type name>: <message>"
    virtual std::string ToString() const;

  private:
    std::string typeName_;
};

class IOException : public Exception {
  public:
    explicit IOException(const std::string& message);

  protected:
    IOException(std::string typeName, const std::string& message);
};

class FileNotFoundException : public IOException {
  public:
    explicit FileNotFoundException(const std::string& message);
};

class XML2_Exception : public Exception {
  public:
    explicit XML2_Exception(const std::string& message);

    void SetElement(std::string element) { element_ = std::move(element); }
    const std::string& Element() const { return element_; }
    // "<message> in element: <element>"
    std::string ToString() const override;

  private:
    std::string element_;
};

}  // namespace util
