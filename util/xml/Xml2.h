#pragma once
// A small document tree over expat: elements with text, attributes and children.
// Used for the station catalogue (a file on disk or a downloaded text).

#include "util/Result.h"

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace util {

class XML2_Element;

class XML2_Node {
  public:
    static constexpr int kPlain = -1;
    static constexpr int kElement = 1;
    static constexpr int kAttribute = 2;

    XML2_Node(int type, std::string name) : type_(type), name_(std::move(name)) {}
    virtual ~XML2_Node() = default;
    XML2_Node(const XML2_Node&) = delete;
    XML2_Node& operator=(const XML2_Node&) = delete;

    int Type() const { return type_; }
    const std::string& Name() const { return name_; }
    XML2_Element* Parent() const { return parent_; }

  private:
    friend class XML2_Element;
    int type_;
    std::string name_;
    XML2_Element* parent_ = nullptr;  // not owned
};

class XML2_Attribute : public XML2_Node {
  public:
    XML2_Attribute(std::string name, std::string value)
        : XML2_Node(kAttribute, std::move(name)), value_(std::move(value)) {}
    const std::string& Value() const { return value_; }

  private:
    std::string value_;
};

class XML2_Element : public XML2_Node {
  public:
    explicit XML2_Element(std::string name) : XML2_Node(kElement, std::move(name)) {}
    // Frees the subtree without recursion, so a deeply nested document cannot overflow
    // the stack.
    ~XML2_Element() override;

    const std::string& Text() const { return text_; }
    void AppendText(std::string_view text) { text_.append(text); }

    XML2_Element* AddChild(std::unique_ptr<XML2_Element> child);
    void AddAttribute(std::unique_ptr<XML2_Attribute> attribute);
    // The value of the attribute with exactly this name (case-sensitive), or nullptr.
    const std::string* GetAttribute(const std::string& name) const;
    std::size_t AttributeCount() const { return attributes_.size(); }

    int GetChildCount() const { return static_cast<int>(children_.size()); }
    XML2_Element* GetChild(int i) const { return children_.at(static_cast<std::size_t>(i)).get(); }

    // Names of the ancestors and this element, root first, joined without separator.
    std::string GetPath() const;

  private:
    std::string text_;
    std::map<std::string, std::unique_ptr<XML2_Attribute>> attributes_;
    std::vector<std::unique_ptr<XML2_Element>> children_;
};

// Why a document could not be read (util::Error::code). The message is a type name and the
// reason: "util.io.FileNotFoundException: <path>", "util.io.IOException: <reason>", or for a
// document that is not well-formed "<reason and position> in element: <path of the element
// that was open>".
enum XmlFailure : int {
    kXmlMalformed = 1,
    kXmlNotFound = 2,    // the file cannot be opened
    kXmlUnreadable = 3,  // reading the file failed
    kXmlNoMemory = 4,
};

class XML2_Parser {
  public:
    static constexpr std::size_t kReadSize = 65536;

    using Document = Result<std::unique_ptr<XML2_Element>>;

    Document ReadFile(const std::string& path);
    Document ParseBuffer(const char* text, std::size_t length);

  private:
    class Session;
    std::unique_ptr<XML2_Element> Read(const std::string& path);
    std::unique_ptr<XML2_Element> Parse(const char* text, std::size_t length);
};

}  // namespace util
